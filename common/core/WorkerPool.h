// Work on files done by worker threads while the GUI thread stays free: results are handed over
// in batches, and a pool that is dropped never waits for a worker still inside a slow file.
#pragma once

#include <QByteArray>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

// Names the calling thread, for profilers and debuggers.
void NameWorkerThread();
// Worker threads that are still inside a piece of work of a pool already dropped, or of one still
// running: the program's end need not wait for them (see ExitWithoutWaiting in main).
int BusyWorkerThreads();
void AddBusyWorker(int nDelta);

template <class Result>
class CWorkerPool {
public:
    using Work = std::function<Result(const QByteArray&)>;
    struct SDone {
        quint64 nTag;
        Result result;
    };

    // nWorkers < 1 means one worker per processor core. notify is called on a worker thread when
    // results are waiting and the last call has been answered by Take(); it must only post.
    CWorkerPool(int nWorkers, Work work, std::function<void()> notify = {})
        : m_pState(std::make_shared<SState>())
    {
        if (nWorkers < 1)
            nWorkers = int(std::max(1u, std::thread::hardware_concurrency()));
        m_nWorkers = nWorkers;
        m_pState->work = std::move(work);
        m_pState->notify = std::move(notify);
    }

    // Drops what is queued and what is being worked on; workers inside a file finish it in the
    // background and their results go nowhere.
    ~CWorkerPool() { Cancel(); }

    CWorkerPool(const CWorkerPool&) = delete;
    CWorkerPool& operator=(const CWorkerPool&) = delete;

    // Queues an item; results come back with its tag. Items are started in the order queued.
    void Enqueue(quint64 nTag, QByteArray item)
    {
        std::lock_guard<std::mutex> lock(m_pState->mutex);
        if (m_pState->bCancelled)
            return;
        m_pState->queue.emplace_back(nTag, std::move(item));
        // Threads are started as the work needs them, up to the pool's size.
        if (m_nStarted < m_nWorkers && int(m_pState->queue.size()) > m_pState->nIdle) {
            std::thread([pState = m_pState] { WorkerLoop(pState); }).detach();
            ++m_nStarted;
        }
        m_pState->wake.notify_one();
    }

    // The results that came in since the last call, in the order they were finished.
    std::vector<SDone> Take()
    {
        std::lock_guard<std::mutex> lock(m_pState->mutex);
        m_pState->bNotified = false;
        std::vector<SDone> done;
        done.swap(m_pState->done);
        return done;
    }

    // True while something is queued or being worked on.
    bool Busy() const
    {
        std::lock_guard<std::mutex> lock(m_pState->mutex);
        return !m_pState->queue.empty() || m_pState->nWorking > 0;
    }

    void Cancel()
    {
        std::lock_guard<std::mutex> lock(m_pState->mutex);
        m_pState->bCancelled = true;
        m_pState->queue.clear();
        m_pState->done.clear();
        m_pState->notify = nullptr;
        m_pState->wake.notify_all();
    }

    int WorkerCount() const { return m_nWorkers; }

private:
    struct SState {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<std::pair<quint64, QByteArray>> queue;
        std::vector<SDone> done;
        Work work;
        std::function<void()> notify;
        int nIdle = 0;
        int nWorking = 0;
        bool bNotified = false;
        bool bCancelled = false;
    };

    static void WorkerLoop(std::shared_ptr<SState> pState)
    {
        NameWorkerThread();
        std::unique_lock<std::mutex> lock(pState->mutex);
        for (;;) {
            ++pState->nIdle;
            pState->wake.wait(lock, [&] { return pState->bCancelled || !pState->queue.empty(); });
            --pState->nIdle;
            if (pState->bCancelled)
                return;
            std::pair<quint64, QByteArray> item = std::move(pState->queue.front());
            pState->queue.pop_front();
            ++pState->nWorking;
            lock.unlock();
            AddBusyWorker(1);
            Result result = pState->work(item.second);
            AddBusyWorker(-1);
            lock.lock();
            --pState->nWorking;
            if (pState->bCancelled)
                return;
            pState->done.push_back({item.first, std::move(result)});
            // One call until the results are taken: a batch, not a call per file.
            if (!pState->bNotified && pState->notify) {
                pState->bNotified = true;
                pState->notify();
            }
        }
    }

    std::shared_ptr<SState> m_pState;
    int m_nWorkers = 1;
    int m_nStarted = 0;
};
