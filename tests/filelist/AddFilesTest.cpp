#include "app/ui/CPageCountDlg.h"
#include "count/ui/CountRun.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/ui/AddFiles.h"
#include "filelist/ui/CScanDlg.h"
#include "support/ModalBox.h"
#include "support/Named.h"
#include "support/TempDir.h"
#include "support/Waiting.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QString kChooser = QStringLiteral("Directory...");
const SExpectedBox kRemoveQuestion{QStringLiteral("Remove from list"),
                                   QStringLiteral("Do you wish to remove non TIFF files from the list ?"),
                                   QMessageBox::Yes | QMessageBox::No, QMessageBox::NoIcon};

SExpectedBox RemovedBox(int n)
{
    return {QStringLiteral("Pagewick"), QStringLiteral("%1 file(s) removed from list.").arg(n), QMessageBox::Ok,
            QMessageBox::Warning};
}

std::function<void(QWidget*)> Choose(const QString& strFolder)
{
    return [strFolder](QWidget* pChooser) {
        auto* pEdit = Named<QLineEdit>(pChooser, "folderEdit");
        pEdit->setText(strFolder);
        QTest::mouseClick(Named<QPushButton>(pChooser, "okButton"), Qt::LeftButton);
    };
}

class AddFiles : public testing::Test {
protected:
    AddFiles() : dlg(nullptr, false) { dlg.show(); }

    QStringList Names()
    {
        QStringList names;
        for (int i = 0; i < dlg.GetModel()->GetRowCount(); ++i)
            names << dlg.GetModel()->GetText(i, COL_FILENAME).mid(dir.Path().size() + 1);
        return names;
    }
    CScanDlg* ScanWindow() { return dlg.findChild<CScanDlg*>(); }
    // The scan, and whatever follows it, runs on in the window's loop: wait for its end.
    bool WaitDone(const CModalBoxes& boxes)
    {
        return WaitUntil([&] { return boxes.AllAnswered() && !dlg.Operations().IsBusy(); });
    }
    QAction* Action(const char* pszName) { return Named<QAction>(&dlg, pszName); }
    // A tree big enough that a scan is still going when its first rows show.
    void MakeBigTree(const char* pszSuffix)
    {
        for (int d = 0; d < 200; ++d) {
            for (int f = 0; f < 100; ++f)
                dir.Write(QStringLiteral("big/d%1/f%2.%3").arg(d, 3, 10, QLatin1Char('0')).arg(f).arg(QLatin1String(pszSuffix)),
                          "II*\0");
        }
    }
    void Drop(const QList<QUrl>& urls, QWidget* pTarget)
    {
        QMimeData mime;
        mime.setUrls(urls);
        const QPoint at = pTarget->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pTarget, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pTarget, &drop);
    }
    void SetSubFolders(bool b) { Named<QCheckBox>(&dlg, "subFolders")->setChecked(b); }
    void Scan() { Action("actionScanDirectories")->trigger(); }
    // A tree with the names a scan must cope with.
    void MakeTree()
    {
        dir.Write(QStringLiteral("tree/b page, two.tif"), QByteArray("II*\0", 4));
        dir.Write(QStringLiteral("tree/a.txt"), "text");
        dir.Write(QStringLiteral("tree/.hidden.tif"), "MM\0*");
        dir.Write(QStringLiteral("tree/Zürich scan.tif"), QByteArray("II*\0", 4));
        dir.Write(QStringLiteral("tree/sub dir/c.tif"), "MM");
        dir.Write(QStringLiteral("tree/sub dir/d.jpg"), "\xff\xd8\xff");
        dir.Write(QStringLiteral("tree/.git/objects.tif"), "II*\0");
        ASSERT_TRUE(QFile::link(dir.Path(QStringLiteral("tree")), dir.Path(QStringLiteral("tree/sub dir/loop"))));
    }

    CTempDir dir;
    CPageCountDlg dlg;
};

