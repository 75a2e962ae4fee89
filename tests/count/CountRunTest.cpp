#include "app/ui/CPageCountDlg.h"
#include "count/ui/CProcessingDlg.h"
#include "count/ui/CountRun.h"
#include "filelist/core/CFileListModel.h"
#include "support/ModalBox.h"
#include "support/Named.h"
#include "support/TempDir.h"
#include "support/TiffBytes.h"
#include "support/TiffFiles.h"
#include "support/Waiting.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
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

QByteArray Chain(int nPages)
{
    CTiffBytes tiff(false);
    for (int i = 0; i < nPages; ++i)
        tiff.AddPage();
    return tiff.Build();
}

// A TIFF whose chain takes libtiff seconds to walk, written once for all the tests that need one.
QString LongTiff()
{
    static CTempDir dir;
    static const QString strPath = dir.Write(QStringLiteral("long.tif"), Chain(300000));
    return strPath;
}

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
    QString SlowTiff() { return dir.Write(QStringLiteral("slow.tif"), Chain(60000)); }
    void Add(const QString& strPath, const char* pszUse = "Yes", qint64 nPages = -1)
    {
        dlg.AppendFileRow(strPath.toUtf8(), pszUse[0] == 'Y');
        if (nPages >= 0)
            Model().SetCount(Model().GetRowCount() - 1, EFileStatus::Ready, nPages);
    }
    CFileListModel& Model() { return *dlg.GetModel(); }
    QString Text(int nRow, int nColumn) { return Model().GetText(nRow, nColumn); }
    QString PagesField() { return Named<QLineEdit>(&dlg, "pagesField")->text(); }
    void Count() { QTest::mouseClick(Named(&dlg, "countButton"), Qt::LeftButton); }
    CProcessingDlg* Processing() { return ProcessingDialogOf(RunningCountRun(&dlg)); }
    // True while the run waits for libtiff on this file, with its path on screen.
    bool CountingNow(const QString& strPath, int nRow)
    {
        CProcessingDlg* p = Processing();
        return p && p->isVisible() && p->GetFile() == strPath && Text(nRow, COL_STATUS) == QLatin1String("Processing");
    }
    // The run goes on in the window's loop: wait until it and its boxes are through.
    bool WaitDone(const CModalBoxes& boxes)
    {
        return WaitUntil([&] { return boxes.AllAnswered() && !dlg.Operations().IsBusy() && !RunningCountRun(&dlg); },
                         60000);
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
    dlg.SetPagesTotal(99);
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    ASSERT_TRUE(WaitDone(boxes));
    const struct {
        const char* pszStatus;
        const char* pszPages;
    } rows[] = {{"Done", "1"}, {"Done", "12"}, {"Invalid", ""}, {"Read Error", ""}, {"Done", "0"}, {"Ready.", ""}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Text(i, COL_STATUS), QLatin1String(rows[i].pszStatus)) << i;
        EXPECT_EQ(Text(i, COL_PAGES), QLatin1String(rows[i].pszPages)) << i;
    }
    EXPECT_EQ(Text(5, COL_USE), QStringLiteral("No"));
    EXPECT_EQ(dlg.PagesTotal(), 13);
    EXPECT_EQ(PagesField(), QStringLiteral("13"));
    EXPECT_EQ(Processing(), nullptr);
}

