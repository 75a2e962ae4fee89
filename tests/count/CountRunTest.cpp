// The count run in the window: the question, the Processing window, Stop and Close, the "Done."
// box, and a file that crashes the reader. The run's logic is the count job's (CountJobTest).
#include "app/ui/CPageCountDlg.h"
#include "common/ui/CJobRun.h"
#include "common/ui/CProcessingDlg.h"
#include "count/core/FileEngine.h"
#include "count/core/FileRequests.h"
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
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

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
        if (nPages >= 0) {
            // Counted before: its pages are in the total.
            Model().SetCounted(Model().GetRowCount() - 1, nPages, QString(), nullptr, CPageSummary());
            Model().SetStatus(Model().GetRowCount() - 1, EFileStatus::Ready);
        }
    }
    CFileListModel& Model() { return *dlg.GetModel(); }
    QString Text(int nRow, int nColumn) { return Model().GetText(nRow, nColumn); }
    QString PagesField() { return Named<QLineEdit>(&dlg, "pagesField")->text(); }
    void Count() { QTest::mouseClick(Named(&dlg, "countButton"), Qt::LeftButton); }
    CProcessingDlg* Processing()
    {
        CJobRun* pRun = RunningCountRun(&dlg);
        return pRun ? qobject_cast<CProcessingDlg*>(pRun->Window()) : nullptr;
    }
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
    // Below "Done.", what the user should know of the list.
    ASSERT_EQ(boxes.Seen().size(), 1);
    EXPECT_EQ(boxes.Seen()[0].strInformative,
              QStringLiteral("1 file was counted short: its Pages cell shows a warning sign and says why.\n"
                             "1 file is not a TIFF file: its status is \"Invalid\".\n"
                             "1 file could not be read: its status is \"Read Error\"."));
}

TEST_F(CountRun, EmptyListOrNothingInUseResetsTheTotalWithoutAsking)
{
    // The pages of a counted row stay in the total when the row is deleted.
    Add(Tiff(QStringLiteral("gone.tif"), 1), "Yes", 42);
    Model().Clear();
    EXPECT_EQ(dlg.PagesTotal(), 42);
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
    testing::Values(SPromptCase{"Cancel", QMessageBox::Cancel, false, "5", "", 12},
                    SPromptCase{"No", QMessageBox::No, true, "5", "12", 24},
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

// A file on which the reader crashes costs that file only: every worker that reads it dies, its
// row says so, and the list, its other rows and the total stay.
TEST_F(CountRun, AFileThatCrashesTheReaderCostsThatFileOnly)
{
    CFileEngine engine(CWorkerSpawner::Fork([](const QByteArray& request, IReplySink& sink) {
        if (request.endsWith("crashes.tif"))
            ::raise(SIGSEGV);
        return AnswerFileRequest(request, sink);
    }));
    dlg.SetFileWork(&engine);
    int nPages = 0;
    for (int i = 0; i < 30; ++i) {
        Add(Tiff(QStringLiteral("%1.tif").arg(i), 1 + i % 3));
        nPages += 1 + i % 3;
    }
    Add(Tiff(QStringLiteral("crashes.tif"), 2));
    Model().SwapRows(30, 15);
    CModalBoxes boxes;
    boxes.Expect(kDoneBox, QMessageBox::Ok);
    Count();
    ASSERT_TRUE(WaitDone(boxes));
    EXPECT_EQ(Model().GetRowCount(), 31);
    for (int i = 0; i < 31; ++i)
        EXPECT_EQ(Text(i, COL_STATUS), i == 15 ? QStringLiteral("Read Error") : QStringLiteral("Done")) << i;
    const QModelIndex status = Model().index(15, COL_STATUS);
    EXPECT_TRUE(status.data(CFileListModel::WarningSignRole).toBool());
    EXPECT_TRUE(status.data(Qt::ToolTipRole).toString().contains(QStringLiteral("crashed the reader twice")));
    EXPECT_EQ(dlg.PagesTotal(), nPages);
    ASSERT_EQ(boxes.Seen().size(), 1);
    EXPECT_EQ(boxes.Seen()[0].strInformative, QStringLiteral("1 file could not be read: its status is \"Read Error\"."));
    dlg.SetFileWork(&CFileEngine::Instance());
}

}  // namespace
