// A directory scan on a worker thread: it walks the tree and makes each file's row, while the
// GUI thread takes the rows in batches. Dropping the job never waits for the walk.
#pragma once

#include "FileRecord.h"

#include <QByteArray>
#include <QVector>

#include <functional>
#include <memory>

class CScanJob {
public:
    // Starts the walk. notify is called on the walk's thread when rows are waiting and the last
    // call has been answered by TakeRows() (it must only post), and once more when the walk ends.
    CScanJob(const QByteArray& dir, bool bSubFolders, std::function<void()> notify = {});
    // Stops the walk at its next entry; a walk inside a slow directory ends on its own, unseen.
    ~CScanJob();
    CScanJob(const CScanJob&) = delete;
    CScanJob& operator=(const CScanJob&) = delete;

    // The walk ends at its next entry; the rows made so far can still be taken.
    void RequestStop();
    // The rows made since the last call, in walk order; *pFinished tells whether the walk has
    // ended and every row has been taken.
    QVector<FileRecord> TakeRows(bool* pFinished = nullptr);
    // The directory the walk entered last.
    QByteArray CurrentDirectory() const;

    // What the job shares with the walk's thread, which may outlive the job.
    struct SState;

private:
    std::shared_ptr<SState> m_pState;
};
