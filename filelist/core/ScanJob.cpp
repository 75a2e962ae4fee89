#include "ScanJob.h"

#include "DirectoryWalker.h"

#include <chrono>

namespace {

class CRowMaker : public IWalkHandler {
public:
    CRowMaker(std::mutex& mutex, QVector<FileRecord>& rows, QString& strCurrentDir, const std::atomic<bool>& bStop)
        : m_mutex(mutex), m_rows(rows), m_strCurrentDir(strCurrentDir), m_bStop(bStop)
    {
    }
    ~CRowMaker() override { Flush(); }

    bool StopRequested() override { return m_bStop; }
    void EnterDirectory(const QString& strDir) override
    {
        Flush();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strCurrentDir = strDir;
    }
    void FoundFile(const QString& strPath) override
    {
        // Made outside the lock, handed over in small batches.
        m_pending.append(MakeFileRecord(strPath, QLatin1String(FileText::kYes)));
        if (m_pending.size() >= 64)
            Flush();
    }

private:
    void Flush()
    {
        if (m_pending.isEmpty())
            return;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_rows.append(m_pending);
        m_pending.clear();
    }

    std::mutex& m_mutex;
    QVector<FileRecord>& m_rows;
    QString& m_strCurrentDir;
    const std::atomic<bool>& m_bStop;
    QVector<FileRecord> m_pending;
};

}  // namespace

CScanJob::CScanJob(const QString& strDir, bool bSubFolders)
{
    m_thread = std::thread([this, strDir, bSubFolders] { Run(strDir, bSubFolders); });
}

CScanJob::~CScanJob()
{
    m_bStop = true;
    m_thread.join();
}

void CScanJob::Run(QString strDir, bool bSubFolders)
{
    {
        CRowMaker maker(m_mutex, m_rows, m_strCurrentDir, m_bStop);
        ScanDirectory(strDir, bSubFolders, maker);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bFinished = true;
    m_finished.notify_all();
}

bool CScanJob::WaitFinished(int nTimeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_finished.wait_for(lock, std::chrono::milliseconds(nTimeoutMs), [this] { return m_bFinished; });
}

QVector<FileRecord> CScanJob::TakeRows()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QVector<FileRecord> rows;
    rows.swap(m_rows);
    return rows;
}

QString CScanJob::CurrentDirectory() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_strCurrentDir;
}
