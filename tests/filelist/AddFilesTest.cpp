#include "app/ui/CPageCountDlg.h"
#include "common/ui/DialogBuilder.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/ui/CScanDlg.h"
#include "res/resource.h"
#include "support/ModalBox.h"
#include "support/TempDir.h"
#include "support/TiffFiles.h"
#include "support/Waiting.h"
#include "support/ui/CFolderDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
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
        auto* pEdit = pChooser->findChild<QLineEdit*>(QString::number(IDC_FOLDER_EDIT));
        pEdit->setText(strFolder);
        QTest::mouseClick(pChooser->findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
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
    void SetSubFolders(bool b) { FindControlAs<QCheckBox>(dlg.GetClient(), IDC_SUB_FOLDERS)->setChecked(b); }
    void Scan() { dlg.GetMenuBar()->findChild<QAction*>(QString::number(ID_FILE_SCANDIRECTORIES))->trigger(); }
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
    EXPECT_EQ(Names(), QStringList({"b.txt", "a, first.tif", "pipe"}));
    EXPECT_EQ(dlg.GetModel()->GetText(1, COL_USE), QStringLiteral("Yes"));
    EXPECT_EQ(dlg.GetModel()->GetText(1, COL_FILESIZE), QStringLiteral("4"));
    EXPECT_EQ(dlg.GetModel()->GetText(2, COL_FILESIZE), QStringLiteral("0"));   // never opened
    EXPECT_EQ(dlg.m_nItems, 3);
    // The same file dropped again is listed again.
    Drop({QUrl::fromLocalFile(strA)}, &dlg);
    EXPECT_EQ(Names(), QStringList({"b.txt", "a, first.tif", "pipe", "a, first.tif"}));
}

struct SScanCase {
    const char* pszName;
    bool bSubFolders;
    QStringList names;
};

void PrintTo(const SScanCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class AddFilesScan : public AddFiles, public testing::WithParamInterface<SScanCase> {};

TEST_P(AddFilesScan, ListsEveryFileInNameOrderDepthFirst)
{
    MakeTree();
    SetSubFolders(GetParam().bSubFolders);
    CModalBoxes boxes;
    boxes.ExpectDialog(kChooser, Choose(dir.Path(QStringLiteral("tree"))));
    boxes.Expect(kRemoveQuestion, QMessageBox::No);
    Scan();
    EXPECT_TRUE(boxes.AllAnswered());
    EXPECT_EQ(Names(), GetParam().names);
    EXPECT_EQ(dlg.m_nItems, int(GetParam().names.size()));
    EXPECT_EQ(dlg.m_pScanDlg, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    SubFolders, AddFilesScan,
    testing::Values(SScanCase{"WithoutSubFolders", false,
                              {"tree/.hidden.tif", "tree/a.txt", "tree/b page, two.tif", "tree/Zürich scan.tif"}},
                    SScanCase{"WithSubFolders", true,
                              {"tree/.hidden.tif", "tree/a.txt", "tree/b page, two.tif", "tree/sub dir/c.tif",
                               "tree/sub dir/d.jpg", "tree/Zürich scan.tif"}}),
    [](const testing::TestParamInfo<SScanCase>& info) { return info.param.pszName; });

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
    EXPECT_TRUE(boxes.AllAnswered());
    EXPECT_EQ(Names(), QStringList({"tree/.hidden.tif", "tree/b page, two.tif", "tree/sub dir/c.tif",
                                    "tree/Zürich scan.tif"}));
    // Adding rows writes the totals, never the box back.
    EXPECT_TRUE(FindControlAs<QCheckBox>(dlg.GetClient(), IDC_SUB_FOLDERS)->isChecked());
}

TEST_F(AddFiles, DoubledSeparatorsInTheChosenFolderAreCollapsed)
{
    MakeTree();
    SetSubFolders(false);
    CModalBoxes boxes;
    boxes.ExpectDialog(kChooser, Choose(dir.Path(QStringLiteral("tree"))));
    boxes.Expect(kRemoveQuestion, QMessageBox::No);
    Scan();
    EXPECT_FALSE(dlg.GetModel()->GetText(0, COL_FILENAME).contains(QStringLiteral("//")));
}

TEST_F(AddFiles, StopEndsTheScanKeepingTheRowsAndTheQuestionStillComes)
{
    for (int d = 0; d < 200; ++d) {
        for (int f = 0; f < 20; ++f)
            dir.Write(QStringLiteral("big/d%1/f%2.tif").arg(d, 3, 10, QLatin1Char('0')).arg(f), "II*\0");
    }
    SetSubFolders(true);
    CWhen stop([this] { return dlg.m_pScanDlg && dlg.GetModel()->GetRowCount() > 0; },
               [this] { QTest::mouseClick(FindControl(dlg.m_pScanDlg, IDC_STOP), Qt::LeftButton); });
    bool bScanWindowShowedADirectory = false;
    CWhen seen([this] { return dlg.m_pScanDlg && !dlg.m_pScanDlg->GetDirectory().isEmpty(); },
               [&] { bScanWindowShowedADirectory = dlg.m_pScanDlg->GetDirectory().startsWith(dir.Path()); });
    CModalBoxes boxes;
    boxes.ExpectDialog(kChooser, Choose(dir.Path(QStringLiteral("big"))));
    boxes.Expect(kRemoveQuestion, QMessageBox::No);
    Scan();
    EXPECT_TRUE(stop.Done());
    EXPECT_TRUE(bScanWindowShowedADirectory);
    EXPECT_TRUE(boxes.AllAnswered());
    const int nRows = dlg.GetModel()->GetRowCount();
    EXPECT_GT(nRows, 0);
    EXPECT_LT(nRows, 4000);
    // The rows kept are the first of the walk, in order.
    EXPECT_EQ(Names().first(), QStringLiteral("big/d000/f0.tif"));
    EXPECT_EQ(dlg.m_nItems, nRows);
}

TEST_F(AddFiles, CancelledChooserStillAsksAndYesFilters)
{
    dlg.AppendFileRow(dir.Write(QStringLiteral("keep.tif"), "II*\0"), QStringLiteral("Yes"));
    dlg.AppendFileRow(dir.Write(QStringLiteral("drop.txt"), "text"), QStringLiteral("No"));
    CModalBoxes boxes;
    boxes.ExpectDialog(kChooser, [](QWidget* pChooser) { qobject_cast<QDialog*>(pChooser)->reject(); });
    boxes.Expect(kRemoveQuestion, QMessageBox::Yes);
    boxes.Expect(RemovedBox(1), QMessageBox::Ok);
    Scan();
    EXPECT_TRUE(boxes.AllAnswered());
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
        {"mm-only.tif", "MM", "Yes", true},
        {"ii-plus.tif", "II+\0", "Yes", false},
        {"ii-space.tif", "II ", "No", false},
        {"empty.tif", "", "Yes", false},
        {"text.txt", "hello", "Yes", false},
        {"le.tif", QByteArray("II*\0", 4), "No", true},     // the same path twice
    };
    for (const auto& r : rows)
        dlg.AppendFileRow(dir.Write(QString::fromLatin1(r.pszName), r.bytes), QString::fromLatin1(r.pszUse));
    dlg.AppendFileRow(dir.Path(QStringLiteral("deleted since.tif")), QStringLiteral("Yes"));
    dlg.AppendFileRow(dir.Path(), QStringLiteral("Yes"));      // a directory
    dlg.m_nPages = 25;
    dlg.UpdateData(false);
    CModalBoxes boxes;
    boxes.Expect(RemovedBox(6), QMessageBox::Ok);
    dlg.GetMenuBar()->findChild<QAction*>(QString::number(ID_FILTER_REMOVENONTIF))->trigger();
    EXPECT_TRUE(boxes.AllAnswered());
    EXPECT_EQ(Names(), QStringList({"le.tif", "mm-anything.tif", "mm-only.tif", "le.tif"}));
    EXPECT_EQ(dlg.GetModel()->GetText(1, COL_USE), QStringLiteral("No"));
    EXPECT_EQ(dlg.m_nItems, 4);
    EXPECT_EQ(dlg.m_nPages, 25);
    // Only TIFF files left: the message says 0.
    boxes.Expect(RemovedBox(0), QMessageBox::Ok);
    dlg.RemoveNonTiffFiles();
    EXPECT_TRUE(boxes.AllAnswered());
}

