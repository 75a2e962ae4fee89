#include "AddFiles.h"

#include "CScanDlg.h"
#include "PumpMessages.h"
#include "common/ui/AppMessageBox.h"
#include "app/ui/CPageCountDlg.h"
#include "count/core/CountAhead.h"
#include "count/core/PageCounter.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/core/ScanJob.h"
#include "support/ui/CFolderDialog.h"

#include <QFileInfo>
#include <QHash>

namespace {

// Runs the walk on a worker thread and appends its rows at the pump's pace, so the window
// repaints at most about sixty times a second however fast the rows come.
void RunScan(CPageCountDlg& dlg, const QString& strDir, bool bSubFolders)
{
    CFileListModel& model = *dlg.GetModel();
    CScanJob job(strDir, bSubFolders);
    for (;;) {
        const bool bFinished = job.WaitFinished(kPumpIntervalMs);
        QVector<FileRecord> rows = job.TakeRows();
        if (!rows.isEmpty())
            model.AppendRows(std::move(rows));
        if (dlg.m_pScanDlg)
            dlg.m_pScanDlg->SetDirectory(job.CurrentDirectory());
        if (bFinished)
            return;
        PumpMessages();
        if (dlg.IsClosing() || !dlg.m_pScanDlg || dlg.m_pScanDlg->m_bStop)
            job.RequestStop();      // the rows made so far still come in before the loop ends
    }
}

}  // namespace

void RunDropFiles(CPageCountDlg& dlg, const QList<QUrl>& urls)
{
    QVector<FileRecord> rows;
    for (const QUrl& url : urls) {
        const QString strPath = url.toLocalFile();
        if (strPath.isEmpty())
            continue;
        const QFileInfo info(strPath);
        if (!info.exists() && !info.isSymLink())
            continue;   // vanished since the drag began
        if (info.isDir())
            continue;   // dropped directories are neither scanned nor listed
        rows.append(MakeFileRecord(strPath, QLatin1String(FileText::kYes)));
    }
    dlg.GetModel()->AppendRows(std::move(rows));
}

void RunScanDirectories(CPageCountDlg& dlg)
{
    {
        CLongOperation operation(dlg, ELongOperation::Scan);
        if (!operation.Started())
            return;
        CFolderDialog chooser(QStringLiteral("Directory..."), QStringLiteral("Please choose your directory..."),
                              QString(), &dlg);
        if (chooser.DoModal() == 1 && !dlg.IsClosing()) {
            // The box counts as it stands when the chooser returns.
            dlg.UpdateData(true);
            dlg.m_pScanDlg = new CScanDlg(&dlg);
            RunScan(dlg, chooser.GetPath(), dlg.m_bSubFolders != 0);
            delete dlg.m_pScanDlg;
        }
    }
    if (dlg.IsClosing())
        return;
    if (AppMessageBox(&dlg, QStringLiteral("Do you wish to remove non TIFF files from the list ?"),
                      QStringLiteral("Remove from list"), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        RunRemoveNonTiffFiles(dlg);
}

void RunRemoveNonTiffFiles(CPageCountDlg& dlg)
{
    CLongOperation operation(dlg, ELongOperation::Filter);
    if (!operation.Started())
        return;
    CFileListModel& model = *dlg.GetModel();

    // Each distinct file is tested once, on every core, while the window stays alive.
    QStringList paths;
    QHash<QString, bool> isTiff;
    for (int i = 0; i < model.GetRowCount(); ++i) {
        const QString& strPath = model.GetRecord(i)[COL_FILENAME];
        if (!isTiff.contains(strPath)) {
            isTiff.insert(strPath, false);
            paths.append(strPath);
        }
    }
    {
        CWorkAhead<bool> ahead(0, [](const QString& strPath) { return IsTiffFile(strPath); }, 256);
        ahead.Enqueue(paths);
        for (const QString& strPath : paths) {
            std::optional<bool> result;
            while (!(result = ahead.Take(strPath, kPumpIntervalMs))) {
                PumpMessages();
                if (dlg.IsClosing())
                    return;
            }
            isTiff[strPath] = *result;
            PumpMessages();
        }
    }
    if (dlg.IsClosing())
        return;
    // Rows that came in while the files were tested are tested now.
    const int nRemoved = model.RemoveRowsIf([&isTiff](const FileRecord& rec) {
        auto it = isTiff.find(rec[COL_FILENAME]);
        if (it == isTiff.end())
            it = isTiff.insert(rec[COL_FILENAME], IsTiffFile(rec[COL_FILENAME]));
        return !*it;
    });
    AppMessageBox(&dlg, QStringLiteral("%1 file(s) removed from list.").arg(nRemoved), QString(), QMessageBox::Ok,
                  QMessageBox::Warning);
}
