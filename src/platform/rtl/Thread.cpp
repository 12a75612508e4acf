#include "platform/rtl/Thread.h"

#include <cstdio>
#include <deque>

#include <QCoreApplication>
#include <QMetaObject>

#include "platform/rtl/Exception.h"

namespace rtl {

namespace {

// The longest the main thread runs queued calls in one go before its event loop
// serves timers, input and descriptors again.
constexpr std::chrono::milliseconds kDrainSlice{5};

struct PendingCall {
    std::function<void()> call;
    // Set for Synchronize: the caller waits on done and takes error.
    struct Waiter {
        std::mutex m;
        std::condition_variable cv;
        std::atomic<bool> done{false};
        std::exception_ptr error;
    }* waiter = nullptr;
};

struct Queue {
    std::mutex m;
    std::condition_variable cv; // signalled when a call arrives
    std::deque<PendingCall> calls;
    std::atomic<std::size_t> size{0};     // calls.size(), readable without the lock
    std::atomic<bool> wakePending{false}; // a drain is posted to the event loop and has not begun
    std::function<void()> wakeHook;
    std::function<void(std::exception_ptr)> unhandled;
    std::thread::id mainId = std::this_thread::get_id();
};

Queue& queue()
{
    static Queue q;
    return q;
}

void postDrain();

// One slice of queued calls from the event loop. Whatever is left waits behind the
// loop's own work (timers, input, descriptors): a new drain is posted at the back.
void drainFromEventLoop()
{
    queue().wakePending = false;
    // Nothing may be thrown through the event loop.
    try {
        MainThread::CheckSynchronize();
    } catch (...) {
        MainThread::ReportUnhandled(std::current_exception());
    }
    if (queue().size.load() > 0) postDrain();
}

// At most one drain waits in the event loop's queue, however many calls arrive: one
// event per call would let the loop's queue grow without end under load.
void postDrain()
{
    if (queue().wakePending.exchange(true)) return;
    auto* app = QCoreApplication::instance();
    if (!app) {
        queue().wakePending = false;
        return;
    }
    QMetaObject::invokeMethod(app, &drainFromEventLoop, Qt::QueuedConnection);
}

void wakeMain()
{
    std::function<void()> hook;
    {
        std::lock_guard lock(queue().m);
        hook = queue().wakeHook;
    }
    if (hook) hook();
    else postDrain();
}

// Tells the processor that this thread waits in a loop, without giving its time slice
// away as a yield to the scheduler does.
inline void CpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__) || defined(__arm__)
    asm volatile("yield");
#endif
}

// Polls cond for up to about 50 microseconds; true when it came true. The poll keeps
// the processor: a yield on a busy machine hands it to another process for a whole
// time slice, milliseconds instead of microseconds, on every round trip. With one
// processor the other side cannot run meanwhile, so there is no poll at all.
template <typename Cond>
bool SpinBriefly(Cond cond)
{
    static const bool kOtherProcessors = std::thread::hardware_concurrency() > 1;
    if (!kOtherProcessors) return cond();
    const auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        CpuRelax();
    }
    return true;
}

void push(PendingCall pc)
{
    {
        std::lock_guard lock(queue().m);
        queue().calls.push_back(std::move(pc));
        queue().size = queue().calls.size();
    }
    queue().cv.notify_all();
    wakeMain();
}

} // namespace

