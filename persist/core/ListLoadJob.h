// Reading a list file on a worker thread: it reads the file piece by piece, makes each entry's row
// (one look at each listed file for its size and times) and hands the rows over in batches, while
// the GUI thread takes them. Dropping the job never waits for the thread.
#pragma once

#include "filelist/core/FileRecord.h"

#include <QByteArray>
#include <QVector>

#include <functional>
#include <memory>

class CListLoadJob {
public:
    // Starts reading the list file open as fd, which the job takes over. notify is called on the
    // worker thread when rows are waiting and the last call has been answered by TakeRows() (it
    // must only post), and once more when the reading ends.
    CListLoadJob(int fd, std::function<void()> notify = {});
    // Stops the reading at its next entry.
    ~CListLoadJob();
    CListLoadJob(const CListLoadJob&) = delete;
    CListLoadJob& operator=(const CListLoadJob&) = delete;

    // The rows made since the last call, in the file's order; *pFinished tells whether the reading
    // has ended and every row has been taken, *pReadError whether it ended on a failed read.
    QVector<FileRecord> TakeRows(bool* pFinished = nullptr, bool* pReadError = nullptr);

    struct SState;

private:
    std::shared_ptr<SState> m_pState;
};
