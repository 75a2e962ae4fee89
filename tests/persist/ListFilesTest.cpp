#include "FileSizeLimit.h"
#include "app/ui/CPageCountDlg.h"
#include "filelist/core/CFileListModel.h"
#include "res/resource.h"
#include "support/ModalBox.h"
#include "support/TempDir.h"
#include "support/Waiting.h"

#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QSignalSpy>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

const QString kOpen = QStringLiteral("Open List File");
const QString kSave = QStringLiteral("Save List File");

// Answers a file dialog as a user does: types a name into its name field and presses Enter.
std::function<void(QWidget*)> TypeName(const QString& strName)
{
    return [strName](QWidget* pDialog) {
        pDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(strName);
        static_cast<QDialog*>(pDialog)->accept();
    };
}

void CancelDialog(QWidget* pDialog)
{
    static_cast<QDialog*>(pDialog)->reject();
}

SExpectedBox PathBox(const QString& strCaption, const QString& strPath)
{
    return {strCaption, strPath, QMessageBox::Ok, QMessageBox::NoIcon};
}

QByteArray ReadAll(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

class ListFiles : public testing::Test {
protected:
    ListFiles() : dlg(nullptr, false), kFirstTitle(dlg.windowTitle()) { dlg.show(); }

    QAction* Action(int nId) { return dlg.GetMenuBar()->findChild<QAction*>(QString::number(nId)); }
    // Runs a command from its menu item and waits until it and its boxes are through.
    void Run(int nId, CModalBoxes& boxes)
    {
        Action(nId)->trigger();
        EXPECT_TRUE(WaitUntil([&] { return boxes.AllAnswered() && !dlg.Operations().IsBusy(); }));
    }
    // Each row as its Use text, a blank and its path's bytes.
    QList<QByteArray> Rows()
    {
        QList<QByteArray> rows;
        for (int i = 0; i < dlg.GetModel()->GetRowCount(); ++i)
            rows << dlg.GetModel()->GetText(i, COL_USE).toLatin1() + ' ' + dlg.GetModel()->GetRecord(i).path;
        return rows;
    }
    QString TitleWith(const QString& strPath) { return QStringLiteral("Pagewick v1.02  [") + strPath + u']'; }

    CTempDir dir;
    CPageCountDlg dlg;
    const QString kFirstTitle;
};

TEST_F(ListFiles, LoadReplacesTheListAndAppendAddsBelow)
{
    const QByteArray a = dir.Write(QStringLiteral("a.tif"), QByteArray("II*\0", 4)).toUtf8();
    const QByteArray b = dir.WriteRaw("b, \"\xe9\".tif", "MM");
    const QString strList = dir.Write(QStringLiteral("one.lst"), a + "\r\r\n~" + b + "\r\r\n");
    const QString strMore = dir.Write(QStringLiteral("two.lst"), a + "\r\n");     // another tool's CR LF
    dlg.AppendFileRow("/old.tif", true);
    dlg.SetPagesTotal(7);
    CModalBoxes boxes;
    boxes.ExpectDialog(kOpen, TypeName(strList));
    Run(ID_FILE_LOADLIST, boxes);
    EXPECT_EQ(Rows(), QList<QByteArray>({"Yes " + a, "No " + b}));
    EXPECT_EQ(dlg.GetModel()->GetText(0, COL_FILESIZE), QStringLiteral("4"));
    EXPECT_EQ(dlg.GetModel()->GetText(1, COL_STATUS), QStringLiteral("Ready."));
    EXPECT_EQ(dlg.GetModel()->GetText(1, COL_PAGES), QString());
    EXPECT_EQ(dlg.ItemsTotal(), 2);
    EXPECT_EQ(dlg.PagesTotal(), 7);     // loading leaves the pages total alone
    EXPECT_EQ(dlg.windowTitle(), TitleWith(strList));

    boxes.ExpectDialog(kOpen, TypeName(strMore));
    Run(ID_FILE_APPENDLIST, boxes);
    EXPECT_EQ(Rows(), QList<QByteArray>({"Yes " + a, "No " + b, "Yes " + a}));
    EXPECT_EQ(dlg.ListPath(), strMore.toUtf8());
    EXPECT_EQ(dlg.windowTitle(), TitleWith(strMore));
}

TEST_F(ListFiles, SaveWritesDefaultLstInTheCurrentDirectoryOnlyWhenThereAreRows)
{
    const QString strHome = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.Path()));
    CModalBoxes boxes;
    boxes.Expect(PathBox(QStringLiteral("Save Error!"), QStringLiteral("No Files to Save")), QMessageBox::Ok);
    Run(ID_FILE_SAVELIST, boxes);
    boxes.Expect(PathBox(QStringLiteral("Save Error!"), QStringLiteral("No Files to Save")), QMessageBox::Ok);
    Run(ID_FILE_SAVELISTAS, boxes);     // no dialog either
    EXPECT_EQ(dlg.windowTitle(), kFirstTitle);
    dlg.AppendFileRow("/s/a.tif", true);
    dlg.AppendFileRow("~/b.tif", false);
    boxes.Expect(PathBox(QStringLiteral("List File Saved OK"), QStringLiteral("default.lst")), QMessageBox::Ok);
    Run(ID_FILE_SAVELIST, boxes);
    QDir::setCurrent(strHome);
    EXPECT_EQ(ReadAll(dir.Path(QStringLiteral("default.lst"))), QByteArray("/s/a.tif\r\r\n~~/b.tif\r\r\n"));
    EXPECT_EQ(dlg.windowTitle(), TitleWith(QStringLiteral("default.lst")));
}

