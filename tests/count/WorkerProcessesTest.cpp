#include "count/cli/ListCount.h"
#include "common/core/TaskPool.h"
#include "count/core/WorkerProcesses.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QVector>

#include <gtest/gtest.h>

#include <QSet>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <ctime>
#include <thread>
#include <vector>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
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

// Items are their numbers; they are queued from another thread while the workers work, as a walk
// lists files while they are counted.
RequestHandler Handler(const std::function<QByteArray(int)>& work)
{
    return [work](const QByteArray& item, IReplySink&) { return work(item.toInt()); };
}

// Workers that answer each item with itself, taking this long over the one item named.
std::shared_ptr<CWorkerSpawner> EchoSlowOn(const QByteArray& slow, std::chrono::milliseconds time)
{
    return CWorkerSpawner::Fork([slow, time](const QByteArray& item, IReplySink&) {
        if (item == slow)
            std::this_thread::sleep_for(time);
        return item;
    });
}

// The items 0 to nItems - 1, all queued at once.
void QueueNumbers(CItemQueue& queue, int nItems)
{
    for (int i = 0; i < nItems; ++i)
        queue.Push(QByteArray::number(i));
    queue.Close();
}

bool RunItems(int nItems, int nWorkers, const std::function<QByteArray(int)>& work,
              const std::function<bool(int, const QByteArray&)>& onResult, int nInFlight = 0,
              bool bProcesses = true)
{
    CWorkerProcesses workers(bProcesses ? CWorkerSpawner::Fork(Handler(work)) : CWorkerSpawner::InThisProcess(Handler(work)),
                             {nWorkers, nInFlight});
    CItemQueue queue(64);
    std::thread producer([&] {
        for (int i = 0; i < nItems && queue.Push(QByteArray::number(i)); ++i) {
        }
        queue.Close();
    });
    SListedCount count;
    count.onResult = [&](qint64 nIndex, const QByteArray& item, const QByteArray& result) {
        EXPECT_EQ(item.toInt(), int(nIndex));
        return onResult(int(nIndex), result);
    };
    const bool bWhole = CountListed(workers, queue, count);
    producer.join();
    return bWhole;
}

SResults RunWork(int nItems, int nWorkers, const std::function<QByteArray(int)>& work, int nInFlight = 0,
                 bool bProcesses = true)
{
    SResults r;
    RunItems(nItems, nWorkers, work, [&](int i, const QByteArray& value) {
        r.order.append(i);
        r.values.append(value);
        return true;
    }, nInFlight, bProcesses);
    return r;
}

