// A directory scan on a worker thread: it walks the tree and makes each file's row, while the
// GUI thread takes the rows in batches. Dropping the job never waits for the walk.
#pragma once

#include "RowBatches.h"

class CScanJob {
public:
    // Starts the walk; notify as CRowBatches::Start says.
    CScanJob(const QByteArray& dir, bool bSubFolders, std::function<void()> notify = {});
    // Stops the walk at its next entry; a walk inside a slow directory ends on its own, unseen.
    ~CScanJob() { m_pBatches->Abandon(); }
    CScanJob(const CScanJob&) = delete;
    CScanJob& operator=(const CScanJob&) = delete;

    // The walk ends at its next entry; the rows made so far can still be taken.
    void RequestStop() { m_pBatches->RequestStop(); }
    // The rows made since the last call, in walk order; *pFinished tells whether the walk has
    // ended and every row has been taken.
    QVector<FileRecord> TakeRows(bool* pFinished = nullptr) { return m_pBatches->Take(pFinished); }
    // The directory the walk entered last.
    QByteArray CurrentDirectory() const { return m_pBatches->Place(); }

private:
    std::shared_ptr<CRowBatches> m_pBatches;
};