TEST_F(CountRun, EmptyListOrNothingInUseResetsTheTotalWithoutAsking)
{
    dlg.SetPagesTotal(42);
    {
        CModalBoxes boxes;
        boxes.Expect(kDoneBox, QMessageBox::Ok);
        Count();
        EXPECT_TRUE(WaitDone(boxes));
    }
    EXPECT_EQ(dlg.PagesTotal(), 0);
    EXPECT_EQ(PagesField(), QStringLiteral("0"));

    // A counted row that is not in use does not bring up the question either.
    Add(Tiff(QStringLiteral("a.tif"), 2), "No", 7);
    dlg.SetPagesTotal(7);
    {
        CModalBoxes boxes;
        boxes.Expect(kDoneBox, QMessageBox::Ok);
        Count();
        EXPECT_TRUE(WaitDone(boxes));
    }
    EXPECT_EQ(Text(0, COL_PAGES), QStringLiteral("7"));
    EXPECT_EQ(Text(0, COL_STATUS), QStringLiteral("Ready."));
    EXPECT_EQ(dlg.PagesTotal(), 0);
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
    Add(Tiff(QStringLiteral("a.tif"), 1), "Yes", 5);
    Add(Tiff(QStringLiteral("b.tif"), 12));
    Add(Tiff(QStringLiteral("c.tif"), 3), "No", 7);
    dlg.SetPagesTotal(5);
    CModalBoxes boxes;
    boxes.Expect(kRerunBox, c.eAnswer);
    if (c.bDoneBox)
        boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    EXPECT_TRUE(WaitDone(boxes));
    EXPECT_EQ(Text(0, COL_PAGES), QLatin1String(c.pszPagesA));
    EXPECT_EQ(Text(1, COL_PAGES), QLatin1String(c.pszPagesB));
    EXPECT_EQ(Text(2, COL_PAGES), QStringLiteral("7"));     // never counted, never changed
    EXPECT_EQ(Text(2, COL_STATUS), QStringLiteral("Ready."));
    EXPECT_EQ(dlg.PagesTotal(), c.nTotal);
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
    Add(dir.Write(QStringLiteral("mm.tif"), "MM"), "Yes", 0);
    Add(Tiff(QStringLiteral("two.tif"), 2), "Yes");
    Add(dir.Write(QStringLiteral("bad.tif"), "xx"));
    Model().SetStatus(2, EFileStatus::Invalid);
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    EXPECT_TRUE(WaitDone(boxes));
    EXPECT_EQ(Text(0, COL_STATUS), QStringLiteral("Done"));
    EXPECT_EQ(Text(1, COL_PAGES), QStringLiteral("2"));
    EXPECT_EQ(Text(2, COL_STATUS), QStringLiteral("Invalid"));
    EXPECT_EQ(dlg.PagesTotal(), 2);
}

TEST_F(CountRun, AShortCountIsMarkedAndTheDoneBoxSaysHowMany)
{
    CTiffBytes damaged(false);
    for (int i = 0; i < 7; ++i)
        damaged.AddPage();
    damaged.SetNextOffset(3, 0x7FFFFFF0u);
    Add(dir.Write(QStringLiteral("damaged.tif"), damaged.Build()));
    Add(Tiff(QStringLiteral("clean.tif"), 2));
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    ASSERT_TRUE(WaitDone(boxes));
    // The status and number stay what they always were; the Pages cell carries the mark.
    EXPECT_EQ(Text(0, COL_STATUS), QStringLiteral("Done"));
    EXPECT_EQ(Text(0, COL_PAGES), QStringLiteral("4"));
    const QModelIndex pages = Model().index(0, COL_PAGES);
    EXPECT_TRUE(pages.data(CFileListModel::WarningSignRole).toBool());
    EXPECT_TRUE(pages.data(Qt::ToolTipRole).toString().startsWith(
        QStringLiteral("Counted 4 pages; the file is damaged after page 4: ")));
    EXPECT_FALSE(Model().index(1, COL_PAGES).data(CFileListModel::WarningSignRole).toBool());
    EXPECT_EQ(dlg.PagesTotal(), 6);
    // The box's text stays "Done."; a line below it says how many were short.
    ASSERT_EQ(boxes.Seen().size(), 1);
    EXPECT_TRUE(boxes.Seen()[0].strInformative.startsWith(QStringLiteral("1 file was counted short")))
        << qPrintable(boxes.Seen()[0].strInformative);

    // Counted again once the file is whole, the mark goes with the old count.
    dir.Write(QStringLiteral("damaged.tif"), Chain(7));
    boxes.Expect(kRerunBox, QMessageBox::Yes);
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    ASSERT_TRUE(WaitDone(boxes));
    EXPECT_EQ(Text(0, COL_PAGES), QStringLiteral("7"));
    EXPECT_FALSE(pages.data(CFileListModel::WarningSignRole).toBool());
    EXPECT_TRUE(boxes.Seen().last().strInformative.isEmpty());
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
    QString strLastPages;
    CWhen seen([&] { return CountingNow(strSlow, 1); },
               [&] {
                   strLastPages = Text(2, COL_PAGES);
                   // The window answers while libtiff works: the list can be scrolled.
                   dlg.GetListView()->scrollToBottom();
                   bWindowAlive = Processing()->windowTitle() == QStringLiteral("Processing...");
                   auto* pProgress = Processing()->findChild<QProgressBar*>();
                   nProgress = pProgress->value();
                   nProgressMax = pProgress->maximum();
               });
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    EXPECT_TRUE(WaitDone(boxes));
    EXPECT_TRUE(seen.Done());
    EXPECT_TRUE(bWindowAlive);
    // While the second file was read, the files around it were done and showed their counts.
    EXPECT_EQ(strLastPages, QStringLiteral("2"));
    EXPECT_EQ(nProgress, 2);
    EXPECT_EQ(nProgressMax, 3);
    EXPECT_EQ(Text(1, COL_PAGES), QStringLiteral("60000"));
    EXPECT_EQ(dlg.PagesTotal(), 60003);
}

