#include "PersistTesting.h"
#include "persist/ui/ListFiles.h"

#include <QComboBox>
#include <QFileDialog>
#include <QSignalSpy>

#include <sys/stat.h>

namespace {

const QString kOpen = QStringLiteral("Open List File");
const QString kSave = QStringLiteral("Save List File");
const SExpectedBox kNoFiles = OkBox(QStringLiteral("Save Error!"), QStringLiteral("No Files to Save"));

QString TitleWith(const QString& strPath)
{
    return QStringLiteral("Pagewick v1.02  [") + strPath + u']';
}

class ListFiles : public CWindowTest {
protected:
    // A list file of n entries naming one file, every other one not in use.
    QString LongList(int n)
    {
        const QByteArray a = dir.Write(QStringLiteral("a.tif"), "MM").toUtf8();
        QByteArray bytes;
        for (int i = 0; i < n; ++i)
            bytes += (i % 2 ? "~" : "") + a + "\r\r\n";
        return dir.Write(QStringLiteral("long.lst"), bytes);
    }
};

TEST_F(ListFiles, LoadReplacesTheListAndAppendAddsBelow)
{
    const QByteArray a = dir.Write(QStringLiteral("a.tif"), QByteArray("II*\0", 4)).toUtf8();
    const QByteArray b = dir.WriteRaw("b, \"\xe9\".tif", "MM");
    const QString strList = dir.Write(QStringLiteral("one.lst"), a + "\r\r\n~" + b + "\r\r\n");
    const QString strMore = dir.Write(QStringLiteral("two.lst"), a + "\r\n");     // another tool's CR LF
    dlg.AppendFileRow("/old.tif", true);
    dlg.GetModel()->SetCounted(0, 7, QString(), nullptr, CPageSummary());
    CModalBoxes boxes;
    boxes.ExpectDialog(kOpen, TypeName(strList));
    Run("actionLoadList", boxes);
    EXPECT_EQ(Rows(), QList<QByteArray>({"Yes " + a, "No " + b}));
    EXPECT_EQ(dlg.GetModel()->GetText(0, COL_FILESIZE), QStringLiteral("4"));
    EXPECT_EQ(dlg.GetModel()->GetText(1, COL_STATUS), QStringLiteral("Ready."));
    EXPECT_EQ(dlg.ItemsTotal(), 2);
    EXPECT_EQ(dlg.PagesTotal(), 7);     // loading leaves the pages total alone
    EXPECT_EQ(dlg.windowTitle(), TitleWith(strList));

    boxes.ExpectDialog(kOpen, TypeName(strMore));
    Run("actionAppendList", boxes);
    EXPECT_EQ(Rows(), QList<QByteArray>({"Yes " + a, "No " + b, "Yes " + a}));
    EXPECT_EQ(dlg.windowTitle(), TitleWith(strMore));
}

TEST_F(ListFiles, SaveWritesDefaultLstInTheCurrentDirectoryWhenThereAreRows)
{
    const QString strHome = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.Path()));
    CModalBoxes boxes;
    boxes.Expect(kNoFiles, QMessageBox::Ok);
    Run("actionSaveList", boxes);
    boxes.Expect(kNoFiles, QMessageBox::Ok);
    Run("actionSaveListAs", boxes);     // and no dialog
    EXPECT_EQ(dlg.windowTitle(), strFirstTitle);
    dlg.AppendFileRow("/s/a.tif", true);
    dlg.AppendFileRow("~/b.tif", false);
    boxes.Expect(OkBox(QStringLiteral("List File Saved OK"), QStringLiteral("default.lst")), QMessageBox::Ok);
    Run("actionSaveList", boxes);
    QDir::setCurrent(strHome);
    EXPECT_EQ(ReadAll(dir.Path(QStringLiteral("default.lst"))), "/s/a.tif\r\r\n~~/b.tif\r\r\n");
    EXPECT_EQ(dlg.windowTitle(), TitleWith(QStringLiteral("default.lst")));
}

TEST_F(ListFiles, SaveAsAndLoadKeepEveryByteOfEveryPath)
{
    const QList<QByteArray> paths = {dir.WriteRaw("caf\xe9 \xff.tif", QByteArray("II*\0", 4)),
                                     dir.Bytes() + "/gone, \"x\".tif", dir.WriteRaw("Z\xc3\xbcrich.tif", "MM")};
    for (int i = 0; i < 3; ++i)
        dlg.AppendFileRow(paths[i], i != 1);
    const QList<QByteArray> rows = Rows();
    const QString strList = dir.Path(QStringLiteral("saved.lst"));
    CModalBoxes boxes;
    boxes.ExpectDialog(kSave, TypeName(dir.Path(QStringLiteral("saved"))));   // the extension comes by itself
    boxes.Expect(OkBox(QStringLiteral("List File Saved OK"), strList), QMessageBox::Ok);
    Run("actionSaveListAs", boxes);
    EXPECT_EQ(ReadAll(strList), paths[0] + "\r\r\n~" + paths[1] + "\r\r\n" + paths[2] + "\r\r\n");
    EXPECT_EQ(dlg.windowTitle(), TitleWith(strList));
    boxes.ExpectDialog(kOpen, TypeName(strList));
    Run("actionLoadList", boxes);
    EXPECT_EQ(Rows(), rows);
    // Replacing the file is asked first; No goes back to the dialog.
    boxes.ExpectDialog(kSave, TypeName(strList));
    boxes.Expect({kSave, QStringLiteral("saved.lst already exists.\nDo you want to replace it?"),
                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning},
                 QMessageBox::No);
    boxes.ExpectDialog(kSave, CancelDialog);
    Run("actionSaveListAs", boxes);
}