TEST_F(ListFiles, SaveAsAndLoadKeepEveryByteOfEveryPath)
{
    const QList<QByteArray> paths = {dir.WriteRaw("caf\xe9 \xff.tif", QByteArray("II*\0", 4)), dir.Bytes() + "/gone, \"x\".tif",
                                     dir.WriteRaw("Z\xc3\xbcrich.tif", "MM")};
    dlg.AppendFileRow(paths[0], true);
    dlg.AppendFileRow(paths[1], false);
    dlg.AppendFileRow(paths[2], true);
    const QList<QByteArray> rows = Rows();
    const QString strList = dir.Path(QStringLiteral("saved.lst"));
    CModalBoxes boxes;
    boxes.ExpectDialog(kSave, TypeName(dir.Path(QStringLiteral("saved"))));   // the extension comes by itself
    boxes.Expect(PathBox(QStringLiteral("List File Saved OK"), strList), QMessageBox::Ok);
    Run(ID_FILE_SAVELISTAS, boxes);
    EXPECT_EQ(ReadAll(strList), paths[0] + "\r\r\n~" + paths[1] + "\r\r\n" + paths[2] + "\r\r\n");
    EXPECT_EQ(dlg.windowTitle(), TitleWith(strList));

    boxes.ExpectDialog(kOpen, TypeName(strList));
    Run(ID_FILE_LOADLIST, boxes);
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(dlg.GetModel()->GetText(0, COL_FILESIZE), QStringLiteral("4"));

    // Replacing the file is asked first; No goes back to the dialog.
    const SExpectedBox replace{kSave, QStringLiteral("saved.lst already exists.\nDo you want to replace it?"),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning};
    boxes.ExpectDialog(kSave, TypeName(strList));
    boxes.Expect(replace, QMessageBox::No);
    boxes.ExpectDialog(kSave, CancelDialog);
    Run(ID_FILE_SAVELISTAS, boxes);
    EXPECT_EQ(boxes.Seen().size(), 6);
}

struct SCancelCase {
    const char* pszName;
    int nCommand;
    QString strDialog;
    QString strSuffix;
};

class ListFilesCancel : public ListFiles, public testing::WithParamInterface<SCancelCase> {};

