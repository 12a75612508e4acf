#pragma once
// Worker threads and the main-thread call queue.
//
// Only the device link runs threads of its own. A worker hands work to the main
// thread with Synchronize (queue and wait) or MainThread::Queue (queue, no wait).
// The main thread runs queued calls from the Qt event loop and whenever it waits in
// TThread::WaitFor, so stopping a thread that is synchronizing never deadlocks.
// From the event loop the calls run in slices of a few milliseconds, so the loop
// serves its timers, input and descriptors in between however much is queued.
#include <atomic>
#include <chrono>
#include <exception>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/rtl/Delegate.h"

namespace rtl {

namespace MainThread {
// The thread that called Init (by default the one that first touched this module).
void Init();
bool IsCurrent();
// Queues a call for the main thread and returns at once.
void Queue(std::function<void()> call);
// Queues a call for the main thread and waits until it has run. Run directly when
// called on the main thread. An exception thrown by the call is rethrown here.
void Synchronize(std::function<void()> call);
// Runs the calls queued so far, for a few milliseconds at most (the rest stays queued);
// waits up to timeout for the first one. Main thread only. Returns true when at least
// one call ran.
bool CheckSynchronize(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));
// Called (from any thread) whenever a call is queued, in place of the event loop's
// wake-up; tests and benchmarks that drain the queue themselves set it. By default,
// when a QCoreApplication exists, one drain at a time is posted to its event loop,
// and each drain runs one slice and posts the next behind the loop's other work.
void SetWakeHook(std::function<void()> hook);
// Receives what a queued call threw when the event loop ran it (nothing may be thrown
// through the loop), and what ReportUnhandled is given. The ui layer points it at the
// application's exception handler.
void SetUnhandledExceptionHandler(std::function<void(std::exception_ptr)> handler);
// Hands a failure that must not travel further to that handler (to standard error
// while none is set). Never throws.
void ReportUnhandled(std::exception_ptr error) noexcept;
} // namespace MainThread

// A mutex that the same thread may enter again.
class TCriticalSection {
public:
    void Enter() { m_.lock(); }
    void Leave() { m_.unlock(); }
    bool TryEnter() { return m_.try_lock(); }
    void lock() { m_.lock(); }
    void unlock() { m_.unlock(); }
private:
    std::recursive_mutex m_;
};

// A manual- or auto-reset event.
class TEvent {
public:
    explicit TEvent(bool manualReset = true, bool initialState = false)
        : manual_(manualReset), set_(initialState) {}
    void SetEvent();
    void ResetEvent();
    // True when signalled within the timeout.
    bool WaitFor(std::chrono::milliseconds timeout);
private:
    std::mutex m_;
    std::condition_variable cv_;
    bool manual_;
    bool set_;
};

// A thread object: created suspended, started with Start, asked to stop with
// Terminate (Execute polls Terminated), joined with WaitFor. Never frees itself.
class TThread {
public:
    TThread();
    virtual ~TThread(); // terminates and waits when still running; derived classes should stop first
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start();
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    bool Started() const { return started_; }
    bool Finished() const { return finished_.load(); }
    // Waits until Execute has returned, running queued main-thread calls meanwhile when
    // called on the main thread. Returns ReturnValue.
    int WaitFor();
    std::thread::id ThreadID() const { return thread_.get_id(); }

    // Runs the call on the main thread and waits for it (directly when already there).
    void Synchronize(std::function<void()> call) { MainThread::Synchronize(std::move(call)); }

    int ReturnValue = 0;
    // Runs on the main thread after Execute has returned.
    Delegate<void(TThread*)> OnTerminate;
    // The exception that ended Execute, if one did.
    std::exception_ptr FatalException;

protected:
    virtual void Execute() = 0;
    // Called by Terminate after the flag is set; a subclass wakes a blocked Execute here.
    virtual void TerminatedSet() {}

private:
    void run();

    std::thread thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    bool started_ = false;
    bool joined_ = false;
};

} // namespace rtl
