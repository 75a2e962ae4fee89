// Runs pieces of work on worker processes, each working on several at once, and hands their
// results back in order while new pieces keep arriving.
#pragma once

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// Items handed from the threads that find them to the one that has them worked on. It holds a few
// thousand at most: a producer waits while it is full, so a list of any length keeps memory flat.
class CItemQueue {
public:
    explicit CItemQueue(size_t nCapacity = 4096);
    ~CItemQueue();
    CItemQueue(const CItemQueue&) = delete;
    CItemQueue& operator=(const CItemQueue&) = delete;

    // For producers: waits while the queue is full; false once the consumer has gone.
    bool Push(QByteArray item);
    // No more items will come.
    void Close();

    // For the consumer: up to nMax items without waiting; false once it is closed and empty.
    bool Take(std::deque<QByteArray>* pItems, size_t nMax);
    // Readable while items wait or the queue was closed (for poll).
    int WakeFd() const { return m_wake[0]; }
    // The consumer has gone: producers stop.
    void Abandon();

private:
    std::mutex m_mutex;
    std::condition_variable m_room;
    std::deque<QByteArray> m_items;
    size_t m_nCapacity;
    bool m_bClosed = false;
    bool m_bAbandoned = false;
    bool m_bSignalled = false;
    int m_wake[2] = {-1, -1};
};

struct SWorkerSettings {
    int nWorkers = 0;       // processes; < 1: one per processor core
    int nInFlight = 0;      // items worked on at once in all; < 1: kFilesInFlight
};

// Worker processes that do work(item) for the items of a queue and hand the results back in the
// order the items were taken.
//
// Where the platform allows, the workers are processes of their own, made by a small process that
// is forked when this object is made (so make it before starting any thread): a worker that crashes
// takes only itself down. The items it held go to the other workers (and to one new worker in its
// place), each alone, so that the one it died on is known; that one gets one more try, and comes
// back as an empty result when the second worker dies on it too. work should therefore never return
// an empty result itself. Workers end when this process ends, however it ends. With one worker, or
// where processes cannot be made, the work runs here.
class CWorkerProcesses {
public:
    using Work = std::function<QByteArray(const QByteArray&)>;

    CWorkerProcesses(const SWorkerSettings& settings, Work work);
    ~CWorkerProcesses();
    CWorkerProcesses(const CWorkerProcesses&) = delete;
    CWorkerProcesses& operator=(const CWorkerProcesses&) = delete;

    // Works on every item of the queue until it is closed and empty, calling onResult(i, item,
    // result) for the i-th item taken, in order of i, as soon as the results up to i are in;
    // onResult returns false to stop everything at once. tick is called now and then (at least
    // every tenth of a second) while work goes on. onArrival(i, result), when given, is called for
    // each result as it arrives, in any order, before onResult has it. Returns false when onResult
    // stopped the run.
    bool Run(CItemQueue& items, const std::function<bool(qint64, const QByteArray&, const QByteArray&)>& onResult,
             const std::function<void()>& tick = {},
             const std::function<void(qint64, const QByteArray&)>& onArrival = {});

private:
    struct SState;
    std::unique_ptr<SState> m_pState;
};