TEST_F(AddFiles, DropAddsFilesInTheDropsOrderAndSkipsDirectoriesAndVanishedItems)
{
    const QString strA = dir.Write(QStringLiteral("a, first.tif"), QByteArray("II*\0", 4));
    const QString strB = dir.Write(QStringLiteral("b.txt"), "text");
    const QString strFifo = dir.Path(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);
    dir.MakeDir(QStringLiteral("folder"));
    // Dropped on the list, the drop reaches the window.
    Drop({QUrl::fromLocalFile(strB), QUrl::fromLocalFile(dir.Path(QStringLiteral("folder"))),
          QUrl::fromLocalFile(dir.Path(QStringLiteral("gone.tif"))), QUrl::fromLocalFile(strA),
          QUrl::fromLocalFile(strFifo), QUrl(QStringLiteral("https://example.org/x.tif"))},
         dlg.GetListView()->viewport());
    // The files are looked at by the workers: they join the list as they answer, in the drop's order.
    ASSERT_TRUE(WaitUntil([&] { return dlg.GetModel()->GetRowCount() == 3; }));
    EXPECT_EQ(Names(), QStringList({"b.txt", "a, first.tif", "pipe"}));
    EXPECT_EQ(dlg.GetModel()->GetText(1, COL_USE), QStringLiteral("Yes"));
    EXPECT_EQ(dlg.GetModel()->GetText(1, COL_FILESIZE), QStringLiteral("4"));
    EXPECT_EQ(dlg.GetModel()->GetText(2, COL_FILESIZE), QStringLiteral("0"));   // never opened
    EXPECT_EQ(dlg.ItemsTotal(), 3);
    // The same file dropped again is listed again.
    Drop({QUrl::fromLocalFile(strA)}, &dlg);
    ASSERT_TRUE(WaitUntil([&] { return dlg.GetModel()->GetRowCount() == 4; }));
    EXPECT_EQ(Names(), QStringList({"b.txt", "a, first.tif", "pipe", "a, first.tif"}));
}

// Without sub-folders; the next test ticks the box and the scan goes into them, depth first.
TEST_F(AddFiles, AScanListsEveryFileOfTheFolderInNameOrder)
{
    MakeTree();
    SetSubFolders(false);
    CModalBoxes boxes;
    boxes.ExpectDialog(kChooser, Choose(dir.Path(QStringLiteral("tree"))));
    boxes.Expect(kRemoveQuestion, QMessageBox::No);
    Scan();
    EXPECT_TRUE(WaitDone(boxes));
    EXPECT_EQ(Names(), QStringList({"tree/.hidden.tif", "tree/a.txt", "tree/b page, two.tif", "tree/Zürich scan.tif"}));
    EXPECT_EQ(dlg.ItemsTotal(), 4);
    EXPECT_EQ(ScanWindow(), nullptr);
}

TEST_F(AddFiles, TheBoxCountsAsItStandsWhenTheChooserReturns)
{
    MakeTree();
    SetSubFolders(false);
    CModalBoxes boxes;
    boxes.ExpectDialog(kChooser, [this](QWidget* pChooser) {
        SetSubFolders(true);    // ticked while the chooser is open
        Choose(dir.Path(QStringLiteral("tree")))(pChooser);
    });
    boxes.Expect(kRemoveQuestion, QMessageBox::Yes);
    boxes.Expect(RemovedBox(2), QMessageBox::Ok);     // a.txt and d.jpg
    Scan();
    EXPECT_TRUE(WaitDone(boxes));
    EXPECT_EQ(Names(), QStringList({"tree/.hidden.tif", "tree/b page, two.tif", "tree/sub dir/c.tif",
                                    "tree/Zürich scan.tif"}));
    // Adding rows writes the totals, never the box back.
    EXPECT_TRUE(Named<QCheckBox>(&dlg, "subFolders")->isChecked());
}

TEST_F(AddFiles, TheRootFolderGivesNoDoubledSeparator)
{
    // The root is the one folder whose path ends in a separator: joined with a name it doubles it.
    const QString strFile = QStringLiteral("/pagewick-scan-test-%1.tif").arg(QCoreApplication::applicationPid());
    QFile file(strFile);
    if (!file.open(QIODevice::WriteOnly))
        GTEST_SKIP() << "needs a file of its own in /";
    file.write("II*\0");
    file.close();
    SetSubFolders(false);
    CModalBoxes boxes;
    boxes.ExpectDialog(kChooser, Choose(QStringLiteral("/")));
    boxes.Expect(kRemoveQuestion, QMessageBox::No);
    Scan();
    const bool bDone = WaitDone(boxes);
    QFile::remove(strFile);
    EXPECT_TRUE(bDone);
    bool bListed = false;
    for (int i = 0; i < dlg.GetModel()->GetRowCount(); ++i) {
        const QByteArray path = dlg.GetModel()->GetRecord(i).path;
        EXPECT_FALSE(path.startsWith("//")) << path.constData();
        bListed = bListed || path == strFile.toUtf8();
    }
    EXPECT_TRUE(bListed);
}

