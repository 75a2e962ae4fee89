#include "app/ui/CPageCountDlg.h"
#include "common/ui/DialogBuilder.h"
#include "count/ui/CProcessingDlg.h"
#include "filelist/core/CFileListModel.h"
#include "res/resource.h"
#include "support/ModalBox.h"
#include "support/TempDir.h"
#include "support/TiffBytes.h"
#include "support/TiffFiles.h"
#include "support/Waiting.h"

#include <QLineEdit>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const SExpectedBox kDoneBox{QStringLiteral("Pagewick"), QStringLiteral("Done."), QMessageBox::Ok,
                            QMessageBox::Warning};
const SExpectedBox kRerunBox{QStringLiteral("Processing"),
                             QStringLiteral("Previous page count has been run, do you wish to process all again ?"),
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::NoIcon};

class CountRun : public testing::Test {
protected:
    CountRun() : dlg(nullptr, false) { dlg.show(); }

    QString Tiff(const QString& strName, int nPages)
    {
        const QString strPath = dir.Path(strName);
        EXPECT_TRUE(WriteTiff(strPath, STiffShape{nPages}));
        return strPath;
    }
    // A TIFF whose chain takes libtiff a noticeable time to walk.
    QString SlowTiff()
    {
        CTiffBytes tiff(false);
        for (int i = 0; i < 60000; ++i)
            tiff.AddPage();
        return dir.Write(QStringLiteral("slow.tif"), tiff.Build());
    }
    void Add(const QString& strPath, const char* pszUse = "Yes", const char* pszPages = "")
    {
        dlg.AppendFileRow(strPath, QString::fromLatin1(pszUse));
        dlg.GetModel()->SetText(dlg.GetModel()->GetRowCount() - 1, COL_PAGES, QString::fromLatin1(pszPages));
    }
    QString Text(int nRow, int nColumn) { return dlg.GetModel()->GetText(nRow, nColumn); }
    QString PagesField() { return FindControlAs<QLineEdit>(dlg.GetClient(), IDC_PAGES)->text(); }
    void SetTotal(qint64 n)
    {
        dlg.m_nPages = n;
        dlg.UpdateData(false);
    }
    void Count() { QTest::mouseClick(FindControl(dlg.GetClient(), IDC_COUNT_FILES), Qt::LeftButton); }
    // True while the run waits for libtiff on this file, with its path on screen.
    bool CountingNow(const QString& strPath, int nRow)
    {
        CProcessingDlg* p = dlg.m_pProcessingDlg;
        return p && p->isVisible() && p->GetFile() == strPath && Text(nRow, COL_STATUS) == QLatin1String("Processing");
    }

    CTempDir dir;
    CPageCountDlg dlg;
};

TEST_F(CountRun, CountsEveryRowInUseAndShowsTheTotal)
{
    Add(Tiff(QStringLiteral("one.tif"), 1));
    Add(Tiff(QStringLiteral("twelve, big-endian.tif"), 12));
    Add(dir.Write(QStringLiteral("notes.txt"), "not a tiff"));
    Add(dir.Path(QStringLiteral("missing.tif")));
    Add(dir.Write(QStringLiteral("mm.tif"), "MM"));
    Add(Tiff(QStringLiteral("unused.tif"), 3), "No");
    SetTotal(99);
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    EXPECT_TRUE(boxes.AllAnswered());
    const struct {
        const char* pszStatus;
        const char* pszPages;
    } rows[] = {{"Done", "1"}, {"Done", "12"}, {"Invalid", ""}, {"Read Error", ""}, {"Done", "0"}, {"Ready.", ""}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Text(i, COL_STATUS), QLatin1String(rows[i].pszStatus)) << i;
        EXPECT_EQ(Text(i, COL_PAGES), QLatin1String(rows[i].pszPages)) << i;
    }
    EXPECT_EQ(Text(5, COL_USE), QStringLiteral("No"));
    EXPECT_EQ(dlg.m_nPages, 13);
    EXPECT_EQ(PagesField(), QStringLiteral("13"));
    EXPECT_EQ(dlg.m_pProcessingDlg, nullptr);
}

TEST_F(CountRun, EmptyListOrNothingInUseResetsTheTotalWithoutAsking)
{
    SetTotal(42);
    {
        CModalBoxes boxes;
        boxes.Expect(kDoneBox, QMessageBox::Ok);
        Count();
    }
    EXPECT_EQ(dlg.m_nPages, 0);
    EXPECT_EQ(PagesField(), QStringLiteral("0"));

    // A counted row that is not in use does not bring up the question either.
    Add(Tiff(QStringLiteral("a.tif"), 2), "No", "7");
    SetTotal(7);
    {
        CModalBoxes boxes;
        boxes.Expect(kDoneBox, QMessageBox::Ok);
        Count();
    }
    EXPECT_EQ(Text(0, COL_PAGES), QStringLiteral("7"));
    EXPECT_EQ(Text(0, COL_STATUS), QStringLiteral("Ready."));
    EXPECT_EQ(dlg.m_nPages, 0);
}

