// The count job's logic, driven by work the test does itself: which file is begun, answered or
// never answers, and when, is the test's to say; no window, no worker, no waiting.
#include "count/core/CountJob.h"
#include "filelist/core/CFileListModel.h"
#include "support/FakeFileWork.h"
#include "support/TempDir.h"
#include "support/TiffBytes.h"
#include "support/TiffFiles.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

namespace {

class CountJob : public testing::Test {
protected:
    QString Tiff(const QString& strName, int nPages)
    {
        const QString strPath = dir.Path(strName);
        EXPECT_TRUE(WriteTiff(strPath, STiffShape{nPages}));
        return strPath;
    }
    void Add(const QString& strPath, bool bInUse = true) { model.AppendRow(MakeFileRecord(strPath.toUtf8(), bInUse)); }
    std::unique_ptr<CCountJob> Start(bool bRecountAll = false)
    {
        auto pJob = std::make_unique<CCountJob>(model, work, bRecountAll);
        pJob->SetClock([this] { return nNow; });
        pJob->Start();
        return pJob;
    }
    QStringList Column(int nColumn) const
    {
        QStringList texts;
        for (int i = 0; i < model.GetRowCount(); ++i)
            texts << (nColumn == COL_FILENAME ? QFileInfo(model.GetText(i, nColumn)).fileName() : model.GetText(i, nColumn));
        return texts;
    }
    // The ticket of the row's request.
    quint64 TicketOf(const QString& strPath) const
    {
        for (int i = 0; i < int(work.asked.size()); ++i) {
            if (work.asked[i].request.endsWith(strPath.toUtf8()))
                return quint64(i);
        }
        ADD_FAILURE() << "not asked: " << qPrintable(strPath);
        return 0;
    }