TEST_P(ListFilesCancel, KeepsTheListTheTitleAndTheFiles)
{
    dlg.AppendFileRow("/s/a.tif", true);
    QStringList filters;
    QString strSuffix;
    CModalBoxes boxes;
    boxes.ExpectDialog(GetParam().strDialog, [&](QWidget* pDialog) {
        auto* pTypes = pDialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; i < pTypes->count(); ++i)
            filters << pTypes->itemText(i);
        strSuffix = static_cast<QFileDialog*>(pDialog)->defaultSuffix();
        CancelDialog(pDialog);
    });
    Run(GetParam().nCommand, boxes);
    EXPECT_EQ(filters, QStringList({"*." + GetParam().strSuffix, "All Files *.*"}));
    EXPECT_EQ(strSuffix, GetParam().strSuffix);
    EXPECT_EQ(Rows(), QList<QByteArray>({"Yes /s/a.tif"}));
    EXPECT_EQ(dlg.windowTitle(), kFirstTitle);
    EXPECT_TRUE(dlg.ListPath().isEmpty());
    EXPECT_EQ(boxes.Seen().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, ListFilesCancel,
                         testing::Values(SCancelCase{"Load", ID_FILE_LOADLIST, kOpen, "lst"},
                                         SCancelCase{"Append", ID_FILE_APPENDLIST, kOpen, "lst"},
                                         SCancelCase{"SaveAs", ID_FILE_SAVELISTAS, kSave, "lst"},
                                         SCancelCase{"CsvReport", ID_REPORTS_CSV, "Export Files to CSV file", "csv"},
                                         SCancelCase{"TextReport", ID_REPORTS_TEXT, "Export Files to TXT file", "txt"}),
                         [](const testing::TestParamInfo<SCancelCase>& info) { return info.param.pszName; });

