#include "ListFiles.h"

#include "FileDialogs.h"
#include "common/core/FileName.h"
#include "common/ui/AppMessageBox.h"
#include "common/ui/CLongOperations.h"
#include "common/ui/CJobRun.h"
#include "common/ui/CProcessingDlg.h"
#include "filelist/core/CFileListModel.h"
#include "persist/core/ListFile.h"
#include "persist/core/ListLoadJob.h"

#include <memory>

namespace {

const QString kListSuffix = QStringLiteral("lst");
// Loading is mostly quick: its window shows only when it takes this long.
constexpr int kWindowDelayMs = 500;

// The list-file boxes: the path as text, the news in the caption; a failure with the system's
// reason below.
void ShowPathBox(QWidget* pOwner, const QByteArray& path, const QString& strCaption)
{
    AppMessageBox(pOwner, DisplayFileName(path), strCaption);
}

void ShowFailure(QWidget* pOwner, const QByteArray& path, const QString& strCaption, const QString& strReason)
{
    AppMessageBox(pOwner, DisplayFileName(path), strCaption, QMessageBox::Ok, QMessageBox::Critical,
                  QMessageBox::NoButton, strReason);
}

void ShowCantRead(QWidget* pOwner, const QByteArray& path, const QString& strReason)
{
    ShowFailure(pOwner, path, QStringLiteral("Can't read list file."), strReason);
}

// Saved, but without the rows whose paths cannot stand in a list file: how many, why, and the first.
void ShowLeftOut(QWidget* pOwner, const QByteArray& path, const SListFileSave& save)
{
    const QString strCount = save.nLeftOut == 1 ? QStringLiteral("1 row was not saved in ")
                                                : QStringLiteral("%1 rows were not saved in ").arg(save.nLeftOut);
    AppMessageBox(pOwner, strCount + DisplayFileName(path) + u'.', QStringLiteral("Rows Not Saved"),
                  QMessageBox::Ok, QMessageBox::Warning, QMessageBox::NoButton,
                  QStringLiteral("A list file holds one path per line, and a path with a line break (CR or LF) "
                                 "or the byte 0x1A cannot stand in a line.\nThe first: ") +
                      ReadablePath(save.firstLeftOut));
}

// Reads the rows of a list file into the list: the file becomes the current list path and shows
// in the title before it is read, so it stays there even when it cannot be read. Reading it and
// looking at its files is the workers' work; the rows join the list as they come.
void LoadListFile(const SListHost& host, std::unique_ptr<CLongOperationLock> pLock, const QByteArray& path,
                  bool bAppend)
{
    host.pListPath->SetListPath(path);
    host.pListPath->UpdateListTitle();
    auto* pJob = new CListLoadJob(*host.pModel, *host.pWork, path);
    QWidget* pOwner = host.pOwner;
    const QString strName = bAppend ? QStringLiteral("Append File List") : QStringLiteral("Load File List");
    // The rows read before a failed read stay, and the failure is told; the window's end says nothing.
    auto* pRun = new CJobRun(pJob, std::move(pLock), *host.pOperations, pOwner,
                             [pOwner, strName] { return new CProcessingDlg(pOwner, strName); }, kWindowDelayMs,
                             [pOwner, path](const CJob& job, bool bAsked) {
                                 const QString strError = static_cast<const CListLoadJob&>(job).ReadError();
                                 if (bAsked && !strError.isEmpty())
                                     ShowCantRead(pOwner, path, strError);
                             });
    pRun->setObjectName(QStringLiteral("ListLoadRun"));
    pRun->Start();
}

// Writes the list to the current list path; the title follows only when the file was written.
void WriteListFile(const SListHost& host)
{
    const QByteArray path = host.pListPath->ListPath();
    SListFileSave save;
    if (!SaveListFile(path, *host.pModel, &save)) {
        ShowFailure(host.pOwner, path, QStringLiteral("Can't write to lst file."), save.strError);
        return;
    }
    host.pListPath->UpdateListTitle();
    if (save.nLeftOut > 0)
        ShowLeftOut(host.pOwner, path, save);
    else
        ShowPathBox(host.pOwner, path, QStringLiteral("List File Saved OK"));
}

}  // namespace

void RunLoadList(const SListHost& host, bool bAppend)
{
    // Held from the dialog on, so that no other long operation starts while it is open.
    auto pLock = std::make_unique<CLongOperationLock>(*host.pOperations, ELongOperation::ListLoad);
    if (!pLock->Held())
        return;
    const QByteArray path = AskFileName(host.pOwner, EFileDialog::Open, QStringLiteral("Open List File"), kListSuffix);
    if (path.isEmpty() || host.pOperations->IsClosing())
        return;
    // Emptied only now that a file was chosen: Cancel keeps the list.
    if (!bAppend)
        host.pModel->Clear();
    LoadListFile(host, std::move(pLock), path, bAppend);
}

void RunSaveList(const SListHost& host, bool bSaveAs)
{
    if (host.pModel->GetRowCount() == 0) {
        AppMessageBox(host.pOwner, QStringLiteral("No Files to Save"), QStringLiteral("Save Error!"));
        return;
    }
    if (bSaveAs) {
        const QByteArray path =
            AskFileName(host.pOwner, EFileDialog::Save, QStringLiteral("Save List File"), kListSuffix);
        if (path.isEmpty() || host.pOperations->IsClosing())
            return;
        // The chosen file is the current list from now on, whether or not it can be written.
        host.pListPath->SetListPath(path);
        host.pListPath->UpdateListTitle();
    } else if (host.pListPath->ListPath().isEmpty()) {
        // In the current directory.
        host.pListPath->SetListPath("default.lst");
    }
    WriteListFile(host);
}

#include "ListFiles.moc"
