#include "WorkerPool.h"

#include <atomic>

#ifdef __linux__
#include <pthread.h>
#endif

namespace {

std::atomic<int> g_nBusyWorkers{0};

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
