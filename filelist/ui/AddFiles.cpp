#include "AddFiles.h"

#include "CScanDlg.h"
#include "common/core/FileName.h"
#include "common/core/TaskPool.h"
#include "common/core/WorkerPool.h"
#include "common/ui/AppMessageBox.h"
#include "common/ui/CLongOperations.h"
#include "common/ui/CRowBatchRun.h"
#include "count/core/PageCounter.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/core/FileFacts.h"
#include "filelist/core/ScanJob.h"
#include "support/ui/CFolderDialog.h"

#include <QHash>
#include <QPointer>

#include <memory>

namespace {

void AskToRemoveNonTiff(const SListHost& host)
{
    if (host.pOperations->IsClosing())
        return;
    if (AppMessageBox(host.pOwner, QStringLiteral("Do you wish to remove non TIFF files from the list ?"),
                      QStringLiteral("Remove from list"), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        RunRemoveNonTiffFiles(host);
}

// A scan in progress: the walk runs on its own thread, its rows come in at the pace of the screen.
class CScanRun : public CRowBatchRun {
    Q_OBJECT
public:
    using CRowBatchRun::CRowBatchRun;

    void Start(const QByteArray& dir, bool bSubFolders)
    {
        m_pScanDlg = new CScanDlg(Host().pOwner);
        // Stop keeps the rows the walk made so far, and the question still follows.
        connect(m_pScanDlg, &CStopDlg::stopRequested, this, [this] { StopRows(false); });
        StartRows(ScanWork(dir, bSubFolders));
    }

private:
    void RowsTaken(const CRowBatches& batches) override
    {
        if (m_pScanDlg)
            m_pScanDlg->SetDirectory(DisplayFileName(batches.Place()));
    }

    void Ended(const CRowBatches&, bool bWindowEnding) override
    {
        delete m_pScanDlg;
        if (!bWindowEnding)
            AskToRemoveNonTiff(Host());
    }

    QPointer<CScanDlg> m_pScanDlg;
};

// The filter: every distinct file is tested once, on every core; the rows go in one pass.
class CFilterRun : public QObject {
    Q_OBJECT
public:
    CFilterRun(const SListHost& host, std::unique_ptr<CLongOperationLock> pLock)
        : QObject(host.pOwner),
          m_host(host),
          m_pLock(std::move(pLock)),
          m_pool(0, [](const QByteArray& path) { return IsTiffFile(path); },
                 [this] { QMetaObject::invokeMethod(this, [this] { Drain(); }, Qt::QueuedConnection); })
    {
    }

    void Start()
    {
        connect(m_host.pOperations, &CLongOperations::closing, this, [this] { End(false); });
        const CFileListModel& model = *m_host.pModel;
        for (int i = 0; i < model.GetRowCount(); ++i) {
            const QByteArray& path = model.GetRecord(i).path;
            if (!m_isTiff.contains(path)) {
                m_isTiff.insert(path, false);
                m_paths.append(path);
                m_pool.Enqueue(quint64(m_paths.size() - 1), path);
            }
        }
        if (m_paths.isEmpty())
            End(true);
    }

private:
    void Drain()
    {
        for (const auto& done : m_pool.Take()) {
            m_isTiff[m_paths[int(done.nTag)]] = done.result;
            ++m_nTested;
        }
        if (m_nTested == int(m_paths.size()))
            End(true);
    }

    void End(bool bRemove)
    {
        if (m_bEnded)
            return;
        m_bEnded = true;
        m_pool.Cancel();
        int nRemoved = 0;
        if (bRemove) {
            // Rows that came in while the files were tested are tested now.
            nRemoved = m_host.pModel->RemoveRowsIf([this](int, const FileRecord& rec) {
                auto it = m_isTiff.find(rec.path);
                if (it == m_isTiff.end())
                    it = m_isTiff.insert(rec.path, IsTiffFile(rec.path));
                return !*it;
            });
        }
        m_pLock.reset();
        QWidget* pOwner = m_host.pOwner;
        deleteLater();
        if (bRemove)
            AppMessageBox(pOwner, QStringLiteral("%1 file(s) removed from list.").arg(nRemoved), QString(),
                          QMessageBox::Ok, QMessageBox::Warning);
    }

    SListHost m_host;
    std::unique_ptr<CLongOperationLock> m_pLock;
    CWorkerPool<bool> m_pool;
    QHash<QByteArray, bool> m_isTiff;
    QList<QByteArray> m_paths;
    int m_nTested = 0;
    bool m_bEnded = false;
};

}  // namespace

void RunDropFiles(const SListHost& host, const QList<QUrl>& urls)
{
    QList<QByteArray> paths;
    for (const QUrl& url : urls) {
        // The URL's percent-encoded path holds the name's exact bytes.
        const QByteArray path = FileNameFromUrl(url);
        if (!path.isEmpty())
            paths.append(path);
    }
    AddDroppedPaths(host, paths);
}

void AddDroppedPaths(const SListHost& host, const QList<QByteArray>& paths)
{
    // Each path is looked at, many at once: from a share, a look is a round trip.
    QVector<FileRecord> rows(paths.size());
    QVector<char> listed(paths.size(), 0);
    CTaskPool pool;
    ForEachAtOnce(pool, int(paths.size()), [&](int i) {
        // Vanished since the drag began, or a directory: dropped directories are neither scanned nor listed.
        listed[i] = PathKind(paths[i]) == EPathKind::Other;
        if (listed[i])
            rows[i] = MakeFileRecord(paths[i], true);
    });
    QVector<FileRecord> kept;
    for (int i = 0; i < int(rows.size()); ++i) {
        if (listed[i])
            kept.append(std::move(rows[i]));
    }
    host.pModel->AppendRows(std::move(kept));
}

void RunScanDirectories(const SListHost& host, const std::function<bool()>& readSubFolders)
{
    // The guard is held from the chooser on, so nothing else starts while it is open.
    auto pLock = std::make_unique<CLongOperationLock>(*host.pOperations, ELongOperation::Scan);
    if (!pLock->Held())
        return;
    CFolderDialog chooser(QStringLiteral("Directory..."), QStringLiteral("Please choose your directory..."),
                          QString(), host.pOwner);
    const bool bChosen = chooser.DoModal() == 1;
    if (host.pOperations->IsClosing())
        return;
    if (!bChosen) {
        pLock.reset();
        AskToRemoveNonTiff(host);
        return;
    }
    // The box counts as it stands when the chooser returns.
    const bool bSubFolders = readSubFolders();
    auto* pRun = new CScanRun(host, std::move(pLock));
    pRun->Start(CollapseSeparators(FileNameFromText(chooser.GetPath())), bSubFolders);
}

void RunRemoveNonTiffFiles(const SListHost& host)
{
    auto pLock = std::make_unique<CLongOperationLock>(*host.pOperations, ELongOperation::Filter);
    if (!pLock->Held())
        return;
    auto* pRun = new CFilterRun(host, std::move(pLock));
    pRun->Start();
}

#include "AddFiles.moc"
