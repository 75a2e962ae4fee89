// The list of pagewick-count on its way to the workers: the paths found by the thread that lists
// them, counted by the worker processes, the answers handed back in list order.
#pragma once

#include "count/core/WorkerProcesses.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <functional>
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

// Counts every item of the queue until it is closed and empty, calling onResult(i, item, answer)
// for the i-th item taken, in order of i, as soon as the answers up to i are in; onResult returns
// false to stop everything at once. tick is called now and then (at least every tenth of a second).
// onArrival(i, answer), when given, is called for each answer as it arrives, in any order, before
// onResult has it. Returns false when onResult stopped the run.
bool CountListed(CWorkerProcesses& workers, CItemQueue& items,
                 const std::function<bool(qint64, const QByteArray&, const QByteArray&)>& onResult,
                 const std::function<void()>& tick = {},
                 const std::function<void(qint64, const QByteArray&)>& onArrival = {});
