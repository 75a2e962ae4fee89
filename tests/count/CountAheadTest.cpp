#include "count/core/CountAhead.h"

#include <QStringList>

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

// A counter whose result is the length of the path, so every answer can be checked.
int LengthCounter(const QString& strPath)
{
    return int(strPath.size());
}

TEST(CountAhead, EveryQueuedPathGetsItsOwnResult)
{
    CCountAhead ahead(2, LengthCounter);
    const QStringList paths = {"a", "bb", "ccc", "bb", "dddd"};
    ahead.Enqueue(paths);
    for (const QString& p : paths)
        EXPECT_EQ(ahead.Take(p, -1), std::optional<int>(int(p.size()))) << qPrintable(p);
    // Each queued count is handed out once: the duplicate was consumed above.
    EXPECT_EQ(ahead.Take(QStringLiteral("eeeee"), -1), std::optional<int>(5));
}

TEST(CountAhead, TakingAPathNobodyQueuedCountsItFirst)
{
    std::atomic<int> nCalls{0};
    CCountAhead ahead(1, [&](const QString& p) {
        ++nCalls;
        return int(p.size());
    });
    EXPECT_EQ(ahead.Take(QStringLiteral("xyz"), 2000), std::optional<int>(3));
    EXPECT_EQ(nCalls.load(), 1);
}

TEST(CountAhead, TimeoutGivesNothingUntilTheCountIsDone)
{
    std::atomic<bool> bRelease{false};
    CCountAhead ahead(1, [&](const QString&) {
        while (!bRelease)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 7;
    });
    ahead.Enqueue({QStringLiteral("slow")});
    EXPECT_EQ(ahead.Take(QStringLiteral("slow"), 20), std::nullopt);
    bRelease = true;
    EXPECT_EQ(ahead.Take(QStringLiteral("slow"), -1), std::optional<int>(7));
}

TEST(CountAhead, WorkersCountAtTheSameTime)
{
    std::atomic<int> nInside{0};
    std::atomic<int> nMostInside{0};
    CCountAhead ahead(2, [&](const QString&) {
        const int n = ++nInside;
        nMostInside = std::max(nMostInside.load(), n);
        // Wait (bounded) for the other worker to come in too.
        for (int i = 0; i < 2000 && nMostInside < 2; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        --nInside;
        return 1;
    });
    ahead.Enqueue({QStringLiteral("a"), QStringLiteral("b")});
    ahead.Take(QStringLiteral("a"), -1);
    ahead.Take(QStringLiteral("b"), -1);
    EXPECT_EQ(nMostInside.load(), 2);
    EXPECT_EQ(ahead.WorkerCount(), 2);
}

TEST(CountAhead, CancelDropsWhatIsQueuedAndDestructionWaitsForTheWorkers)
{
    std::atomic<int> nCalls{0};
    {
        CCountAhead ahead(1, [&](const QString&) {
            ++nCalls;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return 1;
        });
        QStringList many;
        for (int i = 0; i < 100; ++i)
            many << QString::number(i);
        ahead.Enqueue(many);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ahead.Cancel();
    }
    EXPECT_LT(nCalls.load(), 10);
}

}  // namespace
