// Runs pieces of work on worker processes and hands their results back in order.
#pragma once

#include <QByteArray>

#include <functional>

// Calls work(i) for every i in [0, nItems) on nWorkers workers (< 1: one per processor core) and
// onResult(i, result) in order of i, as soon as the results up to i are in. Where the platform
// allows, the workers are processes of their own: each TIFFOpen maps its file, and threads of one
// process contend for its memory map while processes do not; and a worker that crashes takes only
// itself down: the item it was on comes back as an empty result. work should therefore never
// return an empty result itself. With one worker, or where processes cannot be made, everything
// runs here.
void RunInWorkerProcesses(int nItems, int nWorkers, const std::function<QByteArray(int)>& work,
                          const std::function<void(int, const QByteArray&)>& onResult);
