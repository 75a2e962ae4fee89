// The work of a directory scan on a worker thread: it walks the tree and makes each file's row,
// handing the rows over in batches and saying which directory it entered last.
#pragma once

#include "RowBatches.h"

std::function<void(CRowBatches&)> ScanWork(const QByteArray& dir, bool bSubFolders);
