#include "TaskPool.h"

#include <algorithm>
#include <atomic>
#include <thread>

#ifdef __linux__
#include <pthread.h>
#endif

namespace {

std::atomic<int> g_nBusyWorkers{0};

// A counting semaphore of the process's processor slots.
struct SSlots {
    std::mutex mutex;
    std::condition_variable freed;
    int nTotal = int(std::max(1u, std::thread::hardware_concurrency()));
    int nTaken = 0;

    void Take()
    {
        std::unique_lock<std::mutex> lock(mutex);
        freed.wait(lock, [this] { return nTaken < nTotal; });
        ++nTaken;
    }
    void Give()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            --nTaken;
        }
        freed.notify_one();
    }
};

SSlots& Slots()
{
    static SSlots slots;
    return slots;
}

thread_local bool t_bHoldsSlot = false;

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

void AddBusyWorker(int nDelta)
{
    g_nBusyWorkers += nDelta;
}

void SetProcessorSlots(int nSlots)
{
    SSlots& slots = Slots();
    {
        std::lock_guard<std::mutex> lock(slots.mutex);
        slots.nTotal = std::max(1, nSlots);
    }
    slots.freed.notify_all();
}

CProcessorSlot::CProcessorSlot() : m_bTaken(!t_bHoldsSlot)
{
    if (m_bTaken) {
        Slots().Take();
        t_bHoldsSlot = true;
    }
}

CProcessorSlot::~CProcessorSlot()
{
    if (m_bTaken) {
        t_bHoldsSlot = false;
        Slots().Give();
    }
}

CWaitingForFiles::CWaitingForFiles() : m_bGaveBack(t_bHoldsSlot)
{
    if (m_bGaveBack) {
        t_bHoldsSlot = false;
        Slots().Give();
    }
}

CWaitingForFiles::~CWaitingForFiles()
{
    if (m_bGaveBack) {
        Slots().Take();
        t_bHoldsSlot = true;
    }
}

CTaskPool::CTaskPool(int nThreads)
    : m_pState(std::make_shared<SState>()), m_nThreads(nThreads < 1 ? kFilesInFlight : nThreads)
{
}

CTaskPool::~CTaskPool()
{
    Cancel();
}

void CTaskPool::Post(std::function<void()> task, EPriority ePriority)
{
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    if (m_pState->bCancelled)
        return;
    (ePriority == EPriority::Now ? m_pState->now : m_pState->ahead).push_back(std::move(task));
    const int nQueued = int(m_pState->now.size() + m_pState->ahead.size());
    // Threads are started as the work needs them, up to the pool's size.
    if (m_nStarted < m_nThreads && nQueued > m_pState->nIdle) {
        std::thread([pState = m_pState] { ThreadLoop(pState); }).detach();
        ++m_nStarted;
    }
    m_pState->wake.notify_one();
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

void CTaskPool::ThreadLoop(std::shared_ptr<SState> pState)
{
    NameWorkerThread();
    std::unique_lock<std::mutex> lock(pState->mutex);
    for (;;) {
        ++pState->nIdle;
        pState->wake.wait(lock, [&] { return pState->bCancelled || !pState->now.empty() || !pState->ahead.empty(); });
        --pState->nIdle;
        if (pState->bCancelled)
            return;
        std::deque<std::function<void()>>& queue = pState->now.empty() ? pState->ahead : pState->now;
        std::function<void()> task = std::move(queue.front());
        queue.pop_front();
        ++pState->nRunning;
        lock.unlock();
        AddBusyWorker(1);
        {
            CProcessorSlot slot;
            task();
            // What the task captured goes with it, outside the lock.
            task = nullptr;
        }
        AddBusyWorker(-1);
        lock.lock();
        --pState->nRunning;
    }
}
