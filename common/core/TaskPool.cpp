#include "TaskPool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#ifdef __linux__
#include <pthread.h>
#endif

namespace {

std::atomic<int> g_nBusyWorkers{0};

// A counting semaphore of the process's processor slots, handed out in the order asked for: a
// thread that gives its slot back hands it straight to the longest waiting one.
struct SSlots {
    struct SWaiter {
        std::condition_variable granted;
        bool bGranted = false;
    };

    std::mutex mutex;
    std::deque<SWaiter*> waiting;
    int nTotal = int(std::max(1u, std::thread::hardware_concurrency()));
    int nTaken = 0;

    void Take()
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (nTaken < nTotal && waiting.empty()) {
            ++nTaken;
            return;
        }
        SWaiter waiter;
        waiting.push_back(&waiter);
        waiter.granted.wait(lock, [&] { return waiter.bGranted; });
    }
    void Give()
    {
        std::lock_guard<std::mutex> lock(mutex);
        GiveLocked();
    }
    void GiveLocked()
    {
        if (nTaken <= nTotal && !waiting.empty()) {
            SWaiter* pWaiter = waiting.front();
            waiting.pop_front();
            pWaiter->bGranted = true;
            pWaiter->granted.notify_one();
        } else {
            --nTaken;
        }
    }
    // Gives the slot to the longest waiting thread, if any, and waits for one again.
    void Pass()
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (waiting.empty())
            return;
        GiveLocked();
        lock.unlock();
        Take();
    }
    void SetTotal(int n)
    {
        std::lock_guard<std::mutex> lock(mutex);
        nTotal = std::max(1, n);
        while (nTaken < nTotal && !waiting.empty()) {
            ++nTaken;
            GiveLocked();
        }
    }
};

SSlots* g_pSlots = new SSlots;

SSlots& Slots()
{
    return *g_pSlots;
}

// A thread computing this long lets a waiting one have its turn, so that one long file does not
// hold a slot from all the short ones.
constexpr auto kSlotTurn = std::chrono::milliseconds(5);

thread_local bool t_bHoldsSlot = false;
// The pool whose task the thread runs, if any.
thread_local CTaskPool::SState* t_pPool = nullptr;
// Threads that gave their slot back to wait for the file system.
std::atomic<int> g_nWaitingForFiles{0};
std::atomic<bool> g_bTakeTurns{true};
thread_local std::chrono::steady_clock::time_point t_slotSince;

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
    Slots().SetTotal(nSlots);
}

void ResetProcessorSlotsAfterFork(int nSlots)
{
    // The old state may be locked, and counts slots of threads this process does not have: it is
    // left as it is.
    g_pSlots = new SSlots;
    t_bHoldsSlot = false;
    g_pSlots->nTotal = std::max(1, nSlots);
}

void SetTakingTurns(bool bTakeTurns)
{
    g_bTakeTurns = bTakeTurns;
}

void TakeTurns()
{
    if (!t_bHoldsSlot || !g_bTakeTurns)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - t_slotSince < kSlotTurn)
        return;
    t_slotSince = now;
    bool bWaiting;
    {
        std::lock_guard<std::mutex> lock(Slots().mutex);
        bWaiting = !Slots().waiting.empty();
    }
    if (!bWaiting) {
        // Nobody to take a turn: a thread that can, should the pool have tasks waiting.
        if (t_pPool) {
            std::lock_guard<std::mutex> lock(t_pPool->mutex);
            t_pPool->StartThreadIfNeeded(true);
        }
        return;
    }
    Slots().Pass();
    t_slotSince = std::chrono::steady_clock::now();
}

CProcessorSlot::CProcessorSlot() : m_bTaken(!t_bHoldsSlot)
{
    if (m_bTaken) {
        Slots().Take();
        t_bHoldsSlot = true;
        t_slotSince = std::chrono::steady_clock::now();
    }
}

CProcessorSlot::~CProcessorSlot()
{
    if (m_bTaken) {
        t_bHoldsSlot = false;
        Slots().Give();
    }
}

CWaitingForFiles::CWaitingForFiles(bool bMayWait) : m_bGaveBack(bMayWait && t_bHoldsSlot)
{
    if (m_bGaveBack) {
        t_bHoldsSlot = false;
        ++g_nWaitingForFiles;
        Slots().Give();
        // The slot is free while this thread waits: the pool may need a thread to use it.
        if (t_pPool) {
            std::lock_guard<std::mutex> lock(t_pPool->mutex);
            t_pPool->StartThreadIfNeeded();
        }
    }
}

CWaitingForFiles::~CWaitingForFiles()
{
    if (m_bGaveBack) {
        --g_nWaitingForFiles;
        Slots().Take();
        t_bHoldsSlot = true;
        t_slotSince = std::chrono::steady_clock::now();
    }
}

CTaskPool::CTaskPool(int nThreads) : m_pState(std::make_shared<SState>())
{
    m_pState->nMostThreads = nThreads < 1 ? kFilesInFlight : nThreads;
}

void CTaskPool::SState::StartThreadIfNeeded(bool bTurnTaker)
{
    const int nQueued = int(now.size() + ahead.size());
    if (bCancelled || nStarted >= nMostThreads || nQueued <= nIdle)
        return;
    // As many threads as processor slots do all the work that does not wait; one more takes turns
    // with a task that computes for long; more are of use only while threads wait for files.
    int nUseful;
    {
        std::lock_guard<std::mutex> lock(Slots().mutex);
        nUseful = Slots().nTotal + (bTurnTaker ? 1 : 0);
    }
    if (nStarted >= nUseful && g_nWaitingForFiles.load() == 0)
        return;
    std::thread([pState = shared_from_this()] { ThreadLoop(pState); }).detach();
    ++nStarted;
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
    m_pState->StartThreadIfNeeded();
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
    t_pPool = pState.get();
    const auto hasWork = [&] { return !pState->now.empty() || !pState->ahead.empty(); };
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(pState->mutex);
            ++pState->nIdle;
            pState->wake.wait(lock, [&] { return pState->bCancelled || hasWork(); });
            --pState->nIdle;
            if (pState->bCancelled)
                return;
        }
        // The slot first, then a task: a thread that waits for a slot holds no task, and one that
        // has a slot keeps it from task to task while tasks wait, so work that never waits for
        // the file system (a local disk) passes no slot from thread to thread.
        const CProcessorSlot slot;
        for (;;) {
            std::function<void()> task;
            {
                std::lock_guard<std::mutex> lock(pState->mutex);
                if (pState->bCancelled || !hasWork())
                    break;
                std::deque<std::function<void()>>& queue = pState->now.empty() ? pState->ahead : pState->now;
                task = std::move(queue.front());
                queue.pop_front();
                ++pState->nRunning;
            }
            AddBusyWorker(1);
            task();
            // What the task captured goes with it, outside the lock.
            task = nullptr;
            AddBusyWorker(-1);
            {
                std::lock_guard<std::mutex> lock(pState->mutex);
                --pState->nRunning;
            }
            // Between tasks too, a thread waiting for a slot gets its turn.
            TakeTurns();
        }
    }
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