TEST_F(AddFiles, NamesThatAreNotUtf8AreListedCountedAndShownReadably)
{
    const QByteArray latin1 = dir.WriteRaw("raw/caf\xe9.tif", QByteArray("II*\0", 4));
    const QByteArray bad = dir.WriteRaw("raw/bad\xff\xfename.tif", QByteArray("MM\0*", 4));
    SetSubFolders(false);
    CModalBoxes boxes;
    boxes.ExpectDialog(kChooser, Choose(dir.Path(QStringLiteral("raw"))));
    boxes.Expect(kRemoveQuestion, QMessageBox::No);
    Scan();
    EXPECT_TRUE(WaitDone(boxes));
    ASSERT_EQ(dlg.GetModel()->GetRowCount(), 2);
    EXPECT_EQ(dlg.GetModel()->GetRecord(0).path, bad);
    EXPECT_EQ(dlg.GetModel()->GetRecord(1).path, latin1);
    EXPECT_EQ(dlg.GetModel()->GetText(0, COL_FILENAME), dir.Path() + QStringLiteral("/raw/bad\u00ff\u00fename.tif"));
    EXPECT_EQ(dlg.GetModel()->GetText(1, COL_FILENAME), dir.Path() + QStringLiteral("/raw/caf\u00e9.tif"));
    EXPECT_EQ(dlg.GetModel()->GetText(1, COL_FILESIZE), QStringLiteral("4"));
    EXPECT_FALSE(dlg.GetModel()->GetText(1, COL_MODIFIED).isEmpty());
}

TEST_F(AddFiles, StopEndsTheScanAtOnceKeepingTheRowsAndTheQuestionStillComes)
{
    MakeBigTree("tif");
    SetSubFolders(true);
    QElapsedTimer sinceStop;
    bool bScanWindowShowedADirectory = false;
    CWhen stop([this] { return ScanWindow() && dlg.GetModel()->GetRowCount() > 0; },
               [&] {
                   bScanWindowShowedADirectory = ScanWindow()->GetDirectory().startsWith(dir.Path() + QStringLiteral("/big"));
                   sinceStop.start();
                   QTest::mouseClick(Named(ScanWindow(), "stopButton"), Qt::LeftButton);
               });
    CModalBoxes boxes;
    boxes.ExpectDialog(kChooser, Choose(dir.Path(QStringLiteral("big"))));
    boxes.Expect(kRemoveQuestion, QMessageBox::No);
    Scan();
    EXPECT_TRUE(WaitUntil([&] { return stop.Done() && !ScanWindow(); }));
    EXPECT_LT(sinceStop.elapsed(), 200);
    EXPECT_TRUE(WaitDone(boxes));
    EXPECT_TRUE(bScanWindowShowedADirectory);
    const int nRows = dlg.GetModel()->GetRowCount();
    EXPECT_GT(nRows, 0);
    EXPECT_LT(nRows, 20000);
    // The rows kept are the first of the walk, in order.
    EXPECT_EQ(Names().first(), QStringLiteral("big/d000/f0.tif"));
    EXPECT_EQ(dlg.ItemsTotal(), nRows);
}

TEST_F(AddFiles, CancelledChooserStillAsksAndYesFilters)
{
    dlg.AppendFileRow(dir.Write(QStringLiteral("keep.tif"), "II*\0").toUtf8(), true);
    dlg.AppendFileRow(dir.Write(QStringLiteral("drop.txt"), "text").toUtf8(), false);
    CModalBoxes boxes;
    boxes.ExpectDialog(kChooser, [](QWidget* pChooser) { qobject_cast<QDialog*>(pChooser)->reject(); });
    boxes.Expect(kRemoveQuestion, QMessageBox::Yes);
    boxes.Expect(RemovedBox(1), QMessageBox::Ok);
    Scan();
    EXPECT_TRUE(WaitDone(boxes));
    EXPECT_EQ(Names(), QStringList({"keep.tif"}));
}

