#include "CountRun.h"

#include "CProcessingDlg.h"
#include "common/core/FileName.h"
#include "common/core/TaskPool.h"
#include "common/ui/AppMessageBox.h"
#include "common/ui/CLongOperations.h"
#include "common/ui/CPacedCall.h"
#include "count/core/PageCounter.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/core/FileFacts.h"

#include <QElapsedTimer>
#include <QTimer>

#include <memory>
#include <mutex>
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

// A row whose file has been read this long shows "Processing"; a quicker one goes straight to its
// result, without a flicker.
constexpr qint64 kShowProcessingMs = 50;

struct SCounted {
    SPageCount count;
    SFileFacts facts;
};

// What the workers tell the window: which files they began, and what they found. The window takes
// it in batches; a run that ended leaves it to the workers still inside a file.
struct SRunNews {
    std::mutex mutex;
    std::vector<std::pair<int, qint64>> started;      // job, when it began (ms of the run's clock)
    std::vector<std::pair<int, SCounted>> finished;
    std::function<void()> notify;
    bool bNotified = false;
    QElapsedTimer clock;

    void Tell()
    {
        if (!bNotified && notify) {
            bNotified = true;
            notify();
        }
    }
};

QString CountedShortLine(int nShort)
{
    if (nShort == 0)
        return QString();
    if (nShort == 1)
        return QStringLiteral("1 file was counted short: its Pages cell shows a warning sign and says why.");
    return QStringLiteral("%1 files were counted short: their Pages cells show a warning sign and say why.").arg(nShort);
}

QString ListedTwiceLine(int nFiles)
{
    if (nFiles == 0)
        return QString();
    if (nFiles == 1)
        return QStringLiteral("1 file is listed more than once: its Filename cells show a warning sign and say where.");
    return QStringLiteral("%1 files are listed more than once: their Filename cells show a warning sign and say "
                          "where.")
        .arg(nFiles);
}

}  // namespace

class CCountRun : public QObject {
    Q_OBJECT
public:
    explicit CCountRun(const SListHost& host)
        : QObject(host.pOwner),
          m_host(host),
          m_model(*host.pModel),
          m_lock(*host.pOperations, ELongOperation::CountRun),
          m_pNews(std::make_shared<SRunNews>()),
          m_drain([this] { Drain(); }, this)
    {
        setObjectName(QStringLiteral("CountRun"));
        m_pNews->clock.start();
        m_pNews->notify = [this] {
            QMetaObject::invokeMethod(this, [this] { m_drain.Request(); }, Qt::QueuedConnection);
        };
        m_markLater.setSingleShot(true);
        connect(&m_markLater, &QTimer::timeout, this, [this] { m_drain.Request(); });
    }

    ~CCountRun() override
    {
        std::lock_guard<std::mutex> lock(m_pNews->mutex);
        m_pNews->notify = nullptr;
    }

    bool Started() const { return m_lock.Held(); }
    // Yes to the question: every row in use is counted again.
    void SetRecountAll(bool bRecountAll) { m_bRecountAll = bRecountAll; }
    CProcessingDlg* ProcessingDialog() const { return m_pProcessingDlg; }

    void Start()
    {
        for (int i = 0; i < m_model.GetRowCount(); ++i)
            AddJob(m_model.GetRecord(i));
        // Rows added while the run goes on are counted too, as they come at the end of the list.
        connect(&m_model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int nFirst, int nLast) {
            for (int i = nFirst; i <= nLast; ++i)
                AddJob(m_model.GetRecord(i));
        });
        // Rows that go away are not waited for.
        const auto rowsGone = [this] {
            m_bRowsGone = true;
            m_drain.Request();
        };
        connect(&m_model, &QAbstractItemModel::rowsRemoved, this, rowsGone);
        connect(&m_model, &QAbstractItemModel::modelReset, this, rowsGone);
        connect(m_host.pOperations, &CLongOperations::closing, this, [this] { Finish(false); });
        if (!m_jobs.empty()) {
            m_pProcessingDlg = new CProcessingDlg(m_host.pOwner);
            connect(m_pProcessingDlg, &CStopDlg::stopRequested, this, [this] { Finish(false); });
        }
        m_drain.RunNow();
    }

