// Reading a list file on a worker thread: it reads the file piece by piece, makes each entry's row
// (one look at each listed file for its size and times) and hands the rows over in batches, while
// the GUI thread takes them. Dropping the job never waits for the thread.
#pragma once

#include "filelist/core/RowBatches.h"

class CListLoadJob {
public:
    // Starts reading the list file open as fd, which the job takes over; notify as
    // CRowBatches::Start says.
    CListLoadJob(int fd, std::function<void()> notify = {});
    // Stops the reading at its next entry.
    ~CListLoadJob() { m_pBatches->Abandon(); }
    CListLoadJob(const CListLoadJob&) = delete;
    CListLoadJob& operator=(const CListLoadJob&) = delete;

    // The rows made since the last call, in the file's order; *pFinished tells whether the reading
    // has ended and every row has been taken, *pReadError whether it ended on a failed read.
    QVector<FileRecord> TakeRows(bool* pFinished = nullptr, bool* pReadError = nullptr)
    {
        QVector<FileRecord> rows = m_pBatches->Take(pFinished);
        if (pReadError)
            *pReadError = m_pBatches->Failed();
        return rows;
    }

private:
    std::shared_ptr<CRowBatches> m_pBatches;
};
