#include "CountRun.h"

#include "common/ui/AppMessageBox.h"
#include "common/ui/CProcessingDlg.h"
#include "common/ui/CJobRun.h"
#include "count/core/CountJob.h"
#include "filelist/core/CFileListModel.h"

#include <QStringList>

namespace {

// "1 file was ...", "3 files were ...": a line of the "Done." box for a number that is not 0.
QString FilesLine(int nFiles, const char* pszOne, const char* pszMany)
{
    if (nFiles == 0)
        return QString();
    return nFiles == 1 ? QString::fromUtf8(pszOne) : QString::fromUtf8(pszMany).arg(nFiles);
}

QString DoneLines(const CCountJob::SOutcome& outcome)
{
    QStringList lines;
    for (const QString& strLine :
         {FilesLine(outcome.nShort, "1 file was counted short: its Pages cell shows a warning sign and says why.",
                    "%1 files were counted short: their Pages cells show a warning sign and say why."),
          FilesLine(outcome.nNotTiff, "1 file is not a TIFF file: its status is \"Invalid\".",
                    "%1 files are not TIFF files: their status is \"Invalid\"."),
          FilesLine(outcome.nUnreadable, "1 file could not be read: its status is \"Read Error\".",
                    "%1 files could not be read: their status is \"Read Error\"."),
          FilesLine(outcome.nListedTwice,
                    "1 file is listed more than once: its Filename cells show a warning sign and say where.",
                    "%1 files are listed more than once: their Filename cells show a warning sign and say where.")}) {
        if (!strLine.isEmpty())
            lines.append(strLine);
    }
    return lines.join(u'\n');
}

const QString kRunName = QStringLiteral("CountRun");

}  // namespace

void RunCountFiles(const SListHost& host)
{
    // A second press while a run (or a scan, or a load) goes on starts nothing; the run holds the
    // guard from the question on, so nothing starts while it is asked either.
    auto pLock = std::make_unique<CLongOperationLock>(*host.pOperations, ELongOperation::CountRun);
    if (!pLock->Held())
        return;
    CFileListModel& model = *host.pModel;
    bool bCountedRow = false;
    for (int i = 0; i < model.GetRowCount() && !bCountedRow; ++i)
        bCountedRow = model.GetRecord(i).bInUse && CCountJob::IsCounted(model.GetRecord(i));
    bool bRecountAll = false;
    if (!bCountedRow) {
        model.ResetPagesTotal();
    } else {
        const QMessageBox::StandardButton eAnswer =
            AppMessageBox(host.pOwner, QStringLiteral("Previous page count has been run, do you wish to process all again ?"),
                          QStringLiteral("Processing"), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                          QMessageBox::NoIcon, QMessageBox::Yes);
        if (eAnswer == QMessageBox::Cancel || host.pOperations->IsClosing())
            return;
        if (eAnswer == QMessageBox::Yes) {
            model.ResetPagesTotal();
            bRecountAll = true;
        }
    }
    auto* pJob = new CCountJob(model, *host.pWork, bRecountAll);
    QWidget* pOwner = host.pOwner;
    auto* pRun = new CJobRun(
        pJob, std::move(pLock), *host.pOperations, pOwner, [pOwner] { return new CProcessingDlg(pOwner); }, 0,
        [pOwner](const CJob& job, bool bAsked) {
            if (!bAsked || job.WasStopped())
                return;
            AppMessageBox(pOwner, QStringLiteral("Done."), QString(), QMessageBox::Ok, QMessageBox::Warning,
                          QMessageBox::NoButton, DoneLines(static_cast<const CCountJob&>(job).Outcome()));
        });
    pRun->setObjectName(kRunName);
    pRun->Start();
}

CJobRun* RunningCountRun(QWidget* pOwner)
{
    auto* pRun = pOwner->findChild<CJobRun*>(kRunName, Qt::FindDirectChildrenOnly);
    return pRun && !pRun->Job()->IsFinished() ? pRun : nullptr;
}