TEST_F(AddFiles, NoSecondLongOperationStartsInsideAScan)
{
    for (int d = 0; d < 200; ++d) {
        for (int f = 0; f < 20; ++f)
            dir.Write(QStringLiteral("big/d%1/f%2.txt").arg(d, 3, 10, QLatin1Char('0')).arg(f), "text");
    }
    SetSubFolders(true);
    QList<int> refused;
    CWhen inside([this] { return dlg.m_pScanDlg && dlg.GetModel()->GetRowCount() > 0; },
                 [&] {
                     // Neither a second scan, nor a count run, nor the filter opens anything now.
                     const int nBefore = dlg.GetModel()->GetRowCount();
                     dlg.OnCommand(ID_FILE_SCANDIRECTORIES);
                     dlg.OnCommand(IDC_COUNT_FILES);
                     dlg.OnCommand(ID_FILTER_REMOVENONTIF);
                     refused << (dlg.GetModel()->GetRowCount() >= nBefore);
                     // Rows removed during the scan leave a consistent list.
                     dlg.GetModel()->removeRows(0, 1);
                 });
    CModalBoxes boxes;
    boxes.ExpectDialog(kChooser, Choose(dir.Path(QStringLiteral("big"))));
    boxes.Expect(kRemoveQuestion, QMessageBox::No);
    Scan();
    EXPECT_TRUE(inside.Done());
    EXPECT_TRUE(boxes.AllAnswered());
    EXPECT_EQ(boxes.Seen().size(), 2);      // the chooser and the question, nothing else
    EXPECT_EQ(dlg.GetModel()->GetRowCount(), 3999);
    EXPECT_EQ(dlg.m_nItems, 3999);
    EXPECT_EQ(dlg.CurrentLongOperation(), ELongOperation::None);
}

TEST_F(AddFiles, ClosingTheWindowStopsTheScan)
{
    for (int d = 0; d < 200; ++d) {
        for (int f = 0; f < 20; ++f)
            dir.Write(QStringLiteral("big/d%1/f%2.txt").arg(d, 3, 10, QLatin1Char('0')).arg(f), "text");
    }
    SetSubFolders(true);
    CWhen close([this] { return dlg.m_pScanDlg && dlg.GetModel()->GetRowCount() > 0; }, [this] { dlg.close(); });
    CModalBoxes boxes;      // no removal question after the window has ended
    boxes.ExpectDialog(kChooser, Choose(dir.Path(QStringLiteral("big"))));
    Scan();
    EXPECT_TRUE(close.Done());
    EXPECT_TRUE(dlg.IsClosing());
    EXPECT_LT(dlg.GetModel()->GetRowCount(), 4000);
    EXPECT_EQ(dlg.m_pScanDlg, nullptr);
}

}  // namespace
