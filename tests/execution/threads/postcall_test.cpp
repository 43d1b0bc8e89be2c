#include "execution/threads/postcall.h"

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

namespace qv {
namespace {

// A worker thread with its event loop and an object living on it.
struct Worker
{
    QThread thread;
    std::unique_ptr<QObject> object = std::make_unique<QObject>();

    Worker()
    {
        object->moveToThread(&thread);
        thread.start();
    }
    ~Worker()
    {
        thread.quit();
        thread.wait();
    }
};

TEST(PostCall, CallsRunOnTheContextsThreadInTheOrderTheyWerePosted)
{
    Worker worker;
    std::vector<int> order; // written on the worker only
    std::atomic<bool> elsewhere = false;
    for (int i = 0; i < 50; ++i)
        PostCall(worker.object.get(), [&, i] {
            if (QThread::currentThread() != &worker.thread)
                elsewhere = true;
            order.push_back(i);
        });
    CallAndWait(worker.object.get(), [] {});
    EXPECT_FALSE(elsewhere);
    ASSERT_EQ(order.size(), 50U);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
}

TEST(PostCall, CallAndWaitReturnsWhatTheOtherThreadWrote)
{
    Worker worker;
    int answer = 0;
    std::thread::id ranOn;
    CallAndWait(worker.object.get(), [&] {
        answer = 42;
        ranOn = std::this_thread::get_id();
    });
    EXPECT_EQ(answer, 42);
    EXPECT_NE(ranOn, std::this_thread::get_id());
}

TEST(PostCall, CallAndWaitOnItsOwnThreadRunsAtOnce)
{
    QObject here;
    bool ran = false;
    CallAndWait(&here, [&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(PostCall, ACallWhoseContextIsDestroyedFirstIsDroppedAndReleasesWhatItCaptured)
{
    Worker worker;
    auto captured = std::make_shared<int>(7);
    std::weak_ptr<int> watch = captured;
    std::atomic<bool> ran = false;
    QObject *doomed = new QObject; // deleted on the worker below
    doomed->moveToThread(&worker.thread);
    // The worker is held in a call until the context is gone, so the call
    // posted to it meanwhile finds it destroyed.
    std::promise<void> gate;
    std::shared_future<void> open = gate.get_future().share();
    PostCall(worker.object.get(), [open, doomed] {
        open.wait();
        delete doomed;
    });
    PostCall(doomed, [&ran, captured = std::move(captured)] { ran = true; });
    gate.set_value();
    CallAndWait(worker.object.get(), [] {});
    EXPECT_FALSE(ran);
    EXPECT_TRUE(watch.expired());
}

TEST(PostCall, ACallPostedToAThreadThatEndedIsDroppedAtOnceWithWhatItCaptured)
{
    auto worker = std::make_unique<Worker>();
    worker->thread.quit();
    worker->thread.wait();
    auto captured = std::make_shared<int>(7);
    std::weak_ptr<int> watch = captured;
    bool ran = false;
    PostCall(worker->object.get(), [&ran, captured = std::move(captured)] { ran = true; });
    EXPECT_TRUE(watch.expired());
    CallAndWait(worker->object.get(), [&ran] { ran = true; }); // returns, does not hang
    worker.reset();
    EXPECT_FALSE(ran);
}

} // namespace
} // namespace qv
