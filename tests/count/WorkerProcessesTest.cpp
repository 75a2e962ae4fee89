#include "count/core/WorkerProcesses.h"

#include <QVector>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace {

QByteArray Square(int i)
{
    return QByteArray::number(i * i);
}

struct SResults {
    QVector<int> order;
    QVector<QByteArray> values;
};

SResults RunWork(int nItems, int nWorkers, const std::function<QByteArray(int)>& work)
{
    SResults r;
    RunInWorkerProcesses(nItems, nWorkers, work, [&](int i, const QByteArray& value) {
        r.order.append(i);
        r.values.append(value);
    });
    return r;
}

TEST(WorkerProcesses, ResultsComeBackInOrderWhateverTheWorkers)
{
    for (const int nWorkers : {1, 2, 4, 0}) {
        const SResults r = RunWork(2000, nWorkers, Square);
        ASSERT_EQ(r.order.size(), 2000) << nWorkers;
        for (int i = 0; i < 2000; ++i) {
            ASSERT_EQ(r.order[i], i) << nWorkers;
            ASSERT_EQ(r.values[i], Square(i)) << nWorkers;
        }
    }
    EXPECT_TRUE(RunWork(0, 2, Square).order.isEmpty());
}

TEST(WorkerProcesses, WorkRunsInOtherProcessesWhenThereAreSeveralWorkers)
{
    const pid_t self = ::getpid();
    const SResults r = RunWork(50, 2, [self](int) { return QByteArray(::getpid() == self ? "here" : "worker"); });
    EXPECT_EQ(r.values.count("here"), 0);
    const SResults one = RunWork(5, 1, [self](int) { return QByteArray(::getpid() == self ? "here" : "worker"); });
    EXPECT_EQ(one.values.count("here"), 5);
}

TEST(WorkerProcesses, LargeResultsArriveWhole)
{
    const SResults r = RunWork(40, 3, [](int i) { return QByteArray(100000 + i, char('a' + i % 26)); });
    ASSERT_EQ(r.values.size(), 40);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(r.values[i], QByteArray(100000 + i, char('a' + i % 26))) << i;
}

TEST(WorkerProcesses, AWorkerThatDiesLosesOnlyTheItemItDiedOn)
{
    // Item 137 kills whichever process works on it, as a crash in a library would.
    const SResults r = RunWork(500, 2, [](int i) {
        if (i == 137)
            ::raise(SIGKILL);
        return Square(i);
    });
    ASSERT_EQ(r.order.size(), 500);
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(r.order[i], i);
        EXPECT_EQ(r.values[i], i == 137 ? QByteArray() : Square(i)) << i;
    }
}

}  // namespace