TEST_F(CountRun, StopEndsTheRunAtOnceInsideALongFile)
{
    Add(Tiff(QStringLiteral("a.tif"), 2));
    Add(Tiff(QStringLiteral("b.tif"), 3));
    Add(LongTiff());
    Add(Tiff(QStringLiteral("d.tif"), 4));
    QElapsedTimer sinceStop;
    // The files after the long one are counted while it is read.
    CWhen stop([&] { return CountingNow(LongTiff(), 2) && Text(3, COL_STATUS) == QLatin1String("Done"); },
               [&] {
                   sinceStop.start();
                   QTest::mouseClick(Named(Processing(), "stopButton"), Qt::LeftButton);
               });
    CModalBoxes boxes;      // no "Done." box after Stop
    Count();
    ASSERT_TRUE(WaitUntil([&] { return stop.Done() && !RunningCountRun(&dlg); }, 30000));
    // The window is back while libtiff is still inside the file.
    EXPECT_LT(sinceStop.elapsed(), 100);
    EXPECT_EQ(Processing(), nullptr);
    EXPECT_FALSE(dlg.Operations().IsBusy());
    EXPECT_EQ(Text(0, COL_PAGES), QStringLiteral("2"));
    EXPECT_EQ(Text(1, COL_PAGES), QStringLiteral("3"));
    EXPECT_EQ(Text(2, COL_STATUS), QStringLiteral("Ready."));   // the status it had
    EXPECT_EQ(Text(2, COL_PAGES), QString());
    EXPECT_EQ(Text(3, COL_PAGES), QStringLiteral("4"));
    EXPECT_EQ(dlg.PagesTotal(), 9);
    EXPECT_EQ(PagesField(), QStringLiteral("9"));
    QTest::qWait(50);
    EXPECT_TRUE(boxes.Seen().isEmpty());
}

TEST_F(CountRun, SecondPressDuringARunStartsNothingAndTheButtonIsDisabledMeanwhile)
{
    const QString strSlow = SlowTiff();
    Add(strSlow);
    Add(Tiff(QStringLiteral("b.tif"), 1));
    bool bDisabled = false;
    CWhen again([&] { return CountingNow(strSlow, 0); },
                [&] {
                    bDisabled = !Named(&dlg, "countButton")->isEnabled() &&
                                !Named<QAction>(&dlg, "actionScanDirectories")->isEnabled();
                    RunCountFiles(dlg.Host());
                });
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    EXPECT_TRUE(WaitDone(boxes));
    EXPECT_TRUE(again.Done());
    EXPECT_TRUE(bDisabled);
    EXPECT_EQ(boxes.Seen().size(), 1);
    EXPECT_EQ(dlg.PagesTotal(), 60001);
    EXPECT_TRUE(Named(&dlg, "countButton")->isEnabled());
}

enum class EEdit { RemoveRowAbove, RemoveCountedRow, RemoveRowAfter, ClearList, AppendAtEnd, SortReversed, MoveUp };

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

