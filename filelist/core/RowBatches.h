// Rows made on a worker thread and taken in batches by the GUI thread (a scan, a list being
// loaded). The thread may outlive the job that started it: stopping never waits for it, and once
// the job is dropped, what the thread still makes goes nowhere.
#pragma once

#include "FileRecord.h"

#include <QByteArray>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class CRowBatches {
public:
    // Runs produce on a detached worker thread. notify is called on that thread when rows are
    // waiting and the last call has been answered by Take() (it must only post), and once more
    // when produce has returned.
    static std::shared_ptr<CRowBatches> Start(std::function<void(CRowBatches&)> produce,
                                             std::function<void()> notify);

    // For the worker: whether to stop at the next entry; handing over rows; what it is at now
    // (a folder's path); that it failed.
    bool StopRequested() const { return m_bStop; }
    void Add(QVector<FileRecord> rows);
    void SetPlace(const QByteArray& place);
    void SetFailed();

    // For the GUI thread: the rows since the last call, in the order made; *pFinished tells
    // whether the worker has returned and every row has been taken.
    QVector<FileRecord> Take(bool* pFinished = nullptr);
    QByteArray Place() const;
    bool Failed() const;
    void RequestStop() { m_bStop = true; }
    // The job is dropped: the worker stops at its next entry and notifies no one any more.
    void Abandon();

private:
    // Called with the mutex held.
    void Notify();

    mutable std::mutex m_mutex;
    QVector<FileRecord> m_rows;
    QByteArray m_place;
    std::function<void()> m_notify;
    bool m_bNotified = false;
    bool m_bFinished = false;
    bool m_bFailed = false;
    std::atomic<bool> m_bStop{false};
};
