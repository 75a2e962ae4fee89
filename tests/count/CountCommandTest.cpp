#include "count/cli/CountCommand.h"
#include "support/TempDir.h"
#include "support/TiffBytes.h"
#include "support/TiffFiles.h"
#include "support/Waiting.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SRun {
    int nStatus;
    QByteArray out;
    QByteArray err;
};

QList<QByteArray> Bytes(const QStringList& args)
{
    QList<QByteArray> out;
    for (const QString& arg : args)
        out.append(arg.toUtf8());
    return out;
}

SRun RunCount(const QList<QByteArray>& args)
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int nStatus = RunCountCommand(args, out, err);
    return {nStatus, out.data(), err.data()};
}

SRun RunCount(const QStringList& args)
{
    return RunCount(Bytes(args));
}

// The program itself, for what only a process shows.
SRun RunProgram(const QStringList& args, const QString& strOutFile = QString())
{
    QProcess process;
    if (!strOutFile.isEmpty())
        process.setStandardOutputFile(strOutFile);
    process.start(QStringLiteral(PAGEWICK_COUNT_EXE), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
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
    EXPECT_EQ(options.paths, QList<QByteArray>({"a", "-odd name", "--header"}));
}

TEST_F(CountCommand, ProgramGivesTheSameBytesAndStatus)
{
    const QStringList args = {QStringLiteral("--total"), dir.Path(), dir.Path(QStringLiteral("gone"))};
    const SRun program = RunProgram(args);
    EXPECT_EQ(program.nStatus, 1);
    EXPECT_EQ(program.out, RunCount(args).out);
}

TEST_F(CountCommand, NamesThatAreNotUtf8AreCountedAndWrittenWithTheirBytes)
{
    CTiffBytes t(false);
    t.AddPage();
    t.AddPage();
    const QByteArray tiff = t.Build();
    // Latin-1 letters, a lone continuation byte, a sequence cut short, and valid UTF-8.
    const QList<QByteArray> names = {"caf\xe9.tif", "bad\xff\xfename.tif", "lone\x80.tif", "cut\xc3.tif",
                                     "Z\xc3\xbcrich.tif"};
    for (const QByteArray& name : names)
        dir.WriteRaw("raw/" + name, tiff);
    const SRun run = RunCount(QList<QByteArray>{"--total", dir.Bytes() + "/raw"});
    EXPECT_EQ(run.nStatus, 0) << run.err.constData();
    EXPECT_EQ(run.err, QByteArray());
    for (const QByteArray& name : names)
        EXPECT_TRUE(run.out.contains(dir.Bytes() + "/raw/" + name + "," + QByteArray::number(tiff.size()) + ","))
            << name.toHex().constData();
    EXPECT_EQ(run.out.count(",2\r\n"), 5);
    EXPECT_TRUE(run.out.endsWith(",,,,10\r\n")) << run.out.constData();
    // Named on the command line, the same bytes.
    const QByteArray one = dir.Bytes() + "/raw/" + names[1];
    const SRun direct = RunCount(QList<QByteArray>{one});
    EXPECT_TRUE(direct.out.startsWith(one + ",")) << direct.out.constData();
    EXPECT_TRUE(direct.out.endsWith(",2\r\n"));
}

TEST_F(CountCommand, ShortCountsAreNamedOnStandardErrorAndGiveStatusThree)
{
    CTiffBytes t(false);
    for (int i = 0; i < 3; ++i)
        t.AddPage();
    t.SetNextOffset(2, 0x7FFFFFF0u);
    const QString strDamaged = dir.Write(QStringLiteral("damaged, cut.tif"), t.Build());
    const QString strClean = dir.Path(QStringLiteral("a.tif"));
    const SRun run = RunCount({QStringLiteral("-j"), QStringLiteral("1"), strClean, strDamaged});
    EXPECT_EQ(run.nStatus, 3);
    // The CSV is the same as it always was.
    EXPECT_EQ(run.out, strClean.toUtf8() + "," + Facts("a.tif") + "2\r\n\"" + strDamaged.toUtf8() + "\"," +
                           QByteArray::number(t.Build().size()) + "," + run.out.split(',')[7] + "," +
                           run.out.split(',')[8] + ",3\r\n");
    // Every line names the file; the last says why its count is short.
    const QList<QByteArray> lines = run.err.trimmed().split('\n');
    ASSERT_FALSE(lines.isEmpty());
    for (const QByteArray& line : lines)
        EXPECT_TRUE(line.startsWith("pagewick-count: " + strDamaged.toUtf8() + ": ")) << line.constData();
    EXPECT_TRUE(lines.last().startsWith("pagewick-count: " + strDamaged.toUtf8() + ": counted 3 pages, damaged after page 3: "))
        << lines.last().constData();
    // A missing path weighs more than a short count.
    EXPECT_EQ(RunCount({strDamaged, dir.Path(QStringLiteral("gone.tif"))}).nStatus, 1);
    EXPECT_TRUE(CountUsage().contains(QStringLiteral("3 when all is")));
}

TEST_F(CountCommand, ATreeDeeperThanThePathLimitIsWalkedWhole)
{
    QByteArray path = dir.Bytes() + "/deep";
    ::mkdir(path.constData(), 0700);
    int nDir = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 30; ++i) {
        const QByteArray name(200, char('a' + i % 26));
        ASSERT_EQ(::mkdirat(nDir, name.constData(), 0700), 0);
        const int nNext = ::openat(nDir, name.constData(), O_RDONLY | O_DIRECTORY);
        ::close(nDir);
        nDir = nNext;
        path += '/' + name;
    }
    const int fd = ::openat(nDir, "bottom.tif", O_WRONLY | O_CREAT, 0600);
    ::close(nDir);
    const QByteArray tiff = [] {
        CTiffBytes t(true);
        t.AddPage();
        t.AddPage();
        return t.Build();
    }();
    ASSERT_EQ(::write(fd, tiff.constData(), size_t(tiff.size())), ssize_t(tiff.size()));
    ::close(fd);
    const SRun run = RunCount(QList<QByteArray>{"-r", dir.Bytes() + "/deep"});
    EXPECT_EQ(run.nStatus, 0) << run.err.constData();
    EXPECT_TRUE(run.out.startsWith(path + "/bottom.tif," + QByteArray::number(tiff.size()) + ","));
    EXPECT_TRUE(run.out.endsWith(",2\r\n"));
}

