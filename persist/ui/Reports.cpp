#include "Reports.h"

#include "FileDialogs.h"
#include "common/core/FileName.h"
#include "common/ui/AppMessageBox.h"
#include "common/ui/CLongOperations.h"
#include "persist/core/ReportFile.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

// What tells the reports apart.
struct SReportKind {
    EReportKind eKind;
    const char* pszDialogTitle;
    const char* pszSuffix;
    const char* pszHeaderCaption;   // null: header and total always, no questions
    const char* pszOpenQuestion;
};

const SReportKind kCsvReport = {EReportKind::Csv, "Export Files to CSV file", "csv", "CSV Report",
                                "Do you want to open file now in excel ?"};
const SReportKind kTextReport = {EReportKind::Text, "Export Files to TXT file", "txt", "Text Report",
                                 "Do you want to open file now in notepad ?"};
// A profile without its header or its totals says little: it asks nothing; nor do the reports a
// bill is made and checked by.
const SReportKind kProfileReport = {EReportKind::Profile, "Export Page Profile to CSV file", "csv", nullptr,
                                    "Do you want to open file now in excel ?"};
const SReportKind kFolderSummaryReport = {EReportKind::FolderSummary, "Export Folder Summary to CSV file", "csv",
                                          nullptr, "Do you want to open file now in excel ?"};
const SReportKind kAuditReport = {EReportKind::Audit, "Export Audit Report to CSV file", "csv", nullptr,
                                  "Do you want to open file now in excel ?"};

bool AskYes(QWidget* pOwner, const QString& strText, const QString& strCaption)
{
    return AppMessageBox(pOwner, strText, strCaption, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void RunReport(const SListHost& host, const SReportKind& kind)
{
    QWidget* pOwner = host.pOwner;
    const QByteArray path = AskFileName(pOwner, EFileDialog::Save, QString::fromLatin1(kind.pszDialogTitle),
                                        QString::fromLatin1(kind.pszSuffix));
    if (path.isEmpty() || host.pOperations->IsClosing())
        return;
    CReportFile file(path, kind.eKind);
    const auto cantWrite = [&] { ShowCantWriteReport(pOwner, path, file.ErrorString()); };
    // Begun before the questions, where the Windows version created or emptied the file; an older
    // report of that name stays whole until the new one is.
    if (!file.Open()) {
        cantWrite();
        return;
    }
    const bool bAsks = kind.pszHeaderCaption != nullptr;
    if (!bAsks || AskYes(pOwner, QStringLiteral("Do you want to include a description header ?"),
                         QString::fromLatin1(kind.pszHeaderCaption)))
        file.Writer().WriteHeader();
    file.Writer().WriteRowsInUse(*host.pModel);
    // The caption is the CSV report's in both reports that ask.
    if (!bAsks || AskYes(pOwner, QStringLiteral("Do you want to include page total count ?"),
                         QStringLiteral("Export CSV Report")))
        file.Writer().WriteTotal();
    if (!file.Close()) {
        cantWrite();
        return;
    }
    // The window ended while a question was open: the file is written, nothing more is asked.
    if (host.pOperations->IsClosing())
        return;
    AppMessageBox(pOwner, QStringLiteral("Done"), QStringLiteral("File Saved"));
    if (AskYes(pOwner, QString::fromLatin1(kind.pszOpenQuestion), QStringLiteral("Open File")))
        QDesktopServices::openUrl(FileUrl(path));
}

}  // namespace

void ShowCantWriteReport(QWidget* pOwner, const QByteArray& path, const QString& strReason)
{
    AppMessageBox(pOwner, QStringLiteral("Can't write to ") + DisplayFileName(path), QStringLiteral("File Report Error"),
                  QMessageBox::Ok, QMessageBox::Critical, QMessageBox::NoButton, strReason);
}

void RunCsvReport(const SListHost& host)
{
    RunReport(host, kCsvReport);
}

void RunTextReport(const SListHost& host)
{
    RunReport(host, kTextReport);
}

void RunProfileReport(const SListHost& host)
{
    RunReport(host, kProfileReport);
}

void RunFolderSummaryReport(const SListHost& host)
{
    RunReport(host, kFolderSummaryReport);
}

void RunAuditReport(const SListHost& host)
{
    RunReport(host, kAuditReport);
}
