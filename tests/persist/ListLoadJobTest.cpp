// Loading a list file as a job, driven by work the test does itself.
#include "filelist/core/CFileListModel.h"
#include "persist/core/ListLoadJob.h"
#include "support/FakeFileWork.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

QStringList Column(const CFileListModel& model, int nColumn)
{
    QStringList texts;
    for (int i = 0; i < model.GetRowCount(); ++i)
        texts << model.GetText(i, nColumn);
    return texts;
}

// The rows join as the list is read; each file's facts come when it answers; a file that never
// answers holds up only its own row, and when the load is stopped it shows as one that cannot be
// read.
TEST(ListLoadJob, RowsJoinAsReadAndEachFileIsLookedAtOnItsOwn)
{
    CTempDir dir;
    const QByteArray a = dir.Write(QStringLiteral("a.tif"), "II*").toUtf8();
    const QByteArray stuck = dir.Write(QStringLiteral("stuck.tif"), "MMMM").toUtf8();
    const QString strList = dir.Write(QStringLiteral("list.lst"), a + "\r\r\n~" + stuck + "\r\r\n" + a + "\r\r\n");
    for (const bool bStop : {false, true}) {
        CFileListModel model;
        CFakeFileWork work;
        CListLoadJob job(model, work, strList.toUtf8());
        job.Start();
        work.Answer(0);     // the list file's bytes
        EXPECT_EQ(Column(model, COL_USE), QStringList({"Yes", "No", "Yes"}));
        EXPECT_EQ(Column(model, COL_FILESIZE), QStringList({"", "", ""}));
        work.Answer(1);
        work.Answer(3);
        EXPECT_EQ(Column(model, COL_FILESIZE), QStringList({"3", "", "3"}));
        EXPECT_EQ(job.DoneCount(), 2);
        EXPECT_EQ(job.TotalCount(), 3);
        EXPECT_FALSE(job.IsFinished());
        if (bStop) {
            job.Stop();
            EXPECT_TRUE(work.asked[2].bCancelled);
            EXPECT_EQ(Column(model, COL_FILESIZE), QStringList({"3", "0", "3"}));
        } else {
            work.Answer(2);
            EXPECT_EQ(Column(model, COL_FILESIZE), QStringList({"3", "4", "3"}));
        }
        EXPECT_TRUE(job.IsFinished());
        EXPECT_TRUE(job.ReadError().isEmpty());
    }
    // A list that cannot be read says why; the load ends with no row.
    CFileListModel model;
    CFakeFileWork work;
    CListLoadJob job(model, work, dir.Bytes() + "/missing.lst");
    job.Start();
    work.AnswerAll();
    EXPECT_TRUE(job.IsFinished());
    EXPECT_EQ(job.ReadError(), QStringLiteral("No such file or directory"));
    EXPECT_EQ(model.GetRowCount(), 0);
}

}  // namespace
