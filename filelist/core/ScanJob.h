// A directory scan on a worker thread: it walks the tree and makes each file's row, while the
// GUI thread takes the rows in batches and keeps the window alive.
#pragma once

#include "FileRecord.h"

#include <QString>
#include <QVector>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class CScanJob {
public:
    CScanJob(const QString& strDir, bool bSubFolders);
    ~CScanJob();    // stops the walk and waits for it
    CScanJob(const CScanJob&) = delete;
    CScanJob& operator=(const CScanJob&) = delete;

    // The walk ends at its next entry; the rows made so far can still be taken.
    void RequestStop() { m_bStop = true; }
    // Waits until the walk has ended or the time is up; true when it has ended.
    bool WaitFinished(int nTimeoutMs);
    // The rows made since the last call, in walk order.
    QVector<FileRecord> TakeRows();
    // The directory the walk entered last.
    QString CurrentDirectory() const;

private:
    void Run(QString strDir, bool bSubFolders);

    mutable std::mutex m_mutex;
    std::condition_variable m_finished;
    QVector<FileRecord> m_rows;
    QString m_strCurrentDir;
    bool m_bFinished = false;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};
