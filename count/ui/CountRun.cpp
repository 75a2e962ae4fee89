#include "CountRun.h"

#include "CProcessingDlg.h"
#include "common/ui/AppMessageBox.h"
#include "app/ui/CPageCountDlg.h"
#include "count/core/CountAhead.h"
#include "count/core/PageCounter.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/core/CRowCursor.h"
#include "filelist/ui/PumpMessages.h"

#include <QPersistentModelIndex>

namespace {

bool IsInUse(const FileRecord& rec)
{
    return rec[COL_USE] == QLatin1String(FileText::kYes);
}

bool IsCounted(const FileRecord& rec)
{
    return PagesValue(rec[COL_PAGES]) > 0;
}

bool ShouldCount(const FileRecord& rec, bool bRecountAll)
{
    return IsInUse(rec) && (bRecountAll || !IsCounted(rec));
}

// Where the row that was being counted is now: the pump may have let the user move rows.
int FindCountedRow(const CFileListModel& model, const QPersistentModelIndex& row, const QString& strPath)
{
    const QString strProcessing = QLatin1String(FileText::kProcessing);
    if (row.isValid() && model.GetText(row.row(), COL_FILENAME) == strPath &&
        model.GetText(row.row(), COL_STATUS) == strProcessing)
        return row.row();
    for (int i = 0; i < model.GetRowCount(); ++i) {
        if (model.GetText(i, COL_STATUS) == strProcessing && model.GetText(i, COL_FILENAME) == strPath)
            return i;
    }
    return -1;
}

class CCountRun {
public:
    CCountRun(CPageCountDlg& dlg, bool bRecountAll)
        : m_dlg(dlg), m_model(*dlg.GetModel()), m_bRecountAll(bRecountAll)
    {
    }

    // False when the run was stopped, by Stop or by the window ending.
    bool Run()
    {
        QStringList paths;
        for (int i = 0; i < m_model.GetRowCount(); ++i) {
            if (ShouldCount(m_model.GetRecord(i), m_bRecountAll))
                paths.append(m_model.GetText(i, COL_FILENAME));
        }
        if (paths.isEmpty())
            return true;
        // The worker reads ahead in list order; the rows are written here, in the order of the list.
        // One worker: the GUI thread has the other core for the rows and the painting. Every
        // TIFFOpen maps its file, and a second worker in the same process made single-page files
        // slower, as the two contend for the process's memory map.
        CCountAhead ahead(1);
        ahead.Enqueue(paths);
        m_dlg.m_pProcessingDlg = new CProcessingDlg(&m_dlg);
        PumpMessagesNow();
        const bool bCompleted = CountRows(ahead);
        ahead.Cancel();
        delete m_dlg.m_pProcessingDlg;
        return bCompleted;
    }

private:
    bool StopRequested() const
    {
        return m_dlg.IsClosing() || !m_dlg.m_pProcessingDlg || m_dlg.m_pProcessingDlg->m_bStop;
    }

    bool CountRows(CCountAhead& ahead)
    {
        CRowCursor cursor(&m_model);
        while (cursor.Next() < m_model.GetRowCount()) {
            if (StopRequested())
                return false;
            const int nRow = cursor.Next();
            cursor.Advance();
            if (!ShouldCount(m_model.GetRecord(nRow), m_bRecountAll))
                continue;
            const QString strPath = m_model.GetText(nRow, COL_FILENAME);
            // Usually the count is there, or comes with the workers' next batch.
            std::optional<int> result = ahead.Take(strPath, kPumpIntervalMs);
            if (!result) {
                // The workers are not there yet: show the row as being counted and keep the window
                // alive, with this file's path on screen, until its count comes.
                const QString strStatus = m_model.GetText(nRow, COL_STATUS);
                const QPersistentModelIndex row(m_model.index(nRow, 0));
                m_model.SetText(nRow, COL_STATUS, QLatin1String(FileText::kProcessing));
                ShowProgress(strPath, cursor.Next() - 1);
                PumpMessagesNow();
                while (!StopRequested() && !(result = ahead.Take(strPath, kPumpIntervalMs))) {
                    ShowProgress(strPath, cursor.Next() - 1);
                    PumpMessages();
                }
                const int nAt = FindCountedRow(m_model, row, strPath);
                if (!result) {
                    // Stopped: the row gets back the status it had; its count is not taken.
                    if (nAt >= 0)
                        m_model.SetText(nAt, COL_STATUS, strStatus);
                    return false;
                }
                if (nAt < 0)
                    continue;   // the row went while it was counted
                WriteResult(nAt, *result);
            } else {
                WriteResult(nRow, *result);
            }
            // What the user sees follows at the pump's pace, not per row.
            if (PumpDue()) {
                ShowProgress(strPath, cursor.Next());
                m_dlg.UpdateData(false);
                PumpMessagesNow();
            }
        }
        return !StopRequested();
    }

    void ShowProgress(const QString& strPath, int nRowsDone)
    {
        m_dlg.m_pProcessingDlg->SetFile(strPath);
        m_dlg.m_pProcessingDlg->SetProgress(nRowsDone, m_model.GetRowCount());
    }

    void WriteResult(int nRow, int nResult)
    {
        if (nResult >= 0) {
            m_model.SetText(nRow, COL_PAGES, QString::number(nResult));
            m_model.SetText(nRow, COL_STATUS, QLatin1String(FileText::kDone));
            m_dlg.m_nPages += nResult;
        } else {
            m_model.SetText(nRow, COL_PAGES, QString());
            m_model.SetText(nRow, COL_STATUS, QLatin1String(nResult == PAGES_READ_ERROR ? FileText::kReadError
                                                                                          : FileText::kInvalid));
        }
    }

    CPageCountDlg& m_dlg;
    CFileListModel& m_model;
    bool m_bRecountAll;
};

}  // namespace

void RunCountFiles(CPageCountDlg& dlg)
{
    // A second press while a run (or a scan, or a load) goes on starts nothing.
    const CLongOperation operation(dlg, ELongOperation::CountRun);
    if (!operation.Started())
        return;

    dlg.UpdateData(true);
    const CFileListModel& model = *dlg.GetModel();
    bool bCountedRow = false;
    for (int i = 0; i < model.GetRowCount() && !bCountedRow; ++i)
        bCountedRow = IsInUse(model.GetRecord(i)) && IsCounted(model.GetRecord(i));

    bool bRecountAll = false;
    if (!bCountedRow) {
        dlg.m_nPages = 0;
    } else {
        const QMessageBox::StandardButton eAnswer =
            AppMessageBox(&dlg, QStringLiteral("Previous page count has been run, do you wish to process all again ?"),
                          QStringLiteral("Processing"), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                          QMessageBox::NoIcon, QMessageBox::Yes);
        if (eAnswer == QMessageBox::Cancel || dlg.IsClosing())
            return;
        if (eAnswer == QMessageBox::Yes) {
            dlg.m_nPages = 0;
            bRecountAll = true;
        }
    }

    const bool bCompleted = CCountRun(dlg, bRecountAll).Run();
    // The field always shows the total the run ends with, also when no file added to it.
    dlg.UpdateData(false);
    if (!bCompleted || dlg.IsClosing())
        return;
    AppMessageBox(&dlg, QStringLiteral("Done."), QString(), QMessageBox::Ok, QMessageBox::Warning);
}
