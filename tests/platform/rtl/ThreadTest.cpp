#include <signal.h>
#include <sys/signalfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Thread.h"
#include "support/TempDir.h"

using namespace rtl;

namespace {

class SyncThread : public TThread {
public:
    std::atomic<int> calls{0};
    int onMainThread = 0;
protected:
    void Execute() override
    {
        for (int i = 0; i < 50 && !Terminated(); ++i)
            Synchronize([this] { ++calls; if (MainThread::IsCurrent()) ++onMainThread; });
        ReturnValue = 7;
    }
};

class Throwing : public TThread {
protected:
    void Execute() override { throw Exception("worker failed"); }
};

} // namespace

TEST(Thread, SynchronizeWhileMainWaitsInWaitForDoesNotDeadlock)
{
    SyncThread t;
    t.Start();
    // The main thread does nothing but wait: the worker's 50 synchronized calls
    // can only complete because WaitFor runs them.
    EXPECT_EQ(t.WaitFor(), 7);
    EXPECT_EQ(t.calls.load(), 50);
    EXPECT_EQ(t.onMainThread, 50);
    EXPECT_TRUE(t.Finished());
}

TEST(Thread, TerminateStopsLoopAndOnTerminateRunsOnMain)
{
    struct Looper : TThread {
        std::atomic<int> turns{0};
        // clang-format off
        void Execute() override { while (!Terminated()) { ++turns; std::this_thread::yield(); } }
        // clang-format on
    } t;
    bool terminated = false;
    bool onMain = false;
    t.OnTerminate = Delegate<void(TThread*)>::FromFunction([&](TThread*) {
        terminated = true;
        onMain = MainThread::IsCurrent();
    });
    t.Start();
    EXPECT_TRUE(testsupport::WaitUntil([&] { return t.turns > 0; }));
    t.Terminate();
    t.WaitFor();
    EXPECT_TRUE(terminated);
    EXPECT_TRUE(onMain);
    EXPECT_THROW(t.Start(), EThreadError);
}

TEST(Thread, ExceptionInExecuteIsKeptNotLost)
{
    Throwing t;
    t.Start();
    t.WaitFor();
    ASSERT_TRUE(t.FatalException);
    try {
        std::rethrow_exception(t.FatalException);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message, "worker failed");
    }
}

TEST(MainThreadQueue, SynchronizeRethrowsInWorkerAndQueueRunsInOrder)
{
    std::vector<int> order;
    std::atomic<bool> caught{false};
    std::thread worker([&] {
        MainThread::Queue([&] { order.push_back(1); });
        MainThread::Queue([&] { order.push_back(2); });
        try {
            MainThread::Synchronize([] { throw EConvertError("bad"); });
        } catch (const EConvertError&) {
            caught = true;
        }
    });
    EXPECT_TRUE(testsupport::WaitUntil([&] { return caught.load(); }));
    worker.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(TEvent, AutoResetReleasesOneWait)
{
    TEvent e(false, false);
    EXPECT_FALSE(e.WaitFor(std::chrono::milliseconds(1)));
    e.SetEvent();
    EXPECT_TRUE(e.WaitFor(std::chrono::milliseconds(1)));
    EXPECT_FALSE(e.WaitFor(std::chrono::milliseconds(1)));
}

TEST(MainThreadQueue, QueuedCallMayWaitForAThreadWhoseCallIsQueuedBehindIt)
{
    struct SyncOnce : TThread {
        bool ran = false;
        // clang-format off
        void Execute() override { Synchronize([this] { ran = true; }); }
        // clang-format on
    } t;
    std::atomic<int> pushes{0};
    MainThread::SetWakeHook([&] { ++pushes; });
    // First in the queue: a call that waits for the thread (as freeing a transport does).
    MainThread::Queue([&] { t.WaitFor(); });
    t.Start(); // its Synchronize call queues behind the waiting call
    while (pushes.load() < 2) std::this_thread::yield();
    MainThread::SetWakeHook(nullptr);
    MainThread::CheckSynchronize(); // hangs if the waiting call cannot reach the one behind it
    EXPECT_TRUE(t.ran);
    EXPECT_TRUE(t.Finished());
}

namespace {

// SIGTERM taken from a descriptor on the main loop, as the program takes it.
class TerminationWatch {
public:
    TerminationWatch()
    {
        ::sigemptyset(&set_);
        ::sigaddset(&set_, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &set_, &saved_);
        fd_ = ::signalfd(-1, &set_, SFD_CLOEXEC | SFD_NONBLOCK);
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            signalfd_siginfo info;
            while (::read(fd_, &info, sizeof info) == sizeof info) received = std::chrono::steady_clock::now();
        });
    }
    ~TerminationWatch()
    {
        notifier_.reset();
        signalfd_siginfo info;
        while (::read(fd_, &info, sizeof info) == sizeof info) {
        }
        ::close(fd_);
        ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
    }
    std::optional<std::chrono::steady_clock::time_point> received;

private:
    sigset_t set_, saved_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

void BusyFor(std::chrono::microseconds d)
{
    const auto end = std::chrono::steady_clock::now() + d;
    while (std::chrono::steady_clock::now() < end) {
    }
}

} // namespace

TEST(MainThreadQueue, TimersAndSignalsAreServedWhileThreadsQueueCallsFlatOut)
{
    using namespace std::chrono;
    TerminationWatch watch;
    const pid_t mainThread = static_cast<pid_t>(::syscall(SYS_gettid));
    std::atomic<bool> stop{false};
    std::atomic<long> ran{0};
    std::atomic<long> outstanding{0};
    std::vector<std::thread> load;
    // Delivery-like round trips, and calls queued without waiting (kept from growing without end).
    for (int t = 0; t < 4; ++t)
        load.emplace_back([&] {
            while (!stop) MainThread::Synchronize([&] { BusyFor(microseconds(20)); ++ran; });
        });
    for (int t = 0; t < 2; ++t)
        load.emplace_back([&] {
            while (!stop) {
                if (outstanding.load() > 20000) {
                    std::this_thread::yield();
                    continue;
                }
                ++outstanding;
                MainThread::Queue([&] { BusyFor(microseconds(5)); --outstanding; ++ran; });
            }
        });
    // However the main thread fares, the load ends after a while.
    std::thread guard([&] {
        for (int i = 0; i < 100 && !stop; ++i) std::this_thread::sleep_for(milliseconds(50));
        stop = true;
    });

    QEventLoop loop;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(100);
    steady_clock::time_point sent;
    std::thread signaller([&] {
        std::this_thread::sleep_for(milliseconds(300));
        sent = steady_clock::now();
        ::syscall(SYS_tgkill, ::getpid(), mainThread, SIGTERM);
    });
    QTimer::singleShot(1200, &loop, &QEventLoop::quit);
    const auto start = steady_clock::now();
    loop.exec();
    const auto looped = steady_clock::now() - start;
    const bool loadStillRunning = !stop.exchange(true);
    signaller.join();
    guard.join();
    while (outstanding.load() > 0 || ran.load() == 0) MainThread::CheckSynchronize(milliseconds(5));
    for (auto& t : load) t.join();
    MainThread::CheckSynchronize();

    EXPECT_TRUE(loadStillRunning) << "the loop ended only when the load stopped";
    EXPECT_LT(looped, milliseconds(2500));
    // About 12 ticks in 1.2 s; a starved loop gets none.
    EXPECT_GE(ticks, 6);
    ASSERT_TRUE(watch.received.has_value());
    EXPECT_LT(*watch.received - sent, milliseconds(300));
    EXPECT_GT(ran.load(), 1000);
}
