#include "CountRun.h"

#include "CProcessingDlg.h"
#include "common/core/FileName.h"
#include "common/core/WorkerPool.h"
#include "common/ui/AppMessageBox.h"
#include "common/ui/CLongOperations.h"
#include "common/ui/CPacedCall.h"
#include "count/core/PageCounter.h"
#include "filelist/core/CFileListModel.h"

#include <QHash>
#include <QTimer>

#include <optional>
#include <vector>

namespace {

bool IsCounted(const FileRecord& rec)
{
    return rec.nPages > 0;
}

bool ShouldCount(const FileRecord& rec, bool bRecountAll)
{
    return rec.bInUse && (bRecountAll || !IsCounted(rec));
}

// A row that shows "Processing" this long while its file is read is worth showing as such.
constexpr int kShowProcessingMs = 50;

}  // namespace

class CCountRun : public QObject {
    Q_OBJECT
public:
    explicit CCountRun(const SListHost& host)
        : QObject(host.pOwner),
          m_host(host),
          m_model(*host.pModel),
          m_lock(*host.pOperations, ELongOperation::CountRun),
          m_pool(0, [](const QByteArray& path) { return CountPagesOf(path); },
                 [this] { QMetaObject::invokeMethod(this, [this] { m_drain.Request(); }, Qt::QueuedConnection); }),
          m_drain([this] { Drain(); }, this)
    {
        setObjectName(QStringLiteral("CountRun"));
        m_markHead.setSingleShot(true);
        connect(&m_markHead, &QTimer::timeout, this, &CCountRun::MarkHead);
    }

    bool Started() const { return m_lock.Held(); }
    // Yes to the question: every row in use is counted again.
    void SetRecountAll(bool bRecountAll) { m_bRecountAll = bRecountAll; }
    CProcessingDlg* ProcessingDialog() const { return m_pProcessingDlg; }

    void Start()
    {
        m_nTotal = m_host.pPages->PagesTotal();
        for (int i = 0; i < m_model.GetRowCount(); ++i)
            AddJob(m_model.GetRecord(i));
        // Rows added while the run goes on are counted too, as they come at the end of the list.
        connect(&m_model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int nFirst, int nLast) {
            for (int i = nFirst; i <= nLast; ++i)
                AddJob(m_model.GetRecord(i));
        });
        // Rows that go away are not waited for.
        connect(&m_model, &QAbstractItemModel::rowsRemoved, this, [this] { m_drain.Request(); });
        connect(&m_model, &QAbstractItemModel::modelReset, this, [this] { m_drain.Request(); });
        connect(m_host.pOperations, &CLongOperations::closing, this, [this] { Finish(false); });
        if (!m_jobs.empty()) {
            m_pProcessingDlg = new CProcessingDlg(m_host.pOwner);
            connect(m_pProcessingDlg, &CStopDlg::stopRequested, this, [this] { Finish(false); });
        }
        m_drain.RunNow();
    }

