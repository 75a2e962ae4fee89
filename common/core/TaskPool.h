// Threads for work on files. Such work mostly waits for the file system: on a network share each
// request is a round trip, so many files are kept in flight whatever the number of cores. A plain
// pool: threads start as tasks wait for them, up to a limit, and take tasks in the order posted.
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
// the program's end need not wait for them (see main).
int BusyWorkerThreads();

// Starts a detached thread with a small stack (the work on a file needs little; many threads fit
// under a tight address-space limit). False when the system refuses a thread.
bool StartDetachedThread(std::function<void()> run);

class CTaskPool {
public:
    // Tasks that must be done now go before those done ahead of need.
    enum class EPriority { Now, Ahead };

    // Up to nThreads threads (< 1: kFilesInFlight), started as tasks wait for them.
    explicit CTaskPool(int nThreads = kFilesInFlight);
    // Drops what is queued; tasks already running finish in the background, holding what they
    // captured, and the pool's end never waits for them.
    ~CTaskPool();
    CTaskPool(const CTaskPool&) = delete;
    CTaskPool& operator=(const CTaskPool&) = delete;

    // Queued tasks start in the order posted, those of EPriority::Now first. Nothing is queued once
    // the pool was cancelled. Where the system refuses every thread, the task runs here, now: the
    // work gets done, one at a time.
    void Post(std::function<void()> task, EPriority ePriority = EPriority::Now);
    void Cancel();
    // True while a task is queued or running.
    bool Busy() const;
    int ThreadCount() const { return m_pState->nMostThreads; }

private:
    struct SState {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<std::function<void()>> now;
        std::deque<std::function<void()>> ahead;
        int nIdle = 0;
        int nRunning = 0;
        int nStarted = 0;
        int nMostThreads = 1;
        bool bCancelled = false;
    };

    static void ThreadLoop(const std::shared_ptr<SState>& pState);

    std::shared_ptr<SState> m_pState;
};

// Calls work(i) for every i in [0, nItems), many at once on the pool's threads, and returns when all
// are done (for work that is mostly waiting for the file system).
void ForEachAtOnce(CTaskPool& pool, int nItems, const std::function<void(int)>& work);
