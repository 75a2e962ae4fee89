#include "PersistTesting.h"
#include "tiff/PageCounter.h"
#include "persist/core/BillingReports.h"
#include "persist/core/CsvReport.h"
#include "support/TiffBytes.h"
#include "support/TiffFiles.h"
#include "support/UrlCatcher.h"

#include <QDateTime>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <sys/stat.h>

namespace {

TEST(BillingReports, AFolderIsWhatDirnameGives)
{
    const struct {
        const char* pszPath;
        const char* pszFolder;
    } cases[] = {
        {"/srv/scans/job 1/a.tif", "/srv/scans/job 1"}, {"/a.tif", "/"}, {"a.tif", "."}, {"", "."},
        {"job//a.tif", "job"}, {"job/sub/", "job"}, {"//a.tif", "/"}, {"/", "/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderOf(c.pszPath), QByteArray(c.pszFolder)) << c.pszPath;
}

// One list with every kind of row, counted in the window and by pagewick-count.
class BillingWindow : public CWindowTest {
protected:
    BillingWindow()
    {
        a = File("job 1/a.tif", [](const QString& s) { return WriteTiff(s, STiffShape{2}); });
        cut = File("job 1/cut.tif", CTiffBytes(false).AddPages(2).SetNextOffset(0, 1u << 30).Build());
        notes = File("job,2/notes.txt", "not a tiff");
        pipe = Top() + "/job,2/pipe.tif";
        EXPECT_EQ(::mkfifo(pipe.constData(), 0600), 0);
        link = Top() + "/job,2/link.tif";
        EXPECT_TRUE(QFile::link(QString::fromUtf8(a), QString::fromUtf8(link)));
        unused = File("job 1/unused.tif", [](const QString& s) { return WriteTiff(s, STiffShape{5}); });
        later = File("job 1/later.tif", [](const QString& s) { return WriteTiff(s, STiffShape{1}); });
    }
    QByteArray Top() { return dir.Path().toUtf8(); }
    QByteArray File(const char* pszName, const std::function<bool(const QString&)>& write)
    {
        const QString strPath = dir.Path(QString::fromUtf8(pszName));
        QDir().mkpath(QFileInfo(strPath).path());
        EXPECT_TRUE(write(strPath)) << pszName;
        EXPECT_TRUE(CTempDir::SetTimes(strPath, QDateTime(QDate(2011, 5, 18), QTime(9, 4, 5))));
        return strPath.toUtf8();
    }
    QByteArray File(const char* pszName, const QByteArray& bytes)
    {
        return File(pszName, [&](const QString&) { return !dir.Write(QString::fromUtf8(pszName), bytes).isEmpty(); });
    }
    // The CSV report's fields of a file, worked out from the file system: the path (quoted where
    // it needs it), size, created and modified time, pages.
    static QByteArray Fields(const QByteArray& path, const char* pszPages)
    {
        const QByteArray name = path.contains(',') ? '"' + path + '"' : path;
        const QFileInfo info(QString::fromUtf8(path));
        if (!info.exists())
            return name + ",0,,," + pszPages;
        const QDateTime created = info.birthTime().isValid() ? info.birthTime() : info.lastModified();
        return name + ',' + QByteArray::number(info.size()) + ',' +
               created.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1() + ',' +
               info.lastModified().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1() + ',' + pszPages;
    }
    QByteArray WindowReport(const char* pszAction, const QString& strName)
    {
        CModalBoxes boxes;
        boxes.ExpectDialog(QByteArray(pszAction) == "actionFolderSummaryReport"
                               ? QStringLiteral("Export Folder Summary to CSV file")
                               : QStringLiteral("Export Audit Report to CSV file"),
                           TypeName(dir.Path(strName)));
        boxes.Expect(OkBox(QStringLiteral("File Saved"), QStringLiteral("Done")), QMessageBox::Ok);
        boxes.Expect({QStringLiteral("Open File"), QStringLiteral("Do you want to open file now in excel ?"),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::NoIcon},
                     QMessageBox::Yes);
        CUrlCatcher urls;
        Run(pszAction, boxes);
        EXPECT_EQ(urls.Urls(), QList<QUrl>{QUrl::fromLocalFile(dir.Path(strName + QStringLiteral(".csv")))});
        return ReadAll(dir.Path(strName + QStringLiteral(".csv")));
    }
    // What pagewick-count writes of the files (one cannot be read: status 1).
    static QByteArray CommandReport(const char* pszKind, const QList<QByteArray>& paths)
    {
        QStringList args{QString::fromLatin1(pszKind)};
        for (const QByteArray& path : paths)
            args.append(QString::fromUtf8(path));
        QProcess process;
        process.start(QStringLiteral(PAGEWICK_COUNT_EXE), args);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 1) << process.readAllStandardError().constData();
        return process.readAllStandardOutput();
    }

    QByteArray a, cut, notes, pipe, link, unused, later;
};

TEST_F(BillingWindow, TheWindowAndTheCommandLineGiveTheSameBytes)
{
    // Done, counted short, not TIFF, unreadable, the same file again through a link, out of use;
    // one more row is added after the count, and is not counted.
    const QList<QByteArray> counted = {a, cut, notes, pipe, link};
    for (const QByteArray& path : counted)
        dlg.AppendFileRow(path, true);
    dlg.AppendFileRow(unused, false);
    {
        CModalBoxes boxes;
        boxes.Expect({QStringLiteral("Pagewick"), QStringLiteral("Done."), QMessageBox::Ok, QMessageBox::Warning},
                     QMessageBox::Ok);
        QTest::mouseClick(Named(&dlg, "countButton"), Qt::LeftButton);
        ASSERT_TRUE(boxes.WaitAllAnswered(60000));
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Operations().IsBusy(); }));
    }
    dlg.AppendFileRow(later, true);

    const QByteArray top = Top();
    const QByteArray cutNote = "Counted 1 page; the file is damaged after page 1: " +
                               CountPagesOf(cut, nullptr, false).strReason.toUtf8();
    const QByteArray audit = "Filename,File Bytes,Created Time,Modified Time,Pages,Status,Note\r\n" +
                             Fields(a, "2") + ",Done,\"also listed as " + link + "\"\r\n" +
                             Fields(cut, "1") + ",Done," + CsvField(cutNote) + "\r\n" +
                             Fields(notes, "") + ",Invalid,\r\n" +
                             Fields(pipe, "") + ",Read Error,No such device or address\r\n" +
                             Fields(link, "2") + ",Done,also listed as " + a + "\r\n";
    const QByteArray notCounted = Fields(later, "") + ",,\r\n";
    const QByteArray summaryHeader = "Folder,Files,Pages,Counted Short,Not TIFF,Unreadable\r\n";
    EXPECT_EQ(WindowReport("actionAuditReport", QStringLiteral("audit")), audit + notCounted);
    EXPECT_EQ(WindowReport("actionFolderSummaryReport", QStringLiteral("summary")),
              summaryHeader + top + "/job 1,3,3,1,0,0\r\n\"" + top + "/job,2\",3,2,0,1,1\r\nTotal,6,5,1,1,1\r\n");
    EXPECT_EQ(CommandReport("--audit", counted), audit);
    EXPECT_EQ(CommandReport("--summary", counted),
              summaryHeader + top + "/job 1,2,3,1,0,0\r\n\"" + top + "/job,2\",3,2,0,1,1\r\nTotal,5,5,1,1,1\r\n");
}

TEST_F(BillingWindow, AReportThatCannotBeWrittenGetsTheReportsFailureBox)
{
    const QString strNowhere = dir.Write(QStringLiteral("file"), "x") + QStringLiteral("/audit.csv");
    CModalBoxes boxes;
    boxes.ExpectDialog(QStringLiteral("Export Audit Report to CSV file"), TypeName(strNowhere));
    boxes.Expect(FailureBox(QStringLiteral("File Report Error"), "Can't write to " + strNowhere), QMessageBox::Ok);
    Run("actionAuditReport", boxes);
    EXPECT_EQ(boxes.Seen().last().strInformative, QStringLiteral("Not a directory"));
}

}  // namespace