namespace MainThread {

// clang-format off
void Init() { std::lock_guard lock(queue().m); queue().mainId = std::this_thread::get_id(); }
// clang-format on

bool IsCurrent() { return std::this_thread::get_id() == queue().mainId; }

void SetWakeHook(std::function<void()> hook)
{
    std::lock_guard lock(queue().m);
    queue().wakeHook = std::move(hook);
}

void Queue(std::function<void()> call) { push({std::move(call), nullptr}); }

void Synchronize(std::function<void()> call)
{
    if (IsCurrent()) {
        call();
        return;
    }
    PendingCall::Waiter waiter;
    push({std::move(call), &waiter});
    // A round trip is usually a few microseconds: waiting a moment before sleeping
    // saves the two thread wake-ups that would otherwise bound the delivery rate.
    SpinBriefly([&] { return waiter.done.load(); });
    // Taken even after done is seen: the main thread may still hold the lock to notify.
    std::unique_lock lock(waiter.m);
    waiter.cv.wait(lock, [&] { return waiter.done.load(); });
    if (waiter.error) std::rethrow_exception(waiter.error);
}

bool CheckSynchronize(std::chrono::milliseconds timeout)
{
    std::size_t count = 0;
    if (timeout.count() > 0) SpinBriefly([] { return queue().size.load() > 0; });
    {
        std::unique_lock lock(queue().m);
        if (queue().calls.empty() && timeout.count() > 0)
            queue().cv.wait_for(lock, timeout, [] { return !queue().calls.empty(); });
        count = queue().calls.size();
    }
    // One call at a time off the shared queue, never a private batch: a call that
    // waits for a thread (a transport being freed) runs the queue again, and the
    // call that thread waits on must still be there to be found.
    std::exception_ptr firstUnhandled; // of a Queue call: raised once the calls have run
    const auto sliceEnd = std::chrono::steady_clock::now() + kDrainSlice;
    std::size_t ran = 0;
    for (; ran < count; ++ran) {
        if (ran > 0 && std::chrono::steady_clock::now() >= sliceEnd) break;
        PendingCall pc;
        {
            std::lock_guard lock(queue().m);
            if (queue().calls.empty()) break;
            pc = std::move(queue().calls.front());
            queue().calls.pop_front();
            queue().size = queue().calls.size();
        }
        std::exception_ptr error;
        try {
            pc.call();
        } catch (...) {
            error = std::current_exception();
        }
        if (pc.waiter) {
            // Notify under the lock: the waiter lives on its thread's stack and may
            // return (and be gone) as soon as the lock is free.
            std::lock_guard lock(pc.waiter->m);
            pc.waiter->error = error;
            pc.waiter->done = true;
            pc.waiter->cv.notify_all();
        } else if (error && !firstUnhandled) {
            firstUnhandled = error;
        }
    }
    if (firstUnhandled) std::rethrow_exception(firstUnhandled);
    return ran > 0;
}

void SetUnhandledExceptionHandler(std::function<void(std::exception_ptr)> handler)
{
    std::lock_guard lock(queue().m);
    queue().unhandled = std::move(handler);
}

void ReportUnhandled(std::exception_ptr error) noexcept
{
    std::function<void(std::exception_ptr)> handler;
    {
        std::lock_guard lock(queue().m);
        handler = queue().unhandled;
    }
    try {
        if (handler) {
            handler(error);
            return;
        }
    } catch (...) {
        // The handler itself failed: only the console is left.
    }
    std::fprintf(stderr, "unhandled exception in a main-thread call\n");
}

} // namespace MainThread

void TEvent::SetEvent()
{
    {
        std::lock_guard lock(m_);
        set_ = true;
    }
    cv_.notify_all();
}

void TEvent::ResetEvent()
{
    std::lock_guard lock(m_);
    set_ = false;
}

bool TEvent::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_);
    const bool ok = cv_.wait_for(lock, timeout, [this] { return set_; });
    if (ok && !manual_) set_ = false;
    return ok;
}

TThread::TThread() = default;

TThread::~TThread()
{
    if (started_ && !joined_) {
        Terminate();
        WaitFor();
    }
}

void TThread::Start()
{
    if (started_) throw EThreadError("Thread already started");
    started_ = true;
    thread_ = std::thread([this] { run(); });
}

void TThread::Terminate()
{
    terminated_ = true;
    TerminatedSet();
}

void TThread::run()
{
    try {
        Execute();
    } catch (...) {
        FatalException = std::current_exception();
    }
    finished_ = true;
    // Wake a main thread that waits in WaitFor.
    MainThread::Queue([] {});
}

int TThread::WaitFor()
{
    if (!started_ || joined_) return ReturnValue;
    if (std::this_thread::get_id() == thread_.get_id())
        throw EThreadError("Thread cannot wait for itself");
    if (MainThread::IsCurrent()) {
        while (!finished_.load())
            MainThread::CheckSynchronize(std::chrono::milliseconds(20));
    }
    thread_.join();
    joined_ = true;
    if (OnTerminate) {
        if (MainThread::IsCurrent()) OnTerminate(this);
        else MainThread::Synchronize([this] { OnTerminate(this); });
    }
    return ReturnValue;
}

} // namespace rtl