    CTempDir dir;
    CFileListModel model;
    CFakeFileWork work;
    qint64 nNow = 0;
};

TEST_F(CountJob, EachRowInUseGetsItsResultAndTheDoneBoxItsNumbers)
{
    Add(Tiff(QStringLiteral("one.tif"), 1));
    Add(Tiff(QStringLiteral("twelve.tif"), 12));
    Add(dir.Write(QStringLiteral("notes.txt"), "not a tiff"));
    Add(dir.Path(QStringLiteral("missing.tif")));
    Add(dir.Write(QStringLiteral("mm.tif"), "MM"));     // the signature, but libtiff cannot open it
    Add(Tiff(QStringLiteral("unused.tif"), 3), false);
    const auto pJob = Start();
    EXPECT_EQ(work.asked.size(), 5);    // not the row out of use
    EXPECT_FALSE(pJob->IsFinished());
    work.AnswerAll();
    ASSERT_TRUE(pJob->IsFinished());
    EXPECT_FALSE(pJob->WasStopped());
    EXPECT_EQ(Column(COL_STATUS), QStringList({"Done", "Done", "Invalid", "Read Error", "Done", "Ready."}));
    EXPECT_EQ(Column(COL_PAGES), QStringList({"1", "12", "", "", "0", ""}));
    EXPECT_EQ(model.PagesTotal(), 13);
    EXPECT_EQ(pJob->Outcome().nShort, 1);
    EXPECT_EQ(pJob->Outcome().nNotTiff, 1);
    EXPECT_EQ(pJob->Outcome().nUnreadable, 1);
    EXPECT_EQ(pJob->Outcome().nListedTwice, 0);
    EXPECT_EQ(pJob->DoneCount(), 5);
    EXPECT_EQ(pJob->TotalCount(), 5);
}

TEST_F(CountJob, AFileThatCrashedTheReaderTwiceIsAReadErrorThatSaysSo)
{
    Add(Tiff(QStringLiteral("a.tif"), 2));
    Add(Tiff(QStringLiteral("crashes.tif"), 1));
    Add(Tiff(QStringLiteral("c.tif"), 3));
    const auto pJob = Start();
    work.Answer(1, QByteArray());       // every worker that read it died
    work.AnswerAll();
    ASSERT_TRUE(pJob->IsFinished());
    EXPECT_EQ(Column(COL_STATUS), QStringList({"Done", "Read Error", "Done"}));
    EXPECT_EQ(model.PagesTotal(), 5);
    const QModelIndex status = model.index(1, COL_STATUS);
    EXPECT_TRUE(status.data(CFileListModel::WarningSignRole).toBool());
    EXPECT_EQ(status.data(Qt::ToolTipRole).toString(),
              QStringLiteral("Reading this file crashed the reader twice, so it was not counted."));
    EXPECT_EQ(pJob->Outcome().nUnreadable, 1);
    // Counted again when it no longer crashes, the mark goes.
    const auto pAgain = Start(true);
    work.AnswerAll();
    EXPECT_EQ(model.GetText(1, COL_STATUS), QStringLiteral("Done"));
    EXPECT_FALSE(status.data(CFileListModel::WarningSignRole).toBool());
}

TEST_F(CountJob, ARowBeingReadShowsProcessingOnlyAfterAMomentAndStopGivesBackItsStatus)
{
    Add(Tiff(QStringLiteral("a.tif"), 2));
    Add(Tiff(QStringLiteral("slow.tif"), 1));
    model.SetStatus(1, EFileStatus::Invalid);
    const auto pJob = Start();
    work.Begin(0);
    work.Begin(1);
    nNow = CCountJob::kShowProcessingMs - 1;
    pJob->Tick();
    EXPECT_EQ(Column(COL_STATUS), QStringList({"Ready.", "Invalid"}));   // no flicker for a quick one
    work.Answer(0);
    nNow = CCountJob::kShowProcessingMs;
    pJob->Tick();
    EXPECT_EQ(Column(COL_STATUS), QStringList({"Done", "Processing"}));
    EXPECT_EQ(pJob->Place(), QString::fromUtf8(dir.Bytes() + "/slow.tif"));
    EXPECT_EQ(pJob->DoneCount(), 1);
    pJob->Stop();
    EXPECT_TRUE(pJob->IsFinished());
    EXPECT_TRUE(pJob->WasStopped());
    EXPECT_EQ(Column(COL_STATUS), QStringList({"Done", "Invalid"}));
    EXPECT_EQ(Column(COL_PAGES), QStringList({"2", ""}));
    EXPECT_TRUE(work.asked[1].bCancelled);
    // An answer that comes after all goes nowhere.
    work.asked[1].bCancelled = false;
    work.Answer(1);
    EXPECT_EQ(Column(COL_PAGES), QStringList({"2", ""}));
    EXPECT_EQ(model.PagesTotal(), 2);
}

TEST_F(CountJob, AFileThatDoesNotAnswerIsNamedAfterTenSeconds)
{
    Add(Tiff(QStringLiteral("a.tif"), 1));
    Add(Tiff(QStringLiteral("stuck.tif"), 1));
    const auto pJob = Start();
    work.Begin(1);
    nNow = 5000;
    work.Begin(0);
    nNow = CJob::kNameWaitingMs - 1;
    pJob->Tick();
    EXPECT_EQ(pJob->Place(), QString::fromUtf8(dir.Bytes() + "/a.tif"));
    nNow = 12500;
    pJob->Tick();
    EXPECT_EQ(pJob->Place(), QStringLiteral("waiting 12 s for ") + QString::fromUtf8(dir.Bytes() + "/stuck.tif"));
    work.Answer(1);
    pJob->Tick();
    EXPECT_EQ(pJob->Place(), QString::fromUtf8(dir.Bytes() + "/a.tif"));
}

TEST_F(CountJob, AShortCountIsMarkedWithWhyAndGoesWithTheNextWholeCount)
{
    CTiffBytes damaged(false);
    for (int i = 0; i < 7; ++i)
        damaged.AddPage();
    damaged.SetNextOffset(3, 0x7FFFFFF0u);
    Add(dir.Write(QStringLiteral("damaged.tif"), damaged.Build()));
    Add(Tiff(QStringLiteral("clean.tif"), 2));
    auto pJob = Start();
    work.AnswerAll();
    EXPECT_EQ(Column(COL_STATUS), QStringList({"Done", "Done"}));
    EXPECT_EQ(Column(COL_PAGES), QStringList({"4", "2"}));
    const QModelIndex pages = model.index(0, COL_PAGES);
    EXPECT_TRUE(pages.data(CFileListModel::WarningSignRole).toBool());
    EXPECT_TRUE(pages.data(Qt::ToolTipRole).toString().startsWith(
        QStringLiteral("Counted 4 pages; the file is damaged after page 4: ")));
    EXPECT_FALSE(model.index(1, COL_PAGES).data(CFileListModel::WarningSignRole).toBool());
    EXPECT_EQ(pJob->Outcome().nShort, 1);
    EXPECT_EQ(model.PagesTotal(), 6);

    Tiff(QStringLiteral("damaged.tif"), 7);
    model.ResetPagesTotal();
    pJob = Start(true);
    work.AnswerAll();
    EXPECT_EQ(model.GetText(0, COL_PAGES), QStringLiteral("7"));
    EXPECT_FALSE(pages.data(CFileListModel::WarningSignRole).toBool());
    EXPECT_EQ(pJob->Outcome().nShort, 0);
    EXPECT_EQ(model.PagesTotal(), 9);
}

// A count describes one version of its file: a file replaced after it was listed gets the size and
// times of the file counted; one that cannot be read any more keeps what its row said.
TEST_F(CountJob, ACountedRowTakesTheSizeAndTimesOfTheFileItCounted)
{
    Add(Tiff(QStringLiteral("replaced.tif"), 1));
    Add(Tiff(QStringLiteral("gone.tif"), 1));
    const QString strGoneSize = model.GetText(1, COL_FILESIZE);
    QFile::remove(dir.Path(QStringLiteral("replaced.tif")));
    Tiff(QStringLiteral("replaced.tif"), 15);
    QFile::remove(dir.Path(QStringLiteral("gone.tif")));
    const auto pJob = Start();
    work.AnswerAll();
    EXPECT_EQ(model.GetText(0, COL_PAGES), QStringLiteral("15"));
    EXPECT_EQ(model.GetText(0, COL_FILESIZE), QString::number(QFileInfo(dir.Path(QStringLiteral("replaced.tif"))).size()));
    EXPECT_EQ(model.GetText(1, COL_STATUS), QStringLiteral("Read Error"));
    EXPECT_EQ(model.GetText(1, COL_FILESIZE), strGoneSize);
}

TEST_F(CountJob, AFileListedTwiceIsMarkedInEachOfItsRowsWhenTheRunIsThrough)
{
    const QString strA = Tiff(QStringLiteral("a.tif"), 2);
    ASSERT_TRUE(QFile::link(strA, dir.Path(QStringLiteral("link-to-a.tif"))));
    Add(strA);
    Add(Tiff(QStringLiteral("b.tif"), 3));
    Add(dir.Path(QStringLiteral("link-to-a.tif")));
    Add(strA);
    Add(strA, false);
    const auto pJob = Start();
    work.AnswerAll();
    QList<bool> marks;
    for (int i = 0; i < model.GetRowCount(); ++i)
        marks << model.index(i, COL_FILENAME).data(CFileListModel::WarningSignRole).toBool();
    EXPECT_EQ(marks, QList<bool>({true, false, true, true, false}));
    EXPECT_EQ(model.PagesTotal(), 9);
    EXPECT_EQ(pJob->Outcome().nListedTwice, 1);
}

enum class EEdit { RemoveRowAbove, RemoveCountedRow, RemoveRowAfter, ClearList, AppendAtEnd, SortReversed, MoveUp,
                   OutOfUse };

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

class CountJobEdits : public CountJob, public testing::WithParamInterface<SEditCase> {};

// Rows change while the slow one is read and after the others were counted: each waiting row is
// counted once, a row that went is not waited for, and the list stays consistent.
TEST_P(CountJobEdits, RowsChangedDuringARunLeaveAConsistentListAndEachWaitingRowIsCountedOnce)
{
    const SEditCase& c = GetParam();
    Add(Tiff(QStringLiteral("a.tif"), 1));
    Add(Tiff(QStringLiteral("slow.tif"), 60));
    Add(Tiff(QStringLiteral("c.tif"), 3));
    Add(Tiff(QStringLiteral("d.tif"), 5));
    const auto pJob = Start();
    work.Begin(1);
    for (const quint64 nTicket : {0, 2, 3})
        work.Answer(nTicket);
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
        Add(dir.Path(QStringLiteral("c.tif")));
        break;
    case EEdit::SortReversed:
        model.Reorder({3, 2, 1, 0});
        break;
    case EEdit::MoveUp:
        model.SwapRows(2, 3);
        break;
    case EEdit::OutOfUse:
        model.SetUse(1, false, EFileStatus::None);
        break;
    }
    work.AnswerAll();
    ASSERT_TRUE(pJob->IsFinished());
    EXPECT_EQ(Column(COL_FILENAME), c.names);
    EXPECT_EQ(Column(COL_PAGES), c.pages);
    EXPECT_FALSE(Column(COL_STATUS).contains(QStringLiteral("Processing")));
    EXPECT_EQ(model.PagesTotal(), c.nTotal);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, CountJobEdits,
    testing::Values(
        SEditCase{"RemoveRowAbove", EEdit::RemoveRowAbove, {"slow.tif", "c.tif", "d.tif"}, {"60", "3", "5"}, 69},
        SEditCase{"RemoveRowBeingCounted", EEdit::RemoveCountedRow, {"a.tif", "c.tif", "d.tif"}, {"1", "3", "5"}, 9},
        SEditCase{"RemoveRowCountedAfterTheSlowOne", EEdit::RemoveRowAfter, {"a.tif", "slow.tif", "d.tif"},
                  {"1", "60", "5"}, 69},
        SEditCase{"ClearList", EEdit::ClearList, {}, {}, 9},
        SEditCase{"AppendDuringTheRun", EEdit::AppendAtEnd, {"a.tif", "slow.tif", "c.tif", "d.tif", "c.tif"},
                  {"1", "60", "3", "5", "3"}, 72},
        SEditCase{"SortDuringTheRun", EEdit::SortReversed, {"d.tif", "c.tif", "slow.tif", "a.tif"},
                  {"5", "3", "60", "1"}, 69},
        SEditCase{"MoveDuringTheRun", EEdit::MoveUp, {"a.tif", "slow.tif", "d.tif", "c.tif"}, {"1", "60", "5", "3"},
                  69},
        SEditCase{"OutOfUseDuringTheRun", EEdit::OutOfUse, {"a.tif", "slow.tif", "c.tif", "d.tif"},
                  {"1", "", "3", "5"}, 9}),
    [](const testing::TestParamInfo<SEditCase>& info) { return info.param.pszName; });