TEST_F(CountCommand, ADirectoryThatCannotBeReadIsNamedAndFailsTheRun)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every directory";
    dir.Write(QStringLiteral("shut/x.tif"), "II*");
    ::chmod(QFile::encodeName(dir.Path(QStringLiteral("shut"))).constData(), 0);
    const SRun run = RunCount({QStringLiteral("-r"), dir.Path()});
    ::chmod(QFile::encodeName(dir.Path(QStringLiteral("shut"))).constData(), 0700);
    EXPECT_EQ(run.nStatus, 1);
    EXPECT_TRUE(run.err.contains("pagewick-count: cannot read directory " + dir.Path(QStringLiteral("shut")).toUtf8()));
}

// A device that takes some bytes and then fails, as a full disk does.
class CFillingDevice : public QIODevice {
public:
    explicit CFillingDevice(qint64 nRoom) : m_nRoom(nRoom) { open(WriteOnly); }
    int nWrites = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 nBytes) override
    {
        ++nWrites;
        if (nBytes > m_nRoom)
            return -1;
        m_nRoom -= nBytes;
        return nBytes;
    }

private:
    qint64 m_nRoom;
};

TEST_F(CountCommand, TheFirstFailedWriteStopsCountingAndIsToldOnce)
{
    for (int i = 0; i < 3000; ++i)
        dir.Write(QStringLiteral("many/f%1.txt").arg(i, 4, 10, QLatin1Char('0')), "text");
    CFillingDevice out(1000);
    QBuffer err;
    err.open(QIODevice::WriteOnly);
    const int nStatus = RunCountCommand({"-j", "2", dir.Bytes() + "/many"}, out, err);
    EXPECT_EQ(nStatus, 1);
    EXPECT_EQ(err.data(), QByteArray("pagewick-count: cannot write the report\n"));
    EXPECT_EQ(out.nWrites, 1);
    // The program on a full device says the same, once.
    if (QFileInfo::exists(QStringLiteral("/dev/full"))) {
        const SRun full = RunProgram({dir.Path(QStringLiteral("many"))}, QStringLiteral("/dev/full"));
        EXPECT_EQ(full.nStatus, 1);
        EXPECT_EQ(full.err, QByteArray("pagewick-count: cannot write the report\n"));
    }
}

TEST_F(CountCommand, WorkersEndWhenTheProgramIsTerminated)
{
    // A file libtiff takes seconds to walk keeps the workers busy.
    CTiffBytes t(false);
    for (int i = 0; i < 300000; ++i)
        t.AddPage();
    const QByteArray slow = t.Build();
    for (int i = 0; i < 4; ++i)
        dir.Write(QStringLiteral("slow/s%1.tif").arg(i), slow);
    QProcess process;
    process.start(QStringLiteral(PAGEWICK_COUNT_EXE), {QStringLiteral("-j"), QStringLiteral("2"), dir.Path(QStringLiteral("slow"))});
    ASSERT_TRUE(process.waitForStarted());
    const pid_t parent = pid_t(process.processId());
    // Its workers, by their parent.
    const auto children = [parent] {
        QList<pid_t> pids;
        QFile file(QStringLiteral("/proc/%1/task/%1/children").arg(parent));
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& pid : file.readAll().simplified().split(' ')) {
                if (!pid.isEmpty())
                    pids.append(pid_t(pid.toInt()));
            }
        }
        return pids;
    };
    QList<pid_t> workers;
    ASSERT_TRUE(WaitUntil([&] { return (workers = children()).size() == 2; }, 10000));
    // SIGTERM to the program alone, not to its group.
    ::kill(parent, SIGTERM);
    ASSERT_TRUE(process.waitForFinished(5000));
    // Gone, or a zombie that nobody has reaped yet: either way no longer counting.
    const auto alive = [](pid_t pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray line = stat.readAll();
        const qsizetype nState = line.lastIndexOf(')') + 2;
        return nState < line.size() && line[nState] != 'Z' && line[nState] != 'X';
    };
    EXPECT_TRUE(WaitUntil([&] {
        for (pid_t pid : workers) {
            if (alive(pid))
                return false;
        }
        return true;
    }, 3000)) << "a worker outlived the program";
}

}  // namespace
