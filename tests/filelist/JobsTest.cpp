// The jobs that add and remove rows, driven by work the test does itself: which file answers, in
// what order, or never; no window, no worker, no waiting.
#include "filelist/core/AddFilesJob.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/core/FilterJob.h"
#include "filelist/core/ScanJob.h"
#include "support/FakeFileWork.h"
#include "support/TempDir.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class Jobs : public testing::Test {
protected:
    template <class Job>
    void Start(Job& job)
    {
        job.SetClock([this] { return nNow; });
        job.Start();
    }
    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < model.GetRowCount(); ++i)
            names << QFileInfo(QString::fromUtf8(model.GetRecord(i).path)).fileName();
        return names;
    }
    QStringList Column(int nColumn) const
    {
        QStringList texts;
        for (int i = 0; i < model.GetRowCount(); ++i)
            texts << model.GetText(i, nColumn);
        return texts;
    }
    QByteArray Path(const char* pszName) const { return dir.Bytes() + '/' + pszName; }

    CTempDir dir;
    CFileListModel model;
    CFakeFileWork work;
    qint64 nNow = 0;
};

// The filter asks once per file; when every file has answered the rows of files that are not TIFF
// go. Stopped, only what has been decided goes: a file that never answers keeps its row.
TEST_F(Jobs, TheFilterRemovesWhatIsNotTiffAndStoppedOnlyWhatItDecided)
{
    dir.Write(QStringLiteral("a.tif"), QByteArray("II*\0", 4));
    dir.Write(QStringLiteral("notes.txt"), "text");
    dir.Write(QStringLiteral("stuck.tif"), "MM");
    for (const bool bStop : {false, true}) {
        model.Clear();
        for (const char* pszName : {"a.tif", "notes.txt", "a.tif", "stuck.tif", "gone.tif"})
            model.AppendRow(MakeFileRecord(Path(pszName), true));
        nNow = 0;
        CFilterJob job(model, work);
        Start(job);
        const qsizetype nFirst = work.asked.size() - 4;
        EXPECT_EQ(job.TotalCount(), 4) << bStop;    // a.tif once
        work.Answer(quint64(nFirst));       // a.tif
        work.Answer(quint64(nFirst + 1));   // notes.txt
        work.Begin(quint64(nFirst + 2));    // stuck.tif, which never answers
        nNow = CJob::kNameWaitingMs;
        job.Tick();
        EXPECT_EQ(job.Place(), QStringLiteral("waiting 10 s for ") + QString::fromUtf8(Path("stuck.tif")));
        if (bStop) {
            job.Stop();
            EXPECT_TRUE(job.IsFinished());
            EXPECT_EQ(job.Removed(), 1);
            EXPECT_EQ(Names(), QStringList({"a.tif", "a.tif", "stuck.tif", "gone.tif"}));
            EXPECT_TRUE(work.asked[int(nFirst + 2)].bCancelled);
            break;
        }
        // A row added meanwhile is asked too.
        model.AppendRow(MakeFileRecord(Path("late.txt"), true));
        EXPECT_EQ(job.TotalCount(), 5);
        work.AnswerAll();
        ASSERT_TRUE(job.IsFinished());
        EXPECT_EQ(job.Removed(), 3);
        EXPECT_EQ(Names(), QStringList({"a.tif", "a.tif", "stuck.tif"}));
    }
}

