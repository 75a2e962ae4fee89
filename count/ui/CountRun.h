// "&Count files in list": asks what to count, then counts on the worker processes while the
// window's own event loop runs on, under the Processing window.
#pragma once

#include "common/ui/ListHost.h"

class CJobRun;
class QWidget;

// Asks what to count, then starts the run and returns at once; the run ends by itself with the
// "Done." box, at once on Stop, or silently when the window ends.
void RunCountFiles(const SListHost& host);

// The run that is going on, if any (for the window's tests and benchmarks).
CJobRun* RunningCountRun(QWidget* pOwner);
