#include <atomic>
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
        void Execute() override { while (!Terminated()) { ++turns; std::this_thread::yield(); } }
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
        void Execute() override { Synchronize([this] { ran = true; }); }
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
