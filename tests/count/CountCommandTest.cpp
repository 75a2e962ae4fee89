#include "count/core/CountCommand.h"
#include "support/TempDir.h"
#include "support/TiffFiles.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct SRun {
    int nStatus;
    QByteArray out;
    QByteArray err;
};

SRun RunCount(const QStringList& args)
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int nStatus = RunCountCommand(args, out, err);
    return {nStatus, out.data(), err.data()};
}

class CountCommand : public testing::Test {
protected:
    CountCommand()
    {
        Tiff(QStringLiteral("a.tif"), 2);
        Tiff(QStringLiteral("b, c.tif"), 1);
        Tiff(QStringLiteral(".hidden.tif"), 1);
        Tiff(QStringLiteral("sub/d.tif"), 3);
        Tiff(QStringLiteral(".git/e.tif"), 5);
        Stamp(dir.Write(QStringLiteral("notes.txt"), "not a tiff"));
    }
    void Tiff(const QString& strName, int nPages)
    {
        ASSERT_TRUE(WriteTiff(dir.Path(strName), STiffShape{nPages}));
        Stamp(dir.Path(strName));
    }
    void Stamp(const QString& strPath)
    {
        ASSERT_TRUE(CTempDir::SetTimes(strPath, QDateTime(QDate(2011, 5, 18), QTime(9, 4, 5))));
    }
    // The fields of a file the command reads from the file system, worked out independently.
    QByteArray Facts(const QString& strName)
    {
        const QFileInfo info(dir.Path(strName));
        const QDateTime created = info.birthTime().isValid() ? info.birthTime() : info.lastModified();
        return QByteArray::number(info.size()) + ',' +
               created.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toLatin1() + ",2011-05-18 09:04:05,";
    }
    QByteArray Top() { return dir.Path().toUtf8(); }

    CTempDir dir;
};

TEST_F(CountCommand, WritesTheCsvReportOfTheList)
{
    const SRun run = RunCount({QStringLiteral("--header"), QStringLiteral("--total"), dir.Path()});
    EXPECT_EQ(run.nStatus, 0);
    EXPECT_EQ(run.err, QByteArray());
    const QByteArray expected = "Filename,File Bytes,Created Time,Modified Time,Pages\r\n" +
                                Top() + "/.hidden.tif," + Facts(".hidden.tif") + "1\r\n" +
                                Top() + "/a.tif," + Facts("a.tif") + "2\r\n" +
                                "\"" + Top() + "/b, c.tif\"," + Facts("b, c.tif") + "1\r\n" +
                                Top() + "/notes.txt," + Facts("notes.txt") + "\r\n" +
                                ",,,,4\r\n";
    EXPECT_EQ(run.out, expected);
}

TEST_F(CountCommand, RecursiveWalkEntersSubDirectoriesButNotDotDirectories)
{
    const SRun run = RunCount({QStringLiteral("-r"), QStringLiteral("-j"), QStringLiteral("1"), dir.Path()});
    EXPECT_EQ(run.nStatus, 0);
    const QByteArray expected = Top() + "/.hidden.tif," + Facts(".hidden.tif") + "1\r\n" +
                                Top() + "/a.tif," + Facts("a.tif") + "2\r\n" +
                                "\"" + Top() + "/b, c.tif\"," + Facts("b, c.tif") + "1\r\n" +
                                Top() + "/notes.txt," + Facts("notes.txt") + "\r\n" +
                                Top() + "/sub/d.tif," + Facts("sub/d.tif") + "3\r\n";
    EXPECT_EQ(run.out, expected);
    // The same list, whatever the number of workers.
    EXPECT_EQ(RunCount({QStringLiteral("-r"), QStringLiteral("-j4"), dir.Path()}).out, expected);
}

TEST_F(CountCommand, FilesAreListedAsGivenAndUnreadableOnesNamedOnStandardError)
{
    const QString strFifo = dir.Path(QStringLiteral("pipe.tif"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);
    const QString strMissing = dir.Path(QStringLiteral("gone.tif"));
    const SRun run = RunCount({dir.Path(QStringLiteral("sub/d.tif")), strFifo, strMissing, dir.Path(QStringLiteral("a.tif"))});
    EXPECT_EQ(run.nStatus, 1);
    EXPECT_EQ(run.out, Top() + "/sub/d.tif," + Facts("sub/d.tif") + "3\r\n" +
                           strFifo.toUtf8() + ",0,,,\r\n" +
                           strMissing.toUtf8() + ",0,,,\r\n" +
                           Top() + "/a.tif," + Facts("a.tif") + "2\r\n");
    EXPECT_EQ(run.err, "pagewick-count: " + strMissing.toUtf8() + ": No such file or directory\n" +
                           "pagewick-count: cannot read " + strFifo.toUtf8() + "\n");
}

struct SArgsCase {
    QStringList args;
    int nStatus;
    const char* pszErrStart;
};

TEST(CountCommandArguments, UsageErrorsAndHelp)
{
    const SArgsCase cases[] = {
        {{}, 2, "pagewick-count: no PATH given\n"},
        {{"-x", "a"}, 2, "pagewick-count: unknown option -x\n"},
        {{"-j"}, 2, "pagewick-count: -j needs a number of workers\n"},
        {{"-j", "0", "a"}, 2, "pagewick-count: -j needs a number of workers from 1 to 256, not \"0\"\n"},
        {{"-jmany", "a"}, 2, "pagewick-count: -j needs a number of workers from 1 to 256, not \"many\"\n"},
        {{"--help"}, 0, ""},
        {{"/nonexistent/x.tif"}, 1, "pagewick-count: /nonexistent/x.tif: No such file or directory\n"},
    };
    for (const SArgsCase& c : cases) {
        const SRun run = RunCount(c.args);
        EXPECT_EQ(run.nStatus, c.nStatus) << qPrintable(c.args.join(' '));
        EXPECT_TRUE(run.err.startsWith(c.pszErrStart)) << qPrintable(c.args.join(' ')) << ": " << run.err.constData();
    }
    EXPECT_TRUE(RunCount({QStringLiteral("--help")}).out.startsWith("Usage: pagewick-count [-r] [-j N] [--header] [--total] PATH..."));
}

TEST(CountCommandArguments, ParsesOptionsInAnyOrder)
{
    SCountOptions options;
    QString strError;
    ASSERT_TRUE(ParseCountArguments({"a", "--total", "-j3", "-r", "--", "-odd name", "--header"}, &options, &strError));
    EXPECT_TRUE(options.bRecursive);
    EXPECT_TRUE(options.bTotal);
    EXPECT_FALSE(options.bHeader);      // after "--" it is a path
    EXPECT_EQ(options.nJobs, 3);
    EXPECT_EQ(options.paths, QStringList({"a", "-odd name", "--header"}));
}

TEST_F(CountCommand, ProgramGivesTheSameBytesAndStatus)
{
    QProcess process;
    process.start(QStringLiteral(PAGEWICK_COUNT_EXE), {QStringLiteral("--total"), dir.Path(), dir.Path(QStringLiteral("gone"))});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardOutput(), RunCount({QStringLiteral("--total"), dir.Path(), dir.Path(QStringLiteral("gone"))}).out);
}

}  // namespace
