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
    // Producers never wait: the list is made whole before it is counted (where no thread can list it
    // while it is counted).
    void Unbind();

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

// What the count of a list does with what comes back.
struct SListedCount {
    // The i-th item taken and its answer, in order of i, as soon as the answers up to i are in;
    // false stops everything at once.
    std::function<bool(qint64 nIndex, const QByteArray& item, const QByteArray& answer)> onResult;
    // Each answer as it arrives, in any order, before onResult has it.
    std::function<void(qint64 nIndex, const QByteArray& answer)> onArrival;
    // Now and then (at least every tenth of a second): the item a worker began longest ago and has
    // not answered, and for how many milliseconds (an empty item when none is being worked on).
    std::function<void(const QByteArray& item, qint64 nWaitedMs)> tick;
    // An item not answered this long after a worker began it is given up (0: never): its answer is
    // giveUp(item, waited), and the worker inside it is let go.
    qint64 nGiveUpMs = 0;
    std::function<QByteArray(const QByteArray& item, qint64 nWaitedMs)> giveUp;
};

// Counts every item of the queue until it is closed and empty. Returns false when onResult stopped
// the run.
bool CountListed(CWorkerProcesses& workers, CItemQueue& items, const SListedCount& count);
