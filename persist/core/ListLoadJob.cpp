#include "ListLoadJob.h"

#include "ListFile.h"
#include "common/core/WorkerPool.h"

#include <QFile>

#include <atomic>
#include <mutex>
#include <thread>

struct CListLoadJob::SState {
    std::mutex mutex;
    QVector<FileRecord> rows;
    std::function<void()> notify;
    bool bNotified = false;
    bool bFinished = false;
    bool bReadError = false;
    std::atomic<bool> bStop{false};

    // Called with the mutex held.
    void Notify()
    {
        if (!bNotified && notify) {
            bNotified = true;
            notify();
        }
    }
};

namespace {

constexpr qint64 kPieceBytes = 1 << 20;
// Rows are handed over in batches of this many, so the GUI thread takes them with few locks.
constexpr int kBatchRows = 256;

void ReadList(int fd, CListLoadJob::SState& state)
{
    QFile file;
    bool bReadError = !file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    CListFileReader reader;
    QVector<SListEntry> entries;
    QVector<FileRecord> pending;
    QByteArray piece(kPieceBytes, Qt::Uninitialized);
    const auto handOver = [&] {
        std::lock_guard<std::mutex> lock(state.mutex);
        state.rows.append(std::move(pending));
        pending.clear();
        state.Notify();
    };
    bool bEnd = bReadError;
    while (!bEnd && !state.bStop) {
        const qint64 n = file.read(piece.data(), kPieceBytes);
        if (n > 0)
            reader.Feed(piece.constData(), qsizetype(n), &entries);
        else if (n == 0)
            reader.Finish(&entries);
        else
            bReadError = true;      // a line cut short by the failure is not taken for a path
        bEnd = n <= 0 || reader.DataEnded();
        // Each listed file is looked at here, outside the lock.
        for (const SListEntry& entry : entries) {
            if (state.bStop)
                break;
            pending.append(MakeFileRecord(entry.path, entry.bInUse));
            if (pending.size() >= kBatchRows)
                handOver();
        }
        entries.clear();
    }
    if (!pending.isEmpty())
        handOver();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.bReadError = bReadError;
}

}  // namespace

CListLoadJob::CListLoadJob(int fd, std::function<void()> notify) : m_pState(std::make_shared<SState>())
{
    m_pState->notify = std::move(notify);
    std::thread([pState = m_pState, fd] {
        NameWorkerThread();
        AddBusyWorker(1);
        ReadList(fd, *pState);
        AddBusyWorker(-1);
        std::lock_guard<std::mutex> lock(pState->mutex);
        pState->bFinished = true;
        pState->bNotified = false;  // the end is always told
        pState->Notify();
    }).detach();
}

CListLoadJob::~CListLoadJob()
{
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    m_pState->bStop = true;
    m_pState->notify = nullptr;
}

QVector<FileRecord> CListLoadJob::TakeRows(bool* pFinished, bool* pReadError)
{
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    m_pState->bNotified = false;
    QVector<FileRecord> rows;
    rows.swap(m_pState->rows);
    if (pFinished)
        *pFinished = m_pState->bFinished;
    if (pReadError)
        *pReadError = m_pState->bReadError;
    return rows;
}
