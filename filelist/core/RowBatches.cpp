#include "RowBatches.h"

#include "common/core/WorkerPool.h"

#include <thread>

std::shared_ptr<CRowBatches> CRowBatches::Start(std::function<void(CRowBatches&)> produce, std::function<void()> notify)
{
    auto pBatches = std::make_shared<CRowBatches>();
    pBatches->m_notify = std::move(notify);
    std::thread([pBatches, produce = std::move(produce)] {
        NameWorkerThread();
        AddBusyWorker(1);
        produce(*pBatches);
        AddBusyWorker(-1);
        std::lock_guard<std::mutex> lock(pBatches->m_mutex);
        pBatches->m_bFinished = true;
        pBatches->m_bNotified = false;    // the end is always told
        pBatches->Notify();
    }).detach();
    return pBatches;
}

void CRowBatches::Add(QVector<FileRecord> rows)
{
    if (rows.isEmpty())
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rows.append(std::move(rows));
    Notify();
}

void CRowBatches::SetPlace(const QByteArray& place)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_place = place;
}

void CRowBatches::SetFailed()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bFailed = true;
}

QVector<FileRecord> CRowBatches::Take(bool* pFinished)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bNotified = false;
    QVector<FileRecord> rows;
    rows.swap(m_rows);
    if (pFinished)
        *pFinished = m_bFinished;
    return rows;
}

QByteArray CRowBatches::Place() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_place;
}

bool CRowBatches::Failed() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bFailed;
}

void CRowBatches::Abandon()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStop = true;
    m_notify = nullptr;
}

void CRowBatches::Notify()
{
    if (!m_bNotified && m_notify) {
        m_bNotified = true;
        m_notify();
    }
}
