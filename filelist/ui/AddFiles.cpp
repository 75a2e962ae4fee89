#include "AddFiles.h"

#include "CScanDlg.h"
#include "common/core/FileName.h"
#include "common/ui/AppMessageBox.h"
#include "common/ui/CJobRun.h"
#include "common/ui/CProcessingDlg.h"
#include "filelist/core/AddFilesJob.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/core/FilterJob.h"
#include "filelist/core/ScanJob.h"
#include "support/ui/CFolderDialog.h"

#include <memory>

namespace {

// A job that is mostly quick shows its window only when it takes this long.
constexpr int kWindowDelayMs = 500;

void AskToRemoveNonTiff(const SListHost& host)
{
    if (host.pOperations->IsClosing())
        return;
    if (AppMessageBox(host.pOwner, QStringLiteral("Do you wish to remove non TIFF files from the list ?"),
                      QStringLiteral("Remove from list"), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        RunRemoveNonTiffFiles(host);
}

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
    if (paths.isEmpty())
        return;
    // Each path is looked at by the workers, many at once: from a share, a look is a round trip, and
    // one that never answers must not hold up the window. A drop starts no long operation: the
    // window stays free for everything, and a count going on counts the new rows too.
    auto* pJob = new CAddFilesJob(*host.pModel, *host.pWork, paths, host.pOwner);
    QObject::connect(pJob, &CJob::finished, pJob, &QObject::deleteLater);
    QObject::connect(host.pOperations, &CLongOperations::closing, pJob, &CJob::Stop);
    pJob->Start();
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
    auto* pJob = new CScanJob(*host.pModel, *host.pWork, CollapseSeparators(FileNameFromText(chooser.GetPath())),
                              bSubFolders);
    QWidget* pOwner = host.pOwner;
    // Stop keeps the rows found so far, and the question still follows.
    auto* pRun = new CJobRun(pJob, std::move(pLock), *host.pOperations, pOwner, [pOwner] { return new CScanDlg(pOwner); },
                             0, [host](const CJob&, bool bAsked) {
                                 if (bAsked)
                                     AskToRemoveNonTiff(host);
                             });
    pRun->setObjectName(QStringLiteral("ScanRun"));
    pRun->Start();
}

void RunRemoveNonTiffFiles(const SListHost& host)
{
    auto pLock = std::make_unique<CLongOperationLock>(*host.pOperations, ELongOperation::Filter);
    if (!pLock->Held())
        return;
    auto* pJob = new CFilterJob(*host.pModel, *host.pWork);
    QWidget* pOwner = host.pOwner;
    auto* pRun = new CJobRun(
        pJob, std::move(pLock), *host.pOperations, pOwner,
        [pOwner] { return new CProcessingDlg(pOwner, QStringLiteral("Remove Non TIF Files From List")); }, kWindowDelayMs,
        [pOwner](const CJob& job, bool bAsked) {
            if (!bAsked)
                return;
            AppMessageBox(pOwner, QStringLiteral("%1 file(s) removed from list.").arg(static_cast<const CFilterJob&>(job).Removed()),
                          QString(), QMessageBox::Ok, QMessageBox::Warning);
        });
    pRun->setObjectName(QStringLiteral("FilterRun"));
    pRun->Start();
}