struct SDialogCase {
    const char* pszName;
    const char* pszAction;
    QString strDialog;
    QString strSuffix;
};

class ListFilesDialog : public ListFiles, public testing::WithParamInterface<SDialogCase> {};

// Each dialog's filters and lower-case suffix; its Cancel changes nothing.
TEST_P(ListFilesDialog, FiltersOnItsExtensionAndCancelKeepsEverything)
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
    Run(GetParam().pszAction, boxes);
    EXPECT_EQ(filters, QStringList({"*." + GetParam().strSuffix, "All Files *.*"}));
    EXPECT_EQ(strSuffix, GetParam().strSuffix);
    EXPECT_EQ(Rows(), QList<QByteArray>({"Yes /s/a.tif"}));
    EXPECT_EQ(dlg.windowTitle(), strFirstTitle);
    EXPECT_EQ(boxes.Seen().size(), 1);
    EXPECT_TRUE(QDir(dir.Path()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Commands, ListFilesDialog,
                         testing::Values(SDialogCase{"Load", "actionLoadList", kOpen, "lst"},
                                         SDialogCase{"Append", "actionAppendList", kOpen, "lst"},
                                         SDialogCase{"SaveAs", "actionSaveListAs", kSave, "lst"},
                                         SDialogCase{"CsvReport", "actionCsvReport", "Export Files to CSV file", "csv"},
                                         SDialogCase{"TextReport", "actionTextReport", "Export Files to TXT file", "txt"}),
                         [](const testing::TestParamInfo<SDialogCase>& info) { return info.param.pszName; });

TEST_F(ListFiles, FilesThatCannotBeReadOrWrittenAreNamedInTheTitleAndTheBox)
{
    const QString strFifo = dir.Path(QStringLiteral("pipe.lst"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);     // would block if it were opened
    const QString strNowhere = dir.Write(QStringLiteral("file"), "x") + QStringLiteral("/list.lst");
    const QString strGone = dir.Write(QStringLiteral("gone.lst"), "/a\r\r\n");
    dlg.AppendFileRow("/s/a.tif", true);
    CModalBoxes boxes;
    boxes.ExpectDialog(kOpen, TypeName(strFifo));
    boxes.Expect(FailureBox(QStringLiteral("Can't read list file."), strFifo), QMessageBox::Ok);
    Run("actionAppendList", boxes);
    EXPECT_EQ(Rows(), QList<QByteArray>({"Yes /s/a.tif"}));
    EXPECT_EQ(dlg.windowTitle(), TitleWith(strFifo));
    boxes.ExpectDialog(kSave, TypeName(strNowhere));
    // Never "Saved OK".
    boxes.Expect(FailureBox(QStringLiteral("Can't write to lst file."), strNowhere), QMessageBox::Ok);
    Run("actionSaveListAs", boxes);
    EXPECT_EQ(dlg.windowTitle(), TitleWith(strNowhere));
    // Chosen, then gone before it is opened.
    boxes.ExpectDialog(kOpen, [&](QWidget* pDialog) {
        TypeName(strGone)(pDialog);
        QFile::remove(strGone);
    });
    boxes.Expect(FailureBox(QStringLiteral("Can't read list file."), strGone), QMessageBox::Ok);
    Run("actionLoadList", boxes);
    EXPECT_TRUE(Rows().isEmpty());
    EXPECT_EQ(Informatives(boxes), QStringList({"Not a regular file", "Not a directory", "No such file or directory"}));
}

// Saved and loaded back, every row whose path fits a line comes back as it was; the others are left
// out, and the box says how many and shows the first readably.
TEST_F(ListFiles, RowsWhosePathsCannotStandInALineAreLeftOutAndCounted)
{
    const struct {
        QByteArray path;
        bool bKept;
    } cases[] = {{"/s/a-line\nb-line.tif", false}, {"/s/plain.tif", true},          {"/s/cr\ronly.tif", false},
                 {"/s/caf\xe9 \xff.tif", true},     {"/s/line\r\nfeed.tif", false}, {"/s/sub\x1a" "end.tif", false},
                 {"/s/\xEF\xBB\xBFmark.tif", true}};
    QList<QByteArray> kept;
    for (int i = 0; i < int(std::size(cases)); ++i) {
        dlg.AppendFileRow(cases[i].path, i % 2 == 0);
        if (cases[i].bKept)
            kept << (i % 2 == 0 ? "Yes " : "No ") + cases[i].path;
    }
    const QString strList = dir.Path(QStringLiteral("saved.lst"));
    CModalBoxes boxes;
    boxes.ExpectDialog(kSave, TypeName(strList));
    const SExpectedBox leftOut = {QStringLiteral("Rows Not Saved"), "4 rows were not saved in " + strList + '.',
                                  QMessageBox::Ok, QMessageBox::Warning};
    boxes.Expect(leftOut, QMessageBox::Ok);
    Run("actionSaveListAs", boxes);
    EXPECT_EQ(ReadAll(strList), "~/s/plain.tif\r\r\n~/s/caf\xe9 \xff.tif\r\r\n/s/\xEF\xBB\xBFmark.tif\r\r\n");
    EXPECT_EQ(dlg.windowTitle(), TitleWith(strList));
    boxes.ExpectDialog(kOpen, TypeName(strList));
    Run("actionLoadList", boxes);
    EXPECT_EQ(Rows(), kept);
    dlg.AppendFileRow("/s/tab\tand\rcr.tif", true);
    boxes.Expect({leftOut.strCaption, "1 row was not saved in " + strList + '.', QMessageBox::Ok, QMessageBox::Warning},
                 QMessageBox::Ok);
    Run("actionSaveList", boxes);
    const QString strWhy = QStringLiteral("A list file holds one path per line, and a path with a line break (CR or "
                                          "LF) or the byte 0x1A cannot stand in a line.\nThe first: ");
    EXPECT_EQ(Informatives(boxes),
              QStringList({strWhy + "/s/a-line\\x0Ab-line.tif", strWhy + "/s/tab\\x09and\\x0Dcr.tif"}));
}

// A long list comes in batches while the window's loop runs; no other long operation starts meanwhile.
TEST_F(ListFiles, ALongListLoadsInTheWindowsLoop)
{
    const QString strList = LongList(100000);
    QSignalSpy inserts(dlg.GetModel(), &QAbstractItemModel::rowsInserted);
    bool bBlocked = false;
    CWhen inside([&] { return dlg.GetModel()->GetRowCount() > 0; },
                 [&] {
                     bBlocked = !Action("actionAppendList")->isEnabled() && !Action("actionScanDirectories")->isEnabled();
                     RunLoadList(dlg.Host(), false);     // refused: no dialog
                 });
    CModalBoxes boxes;
    boxes.ExpectDialog(kOpen, TypeName(strList));
    Run("actionLoadList", boxes);
    EXPECT_TRUE(inside.Done() && bBlocked);
    EXPECT_EQ(dlg.GetModel()->GetRowCount(), 100000);
    EXPECT_EQ(dlg.GetModel()->GetText(99999, COL_USE), QStringLiteral("No"));
    EXPECT_GT(inserts.size(), 1);
    EXPECT_LT(inserts.size(), 1000);
}

TEST_F(ListFiles, ClosingTheWindowStopsTheLoadAtOnce)
{
    const QString strList = LongList(300000);
    QElapsedTimer sinceClose;
    CWhen close([this] { return dlg.GetModel()->GetRowCount() > 0; },
                [&] {
                    sinceClose.start();
                    dlg.close();
                });
    CModalBoxes boxes;
    boxes.ExpectDialog(kOpen, TypeName(strList));
    Run("actionLoadList", boxes);
    EXPECT_LT(sinceClose.elapsed(), 200);
    EXPECT_EQ(boxes.Seen().size(), 1);
    // The rows read stay; a file not looked at by then is shown as one that cannot be read.
    const int nRows = dlg.GetModel()->GetRowCount();
    ASSERT_GT(nRows, 0);
    for (int i = 0; i < nRows; ++i)
        ASSERT_NE(dlg.GetModel()->GetRecord(i).nSize, kSizeNotKnownYet) << i;
}

// One line of 100 MB, with a NUL and bytes that are not UTF-8 in it, is one path, whole.
TEST_F(ListFiles, AHugeLineLoadsAsOnePath)
{
    QByteArray huge = dir.Bytes() + '/' + QByteArray(100 * 1024 * 1024, 'x');
    huge[huge.size() / 2] = '\0';
    huge[huge.size() / 3] = '\xff';
    CModalBoxes boxes;
    boxes.ExpectDialog(kOpen, TypeName(dir.Write(QStringLiteral("huge.lst"), huge + "\r\r\n/b\r\r\n")));
    Run("actionLoadList", boxes);
    ASSERT_EQ(dlg.GetModel()->GetRowCount(), 2);
    EXPECT_TRUE(dlg.GetModel()->GetRecord(0).path == huge);
}

}  // namespace
