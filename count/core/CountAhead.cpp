#include "CountAhead.h"

#include "PageCounter.h"

#include <algorithm>
#include <chrono>

CCountAhead::CCountAhead(int nWorkers, Counter counter) : m_counter(counter ? std::move(counter) : Counter(CountPages))
{
    if (nWorkers < 1)
        nWorkers = int(std::max(1u, std::thread::hardware_concurrency()));
    m_workers.reserve(size_t(nWorkers));
    for (int i = 0; i < nWorkers; ++i)
        m_workers.emplace_back([this] { Work(); });
}

CCountAhead::~CCountAhead()
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

void CCountAhead::Enqueue(const QStringList& paths)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.insert(m_queue.end(), paths.begin(), paths.end());
    }
    m_wakeWorkers.notify_all();
}

std::optional<int> CCountAhead::Take(const QString& strPath, int nTimeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto ready = [&] {
        const auto it = m_results.find(strPath);
        return it != m_results.end() && !it->empty();
    };
    if (!ready() && !m_inFlight.contains(strPath)) {
        // Not being counted: bring it to the front. Usually it is the front already.
        const auto it = std::find(m_queue.begin(), m_queue.end(), strPath);
        if (it != m_queue.end())
            m_queue.erase(it);
        m_queue.push_front(strPath);
        m_wakeWorkers.notify_one();
    }
    if (nTimeoutMs < 0)
        m_resultReady.wait(lock, ready);
    else if (!m_resultReady.wait_for(lock, std::chrono::milliseconds(nTimeoutMs), ready))
        return std::nullopt;
    auto it = m_results.find(strPath);
    const int nResult = it->front();
    it->pop_front();
    if (it->empty())
        m_results.erase(it);
    return nResult;
}

void CCountAhead::Cancel()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.clear();
}

void CCountAhead::Work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wakeWorkers.wait(lock, [this] { return m_bStopping || !m_queue.empty(); });
        if (m_bStopping)
            return;
        const QString strPath = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_inFlight[strPath];
        lock.unlock();
        const int nResult = m_counter(strPath);
        lock.lock();
        if (--m_inFlight[strPath] == 0)
            m_inFlight.remove(strPath);
        m_results[strPath].push_back(nResult);
        m_resultReady.notify_all();
    }
}