private:
    struct SJob {
        quint64 nRowId;
        QByteArray path;
    };

    void AddJob(const FileRecord& rec)
    {
        if (!ShouldCount(rec, m_bRecountAll))
            return;
        m_pool.Enqueue(quint64(m_jobs.size()), rec.path);
        m_jobs.push_back({rec.nId, rec.path});
    }

    // Takes what the workers finished and writes it to the rows, in the order of the list.
    void Drain()
    {
        if (m_bFinished)
            return;
        for (auto& done : m_pool.Take())
            m_arrived.insert(int(done.nTag), std::move(done.result));
        while (m_nNext < int(m_jobs.size())) {
            const int nRow = m_model.FindRow(m_jobs[size_t(m_nNext)].nRowId);
            if (nRow < 0) {
                // The row went meanwhile: its count, if it comes, goes nowhere.
                m_arrived.remove(m_nNext);
                ++m_nNext;
                continue;
            }
            auto it = m_arrived.find(m_nNext);
            if (it == m_arrived.end())
                break;
            WriteResult(nRow, *it);
            m_arrived.erase(it);
            ++m_nNext;
        }
        ShowProgress();
        if (m_nNext >= int(m_jobs.size())) {
            Finish(true);
            return;
        }
        if (m_nMarkedJob != m_nNext && !m_markHead.isActive())
            m_markHead.start(kShowProcessingMs);
    }

    void WriteResult(int nRow, const SPageCount& count)
    {
        if (m_nMarkedJob == m_nNext)
            m_nMarkedJob = -1;
        const FileRecord& rec = m_model.GetRecord(nRow);
        // A row switched out of use meanwhile is passed over, as the walk down the list would have.
        if (!rec.bInUse) {
            if (rec.eStatus == EFileStatus::Processing)
                m_model.SetStatus(nRow, m_eMarkedStatus);
            return;
        }
        if (count.nPages >= 0) {
            if (count.IsShort())
                ++m_nShort;
            m_model.SetCount(nRow, EFileStatus::Done, count.nPages, ShortCountToolTip(count));
            m_nTotal += count.nPages;
        } else {
            m_model.SetCount(nRow, count.nPages == PAGES_READ_ERROR ? EFileStatus::ReadError : EFileStatus::Invalid,
                             -1);
        }
    }

    // The file at the head of the list takes its time: its row shows it is being counted.
    void MarkHead()
    {
        if (m_bFinished || m_nNext >= int(m_jobs.size()) || m_nMarkedJob == m_nNext)
            return;
        const int nRow = m_model.FindRow(m_jobs[size_t(m_nNext)].nRowId);
        if (nRow < 0)
            return;
        m_nMarkedJob = m_nNext;
        m_eMarkedStatus = m_model.GetRecord(nRow).eStatus;
        m_model.SetStatus(nRow, EFileStatus::Processing);
        ShowProgress();
    }

    void ShowProgress()
    {
        m_host.pPages->SetPagesTotal(m_nTotal);
        if (!m_pProcessingDlg || m_nNext >= int(m_jobs.size()))
            return;
        const SJob& head = m_jobs[size_t(m_nNext)];
        m_pProcessingDlg->SetFile(DisplayFileName(head.path));
        const int nRow = m_model.FindRow(head.nRowId);
        m_pProcessingDlg->SetProgress(nRow < 0 ? m_nNext : nRow, m_model.GetRowCount());
    }

    // Ends the run: completed (the "Done." box follows), or stopped at once, by Stop or by the
    // window ending; then the row being counted gets back the status it had.
    void Finish(bool bCompleted)
    {
        if (m_bFinished)
            return;
        m_bFinished = true;
        // Ended: no longer the running one, though it is deleted only when the event loop is back.
        setObjectName(QString());
        m_pool.Cancel();
        m_markHead.stop();
        if (m_nMarkedJob >= 0) {
            const int nRow = m_model.FindRow(m_jobs[size_t(m_nMarkedJob)].nRowId);
            if (nRow >= 0 && m_model.GetRecord(nRow).eStatus == EFileStatus::Processing)
                m_model.SetStatus(nRow, m_eMarkedStatus);
        }
        delete m_pProcessingDlg;
        // The field always shows the total the run ends with.
        m_host.pPages->SetPagesTotal(m_nTotal);
        m_lock.Release();
        const bool bShowDone = bCompleted && !m_host.pOperations->IsClosing();
        const int nShort = m_nShort;
        QWidget* pOwner = m_host.pOwner;
        deleteLater();
        if (!bShowDone)
            return;
        const QString strShort =
            nShort == 0   ? QString()
            : nShort == 1 ? QStringLiteral("1 file was counted short: its Pages cell shows a warning sign and says why.")
                          : QStringLiteral("%1 files were counted short: their Pages cells show a warning sign and "
                                           "say why.")
                                .arg(nShort);
        AppMessageBox(pOwner, QStringLiteral("Done."), QString(), QMessageBox::Ok, QMessageBox::Warning,
                      QMessageBox::NoButton, strShort);
    }

    SListHost m_host;
    CFileListModel& m_model;
    bool m_bRecountAll = false;
    CLongOperationLock m_lock;
    CWorkerPool<SPageCount> m_pool;
    CPacedCall m_drain;
    QTimer m_markHead;
    QPointer<CProcessingDlg> m_pProcessingDlg;
    std::vector<SJob> m_jobs;
    QHash<int, SPageCount> m_arrived;     // results that came before the ones above them
    int m_nNext = 0;                        // the first job not yet written
    int m_nMarkedJob = -1;                  // the job whose row shows "Processing"
    EFileStatus m_eMarkedStatus = EFileStatus::Ready;
    qint64 m_nTotal = 0;
    int m_nShort = 0;
    bool m_bFinished = false;
};

void RunCountFiles(const SListHost& host)
{
    // A second press while a run (or a scan, or a load) goes on starts nothing; the run holds the
    // guard from the question on, so nothing starts while it is asked either.
    auto* pRun = new CCountRun(host);
    if (!pRun->Started()) {
        delete pRun;
        return;
    }
    const CFileListModel& model = *host.pModel;
    bool bCountedRow = false;
    for (int i = 0; i < model.GetRowCount() && !bCountedRow; ++i)
        bCountedRow = model.GetRecord(i).bInUse && IsCounted(model.GetRecord(i));

    if (!bCountedRow) {
        host.pPages->SetPagesTotal(0);
    } else {
        const QMessageBox::StandardButton eAnswer =
            AppMessageBox(host.pOwner, QStringLiteral("Previous page count has been run, do you wish to process all again ?"),
                          QStringLiteral("Processing"), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                          QMessageBox::NoIcon, QMessageBox::Yes);
        if (eAnswer == QMessageBox::Cancel || host.pOperations->IsClosing()) {
            delete pRun;
            return;
        }
        if (eAnswer == QMessageBox::Yes) {
            host.pPages->SetPagesTotal(0);
            pRun->SetRecountAll(true);
        }
    }
    pRun->Start();
}

CCountRun* RunningCountRun(QWidget* pOwner)
{
    return pOwner->findChild<CCountRun*>(QStringLiteral("CountRun"), Qt::FindDirectChildrenOnly);
}

CProcessingDlg* ProcessingDialogOf(CCountRun* pRun)
{
    return pRun ? pRun->ProcessingDialog() : nullptr;
}

#include "CountRun.moc"