struct SPromptCase {
    const char* pszName;
    QMessageBox::StandardButton eAnswer;
    bool bDoneBox;
    const char* pszPagesA;      // counted before as 5, holds 1 page
    const char* pszPagesB;      // not counted, holds 12 pages
    qint64 nTotal;
};

void PrintTo(const SPromptCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class CountRunPrompt : public CountRun, public testing::WithParamInterface<SPromptCase> {};

TEST_P(CountRunPrompt, AnswerDecidesWhatIsCounted)
{
    const SPromptCase& c = GetParam();
    Add(Tiff(QStringLiteral("a.tif"), 1), "Yes", "5");
    Add(Tiff(QStringLiteral("b.tif"), 12));
    Add(Tiff(QStringLiteral("c.tif"), 3), "No", "7");
    SetTotal(5);
    CModalBoxes boxes;
    boxes.Expect(kRerunBox, c.eAnswer);
    if (c.bDoneBox)
        boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    EXPECT_TRUE(boxes.AllAnswered());
    EXPECT_EQ(Text(0, COL_PAGES), QLatin1String(c.pszPagesA));
    EXPECT_EQ(Text(1, COL_PAGES), QLatin1String(c.pszPagesB));
    EXPECT_EQ(Text(2, COL_PAGES), QStringLiteral("7"));     // never counted, never changed
    EXPECT_EQ(Text(2, COL_STATUS), QStringLiteral("Ready."));
    EXPECT_EQ(dlg.m_nPages, c.nTotal);
    EXPECT_EQ(PagesField(), QString::number(c.nTotal));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CountRunPrompt,
    testing::Values(SPromptCase{"Cancel", QMessageBox::Cancel, false, "5", "", 5},
                    SPromptCase{"No", QMessageBox::No, true, "5", "12", 17},
                    SPromptCase{"Yes", QMessageBox::Yes, true, "1", "12", 13}),
    [](const testing::TestParamInfo<SPromptCase>& info) { return info.param.pszName; });

TEST_F(CountRun, RowWithPagesZeroIsCountedAgainWithoutAsking)
{
    Add(dir.Write(QStringLiteral("mm.tif"), "MM"), "Yes", "0");
    Add(Tiff(QStringLiteral("two.tif"), 2), "Yes", "");
    Add(dir.Write(QStringLiteral("bad.tif"), "xx"));
    dlg.GetModel()->SetText(2, COL_STATUS, QStringLiteral("Invalid"));
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    EXPECT_TRUE(boxes.AllAnswered());
    EXPECT_EQ(Text(0, COL_STATUS), QStringLiteral("Done"));
    EXPECT_EQ(Text(1, COL_PAGES), QStringLiteral("2"));
    EXPECT_EQ(Text(2, COL_STATUS), QStringLiteral("Invalid"));
    EXPECT_EQ(dlg.m_nPages, 2);
}

TEST_F(CountRun, ProcessingDialogShowsThePathWhileLibtiffReads)
{
    Add(Tiff(QStringLiteral("first.tif"), 1));
    const QString strSlow = SlowTiff();
    Add(strSlow);
    Add(Tiff(QStringLiteral("last.tif"), 2));
    bool bWindowAlive = false;
    int nProgress = -1;
    int nProgressMax = -1;
    CWhen seen([&] { return CountingNow(strSlow, 1); },
               [&] {
                   // The window answers while libtiff works: the list can be scrolled.
                   dlg.GetListView()->scrollToBottom();
                   bWindowAlive = dlg.m_pProcessingDlg->windowTitle() == QStringLiteral("Processing...");
                   auto* pProgress = dlg.m_pProcessingDlg->findChild<QProgressBar*>();
                   nProgress = pProgress->value();
                   nProgressMax = pProgress->maximum();
               });
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    EXPECT_TRUE(seen.Done());
    EXPECT_TRUE(bWindowAlive);
    // One row of three was done when the second one was being counted.
    EXPECT_EQ(nProgress, 1);
    EXPECT_EQ(nProgressMax, 3);
    EXPECT_EQ(Text(1, COL_PAGES), QStringLiteral("60000"));
    EXPECT_EQ(dlg.m_nPages, 60003);
}

TEST_F(CountRun, StopEndsTheRunAfterTheCurrentFile)
{
    Add(Tiff(QStringLiteral("a.tif"), 2));
    Add(Tiff(QStringLiteral("b.tif"), 3));
    const QString strSlow = SlowTiff();
    Add(strSlow);
    Add(Tiff(QStringLiteral("d.tif"), 4));
    CWhen stop([&] { return CountingNow(strSlow, 2); },
               [&] {
                   QTest::mouseClick(FindControl(dlg.m_pProcessingDlg, IDC_STOP), Qt::LeftButton);
               });
    CModalBoxes boxes;      // no "Done." box after Stop
    Count();
    EXPECT_TRUE(stop.Done());
    EXPECT_EQ(Text(0, COL_PAGES), QStringLiteral("2"));
    EXPECT_EQ(Text(1, COL_PAGES), QStringLiteral("3"));
    EXPECT_EQ(Text(2, COL_STATUS), QStringLiteral("Ready."));   // the status it had
    EXPECT_EQ(Text(2, COL_PAGES), QString());
    EXPECT_EQ(Text(3, COL_STATUS), QStringLiteral("Ready."));
    EXPECT_EQ(dlg.m_nPages, 5);
    EXPECT_EQ(PagesField(), QStringLiteral("5"));
    EXPECT_EQ(dlg.m_pProcessingDlg, nullptr);
    EXPECT_EQ(dlg.CurrentLongOperation(), ELongOperation::None);
}

TEST_F(CountRun, SecondPressDuringARunStartsNothing)
{
    const QString strSlow = SlowTiff();
    Add(strSlow);
    Add(Tiff(QStringLiteral("b.tif"), 1));
    CWhen again([&] { return CountingNow(strSlow, 0); }, [&] { dlg.OnCommand(IDC_COUNT_FILES); });
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    EXPECT_TRUE(again.Done());
    EXPECT_TRUE(boxes.AllAnswered());
    EXPECT_EQ(boxes.Seen().size(), 1);
    EXPECT_EQ(dlg.m_nPages, 60001);
}

enum class EEdit { RemoveRowAbove, RemoveCountedRow, ClearList, AppendAtEnd };

struct SEditCase {
    const char* pszName;
    EEdit eEdit;
    QStringList names;          // the list after the run, by file name
    QStringList pages;
    qint64 nTotal;
};

void PrintTo(const SEditCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class CountRunEdits : public CountRun, public testing::WithParamInterface<SEditCase> {};

TEST_P(CountRunEdits, RowsChangedDuringARunLeaveAConsistentList)
{
    const SEditCase& c = GetParam();
    Add(Tiff(QStringLiteral("a.tif"), 1));
    const QString strSlow = SlowTiff();
    Add(strSlow);
    Add(Tiff(QStringLiteral("c.tif"), 3));
    CFileListModel* pModel = dlg.GetModel();
    CWhen edit([&] { return CountingNow(strSlow, 1); },
               [&] {
                   switch (c.eEdit) {
                   case EEdit::RemoveRowAbove:
                       pModel->removeRows(0, 1);
                       break;
                   case EEdit::RemoveCountedRow:
                       pModel->removeRows(1, 1);
                       break;
                   case EEdit::ClearList:
                       pModel->Clear();
                       break;
                   case EEdit::AppendAtEnd:
                       pModel->AppendRow(MakeFileRecord(dir.Path(QStringLiteral("c.tif")), QStringLiteral("Yes")));
                       break;
                   }
               });
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    ASSERT_TRUE(edit.Done());
    QStringList names;
    QStringList pages;
    for (int i = 0; i < pModel->GetRowCount(); ++i) {
        names << QFileInfo(Text(i, COL_FILENAME)).fileName();
        pages << Text(i, COL_PAGES);
        EXPECT_NE(Text(i, COL_STATUS), QStringLiteral("Processing")) << i;
    }
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(pages, c.pages);
    EXPECT_EQ(dlg.m_nPages, c.nTotal);
    EXPECT_EQ(dlg.m_nItems, pModel->GetRowCount());
}

INSTANTIATE_TEST_SUITE_P(
    Edits, CountRunEdits,
    testing::Values(
        SEditCase{"RemoveRowAbove", EEdit::RemoveRowAbove, {"slow.tif", "c.tif"}, {"60000", "3"}, 60004},
        SEditCase{"RemoveCountedRow", EEdit::RemoveCountedRow, {"a.tif", "c.tif"}, {"1", "3"}, 4},
        SEditCase{"ClearList", EEdit::ClearList, {}, {}, 1},
        SEditCase{"AppendDuringTheRun", EEdit::AppendAtEnd, {"a.tif", "slow.tif", "c.tif", "c.tif"},
                  {"1", "60000", "3", "3"}, 60007}),
    [](const testing::TestParamInfo<SEditCase>& info) { return info.param.pszName; });

TEST_F(CountRun, ClosingTheWindowEndsTheRun)
{
    const QString strSlow = SlowTiff();
    Add(strSlow);
    Add(Tiff(QStringLiteral("b.tif"), 1));
    CWhen close([&] { return CountingNow(strSlow, 0); }, [&] { dlg.close(); });
    CModalBoxes boxes;      // no "Done." box
    Count();
    EXPECT_TRUE(close.Done());
    EXPECT_TRUE(dlg.IsClosing());
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(Text(1, COL_STATUS), QStringLiteral("Ready."));
    EXPECT_EQ(dlg.m_pProcessingDlg, nullptr);
}

}  // namespace