TEST_P(CountRunEdits, RowsChangedDuringARunLeaveAConsistentListAndEachWaitingRowIsCountedOnce)
{
    const SEditCase& c = GetParam();
    Add(Tiff(QStringLiteral("a.tif"), 1));
    const QString strSlow = SlowTiff();
    Add(strSlow);
    Add(Tiff(QStringLiteral("c.tif"), 3));
    Add(Tiff(QStringLiteral("d.tif"), 5));
    CFileListModel& model = Model();
    // The rows after the slow one are counted by then.
    CWhen edit([&] { return CountingNow(strSlow, 1) && Text(3, COL_STATUS) == QLatin1String("Done"); },
               [&] {
                   switch (c.eEdit) {
                   case EEdit::RemoveRowAbove:
                       model.removeRows(0, 1);
                       break;
                   case EEdit::RemoveCountedRow:
                       model.removeRows(1, 1);
                       break;
                   case EEdit::RemoveRowAfter:
                       model.removeRows(2, 1);
                       break;
                   case EEdit::ClearList:
                       model.Clear();
                       break;
                   case EEdit::AppendAtEnd:
                       model.AppendRow(MakeFileRecord(dir.Path(QStringLiteral("c.tif")).toUtf8(), true));
                       break;
                   case EEdit::SortReversed:
                       model.Reorder({3, 2, 1, 0});
                       break;
                   case EEdit::MoveUp:
                       model.SwapRows(2, 3);
                       break;
                   }
               });
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    ASSERT_TRUE(WaitDone(boxes));
    ASSERT_TRUE(edit.Done());
    QStringList names;
    QStringList pages;
    for (int i = 0; i < model.GetRowCount(); ++i) {
        names << QFileInfo(Text(i, COL_FILENAME)).fileName();
        pages << Text(i, COL_PAGES);
        EXPECT_NE(Text(i, COL_STATUS), QStringLiteral("Processing")) << i;
    }
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(pages, c.pages);
    EXPECT_EQ(dlg.PagesTotal(), c.nTotal);
    EXPECT_EQ(dlg.ItemsTotal(), model.GetRowCount());
}

INSTANTIATE_TEST_SUITE_P(
    Edits, CountRunEdits,
    testing::Values(
        SEditCase{"RemoveRowAbove", EEdit::RemoveRowAbove, {"slow.tif", "c.tif", "d.tif"}, {"60000", "3", "5"}, 60009},
        SEditCase{"RemoveCountedRow", EEdit::RemoveCountedRow, {"a.tif", "c.tif", "d.tif"}, {"1", "3", "5"}, 9},
        SEditCase{"RemoveRowCountedAfterTheSlowOne", EEdit::RemoveRowAfter, {"a.tif", "slow.tif", "d.tif"},
                  {"1", "60000", "5"}, 60009},
        SEditCase{"ClearList", EEdit::ClearList, {}, {}, 9},
        SEditCase{"AppendDuringTheRun", EEdit::AppendAtEnd, {"a.tif", "slow.tif", "c.tif", "d.tif", "c.tif"},
                  {"1", "60000", "3", "5", "3"}, 60012},
        SEditCase{"SortDuringTheRun", EEdit::SortReversed, {"d.tif", "c.tif", "slow.tif", "a.tif"},
                  {"5", "3", "60000", "1"}, 60009},
        SEditCase{"MoveDuringTheRun", EEdit::MoveUp, {"a.tif", "slow.tif", "d.tif", "c.tif"}, {"1", "60000", "5", "3"},
                  60009}),
    [](const testing::TestParamInfo<SEditCase>& info) { return info.param.pszName; });

TEST_F(CountRun, ClosingTheWindowEndsTheRunAtOnce)
{
    Add(LongTiff());
    Add(Tiff(QStringLiteral("b.tif"), 1));
    QElapsedTimer sinceClose;
    CWhen close([&] { return CountingNow(LongTiff(), 0) && Text(1, COL_STATUS) == QLatin1String("Done"); },
                [&] {
                    sinceClose.start();
                    dlg.close();
                });
    CModalBoxes boxes;      // no "Done." box
    Count();
    ASSERT_TRUE(WaitUntil([&] { return close.Done() && !RunningCountRun(&dlg); }, 30000));
    EXPECT_LT(sinceClose.elapsed(), 200);
    EXPECT_TRUE(dlg.IsClosing());
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(Text(0, COL_STATUS), QStringLiteral("Ready."));   // the status it had
    EXPECT_EQ(Text(1, COL_PAGES), QStringLiteral("1"));
    EXPECT_EQ(Processing(), nullptr);
    QTest::qWait(50);
    EXPECT_TRUE(boxes.Seen().isEmpty());
}

enum class EReset { All, Selected };

class CountRunReset : public CountRun, public testing::WithParamInterface<EReset> {};