private:
    enum class EJobState : quint8 { Waiting, Reading, Marked, Ended };

    struct SJob {
        quint64 nRowId;
        QByteArray path;
        EJobState eState = EJobState::Waiting;
        EFileStatus eStatusBefore = EFileStatus::Ready;     // while the row shows "Processing"
        qint64 nStartedMs = 0;
    };

    void AddJob(const FileRecord& rec)
    {
        if (!ShouldCount(rec, m_bRecountAll))
            return;
        const int nJob = int(m_jobs.size());
        m_jobs.push_back({rec.nId, rec.path});
        m_pool.Post([pNews = m_pNews, nJob, path = rec.path] {
            {
                std::lock_guard<std::mutex> lock(pNews->mutex);
                pNews->started.emplace_back(nJob, pNews->clock.elapsed());
                pNews->Tell();
            }
            SCounted counted;
            counted.count = CountPagesOf(path, &counted.facts);
            std::lock_guard<std::mutex> lock(pNews->mutex);
            pNews->finished.emplace_back(nJob, std::move(counted));
            pNews->Tell();
        });
    }

    // Writes what the workers found to the rows as it comes, and shows which files are being read.
    void Drain()
    {
        if (m_bFinished)
            return;
        std::vector<std::pair<int, qint64>> started;
        std::vector<std::pair<int, SCounted>> finished;
        {
            std::lock_guard<std::mutex> lock(m_pNews->mutex);
            m_pNews->bNotified = false;
            started.swap(m_pNews->started);
            finished.swap(m_pNews->finished);
        }
        for (const auto& [nJob, nStartedMs] : started) {
            SJob& job = m_jobs[size_t(nJob)];
            if (job.eState == EJobState::Waiting) {
                job.eState = EJobState::Reading;
                job.nStartedMs = nStartedMs;
                m_reading.push_back(nJob);
            }
        }
        for (const auto& [nJob, counted] : finished)
            WriteResult(m_jobs[size_t(nJob)], counted);
        if (m_bRowsGone) {
            // Rows that went meanwhile: their counts, if they come, go nowhere.
            m_bRowsGone = false;
            for (SJob& job : m_jobs) {
                if (job.eState != EJobState::Ended && m_model.FindRow(job.nRowId) < 0)
                    EndJob(job);
            }
        }
        MarkReading();
        ShowProgress();
        if (m_nEnded == int(m_jobs.size()))
            Finish(true);
    }

    void EndJob(SJob& job)
    {
        job.eState = EJobState::Ended;
        ++m_nEnded;
    }

    void WriteResult(SJob& job, const SCounted& counted)
    {
        if (job.eState == EJobState::Ended)
            return;
        const bool bMarked = job.eState == EJobState::Marked;
        EndJob(job);
        const int nRow = m_model.FindRow(job.nRowId);
        if (nRow < 0)
            return;
        const FileRecord& rec = m_model.GetRecord(nRow);
        // A row switched out of use meanwhile is passed over, as the walk down the list would have.
        if (!rec.bInUse) {
            if (bMarked && rec.eStatus == EFileStatus::Processing)
                m_model.SetStatus(nRow, job.eStatusBefore);
            return;
        }
        const SPageCount& count = counted.count;
        if (count.nPages == PAGES_READ_ERROR) {
            // The file could not be read: its row keeps what it said of the file.
            m_model.SetReadError(nRow, UnknownReadErrorReason());
            return;
        }
        if (count.nPages < 0) {
            m_model.SetCount(nRow, EFileStatus::Invalid, -1, QString(), &counted.facts);
            return;
        }
        if (count.IsShort())
            ++m_nShort;
        m_model.SetCount(nRow, EFileStatus::Done, count.nPages, ShortCountToolTip(count), &counted.facts,
                         SummarisePages(count.pages));
        // Added to the total as it stands now: a reset meanwhile has changed it.
        m_host.pPages->SetPagesTotal(m_host.pPages->PagesTotal() + count.nPages);
    }

    // The rows whose files have been read for a while show "Processing".
    void MarkReading()
    {
        const qint64 nNow = m_pNews->clock.elapsed();
        qint64 nNextDue = -1;
        std::vector<int> stillReading;
        for (int nJob : m_reading) {
            SJob& job = m_jobs[size_t(nJob)];
            if (job.eState == EJobState::Ended)
                continue;
            stillReading.push_back(nJob);
            if (job.eState == EJobState::Marked)
                continue;
            if (nNow - job.nStartedMs < kShowProcessingMs) {
                const qint64 nDue = job.nStartedMs + kShowProcessingMs;
                nNextDue = nNextDue < 0 ? nDue : std::min(nNextDue, nDue);
                continue;
            }
            const int nRow = m_model.FindRow(job.nRowId);
            if (nRow < 0 || !m_model.GetRecord(nRow).bInUse)
                continue;
            job.eState = EJobState::Marked;
            job.eStatusBefore = m_model.GetRecord(nRow).eStatus;
            m_model.SetStatus(nRow, EFileStatus::Processing);
        }
        m_reading.swap(stillReading);
        if (nNextDue >= 0 && !m_markLater.isActive())
            m_markLater.start(int(std::max<qint64>(1, nNextDue - nNow)));
    }

    void ShowProgress()
    {
        if (!m_pProcessingDlg)
            return;
        // The file begun last of those being read.
        if (!m_reading.empty())
            m_pProcessingDlg->SetFile(DisplayFileName(m_jobs[size_t(m_reading.back())].path));
        m_pProcessingDlg->SetProgress(m_nEnded, int(m_jobs.size()));
    }

    // Ends the run: completed (the "Done." box follows), or stopped at once, by Stop or by the
    // window ending; then the rows being counted get back the status they had.
    void Finish(bool bCompleted)
    {
        if (m_bFinished)
            return;
        m_bFinished = true;
        // Ended: no longer the running one, though it is deleted only when the event loop is back.
        setObjectName(QString());
        m_pool.Cancel();
        m_markLater.stop();
        for (int nJob : m_reading) {
            const SJob& job = m_jobs[size_t(nJob)];
            const int nRow = job.eState == EJobState::Marked ? m_model.FindRow(job.nRowId) : -1;
            if (nRow >= 0 && m_model.GetRecord(nRow).eStatus == EFileStatus::Processing)
                m_model.SetStatus(nRow, job.eStatusBefore);
        }
        delete m_pProcessingDlg;
        m_lock.Release();
        const bool bShowDone = bCompleted && !m_host.pOperations->IsClosing();
        const int nListedTwice = bCompleted ? m_model.MarkFilesListedTwice() : 0;
        QStringList lines;
        for (const QString& strLine : {CountedShortLine(m_nShort), ListedTwiceLine(nListedTwice)}) {
            if (!strLine.isEmpty())
                lines.append(strLine);
        }
        QWidget* pOwner = m_host.pOwner;
        deleteLater();
        if (!bShowDone)
            return;
        AppMessageBox(pOwner, QStringLiteral("Done."), QString(), QMessageBox::Ok, QMessageBox::Warning,
                      QMessageBox::NoButton, lines.join(u'\n'));
    }

    SListHost m_host;
    CFileListModel& m_model;
    bool m_bRecountAll = false;
    CLongOperationLock m_lock;
    std::shared_ptr<SRunNews> m_pNews;
    CTaskPool m_pool;
    CPacedCall m_drain;
    QTimer m_markLater;
    QPointer<CProcessingDlg> m_pProcessingDlg;
    std::vector<SJob> m_jobs;
    std::vector<int> m_reading;     // jobs begun and not yet written, in the order begun
    int m_nEnded = 0;
    int m_nShort = 0;
    bool m_bRowsGone = false;
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
