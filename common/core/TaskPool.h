// Threads for work on files. Such work mostly waits for the file system: on a network share each
// request is a round trip, so many files are kept in flight whatever the number of cores. The
// computing part of the work (libtiff parsing a directory, sorting names) is held to about one
// thread per core by the processor slots: a task holds a slot while it computes and gives it back
// while it waits for the file system.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// Files worked on at once by default: enough to hide a share's latency, few enough to spare it.
constexpr int kFilesInFlight = 32;
// The most a caller may ask for.
constexpr int kMaxFilesInFlight = 256;

// Names the calling thread, for profilers and debuggers.
void NameWorkerThread();
// Worker threads that are still inside a task of a pool already dropped, or of one still running:
// the program's end need not wait for them (see ExitWithoutWaiting in main).
int BusyWorkerThreads();
void AddBusyWorker(int nDelta);

// The processor slots of the process: one per core unless set (a process among several workers
// takes its share).
void SetProcessorSlots(int nSlots);
// In a child forked from a process with threads: slots of its own, none taken.
void ResetProcessorSlotsAfterFork(int nSlots);

// For a thread that computes for long: lets a thread waiting for a slot have its turn now and then.
void TakeTurns();
// Whether threads take turns (the default): for results that are shown as they come. Where results
// are used only in order, turns cost time and gain nothing.
void SetTakingTurns(bool bTakeTurns);

// Held for as long as the calling thread computes; a thread holds at most one slot.
class CProcessorSlot {
public:
    CProcessorSlot();
    ~CProcessorSlot();
    CProcessorSlot(const CProcessorSlot&) = delete;
    CProcessorSlot& operator=(const CProcessorSlot&) = delete;

private:
    bool m_bTaken;
};

// Around a call that may wait for the file system: the calling thread's slot, if it holds one, is
// free for another thread meanwhile. Where the call will not wait (bMayWait false: a local disk,
// whose answers take microseconds), the slot stays: handing it over would cost more.
class CWaitingForFiles {
public:
    explicit CWaitingForFiles(bool bMayWait = true);
    ~CWaitingForFiles();
    CWaitingForFiles(const CWaitingForFiles&) = delete;
    CWaitingForFiles& operator=(const CWaitingForFiles&) = delete;

private:
    bool m_bGaveBack;
};

class CTaskPool {
public:
    // Tasks that must be done now go before those done ahead of need.
    enum class EPriority { Now, Ahead };

    // Up to nThreads threads (< 1: kFilesInFlight), started as the work needs them: as many as there
    // are processor slots, one more to take turns with a long task, and more while threads wait
    // for the file system.
    explicit CTaskPool(int nThreads = kFilesInFlight);
    // Drops what is queued; tasks already running finish in the background, holding what they
    // captured, and the pool's end never waits for them.
    ~CTaskPool();
    CTaskPool(const CTaskPool&) = delete;
    CTaskPool& operator=(const CTaskPool&) = delete;

    // Queued tasks start in the order posted, those of EPriority::Now first. Nothing is queued once
    // the pool was cancelled.
    void Post(std::function<void()> task, EPriority ePriority = EPriority::Now);
    void Cancel();
    // True while a task is queued or running.
    bool Busy() const;
    int ThreadCount() const { return m_pState->nMostThreads; }

private:
public:
    struct SState : std::enable_shared_from_this<SState> {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<std::function<void()>> now;
        std::deque<std::function<void()>> ahead;
        int nIdle = 0;
        int nRunning = 0;
        int nStarted = 0;
        int nMostThreads = 1;
        bool bCancelled = false;

        // Starts a thread when tasks wait for one and there is use for it; bTurnTaker: a task has
        // computed for long and nobody waits to take a turn. Called with the mutex held.
        void StartThreadIfNeeded(bool bTurnTaker = false);
    };

private:
    static void ThreadLoop(std::shared_ptr<SState> pState);

    std::shared_ptr<SState> m_pState;
};

// Calls work(i) for every i in [0, nItems), many at once on the pool's threads, and returns when all
// are done (for work that is mostly waiting for the file system). Not from a task of a pool: it
// would hold its processor slot while it waits.
void ForEachAtOnce(CTaskPool& pool, int nItems, const std::function<void(int)>& work);
