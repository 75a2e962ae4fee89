// Runs pieces of work on worker processes and hands their results back in order.
#pragma once

#include <QByteArray>

#include <functional>

// Calls work(i) for every i in [0, nItems) on nWorkers workers (< 1: one per processor core) and
// onResult(i, result) in order of i, as soon as the results up to i are in; onResult returns false
// to stop everything at once (the workers are ended, nothing more is delivered).
//
// Where the platform allows, the workers are processes of their own, forked from this (single-
// threaded) process: a worker that crashes takes only itself down. The items it had been given
// but not answered go to the other workers (and to a new one in its place); the item it died on
// is tried once more by another worker, and comes back as an empty result when that one dies on it
// too. work should therefore never return an empty result itself. Workers end when this process
// ends, however it ends. With one worker, or where processes cannot be made, everything runs here.
// Returns false when onResult stopped the run.
bool RunInWorkerProcesses(int nItems, int nWorkers, const std::function<QByteArray(int)>& work,
                          const std::function<bool(int, const QByteArray&)>& onResult);