// The pages total holds only pages that are in it: a reset lowers it only by pages it holds, so it
// never goes below the counted rows in use, nor below 0; a reset during a run changes the total as
// it says, and what is counted afterwards adds to the total as it then stands.
struct SResetCase {
    const char* pszName;
    QVector<int> pages;         // the files' pages, all counted first
    int nOutOfUse;              // switched out of use after the first count (-1: none)
    bool bRecountAll;           // counted again, all (Yes) or only what is not counted (No)
    bool bResetDuringSecond;    // the reset comes while the second run waits for the last file
    bool bResetAll;             // Reset All Page Counts, else Reset Count (Selected) of row 0
    QStringList pagesAfter;
    qint64 nTotal;
};

void PrintTo(const SResetCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class CountJobResets : public CountJob, public testing::WithParamInterface<SResetCase> {};

TEST_P(CountJobResets, TheTotalIsWhatTheCountsHoldAndNeverLess)
{
    const SResetCase& c = GetParam();
    for (int i = 0; i < int(c.pages.size()); ++i)
        Add(Tiff(QStringLiteral("%1.tif").arg(i), c.pages[i]));
    auto pJob = Start();
    work.AnswerAll();
    if (c.nOutOfUse >= 0)
        model.SetUse(c.nOutOfUse, false, EFileStatus::None);
    if (c.bRecountAll)
        model.ResetPagesTotal();    // as the answer Yes does
    pJob = Start(c.bRecountAll);
    const QVector<quint64> open = work.Open();
    for (int k = 0; k + 1 < int(open.size()); ++k)
        work.Answer(open[k]);
    const auto reset = [&] {
        if (c.bResetAll) {
            model.ResetPagesTotal();
            model.ClearPages();
        } else {
            model.ClearPages([](int r) { return r == 0; });
        }
    };
    if (c.bResetDuringSecond)
        reset();
    work.AnswerAll();
    if (!c.bResetDuringSecond)
        reset();
    EXPECT_EQ(Column(COL_PAGES), c.pagesAfter);
    EXPECT_EQ(model.PagesTotal(), c.nTotal);
}

INSTANTIATE_TEST_SUITE_P(
    Resets, CountJobResets,
    testing::Values(
        SResetCase{"SelectedAfterARun", {3, 2}, -1, false, false, false, {"", "2"}, 2},
        SResetCase{"AllAfterARun", {3, 2}, -1, false, false, true, {"", ""}, 0},
        // Counted again from 0 with the first row out of use: its 3 pages are no longer in the total.
        SResetCase{"OutOfUseRowAfterARecountFromZero", {3, 2}, 0, true, false, false, {"", "2"}, 2},
        SResetCase{"OutOfUseRowAllAfterARecountFromZero", {3, 2}, 0, true, false, true, {"", ""}, 0},
        SResetCase{"SelectedDuringARecount", {2, 4, 3}, -1, true, true, false, {"", "4", "3"}, 7},
        SResetCase{"AllDuringARecount", {2, 4, 3}, -1, true, true, true, {"", "", "3"}, 3}),
    [](const testing::TestParamInfo<SResetCase>& info) { return info.param.pszName; });

}  // namespace