TEST(WorkerProcesses, ResultsComeBackInOrderWhateverTheWorkers)
{
    for (const int nWorkers : {1, 2, 4, 0, -1}) {
        // Later items are quicker: they are done before the earlier ones are handed back. -1: no
        // processes, the work done by threads of the program.
        const SResults r = RunWork(2000, nWorkers, [](int i) {
            if (i % 100 == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return Square(i);
        }, 0, nWorkers >= 0);
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
    EXPECT_EQ(one.values.count("worker"), 5);
    const SResults here =
        RunWork(5, 2, [self](int) { return QByteArray(::getpid() == self ? "here" : "worker"); }, 0, false);
    EXPECT_EQ(here.values.count("here"), 5);
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

TEST(WorkerProcesses, WhatADeadWorkerHeldGoesToTheOthersNotToOneProcessEach)
{
    // Every tenth item kills its worker once (a marker file tells the second try apart). One item
    // at a time in each worker: a killer begun beside another would take the other's try too.
    const QByteArray marker = "/tmp/pagewick-worker-test-" + QByteArray::number(::getpid()) + "-";
    const SResults r = RunWork(400, 2, [&](int i) {
        if (i % 10 == 3) {
            const QByteArray mark = marker + QByteArray::number(i);
            if (::access(mark.constData(), F_OK) != 0) {
                ::close(::open(mark.constData(), O_CREAT | O_WRONLY, 0600));
                ::raise(SIGKILL);
            }
        }
        return QByteArray::number(::getpid());
    }, 2);
    for (int i = 3; i < 400; i += 10)
        ::unlink((marker + QByteArray::number(i)).constData());
    ASSERT_EQ(r.values.size(), 400);
    QSet<QByteArray> pids;
    for (int i = 0; i < 400; ++i) {
        EXPECT_FALSE(r.values[i].isEmpty()) << i;   // the second try of a killer item succeeds
        pids.insert(r.values[i]);
    }
    // Forty deaths, each replaced by one new worker: never a process per item left behind.
    EXPECT_LE(pids.size(), 2 + 40);
    EXPECT_FALSE(pids.contains(QByteArray::number(::getpid())));
}

TEST(WorkerProcesses, EachWorkerWorksOnSeveralItemsAtOnce)
{
    // Sixteen items that each wait a tenth of a second take far less than 16 tenths in flight.
    QElapsedTimer clock;
    clock.start();
    const SResults r = RunWork(16, 2, [](int i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return Square(i);
    }, 16);
    EXPECT_EQ(r.values.size(), 16);
    EXPECT_LT(clock.elapsed(), 800);
}

TEST(WorkerProcesses, ARefusedResultEndsEverythingAtOnce)
{
    int nDelivered = 0;
    const bool bWhole = RunItems(
        1000, 2, [](int i) { return Square(i); },
        [&](int i, const QByteArray&) {
            ++nDelivered;
            return i < 9;
        });
    EXPECT_FALSE(bWhole);
    EXPECT_EQ(nDelivered, 10);
}

// Each result is told as it arrives, before its turn in order: the quick items after a slow first
// one arrive while it is still being worked on.
TEST(WorkerProcesses, ResultsAreToldAsTheyArriveInAnyOrder)
{
    for (const int nWorkers : {1, 2}) {
        CWorkerProcesses workers(EchoSlowOn("0", std::chrono::milliseconds(300)), {nWorkers, 8});
        CItemQueue queue;
        QueueNumbers(queue, 50);
        QVector<qint64> arrived;
        SListedCount count;
        count.onResult = [&](qint64 nIndex, const QByteArray&, const QByteArray& result) {
            EXPECT_TRUE(arrived.contains(nIndex)) << nIndex;
            EXPECT_EQ(result, QByteArray::number(nIndex));
            return true;
        };
        count.onArrival = [&](qint64 nIndex, const QByteArray& result) {
            EXPECT_EQ(result, QByteArray::number(nIndex));
            arrived.append(nIndex);
        };
        CountListed(workers, queue, count);
        ASSERT_EQ(arrived.size(), 50) << nWorkers;
        EXPECT_GT(arrived.indexOf(0), 40) << nWorkers;
        EXPECT_EQ(QSet<qint64>(arrived.begin(), arrived.end()).size(), 50) << nWorkers;
    }
}

// An item that never answers (a share that stopped) is named while it is waited for, and, with a
// limit, given up: the rest of the list is counted, the run ends, and the worker stuck in it is let go.
TEST(WorkerProcesses, AnItemThatNeverAnswersIsNamedAndGivenUp)
{
    CWorkerProcesses workers(EchoSlowOn("3", std::chrono::hours(1)), {2, 4});
    CItemQueue queue;
    QueueNumbers(queue, 20);
    QVector<QByteArray> results;
    QByteArray named;
    SListedCount count;
    count.onResult = [&](qint64, const QByteArray&, const QByteArray& result) {
        results.append(result);
        return true;
    };
    count.tick = [&](const QByteArray& item, qint64 nWaitedMs) {
        if (nWaitedMs >= 200)
            named = item;
    };
    count.nGiveUpMs = 500;
    count.giveUp = [](const QByteArray& item, qint64 nWaitedMs) {
        EXPECT_GE(nWaitedMs, 500);
        return "no answer from " + item;
    };
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(CountListed(workers, queue, count));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(named, QByteArray("3"));
    ASSERT_EQ(results.size(), 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(results[i], i == 3 ? QByteArray("no answer from 3") : QByteArray::number(i)) << i;
}

// A worker stuck in a request that was given up is let go, and what else it holds goes to the
// others; a request that has sent parts (a walk's files) stays with it to its end, told once.
TEST(WorkerProcesses, AWorkerLetGoKeepsTheRequestWhosePartsWentOut)
{
    CWorkerProcesses workers(CWorkerSpawner::Fork([](const QByteArray& item, IReplySink& sink) {
                                 if (item == "stuck")
                                     std::this_thread::sleep_for(std::chrono::hours(1));
                                 if (item == "parts") {
                                     sink.Part("found");
                                     std::this_thread::sleep_for(std::chrono::milliseconds(2500));
                                 }
                                 return item;
                             }),
                             {1, 8});
    const qint64 nStuck = workers.Submit("stuck");
    const qint64 nParts = workers.Submit("parts");
    workers.Submit("quick");
    int nPartsSeen = 0;
    QVector<QByteArray> done;
    bool bCancelled = false;
    QElapsedTimer clock;
    clock.start();
    while (done.size() < 2 && clock.elapsed() < 20000) {
        for (const SWorkEvent& event : workers.Pump()) {
            if (event.eKind == SWorkEvent::EKind::Part && event.nId == nParts)
                ++nPartsSeen;
            if (event.eKind == SWorkEvent::EKind::Done)
                done.append(event.bytes);
        }
        // Given up once the other two are under way.
        if (!bCancelled && nPartsSeen > 0) {
            workers.Cancel(nStuck);
            bCancelled = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(nPartsSeen, 1);
    EXPECT_EQ(done, QVector<QByteArray>({"quick", "parts"}));
}

// Where neither a process nor a thread can be had, the work is done all the same, here, and the
// engine says why. The test runs again in a process of its own whose address space leaves no room
// for another thread's stack (a process that has ended threads keeps their stacks for new ones).
TEST(WorkerProcesses, WithoutProcessesOrThreadsTheWorkIsDoneHere)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's shadow memory leaves no address-space limit to set";
#endif
    if (qEnvironmentVariableIsEmpty("PAGEWICK_NO_ROOM")) {
        QProcess again;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PAGEWICK_NO_ROOM"), QStringLiteral("1"));
        again.setProcessEnvironment(env);
        again.start(QStringLiteral("/proc/self/exe"),
                    {QStringLiteral("--gtest_filter=WorkerProcesses.WithoutProcessesOrThreadsTheWorkIsDoneHere")});
        ASSERT_TRUE(again.waitForFinished(60000));
        EXPECT_EQ(again.exitCode(), 0) << again.readAllStandardOutput().constData();
        return;
    }
    QFile status(QStringLiteral("/proc/self/status"));
    ASSERT_TRUE(status.open(QIODevice::ReadOnly));
    const QByteArray lines = status.readAll();
    const qsizetype nAt = lines.indexOf("VmSize:") + 7;
    const rlim_t nSize = rlim_t(lines.mid(nAt, lines.indexOf('\n', nAt) - nAt).trimmed().split(' ')[0].toLongLong()) * 1024;
    // Room for the heap to grow a little, not for a thread's stack of a megabyte.
    const rlimit limit{nSize + 768 * 1024, nSize + 768 * 1024};
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &limit), 0);
    ASSERT_FALSE(StartDetachedThread([] {}));
    CWorkerProcesses workers(CWorkerSpawner::InThisProcess([](const QByteArray& item, IReplySink&) { return item + "!"; }),
                             {2, 8});
    for (int i = 0; i < 5; ++i)
        workers.Submit(QByteArray::number(i));
    QList<QByteArray> answers;
    for (const SWorkEvent& event : workers.Pump()) {
        if (event.eKind == SWorkEvent::EKind::Done)
            answers.append(event.bytes);
    }
    EXPECT_EQ(answers, QList<QByteArray>({"0!", "1!", "2!", "3!", "4!"}));
    EXPECT_TRUE(workers.InProcessReason().startsWith(QLatin1String("cannot make worker processes")));
}

// A worker works on a few requests at once (one, and those a few milliseconds of its work ahead)
// while its work computes, and on as many as it has threads while its work waits in the kernel,
// as a share's round trips do.
TEST(WorkerProcesses, WorkThatWaitsRunsManyAtOnceWorkThatComputesAFewAtATime)
{
    struct SCase {
        const char* pszName;
        bool bWaits;
        int nLeast;     // requests at once in a worker, lately
        int nMost;
    };
    for (const SCase& c : {SCase{"computes", false, 1, 3}, SCase{"waits", true, 6, 9}}) {
        // Each answer says how many requests its worker was working on as it began.
        const SResults r = RunWork(120, 2, [&c](int) {
            static std::atomic<int> nAtOnce{0};
            const int nNow = ++nAtOnce;
            if (c.bWaits) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            } else {
                // 3 ms of the processor: several at once on one core take longer each, as real
                // work does.
                const auto cpu = [] {
                    timespec t;
                    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
                    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
                };
                const qint64 nUntil = cpu() + 3000000;
                while (cpu() < nUntil) {
                }
            }
            --nAtOnce;
            return QByteArray::number(nNow);
        }, 16);
        ASSERT_EQ(r.values.size(), 120) << c.pszName;
        // Lately, as a rule: a busy machine may make one moment look different.
        std::vector<int> atOnce;
        for (int i = 80; i < 120; ++i)
            atOnce.push_back(r.values[i].toInt());
        std::nth_element(atOnce.begin(), atOnce.begin() + 20, atOnce.end());
        EXPECT_LE(atOnce[20], c.nMost) << c.pszName;
        EXPECT_GE(atOnce[20], c.nLeast) << c.pszName;
    }
}

}  // namespace
