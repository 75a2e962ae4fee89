// The count run: "&Count files in list" counts every row in use (and not yet counted, unless the
// user asks for all again) on every core, while the window's own event loop runs on.
#pragma once

#include "common/ui/ListHost.h"

#include <QObject>
#include <QPointer>

class CProcessingDlg;

// Asks what to count, then starts the run and returns at once; the run ends by itself with the
// "Done." box, at once on Stop, or silently when the window ends.
void RunCountFiles(const SListHost& host);

// The run that is going on, if any (for the window and its tests).
class CCountRun;
CCountRun* RunningCountRun(QWidget* pOwner);
CProcessingDlg* ProcessingDialogOf(CCountRun* pRun);