// Dropped files join in the drop's order as they answer; one that keeps the others waiting joins
// without its facts, which come when it answers; directories and vanished paths are passed over.
TEST_F(Jobs, AddedFilesJoinInOrderAndOneThatDoesNotAnswerHoldsUpOnlyItself)
{
    dir.Write(QStringLiteral("a.tif"), "II*");
    dir.Write(QStringLiteral("slow.tif"), "MMMM");
    dir.Write(QStringLiteral("c.tif"), "MM");
    dir.MakeDir(QStringLiteral("folder"));
    CAddFilesJob job(model, work, {Path("a.tif"), Path("slow.tif"), Path("folder"), Path("gone.tif"), Path("c.tif")});
    Start(job);
    for (const quint64 nTicket : {4, 2, 3})
        work.Answer(nTicket);
    EXPECT_TRUE(Names().isEmpty());     // a.tif has not answered: nothing may join before it
    work.Answer(0);
    EXPECT_EQ(Names(), QStringList({"a.tif"}));
    nNow = CAddFilesJob::kHoldUpMs - 1;
    job.Tick();
    EXPECT_EQ(Names(), QStringList({"a.tif"}));
    nNow = CAddFilesJob::kHoldUpMs;
    job.Tick();
    EXPECT_EQ(Names(), QStringList({"a.tif", "slow.tif", "c.tif"}));
    EXPECT_EQ(Column(COL_FILESIZE), QStringList({"3", "", "2"}));   // its size not known yet
    EXPECT_FALSE(job.IsFinished());
    work.Answer(1);
    EXPECT_EQ(Column(COL_FILESIZE), QStringList({"3", "4", "2"}));
    EXPECT_TRUE(job.IsFinished());
    // Stopped before it answers, it is shown as a file that cannot be read.
    CAddFilesJob again(model, work, {Path("slow.tif"), Path("c.tif")});
    Start(again);
    work.Answer(quint64(work.asked.size() - 1));
    nNow += CAddFilesJob::kHoldUpMs;
    again.Tick();
    again.Stop();
    EXPECT_EQ(Column(COL_FILESIZE), QStringList({"3", "4", "2", "0", "2"}));
}

// A scan's rows come in the walk's order as the worker finds them; the place is the folder read.
TEST_F(Jobs, AScanAddsTheFilesOfTheWalkInOrderAndStopKeepsThem)
{
    dir.Write(QStringLiteral("tree/b.tif"), "MM");
    dir.Write(QStringLiteral("tree/A.tif"), "II*");
    dir.Write(QStringLiteral("tree/sub/c.tif"), "MM");
    ::mkfifo(Path("tree/pipe").constData(), 0600);
    for (const bool bSubFolders : {false, true}) {
        model.Clear();
        CScanJob job(model, work, Path("tree"), bSubFolders);
        Start(job);
        work.Answer(quint64(work.asked.size() - 1));
        EXPECT_TRUE(job.IsFinished());
        EXPECT_EQ(Names(), bSubFolders ? QStringList({"A.tif", "b.tif", "pipe", "c.tif"})
                                       : QStringList({"A.tif", "b.tif", "pipe"}));
        EXPECT_EQ(Column(COL_FILESIZE).mid(0, 3), QStringList({"3", "2", "0"}));
        EXPECT_EQ(job.Place(), QString::fromUtf8(Path(bSubFolders ? "tree/sub" : "tree")));
    }
    CScanJob stopped(model, work, Path("tree"), true);
    Start(stopped);
    stopped.Stop();
    EXPECT_TRUE(work.asked.last().bCancelled);
    EXPECT_EQ(model.GetRowCount(), 4);
}

// A quick walk's many parts join the list a batch at a time (one repaint each), the first at once;
// a slow one's each as it comes. Rows held back are added when the walk ends, or by the tick once
// their time has come.
TEST_F(Jobs, AScanAddsItsRowsABatchAtATime)
{
    // More files than one part carries, in folders of their own.
    for (int i = 0; i < 1200; ++i)
        dir.Write(QStringLiteral("many/%1/%2.tif").arg(i / 40, 2, 10, QLatin1Char('0')).arg(i, 4, 10, QLatin1Char('0')), "II*");
    struct SCase {
        qint64 nMsPerLook;      // the clock's step each time the job looks at it
        int nLeastBatches;
        int nMostBatches;
    };
    for (const SCase& c : {SCase{0, 2, 2}, SCase{CScanJob::kAppendEveryMs, 5, 40}}) {
        model.Clear();
        int nBatches = 0;
        const QMetaObject::Connection counted =
            QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&nBatches] { ++nBatches; });
        CScanJob job(model, work, Path("many"), true);
        job.SetClock([this, &c] { return nNow += c.nMsPerLook; });
        job.Start();
        work.Answer(quint64(work.asked.size() - 1));
        QObject::disconnect(counted);
        EXPECT_TRUE(job.IsFinished());
        EXPECT_GE(nBatches, c.nLeastBatches) << c.nMsPerLook;
        EXPECT_LE(nBatches, c.nMostBatches) << c.nMsPerLook;
        ASSERT_EQ(model.GetRowCount(), 1200);
        EXPECT_EQ(Names().first(), QStringLiteral("0000.tif"));
        EXPECT_EQ(Names().last(), QStringLiteral("1199.tif"));
    }
}

}  // namespace
