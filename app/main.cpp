#include "app/ui/CPageCountApp.h"
#include "common/core/WorkerPool.h"

#include <cstdio>

#include <unistd.h>

int main(int argc, char** argv)
{
    CPageCountApp app(argc, argv);
    const int nResult = app.InitInstance() ? app.exec() : 0;
    // A worker still inside libtiff on a long file would keep the process alive after its window
    // has gone; nothing it holds needs saving, so the process ends without waiting for it.
    if (BusyWorkerThreads() > 0) {
        std::fflush(nullptr);
        ::_exit(nResult);
    }
    return nResult;
}
