#include "app/run_task.h"

#include "models/error.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

using namespace vorla;

TEST(RunTask, DeliversTheValueOnTheGuiThread)
{
    QObject context;
    std::stop_source stop;
    std::optional<int> value;
    QThread *workerThread = nullptr;
    QThread *doneThread = nullptr;
    runTask(
        &context, stop.get_token(),
        [&](std::stop_token) {
            workerThread = QThread::currentThread();
            return 42;
        },
        [&](TaskResult<int> result) {
            doneThread = QThread::currentThread();
            value = result.get();
        });
    ASSERT_TRUE(QTest::qWaitFor([&] { return value.has_value(); }, 5000));
    EXPECT_EQ(*value, 42);
    EXPECT_NE(workerThread, QThread::currentThread());
    EXPECT_EQ(doneThread, QThread::currentThread());
}

TEST(RunTask, DeliversTheExceptionThatWorkThrew)
{
    QObject context;
    std::optional<QString> message;
    runTask(
        &context, std::stop_token(),
        [](std::stop_token) -> QString { throw StoreError(QStringLiteral("disk full")); },
        [&](TaskResult<QString> result) {
            try {
                result.get();
            } catch (const Error &error) {
                message = error.message();
            }
        });
    ASSERT_TRUE(QTest::qWaitFor([&] { return message.has_value(); }, 5000));
    EXPECT_EQ(*message, QStringLiteral("disk full"));
}

TEST(RunTask, DropsResultsAfterStopOrContextDestruction)
{
    std::atomic<bool> release = false;
    std::atomic<int> finishedWork = 0;
    bool delivered = false;
    auto work = [&](std::stop_token) {
        while (!release)
            QThread::msleep(1);
        ++finishedWork;
    };
    std::stop_source stop;
    QObject context;
    runTask(&context, stop.get_token(), work, [&](TaskResult<void>) { delivered = true; });
    auto gone = std::make_unique<QObject>();
    runTask(gone.get(), std::stop_token(), work, [&](TaskResult<void>) { delivered = true; });

    stop.request_stop();
    gone.reset();
    release = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return finishedWork == 2; }, 5000));
    QTest::qWait(50);
    EXPECT_FALSE(delivered);
}
