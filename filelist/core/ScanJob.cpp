#include "ScanJob.h"

#include "DirectoryWalker.h"
#include "common/core/WorkerPool.h"

#include <atomic>
#include <mutex>
#include <thread>

struct CScanJob::SState {
    mutable std::mutex mutex;
    QVector<FileRecord> rows;
    QByteArray currentDir;
    std::function<void()> notify;
    bool bNotified = false;
    bool bFinished = false;
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

class CRowMaker : public IWalkHandler {
public:
    explicit CRowMaker(CScanJob::SState& state) : m_state(state) {}
    ~CRowMaker() override { Flush(); }

    bool StopRequested() override { return m_state.bStop; }
    void EnterDirectory(const QByteArray& dir) override
    {
        Flush();
        std::lock_guard<std::mutex> lock(m_state.mutex);
        m_state.currentDir = dir;
    }
    void FoundFile(const QByteArray& path) override
    {
        // Made outside the lock, handed over in small batches.
        m_pending.append(MakeFileRecord(path, true));
        if (m_pending.size() >= 64)
            Flush();
    }

private:
    void Flush()
    {
        if (m_pending.isEmpty())
            return;
        std::lock_guard<std::mutex> lock(m_state.mutex);
        m_state.rows.append(m_pending);
        m_pending.clear();
        m_state.Notify();
    }

    CScanJob::SState& m_state;
    QVector<FileRecord> m_pending;
};

}  // namespace

CScanJob::CScanJob(const QByteArray& dir, bool bSubFolders, std::function<void()> notify)
    : m_pState(std::make_shared<SState>())
{
    m_pState->notify = std::move(notify);
    std::thread([pState = m_pState, dir, bSubFolders] {
        NameWorkerThread();
        AddBusyWorker(1);
        {
            CRowMaker maker(*pState);
            ScanDirectory(dir, bSubFolders, maker);
        }
        AddBusyWorker(-1);
        std::lock_guard<std::mutex> lock(pState->mutex);
        pState->bFinished = true;
        pState->bNotified = false;  // the end is always told
        pState->Notify();
    }).detach();
}

CScanJob::~CScanJob()
{
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    m_pState->bStop = true;
    m_pState->notify = nullptr;
}

void CScanJob::RequestStop()
{
    m_pState->bStop = true;
}

QVector<FileRecord> CScanJob::TakeRows(bool* pFinished)
{
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    m_pState->bNotified = false;
    QVector<FileRecord> rows;
    rows.swap(m_pState->rows);
    if (pFinished)
        *pFinished = m_pState->bFinished;
    return rows;
}

QByteArray CScanJob::CurrentDirectory() const
{
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    return m_pState->currentDir;
}