// A reset while the run goes on changes the total as it says; what is counted afterwards adds to
// the total as it then stands.
TEST_P(CountRunReset, TheTotalIsWhatTheResetLeftPlusWhatCameAfter)
{
    Add(Tiff(QStringLiteral("a.tif"), 2));
    const QString strSlow = SlowTiff();
    Add(strSlow);
    Add(Tiff(QStringLiteral("c.tif"), 3));
    CWhen reset([&] { return CountingNow(strSlow, 1) && Text(2, COL_STATUS) == QLatin1String("Done"); },
                [&] {
                    if (GetParam() == EReset::All) {
                        Named<QAction>(&dlg, "actionResetAllCounts")->trigger();
                        return;
                    }
                    dlg.GetListView()->selectRow(2);
                    Named<QAction>(&dlg, "actionResetCount")->trigger();
                });
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    ASSERT_TRUE(WaitDone(boxes));
    ASSERT_TRUE(reset.Done());
    const bool bAll = GetParam() == EReset::All;
    EXPECT_EQ(Text(0, COL_PAGES), bAll ? QString() : QStringLiteral("2"));
    EXPECT_EQ(Text(2, COL_PAGES), QString());
    EXPECT_EQ(dlg.PagesTotal(), bAll ? 60000 : 60002);
    EXPECT_EQ(PagesField(), QString::number(dlg.PagesTotal()));
}

INSTANTIATE_TEST_SUITE_P(Resets, CountRunReset, testing::Values(EReset::All, EReset::Selected));

// A count describes one version of its file: a file replaced after it was listed gets the size and
// times of the file counted; one that cannot be read any more keeps what its row said.
TEST_F(CountRun, ACountedRowTakesTheSizeAndTimesOfTheFileItCounted)
{
    Add(Tiff(QStringLiteral("replaced.tif"), 1));
    Add(Tiff(QStringLiteral("gone.tif"), 1));
    const QString strOldSize = Text(0, COL_FILESIZE);
    const QString strGoneSize = Text(1, COL_FILESIZE);
    QFile::remove(dir.Path(QStringLiteral("replaced.tif")));
    Tiff(QStringLiteral("replaced.tif"), 15);
    QFile::remove(dir.Path(QStringLiteral("gone.tif")));
    const qint64 nNewSize = QFileInfo(dir.Path(QStringLiteral("replaced.tif"))).size();
    ASSERT_NE(QString::number(nNewSize), strOldSize);
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    ASSERT_TRUE(WaitDone(boxes));
    EXPECT_EQ(Text(0, COL_PAGES), QStringLiteral("15"));
    EXPECT_EQ(Text(0, COL_FILESIZE), QString::number(nNewSize));
    EXPECT_EQ(Text(1, COL_STATUS), QStringLiteral("Read Error"));
    EXPECT_EQ(Text(1, COL_FILESIZE), strGoneSize);
}

// Rows that name one file, by its path or through a link, are marked so that it is not billed
// twice; the pages total counts every row as before.
TEST_F(CountRun, AFileListedTwiceIsMarkedInEachOfItsRows)
{
    const QString strA = Tiff(QStringLiteral("a.tif"), 2);
    ASSERT_TRUE(QFile::link(strA, dir.Path(QStringLiteral("link-to-a.tif"))));
    Add(strA);
    Add(Tiff(QStringLiteral("b.tif"), 3));
    Add(dir.Path(QStringLiteral("link-to-a.tif")));
    Add(strA);
    Add(strA, "No");
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    ASSERT_TRUE(WaitDone(boxes));
    QStringList marks;
    for (int i = 0; i < Model().GetRowCount(); ++i) {
        const QModelIndex name = Model().index(i, COL_FILENAME);
        marks << (name.data(CFileListModel::WarningSignRole).toBool()
                      ? name.data(Qt::ToolTipRole).toString().section(u'\n', 1)
                      : QString());
    }
    EXPECT_EQ(marks, QStringList({"Also listed as " + dir.Path(QStringLiteral("link-to-a.tif")), "",
                                  "Also listed as " + strA, "Also listed in another row", ""}));
    EXPECT_EQ(dlg.PagesTotal(), 9);
    ASSERT_EQ(boxes.Seen().size(), 1);
    EXPECT_EQ(boxes.Seen()[0].strInformative,
              QStringLiteral("1 file is listed more than once: its Filename cells show a warning sign and say where."));
}

}  // namespace
