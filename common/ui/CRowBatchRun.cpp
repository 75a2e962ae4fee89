#include "CRowBatchRun.h"

#include "filelist/core/CFileListModel.h"

#include <QWidget>

CRowBatchRun::CRowBatchRun(const SListHost& host, std::unique_ptr<CLongOperationLock> pLock)
    : QObject(host.pOwner), m_host(host), m_pLock(std::move(pLock)), m_drain([this] { Drain(); }, this)
{
    connect(m_host.pOperations, &CLongOperations::closing, this, [this] { StopRows(true); });
}

CRowBatchRun::~CRowBatchRun()
{
    if (m_pBatches)
        m_pBatches->Abandon();
}

void CRowBatchRun::StartRows(std::function<void(CRowBatches&)> work)
{
    // The worker only posts: the rows are taken here, in the window's loop.
    m_pBatches = CRowBatches::Start(std::move(work), [this] {
        QMetaObject::invokeMethod(this, [this] { m_drain.Request(); }, Qt::QueuedConnection);
    });
}

void CRowBatchRun::StopRows(bool bWindowEnding)
{
    if (!m_pBatches)
        return;
    m_pBatches->RequestStop();
    QVector<FileRecord> rows = m_pBatches->Take();
    if (!rows.isEmpty())
        m_host.pModel->AppendRows(std::move(rows));
    End(bWindowEnding);
}

void CRowBatchRun::Drain()
{
    if (!m_pBatches)
        return;
    bool bFinished = false;
    QVector<FileRecord> rows = m_pBatches->Take(&bFinished);
    if (!rows.isEmpty())
        m_host.pModel->AppendRows(std::move(rows));
    RowsTaken(*m_pBatches);
    if (bFinished)
        End(false);
}

void CRowBatchRun::End(bool bWindowEnding)
{
    // The worker may go on inside a slow file; what it makes from now on goes nowhere.
    const std::shared_ptr<CRowBatches> pBatches = std::move(m_pBatches);
    pBatches->Abandon();
    m_pLock.reset();
    deleteLater();
    Ended(*pBatches, bWindowEnding);
}
