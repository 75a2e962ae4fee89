// Reading a list file on a worker thread: it reads the file piece by piece, makes each entry's row
// (one look at each listed file for its size and times) and hands the rows over in batches, while
// the GUI thread takes them.
#pragma once

#include "filelist/core/RowBatches.h"

#include <QString>

#include <memory>

// The work that reads the list file open as fd (it takes the descriptor over); a read that fails
// leaves the system's reason in *pError and then marks the batches as failed, keeping the rows
// read before it. *pError may be read once Failed() said true.
std::function<void(CRowBatches&)> ListLoadWork(int fd, std::shared_ptr<QString> pError);
