// Work on files done by worker threads ahead of the one who needs the results: the GUI thread
// only writes rows while workers read the files, and a slow file never freezes the window.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Names the calling thread, for profilers and debuggers.
void NameWorkerThread();

template <class Result>
class CWorkAhead {
public:
    using Work = std::function<Result(const QString&)>;

    // nWorkers < 1 means one worker per processor core. A waiting taker is woken when nBatch
    // results are ready (or nothing is left to do), so it hands over once per batch, not per file.
    CWorkAhead(int nWorkers, Work work, int nBatch = 32) : m_work(std::move(work)), m_nBatch(std::max(1, nBatch))
    {
        if (nWorkers < 1)
            nWorkers = int(std::max(1u, std::thread::hardware_concurrency()));
        m_workers.reserve(size_t(nWorkers));
        for (int i = 0; i < nWorkers; ++i)
            m_workers.emplace_back([this] { WorkerLoop(); });
    }

    ~CWorkAhead()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bStopping = true;
            m_queue.clear();
        }
        m_wakeWorkers.notify_all();
        for (std::thread& t : m_workers)
            t.join();
    }

    CWorkAhead(const CWorkAhead&) = delete;
    CWorkAhead& operator=(const CWorkAhead&) = delete;

    // Queues paths, in this order. A path queued twice is worked on twice.
    void Enqueue(const QStringList& paths)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.insert(m_queue.end(), paths.begin(), paths.end());
        }
        m_wakeWorkers.notify_all();
    }

    // The result for a path, waiting at most nTimeoutMs (negative: no limit). A path that nobody
    // works on yet goes to the front of the queue. Each queued result is handed out once. When
    // it has to wait, it waits for a batch of results, so that the next calls find theirs ready.
    std::optional<Result> Take(const QString& strPath, int nTimeoutMs)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!Ready(strPath)) {
            if (!m_inFlight.contains(strPath)) {
                // Usually it is the front of the queue already.
                const auto it = std::find(m_queue.begin(), m_queue.end(), strPath);
                if (it != m_queue.end())
                    m_queue.erase(it);
                m_queue.push_front(strPath);
                m_wakeWorkers.notify_one();
            }
            const auto done = [&] { return Ready(strPath) && BatchReady(); };
            m_bTakerWaiting = true;
            bool bDone = true;
            if (nTimeoutMs < 0)
                m_resultReady.wait(lock, done);
            else
                bDone = m_resultReady.wait_for(lock, std::chrono::milliseconds(nTimeoutMs), done);
            m_bTakerWaiting = false;
            // A timeout with the result there (its batch not yet full) still hands it out.
            if (!bDone && !Ready(strPath))
                return std::nullopt;
        }
        auto it = m_results.find(strPath);
        Result result = std::move(it->front());
        it->pop_front();
        if (it->empty())
            m_results.erase(it);
        --m_nReady;
        return result;
    }

    // Drops what is still queued; the workers finish the file they are on.
    void Cancel()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.clear();
    }

    int WorkerCount() const { return int(m_workers.size()); }

private:
    bool Ready(const QString& strPath) const
    {
        const auto it = m_results.find(strPath);
        return it != m_results.end() && !it->empty();
    }

    bool BatchReady() const { return m_nReady >= m_nBatch || (m_queue.empty() && m_inFlight.isEmpty()); }

    void WorkerLoop()
    {
        NameWorkerThread();
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wakeWorkers.wait(lock, [this] { return m_bStopping || !m_queue.empty(); });
            if (m_bStopping)
                return;
            const QString strPath = std::move(m_queue.front());
            m_queue.pop_front();
            ++m_inFlight[strPath];
            lock.unlock();
            Result result = m_work(strPath);
            lock.lock();
            if (--m_inFlight[strPath] == 0)
                m_inFlight.remove(strPath);
            m_results[strPath].push_back(std::move(result));
            ++m_nReady;
            if (m_bTakerWaiting && BatchReady())
                m_resultReady.notify_all();
        }
    }

    Work m_work;
    int m_nBatch;
    std::mutex m_mutex;
    std::condition_variable m_wakeWorkers;
    std::condition_variable m_resultReady;
    std::deque<QString> m_queue;
    QHash<QString, int> m_inFlight;         // path -> how many workers are on it now
    QHash<QString, std::deque<Result>> m_results;
    int m_nReady = 0;                       // results not yet taken
    bool m_bTakerWaiting = false;
    bool m_bStopping = false;
    std::vector<std::thread> m_workers;
};

// Page counts, by CountPages unless another counter is given.
class CCountAhead : public CWorkAhead<int> {
public:
    explicit CCountAhead(int nWorkers = 0, Work counter = Work(), int nBatch = 32);
};
