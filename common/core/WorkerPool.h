// Work on files done by worker threads while the GUI thread stays free: results are handed over
// in batches, and a pool that is dropped never waits for a worker still inside a slow file.
#pragma once

#include "TaskPool.h"

#include <QByteArray>

#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

template <class Result>
class CWorkerPool {
public:
    using Work = std::function<Result(const QByteArray&)>;
    struct SDone {
        quint64 nTag;
        Result result;
    };

    // nWorkers < 1 means kFilesInFlight: the work is mostly waiting for the file system. notify is
    // called on a worker thread when results are waiting and the last call has been answered by
    // Take(); it must only post.
    CWorkerPool(int nWorkers, Work work, std::function<void()> notify = {})
        : m_pState(std::make_shared<SState>()), m_tasks(nWorkers)
    {
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
        m_tasks.Post([pState = m_pState, nTag, item = std::move(item)] {
            Result result = pState->work(item);
            std::lock_guard<std::mutex> lock(pState->mutex);
            if (pState->bCancelled)
                return;
            pState->done.push_back({nTag, std::move(result)});
            // One call until the results are taken: a batch, not a call per file.
            if (!pState->bNotified && pState->notify) {
                pState->bNotified = true;
                pState->notify();
            }
        });
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
    bool Busy() const { return m_tasks.Busy(); }

    void Cancel()
    {
        m_tasks.Cancel();
        std::lock_guard<std::mutex> lock(m_pState->mutex);
        m_pState->bCancelled = true;
        m_pState->done.clear();
        m_pState->notify = nullptr;
    }

private:
    struct SState {
        std::mutex mutex;
        std::vector<SDone> done;
        Work work;
        std::function<void()> notify;
        bool bNotified = false;
        bool bCancelled = false;
    };

    std::shared_ptr<SState> m_pState;
    CTaskPool m_tasks;
};
