#include "ListFiles.h"

#include "FileDialogs.h"
#include "common/core/FileName.h"
#include "common/ui/AppMessageBox.h"
#include "common/ui/CLongOperations.h"
#include "common/ui/CRowBatchRun.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/core/FileFacts.h"
#include "persist/core/FileProblem.h"
#include "persist/core/ListFile.h"
#include "persist/core/ListLoadJob.h"

#include <memory>

namespace {

const QString kListSuffix = QStringLiteral("lst");

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

// A list file being read: the file is read and its files looked at on a worker thread, the rows
// join the list at the pace of the screen.
class CListLoadRun : public CRowBatchRun {
    Q_OBJECT
public:
    CListLoadRun(const SListHost& host, std::unique_ptr<CLongOperationLock> pLock, const QByteArray& path)
        : CRowBatchRun(host, std::move(pLock)), m_path(path), m_pReadError(std::make_shared<QString>())
    {
        setObjectName(QStringLiteral("ListLoadRun"));
    }

    void Start(int fd) { StartRows(ListLoadWork(fd, m_pReadError)); }

private:
    // The rows read before a failed read stay, and the failure is told; the window's end says nothing.
    void Ended(const CRowBatches& batches, bool bWindowEnding) override
    {
        if (batches.Failed() && !bWindowEnding)
            ShowCantRead(Host().pOwner, m_path, *m_pReadError);
    }

    QByteArray m_path;
    std::shared_ptr<QString> m_pReadError;
};

// Reads the rows of a list file into the list: the file becomes the current list
// path and shows in the title before it is opened, so it stays there even when it cannot be read.
void LoadListFile(const SListHost& host, std::unique_ptr<CLongOperationLock> pLock, const QByteArray& path)
{
    host.pListPath->SetListPath(path);
    host.pListPath->UpdateListTitle();
    // Only a regular file is opened: a FIFO chosen by mistake would block the program.
    CRegularFile file(path);
    if (!file.IsOpen()) {
        pLock.reset();
        ShowCantRead(host.pOwner, path, UnreadableReason(path));
        return;
    }
    auto* pRun = new CListLoadRun(host, std::move(pLock), path);
    pRun->Start(file.Release());
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
    LoadListFile(host, std::move(pLock), path);
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