TEST_F(ListFiles, AListThatCannotBeReadIsNamedInTheTitleAndInTheBox)
{
    const QString strFifo = dir.Path(QStringLiteral("pipe.lst"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);     // would block if it were opened
    dlg.AppendFileRow("/s/a.tif", true);
    CModalBoxes boxes;
    boxes.ExpectDialog(kOpen, TypeName(strFifo));
    boxes.Expect(PathBox(QStringLiteral("Can't read list file."), strFifo), QMessageBox::Ok);
    Run(ID_FILE_APPENDLIST, boxes);
    EXPECT_EQ(Rows(), QList<QByteArray>({"Yes /s/a.tif"}));
    EXPECT_EQ(dlg.windowTitle(), TitleWith(strFifo));
    boxes.ExpectDialog(kOpen, TypeName(strFifo));
    boxes.Expect(PathBox(QStringLiteral("Can't read list file."), strFifo), QMessageBox::Ok);
    Run(ID_FILE_LOADLIST, boxes);
    EXPECT_TRUE(Rows().isEmpty());
}

TEST_F(ListFiles, AFailedSaveSaysSoAndKeepsThePreviousFile)
{
    const QString strBlocker = dir.Write(QStringLiteral("file"), "x");
    const QString strNowhere = strBlocker + QStringLiteral("/list.lst");
    const QString strList = dir.Path(QStringLiteral("list.lst"));
    for (int i = 0; i < 20000; ++i)
        dlg.AppendFileRow("/scans/page" + QByteArray::number(i) + ".tif", true);
    CModalBoxes boxes;
    boxes.ExpectDialog(kSave, TypeName(strNowhere));
    boxes.Expect(PathBox(QStringLiteral("Can't write to lst file."), strNowhere), QMessageBox::Ok);
    Run(ID_FILE_SAVELISTAS, boxes);
    EXPECT_EQ(dlg.windowTitle(), TitleWith(strNowhere));    // the chosen path, written or not

    dir.Write(QStringLiteral("list.lst"), "/old.tif\r\r\n");
    dlg.SetListPath(strList.toUtf8());
    {
        const CFileSizeLimit limit(64 * 1024);
        boxes.Expect(PathBox(QStringLiteral("Can't write to lst file."), strList), QMessageBox::Ok);
        Run(ID_FILE_SAVELIST, boxes);
    }
    EXPECT_EQ(ReadAll(strList), QByteArray("/old.tif\r\r\n"));
    EXPECT_EQ(dlg.windowTitle(), TitleWith(strNowhere));    // Save changes it only when written
}

// A long list comes in batches while the window's loop runs; no other long operation starts meanwhile.
TEST_F(ListFiles, ALongListLoadsInTheWindowsLoop)
{
    const QByteArray a = dir.Write(QStringLiteral("a.tif"), QByteArray("II*\0", 4)).toUtf8();
    QByteArray bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += (i % 2 ? "~" : "") + a + "\r\r\n";
    const QString strList = dir.Write(QStringLiteral("long.lst"), bytes);
    QSignalSpy inserts(dlg.GetModel(), &QAbstractItemModel::rowsInserted);
    bool bBlocked = false;
    CWhen inside([&] { return dlg.GetModel()->GetRowCount() > 0; },
                 [&] {
                     bBlocked = !Action(ID_FILE_APPENDLIST)->isEnabled() && !Action(ID_FILE_LOADLIST)->isEnabled() &&
                                !Action(ID_FILE_SCANDIRECTORIES)->isEnabled();
                     dlg.OnCommand(ID_FILE_APPENDLIST);     // refused: no dialog
                 });
    CModalBoxes boxes;
    boxes.ExpectDialog(kOpen, TypeName(strList));
    Run(ID_FILE_LOADLIST, boxes);
    EXPECT_TRUE(inside.Done());
    EXPECT_TRUE(bBlocked);
    EXPECT_EQ(dlg.GetModel()->GetRowCount(), 100000);
    EXPECT_EQ(dlg.GetModel()->GetText(99999, COL_USE), QStringLiteral("No"));
    EXPECT_GT(inserts.size(), 1);
    EXPECT_LT(inserts.size(), 1000);
    EXPECT_TRUE(Action(ID_FILE_APPENDLIST)->isEnabled());
}

TEST_F(ListFiles, ClosingTheWindowStopsTheLoadAtOnce)
{
    QByteArray bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += dir.Bytes() + "/f" + QByteArray::number(i) + ".tif\r\r\n";
    const QString strList = dir.Write(QStringLiteral("long.lst"), bytes);
    QElapsedTimer sinceClose;
    CWhen close([this] { return dlg.GetModel()->GetRowCount() > 0; },
                [&] {
                    sinceClose.start();
                    dlg.close();
                });
    CModalBoxes boxes;
    boxes.ExpectDialog(kOpen, TypeName(strList));
    Run(ID_FILE_LOADLIST, boxes);
    EXPECT_TRUE(close.Done());
    EXPECT_LT(sinceClose.elapsed(), 200);
    EXPECT_LT(dlg.GetModel()->GetRowCount(), 200000);
    EXPECT_EQ(boxes.Seen().size(), 1);
}

// A list of one 100 MB line, with NUL and bytes that are not UTF-8 in it, loads whole.
TEST_F(ListFiles, AHugeLineLoadsAsOnePath)
{
    QByteArray huge = dir.Bytes() + '/' + QByteArray(100 * 1024 * 1024, 'x');
    huge[huge.size() / 2] = '\0';
    huge[huge.size() / 3] = '\xff';
    const QString strList = dir.Write(QStringLiteral("huge.lst"), huge + "\r\r\n/b\r\r\n");
    CModalBoxes boxes;
    boxes.ExpectDialog(kOpen, TypeName(strList));
    Run(ID_FILE_LOADLIST, boxes);
    ASSERT_EQ(dlg.GetModel()->GetRowCount(), 2);
    EXPECT_TRUE(dlg.GetModel()->GetRecord(0).path == huge);
    EXPECT_EQ(dlg.GetModel()->GetText(0, COL_FILESIZE), QStringLiteral("0"));
}

}  // namespace