TEST_F(AddFiles, FilterRemovesEveryRowThatFailsTheSignatureTest)
{
    const struct {
        const char* pszName;
        QByteArray bytes;
        const char* pszUse;
        bool bKept;
    } rows[] = {
        {"le.tif", QByteArray("II*\0", 4), "Yes", true},
        {"mm-anything.tif", "MMxyz", "No", true},
        {"ii-plus.tif", "II+\0", "Yes", false},
        {"text.txt", "hello", "Yes", false},
        {"le.tif", QByteArray("II*\0", 4), "No", true},     // the same path twice
    };
    for (const auto& r : rows)
        dlg.AppendFileRow(dir.Write(QString::fromLatin1(r.pszName), r.bytes).toUtf8(), r.pszUse[0] == 'Y');
    dlg.AppendFileRow(dir.Path(QStringLiteral("deleted since.tif")).toUtf8(), true);
    dlg.AppendFileRow(dir.Bytes(), true);      // a directory
    dlg.GetModel()->SetCounted(0, 25, QString(), nullptr, CPageSummary());
    CModalBoxes boxes;
    boxes.Expect(RemovedBox(4), QMessageBox::Ok);
    Action("actionRemoveNonTiff")->trigger();
    EXPECT_TRUE(WaitDone(boxes));
    EXPECT_EQ(Names(), QStringList({"le.tif", "mm-anything.tif", "le.tif"}));
    EXPECT_EQ(dlg.GetModel()->GetText(1, COL_USE), QStringLiteral("No"));
    EXPECT_EQ(dlg.ItemsTotal(), 3);
    EXPECT_EQ(dlg.PagesTotal(), 25);
    // Only TIFF files left: the message says 0.
    boxes.Expect(RemovedBox(0), QMessageBox::Ok);
    Action("actionRemoveNonTiff")->trigger();
    EXPECT_TRUE(WaitDone(boxes));
}

TEST_F(AddFiles, NoSecondLongOperationStartsInsideAScan)
{
    MakeBigTree("txt");
    SetSubFolders(true);
    CWhen inside([this] { return ScanWindow() && dlg.GetModel()->GetRowCount() > 0; },
                 [&] {
                     // Called straight, neither a second scan, nor a count run, nor the filter
                     // opens anything now.
                     RunScanDirectories(dlg.Host(), [] { return true; });
                     RunCountFiles(dlg.Host());
                     RunRemoveNonTiffFiles(dlg.Host());
                     // Rows removed during the scan leave a consistent list.
                     dlg.GetModel()->removeRows(0, 1);
                 });
    CModalBoxes boxes;
    boxes.ExpectDialog(kChooser, Choose(dir.Path(QStringLiteral("big"))));
    boxes.Expect(kRemoveQuestion, QMessageBox::No);
    Scan();
    EXPECT_TRUE(WaitDone(boxes));
    EXPECT_TRUE(inside.Done());
    EXPECT_EQ(boxes.Seen().size(), 2);      // the chooser and the question, nothing else
    EXPECT_EQ(dlg.GetModel()->GetRowCount(), 19999);
    EXPECT_EQ(dlg.ItemsTotal(), 19999);
}

TEST_F(AddFiles, ClosingTheWindowStopsTheScanAtOnce)
{
    MakeBigTree("txt");
    SetSubFolders(true);
    QElapsedTimer sinceClose;
    CWhen close([this] { return ScanWindow() && dlg.GetModel()->GetRowCount() > 0; },
                [&] {
                    sinceClose.start();
                    dlg.close();
                });
    CModalBoxes boxes;      // no removal question after the window has ended
    boxes.ExpectDialog(kChooser, Choose(dir.Path(QStringLiteral("big"))));
    Scan();
    EXPECT_TRUE(WaitUntil([&] { return close.Done() && !ScanWindow() && !dlg.Operations().IsBusy(); }));
    EXPECT_LT(sinceClose.elapsed(), 200);
    EXPECT_TRUE(dlg.IsClosing());
    EXPECT_LT(dlg.GetModel()->GetRowCount(), 20000);
    EXPECT_EQ(boxes.Seen().size(), 1);
}

}  // namespace
