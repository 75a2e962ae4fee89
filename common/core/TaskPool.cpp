#include "TaskPool.h"

#include <algorithm>
#include <atomic>
#include <cerrno>

#include <pthread.h>

namespace {

std::atomic<int> g_nBusyWorkers{0};

// Enough for libtiff's walk of a directory and the program's own frames, which never recurse.
constexpr size_t kStackBytes = 1024 * 1024;

void* RunThread(void* pRun)
{
    std::unique_ptr<std::function<void()>> run(static_cast<std::function<void()>*>(pRun));
    (*run)();
    return nullptr;
}

}  // namespace

void NameWorkerThread()
{
#ifdef __linux__
    pthread_setname_np(pthread_self(), "pagewick-work");
#endif
}

int BusyWorkerThreads()
{
    return g_nBusyWorkers.load();
}

bool StartDetachedThread(std::function<void()> run)
{
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0)
        return false;
    pthread_attr_setstacksize(&attr, kStackBytes);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    auto* pRun = new std::function<void()>(std::move(run));
    pthread_t thread;
    const int nError = pthread_create(&thread, &attr, RunThread, pRun);
    pthread_attr_destroy(&attr);
    if (nError != 0) {
        delete pRun;
        errno = nError;
        return false;
    }
    return true;
}

CTaskPool::CTaskPool(int nThreads) : m_pState(std::make_shared<SState>())
{
    m_pState->nMostThreads = nThreads < 1 ? kFilesInFlight : nThreads;
}

CTaskPool::~CTaskPool()
{
    Cancel();
}

void CTaskPool::Post(std::function<void()> task, EPriority ePriority)
{
    SState& s = *m_pState;
    std::unique_lock<std::mutex> lock(s.mutex);
    if (s.bCancelled)
        return;
    (ePriority == EPriority::Now ? s.now : s.ahead).push_back(std::move(task));
    const int nQueued = int(s.now.size() + s.ahead.size());
    if (nQueued > s.nIdle && s.nStarted < s.nMostThreads) {
        ++s.nStarted;
        if (!StartDetachedThread([pState = m_pState] { ThreadLoop(pState); })) {
            --s.nStarted;
            if (s.nStarted == 0) {
                // No thread at all: the work is done here, so that nothing waits for a thread that
                // never comes.
                std::function<void()> first = std::move(s.now.empty() ? s.ahead.front() : s.now.front());
                (s.now.empty() ? s.ahead : s.now).pop_front();
                ++s.nRunning;
                lock.unlock();
                ++g_nBusyWorkers;
                first();
                --g_nBusyWorkers;
                lock.lock();
                --s.nRunning;
                return;
            }
        }
    }
    s.wake.notify_one();
}

void CTaskPool::Cancel()
{
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    m_pState->bCancelled = true;
    m_pState->now.clear();
    m_pState->ahead.clear();
    m_pState->wake.notify_all();
}

bool CTaskPool::Busy() const
{
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    return !m_pState->now.empty() || !m_pState->ahead.empty() || m_pState->nRunning > 0;
}

void CTaskPool::ThreadLoop(const std::shared_ptr<SState>& pState)
{
    NameWorkerThread();
    SState& s = *pState;
    std::unique_lock<std::mutex> lock(s.mutex);
    for (;;) {
        ++s.nIdle;
        s.wake.wait(lock, [&] { return s.bCancelled || !s.now.empty() || !s.ahead.empty(); });
        --s.nIdle;
        if (s.bCancelled)
            break;
        std::deque<std::function<void()>>& queue = s.now.empty() ? s.ahead : s.now;
        std::function<void()> task = std::move(queue.front());
        queue.pop_front();
        ++s.nRunning;
        lock.unlock();
        ++g_nBusyWorkers;
        task();
        // What the task captured goes with it, outside the lock.
        task = nullptr;
        --g_nBusyWorkers;
        lock.lock();
        --s.nRunning;
    }
    --s.nStarted;
}

void ForEachAtOnce(CTaskPool& pool, int nItems, const std::function<void(int)>& work)
{
    const int nSlices = std::min(pool.ThreadCount(), nItems);
    if (nSlices <= 0)
        return;
    std::mutex mutex;
    std::condition_variable allDone;
    int nLeft = nSlices;
    for (int s = 0; s < nSlices; ++s) {
        pool.Post([&, nFirst = nItems * s / nSlices, nEnd = nItems * (s + 1) / nSlices] {
            for (int i = nFirst; i < nEnd; ++i)
                work(i);
            std::lock_guard<std::mutex> lock(mutex);
            if (--nLeft == 0)
                allDone.notify_one();
        });
    }
    std::unique_lock<std::mutex> lock(mutex);
    allDone.wait(lock, [&] { return nLeft == 0; });
}
