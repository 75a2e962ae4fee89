#include "CountAhead.h"

#include "PageCounter.h"

#ifdef __linux__
#include <pthread.h>
#endif

void NameWorkerThread()
{
#ifdef __linux__
    pthread_setname_np(pthread_self(), "pagewick-work");
#endif
}

CCountAhead::CCountAhead(int nWorkers, Work counter, int nBatch)
    : CWorkAhead<int>(nWorkers, counter ? std::move(counter) : Work([](const QString& p) { return CountPages(p); }),
                      nBatch)
{
}
