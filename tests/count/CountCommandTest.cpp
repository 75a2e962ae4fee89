#include "count/cli/CountCommand.h"
#include "count/core/FileRequests.h"
#include "tiff/PageCounter.h"
#include "persist/core/ProfileReport.h"
#include "res/Version.h"
#include "support/TempDir.h"
#include "support/TiffBytes.h"
#include "support/TiffFiles.h"
#include "support/Waiting.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtEndian>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

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

// The processes below a process, children first.
QList<pid_t> Descendants(pid_t parent)
{
    QList<pid_t> pids;
    QFile file(QStringLiteral("/proc/%1/task/%1/children").arg(parent));
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& pid : file.readAll().simplified().split(' ')) {
            if (!pid.isEmpty())
                pids.append(pid_t(pid.toInt()));
        }
    }
    for (qsizetype i = 0, n = pids.size(); i < n; ++i)
        pids += Descendants(pids[i]);
    return pids;
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

// Lines sorted: the lister names a missing PATH while the workers count what came before it.
QByteArrayList SortedLines(const QByteArray& text)
{
    QByteArrayList lines = text.split('\n');
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Files are listed as given. One that cannot be read keeps in its row what the look at it could
// tell, and its line on standard error ends with the system's reason, as cp and ls write it.
TEST_F(CountCommand, FilesThatCannotBeReadAreNamedWithTheSystemsReason)
{
    const QString strFifo = dir.Path(QStringLiteral("pipe.tif"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);
    Stamp(strFifo);
    const QString strDangling = dir.Path(QStringLiteral("dangling.tif"));
    ASSERT_TRUE(QFile::link(dir.Path(QStringLiteral("nowhere.tif")), strDangling));
    const QString strShut = dir.Path(QStringLiteral("shut.tif"));
    Tiff(QStringLiteral("shut.tif"), 1);
    ::chmod(QFile::encodeName(strShut).constData(), 0);
    const bool bRoot = ::geteuid() == 0;   // root reads it all the same
    struct SCase {
        QString strPath;
        QByteArray row;
        QByteArray err;
    };
    const SCase cases[] = {
        {dir.Path(QStringLiteral("sub/d.tif")), Top() + "/sub/d.tif," + Facts("sub/d.tif") + "3\r\n", ""},
        {strFifo, strFifo.toUtf8() + ',' + Facts("pipe.tif") + "\r\n",
         "pagewick-count: cannot read " + strFifo.toUtf8() + ": No such device or address\n"},
        {strDangling, strDangling.toUtf8() + ",0,,,\r\n",
         "pagewick-count: cannot read " + strDangling.toUtf8() + ": No such file or directory\n"},
        {dir.Path(QStringLiteral("gone.tif")), Top() + "/gone.tif,0,,,\r\n",
         "pagewick-count: " + Top() + "/gone.tif: No such file or directory\n"},
        {strShut, strShut.toUtf8() + ',' + Facts("shut.tif") + (bRoot ? "1" : "") + "\r\n",
         bRoot ? "" : "pagewick-count: cannot read " + strShut.toUtf8() + ": Permission denied\n"},
    };
    QStringList args;
    QByteArray out;
    QByteArray err;
    for (const SCase& c : cases) {
        args.append(c.strPath);
        out += c.row;
        err += c.err;
    }
    const SRun run = RunCount(args);
    EXPECT_EQ(run.nStatus, 1);
    EXPECT_EQ(run.out, out);
    EXPECT_EQ(SortedLines(run.err), SortedLines(err)) << run.err.constData();
}

struct SArgsCase {
    QStringList args;
    int nStatus;
    const char* pszErrStart;
};

TEST(CountCommandArguments, UsageErrorsHelpAndVersion)
{
    const SArgsCase cases[] = {
        {{}, 2, "pagewick-count: no PATH given\n"},
        {{"-x", "a"}, 2, "pagewick-count: unknown option -x\n"},
        {{"-rx", "a"}, 2, "pagewick-count: unknown option -x\n"},
        {{"--frobnicate", "a"}, 2, "pagewick-count: unknown option --frobnicate\n"},
        {{"a", "--p"}, 2, "pagewick-count: option --p is ambiguous; possibilities: --profile --pages --progress\n"},
        {{"-j"}, 2, "pagewick-count: -j needs a number of workers\n"},
        {{"-j", "0", "a"}, 2, "pagewick-count: -j needs a number of workers from 1 to 256, not \"0\"\n"},
        {{"-jmany", "a"}, 2, "pagewick-count: -j needs a number of workers from 1 to 256, not \"many\"\n"},
        {{"--jobs=300", "a"}, 2, "pagewick-count: -j needs a number of workers from 1 to 256, not \"300\"\n"},
        {{"--in-flight=0", "a"}, 2, "pagewick-count: --in-flight needs a number of files from 1 to 256"},
        {{"--format=xml", "a"}, 2, "pagewick-count: --format takes csv or jsonl, not \"xml\"\n"},
        {{"--format", "jsonl", "--total", "a"}, 2, "pagewick-count: --header and --total belong to the CSV"},
        {{"--header", "--format=jsonl", "a"}, 2, "pagewick-count: --header and --total belong to the CSV"},
        {{"-0", "a"}, 2, "pagewick-count: -0 separates the names of --files-from"},
        {{"-o"}, 2, "pagewick-count: --output needs a value\n"},
        {{"--header=yes", "a"}, 2, "pagewick-count: --header takes no value\n"},
        {{"--files-from="}, 2, "pagewick-count: --files-from needs a file"},
        {{"--help"}, 0, ""},
        {{"-h"}, 0, ""},
        {{"--version"}, 0, ""},
        {{"/nonexistent/x.tif"}, 1, "pagewick-count: /nonexistent/x.tif: No such file or directory\n"},
        {{"--files-from", "/nonexistent/list"}, 1, "pagewick-count: cannot read /nonexistent/list: No such file"},
    };
    for (const SArgsCase& c : cases) {
        const SRun run = RunCount(c.args);
        EXPECT_EQ(run.nStatus, c.nStatus) << qPrintable(c.args.join(' '));
        EXPECT_TRUE(run.err.startsWith(c.pszErrStart)) << qPrintable(c.args.join(' ')) << ": " << run.err.constData();
        if (c.nStatus == 2) {
            EXPECT_TRUE(run.err.endsWith("Try 'pagewick-count --help'.\n")) << qPrintable(c.args.join(' '));
        }
    }
    const QByteArray help = RunCount({QStringLiteral("--help")}).out;
    EXPECT_TRUE(help.startsWith("Usage: pagewick-count [OPTION]... PATH...\n"));
    for (const QByteArray& line : help.split('\n'))
        EXPECT_LT(line.size(), 80) << line.constData();
    // Every option the parser takes is in the help.
    for (const char* pszOption : {"-r, --recursive", "-j, --jobs=N", "--in-flight=N", "--files-from=FILE", "-0, --null",
                                  "-o, --output=FILE", "--format=FORMAT", "--header", "--total", "--only-tiff",
                                  "--progress", "--no-progress", "--verbose", "-h, --help", "--version", "--  ",
                                  "Exit status:", "Report faults to <"})
        EXPECT_TRUE(help.contains(pszOption)) << pszOption;
    EXPECT_EQ(RunCount({QStringLiteral("--version")}).out, QByteArray("pagewick-count " PAGEWICK_VERSION "\n"));
}

// What a command line comes to, in short: the options that differ from their defaults, then the
// paths.
QByteArray Described(const SCountOptions& o)
{
    const std::pair<bool, QByteArray> words[] = {
        {o.bRecursive, "r"}, {o.bHeader, "header"}, {o.bTotal, "total"}, {o.bOnlyTiff, "only-tiff"},
        {o.bNullSeparated, "0"}, {o.bVerbose, "verbose"}, {o.bVersion, "version"},
        {o.eFormat == EReportFormat::JsonLines, "jsonl"}, {o.eKind == EReportKind::Profile, "profile"},
        {o.eKind == EReportKind::Pages, "pages"}, {o.nJobs > 0, "j" + QByteArray::number(o.nJobs)},
        {o.nInFlight > 0, "in-flight" + QByteArray::number(o.nInFlight)},
        {o.nProgress >= 0, "progress" + QByteArray::number(o.nProgress)}, {!o.filesFrom.isEmpty(), "from=" + o.filesFrom},
        {!o.output.isEmpty(), "o=" + o.output}};
    QByteArrayList set;
    for (const auto& [bSet, word] : words) {
        if (bSet)
            set.append(word);
    }
    return set.join(' ') + " | " + o.paths.join('|');
}

// Options as getopt_long reads them: grouped short ones, long ones by any prefix that no other
// option shares, values after "=" or as the next argument, options among the paths, "--" ending
// them; or the usage error.
TEST(CountCommandArguments, OptionLinesAreReadAsGetoptLongReadsThem)
{
    struct SCase {
        QList<QByteArray> args;
        QByteArray expected;    // Described(), or the error
    };
    const SCase cases[] = {
        {{"a", "--total", "-j3", "-r", "--", "-odd name", "--header"}, "r total j3 | a|-odd name|--header"},
        {{"-rj2", "a"}, "r j2 | a"},
        {{"-ro", "out.csv", "a"}, "r o=out.csv | a"},
        {{"--output=caf\xe9.csv", "--jobs", "4", "--recursive", "\xff\xfe.tif"}, "r j4 o=caf\xe9.csv | \xff\xfe.tif"},
        {{"-", "-j", "1"}, "j1 | -"},
        {{"-o", "-", "a"}, "o=- | a"},
        {{"--format", "jsonl", "--only-tiff", "--files-from=-", "-0", "--no-progress"},
         "only-tiff 0 jsonl progress0 from=- | "},
        // Prefixes, with their values either way.
        {{"--rec", "--jo=2", "--in", "8", "--ou", "r.csv", "--fo=jsonl", "--fi", "list", "--nu"},
         "r 0 jsonl j2 in-flight8 from=list o=r.csv | "},
        {{"--prof", "a", "--verb", "b"}, "verbose profile | a|b"},
        {{"--pa", "--hea", "--to", "a"}, "header total pages | a"},
        {{"--pages", "--header", "--total", "a"}, "header total pages | a"},
        {{"--profile", "--header", "--total", "a"}, "header total profile | a"},
        {{"--progr", "--no", "a"}, "progress0 | a"},
        {{"--vers"}, "version | "},
        {{"--h"}, "error: option --h is ambiguous; possibilities: --header --help"},
        {{"--ver", "a"}, "error: option --ver is ambiguous; possibilities: --verbose --version"},
        {{"--pro", "a"}, "error: option --pro is ambiguous; possibilities: --profile --progress"},
        {{"--n", "a"}, "error: option --n is ambiguous; possibilities: --null --no-progress"},
        {{"--=x", "a"}, "error: unknown option --"},
        {{"--outputs=r.csv", "a"}, "error: unknown option --outputs"},
        {{"--prog=1", "a"}, "error: --progress takes no value"},
        {{"a", "--ou"}, "error: --output needs a value"},
        {{"--pages", "--form=jsonl", "a"},
         "error: --profile, --pages, --summary and --audit write CSV; the JSON Lines carry each file's profile and "
         "status"},
        {{"--", "--p"}, " | --p"},
    };
    for (const SCase& c : cases) {
        SCountOptions options;
        QString strError;
        const bool bOk = ParseCountArguments(c.args, &options, &strError);
        EXPECT_EQ(bOk ? Described(options) : "error: " + strError.toUtf8(), c.expected) << c.args.join(' ').constData();
    }
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

// A TIFF file libtiff reads whole, but with a warning: the tags of its directory are not sorted.
QByteArray UnsortedTags()
{
    CTiffBytes t(false);
    t.AddPage();
    QByteArray bytes = t.Build();
    const int nIfd = qFromLittleEndian<quint32>(bytes.constData() + 4);
    const QByteArray first = bytes.mid(nIfd + 2, 12);
    bytes.replace(nIfd + 2, 12, bytes.mid(nIfd + 14, 12));
    bytes.replace(nIfd + 14, 12, first);
    return bytes;
}

// Standard error has one line for a file counted short, with libtiff's reason in it, and none for
// a file counted whole; libtiff's other words only with --verbose.
TEST_F(CountCommand, ShortCountsAreNamedInOneLineAndWarningsOnlyWhenVerbose)
{
    CTiffBytes t(false);
    for (int i = 0; i < 3; ++i)
        t.AddPage();
    t.SetNextOffset(2, 0x7FFFFFF0u);
    const QString strDamaged = dir.Write(QStringLiteral("damaged, cut.tif"), t.Build());
    const QString strClean = dir.Path(QStringLiteral("a.tif"));
    const QString strWarned = dir.Write(QStringLiteral("unsorted.tif"), UnsortedTags());
    const SRun run = RunCount({QStringLiteral("-j"), QStringLiteral("1"), strClean, strDamaged, strWarned});
    EXPECT_EQ(run.nStatus, 3);
    // The CSV is the same as it always was.
    EXPECT_EQ(run.out.left(run.out.indexOf('\n') + 1), strClean.toUtf8() + "," + Facts("a.tif") + "2\r\n");
    EXPECT_TRUE(run.out.contains(",3\r\n" + strWarned.toUtf8() + ",")) << run.out.constData();
    const QByteArray shortLine = "pagewick-count: " + strDamaged.toUtf8() + ": counted 3 pages, damaged after page 3: ";
    EXPECT_TRUE(run.err.startsWith(shortLine)) << run.err.constData();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
    EXPECT_TRUE(run.err.endsWith('\n'));

    const SRun verbose = RunCount({QStringLiteral("--verbose"), strClean, strDamaged, strWarned});
    EXPECT_EQ(verbose.nStatus, 3);
    EXPECT_EQ(verbose.out, run.out);
    EXPECT_TRUE(verbose.err.contains(run.err));
    EXPECT_TRUE(verbose.err.contains("pagewick-count: " + strWarned.toUtf8() +
                                     ": TIFFReadDirectoryCheckOrder: Warning, Invalid TIFF directory; tags are not sorted"))
        << verbose.err.constData();
    EXPECT_FALSE(verbose.err.contains(strClean.toUtf8()));
    // A missing path weighs more than a short count.
    EXPECT_EQ(RunCount({strDamaged, dir.Path(QStringLiteral("gone.tif"))}).nStatus, 1);
    EXPECT_TRUE(CountUsage().contains(QStringLiteral("3  all is otherwise well")));
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
        if (nBytes > m_nRoom) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
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
    EXPECT_EQ(err.data(), QByteArray("pagewick-count: cannot write the report: No space left on device\n"));
    EXPECT_EQ(out.nWrites, 1);
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
    // Its workers and the process that makes them.
    QList<pid_t> workers;
    ASSERT_TRUE(WaitUntil([&] { return (workers = Descendants(parent)).size() == 3; }, 10000));
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

QByteArray Pages(int nPages)
{
    CTiffBytes t(false);
    for (int i = 0; i < nPages; ++i)
        t.AddPage();
    return t.Build();
}

QByteArray ReadAll(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// Runs the program with a limit on the size of the files it writes, as a full disk would stop it.
SRun RunProgramLimited(const QStringList& args, qint64 nFileSizeLimit, const QString& strOutFile = QString())
{
    QProcess process;
    if (!strOutFile.isEmpty())
        process.setStandardOutputFile(strOutFile);
    process.setChildProcessModifier([nFileSizeLimit] {
        const rlimit limit{rlim_t(nFileSizeLimit), rlim_t(nFileSizeLimit)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(QStringLiteral(PAGEWICK_COUNT_EXE), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// Short of memory (a small address-space limit, as `ulimit -v` sets), the program either counts a
// file or names it with what was lacking; no line but its own, no abort, every file in the report.
TEST_F(CountCommand, ShortOfMemoryEveryFileIsCountedOrNamedWithWhatWasLacking)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's shadow memory leaves no address-space limit to set";
#endif
    for (int i = 0; i < 20; ++i)
        Tiff(QStringLiteral("many/%1.tif").arg(i), 1 + i % 3);
    QProcess process;
    process.setChildProcessModifier([] {
        const rlimit limit{rlim_t(60000) * 1024, rlim_t(60000) * 1024};
        ::setrlimit(RLIMIT_AS, &limit);
    });
    process.start(QStringLiteral(PAGEWICK_COUNT_EXE), {QStringLiteral("-r"), dir.Path(QStringLiteral("many"))});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QByteArray err = process.readAllStandardError();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(process.exitCode() == 0 || process.exitCode() == 1) << err.constData();
    EXPECT_EQ(process.readAllStandardOutput().count('\n'), 20) << err.constData();
    for (const QByteArray& line : err.split('\n')) {
        if (line.isEmpty())
            continue;
        EXPECT_TRUE(line.startsWith("pagewick-count: ")) << line.constData();
        if (line.contains("cannot read")) {
            EXPECT_TRUE(line.endsWith(": Cannot allocate memory") || line.endsWith(": Resource temporarily unavailable"))
                << line.constData();
        }
    }
}

// The paths of --files-from are counted in their order after the PATHs, however they are separated.
TEST_F(CountCommand, FilesFromReadsTheListAsItComes)
{
    const QByteArray a = Top() + "/a.tif";
    const QByteArray d = Top() + "/sub/d.tif";
    const QByteArray odd = dir.WriteRaw("odd/\xe9t\xe9.tif", Pages(4));
    struct SCase {
        const char* pszName;
        QByteArray list;
        bool bNull;
    };
    const SCase cases[] = {
        {"LineFeeds", a + "\n" + odd + "\n" + d + "\n", false},
        {"CrLfAndEmptyLinesAndNoLastEnd", "\r\n" + a + "\r\n\n" + odd + "\r\n" + d, false},
        {"NulBytes", a + '\0' + odd + '\0' + '\0' + d + '\0', true},
    };
    for (const SCase& c : cases) {
        const QString strList = dir.Write(QStringLiteral("list-%1").arg(QLatin1String(c.pszName)), c.list);
        QList<QByteArray> args = {"--files-from", QFile::encodeName(strList), Top() + "/b, c.tif"};
        if (c.bNull)
            args.append("-0");
        const SRun run = RunCount(args);
        EXPECT_EQ(run.nStatus, 0) << c.pszName << run.err.constData();
        QList<QByteArray> pages;
        for (const QByteArray& line : run.out.split('\n')) {
            if (!line.isEmpty())
                pages.append(line.split(',').last().trimmed());
        }
        EXPECT_EQ(pages, QList<QByteArray>({"1", "2", "4", "3"})) << c.pszName;
        EXPECT_TRUE(run.out.contains("\n" + odd + ",")) << c.pszName;
    }
    // From standard input, to the program.
    QProcess process;
    process.start(QStringLiteral(PAGEWICK_COUNT_EXE), {QStringLiteral("--files-from=-")});
    process.write(a + "\n" + d + "\n");
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.readAllStandardOutput().count('\n'), 2);
}

// -o replaces its file only with a whole report; a report cut short by a full disk leaves the old
// one as it was and nothing beside it.
TEST_F(CountCommand, OutputFileIsReplacedOnlyByAWholeReport)
{
    for (int i = 0; i < 400; ++i)
        dir.Write(QStringLiteral("many/f%1.txt").arg(i, 4, 10, QLatin1Char('0')), "text");
    const QString strOut = dir.Write(QStringLiteral("out/report.csv"), "the older report\r\n");
    const auto folder = [&] { return QDir(dir.Path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden); };
    const SRun cut = RunProgramLimited({QStringLiteral("-o"), strOut, dir.Path(QStringLiteral("many"))}, 4096);
    EXPECT_EQ(cut.nStatus, 1);
    EXPECT_EQ(cut.err, QByteArray("pagewick-count: cannot write the report: File too large\n"));
    EXPECT_EQ(ReadAll(strOut), QByteArray("the older report\r\n"));
    EXPECT_EQ(folder(), QStringList({"report.csv"}));

    const SRun whole = RunProgram({QStringLiteral("--total"), QStringLiteral("-o"), strOut, dir.Path(QStringLiteral("many"))});
    EXPECT_EQ(whole.nStatus, 0);
    EXPECT_EQ(whole.out, QByteArray());
    EXPECT_EQ(ReadAll(strOut), RunCount({QStringLiteral("--total"), dir.Path(QStringLiteral("many"))}).out);
    EXPECT_EQ(folder(), QStringList({"report.csv"}));
}

// Standard output on a full disk: the report's last bytes count too, however short the report.
TEST_F(CountCommand, AReportCutShortOnStandardOutputFailsTheRun)
{
    const QString strOut = dir.Path(QStringLiteral("stdout.csv"));
    for (const QStringList& args : {QStringList({dir.Path(QStringLiteral("a.tif"))}), QStringList({QStringLiteral("-r"), dir.Path()})}) {
        const SRun run = RunProgramLimited(args, 20, strOut);
        EXPECT_EQ(run.nStatus, 1) << qPrintable(args.join(' '));
        EXPECT_EQ(run.err, QByteArray("pagewick-count: cannot write the report: File too large\n"));
    }
}

TEST_F(CountCommand, JsonLinesCarryEveryFactAndParseBack)
{
    CTiffBytes t(false);
    for (int i = 0; i < 3; ++i)
        t.AddPage();
    t.SetNextOffset(2, 0x7FFFFFF0u);
    const QByteArray shortFile = dir.Write(QStringLiteral("short.tif"), t.Build()).toUtf8();
    const QByteArray odd = dir.WriteRaw("n\xe9.tif", Pages(1));
    const QByteArray fifo = Top() + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const SRun run = RunCount(QList<QByteArray>{"--format=jsonl", Top() + "/a.tif", Top() + "/notes.txt", fifo, shortFile, odd});
    EXPECT_EQ(run.nStatus, 1);
    const QList<QByteArray> lines = run.out.split('\n');
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines.last().isEmpty());
    QList<QJsonObject> objects;
    for (int i = 0; i < 5; ++i) {
        QJsonParseError error;
        objects.append(QJsonDocument::fromJson(lines[i], &error).object());
        EXPECT_EQ(error.error, QJsonParseError::NoError) << lines[i].constData();
    }
    struct SExpected {
        const char* pszStatus;
        QJsonValue pages;
        QJsonValue complete;
    };
    const SExpected expected[] = {
        {"Done", 2, true}, {"Invalid", QJsonValue::Null, QJsonValue::Null}, {"Read Error", QJsonValue::Null, QJsonValue::Null},
        {"Done", 3, false}, {"Done", 1, true},
    };
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(objects[i]["status"].toString(), QLatin1String(expected[i].pszStatus)) << i;
        EXPECT_EQ(objects[i]["pages"], expected[i].pages) << i;
        EXPECT_EQ(objects[i]["complete"], expected[i].complete) << i;
    }
    EXPECT_EQ(objects[0]["path"].toString().toUtf8(), Top() + "/a.tif");
    EXPECT_EQ(objects[0]["size"].toInteger(), QFileInfo(dir.Path(QStringLiteral("a.tif"))).size());
    const QDateTime stamped(QDate(2011, 5, 18), QTime(9, 4, 5));
    const int nOffset = stamped.offsetFromUtc();
    EXPECT_EQ(objects[0]["modified"].toString(),
              stamped.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (nOffset < 0 ? u'-' : u'+') +
                  QTime(0, 0).addSecs(std::abs(nOffset)).toString(QStringLiteral("HH:mm")));
    EXPECT_EQ(objects[2]["size"], 0);
    EXPECT_EQ(objects[2]["reason"].toString(), QStringLiteral("No such device or address"));
    EXPECT_FALSE(objects[0].contains(QStringLiteral("reason")));
    EXPECT_TRUE(objects[3]["reason"].toString().startsWith(QStringLiteral("counted 3 pages, damaged after page 3: ")));
    EXPECT_FALSE(objects[0].contains(QStringLiteral("path_base64")));
    EXPECT_EQ(QByteArray::fromBase64(objects[4]["path_base64"].toString().toLatin1()), odd);
}

// The program with standard error on a new pseudo-terminal: its status, standard output, and
// what the terminal showed.
struct STerminalRun {
    int nStatus;
    QByteArray out;
    QByteArray screen;
};

STerminalRun RunOnTerminal(const QStringList& args)
{
    int nMaster = -1;
    int nSlave = -1;
    EXPECT_EQ(::openpty(&nMaster, &nSlave, nullptr, nullptr, nullptr), 0);
    QProcess process;
    process.setChildProcessModifier([nSlave] { ::dup2(nSlave, STDERR_FILENO); });
    process.start(QStringLiteral(PAGEWICK_COUNT_EXE), args);
    ::close(nSlave);
    // Read while it runs: a terminal holds only so much.
    QByteArray screen;
    char buffer[4096];
    for (ssize_t n; (n = ::read(nMaster, buffer, sizeof buffer)) > 0;)
        screen.append(buffer, n);
    ::close(nMaster);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), process.readAllStandardOutput(), screen};
}

// The terminal's last line: what follows the line end or the erasure before it.
QByteArray LastLine(const QByteArray& screen)
{
    const qsizetype nEnd = screen.size() - 2;   // its own CR LF
    return screen.mid(std::max(screen.lastIndexOf("\033[K", nEnd) + 3, screen.lastIndexOf('\n', nEnd - 1) + 1));
}

// A progress line on a terminal only, never in the report. It counts the files as they are
// finished: the quick ones while a long first file is still being read, though their rows wait for
// it; at the end a summary takes its place.
TEST_F(CountCommand, ProgressCountsFilesInTheOrderTheyFinishOnATerminalOnly)
{
    CTiffBytes t(false);
    for (int i = 0; i < 300000; ++i)
        t.AddPage();
    dir.Write(QStringLiteral("slow/0 long.tif"), t.Build());
    for (int i = 1; i <= 40; ++i)
        dir.Write(QStringLiteral("slow/%1.tif").arg(i, 2, 10, QLatin1Char('0')), Pages(1));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.Path(QStringLiteral("slow/pipe"))).constData(), 0600), 0);
    const QStringList args = {QStringLiteral("-j2"), dir.Path(QStringLiteral("slow"))};
    const STerminalRun run = RunOnTerminal(args);
    EXPECT_EQ(run.nStatus, 1) << run.screen.constData();
    EXPECT_EQ(run.out, RunCount(args).out);
    // Counted in list order, it would show 0 files until the long one is done, then all 42.
    int nMostBefore = 0;
    for (const QByteArray& frame : run.screen.split('\r')) {
        const QList<QByteArray> words = frame.split(' ');
        if (words.size() > 4 && words[1] == "of" && words[2] == "42" && words[0] != "42") {
            EXPECT_TRUE(frame.startsWith(words[0] + " of 42 files, ")) << frame.constData();
            nMostBefore = std::max(nMostBefore, words[0].toInt());
        }
    }
    EXPECT_GE(nMostBefore, 20) << run.screen.constData();
    const QByteArray last = LastLine(run.screen);
    EXPECT_TRUE(last.startsWith("42 files, 300,040 pages in ") && last.endsWith(" s; 1 unreadable\r\n"))
        << last.constData();
    // Not a terminal: nothing, even when asked for.
    QProcess process;
    process.start(QStringLiteral(PAGEWICK_COUNT_EXE), {QStringLiteral("--progress"), QStringLiteral("-r"), dir.Path()});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_FALSE(process.readAllStandardError().contains(" files, "));
}

// A file whose workers die twice is listed with its real size and times and fails the run; a file
// that cannot be read fails it too.
TEST_F(CountCommand, ALostCountOrAnUnreadableFileFailsTheRun)
{
    CTiffBytes t(false);
    for (int i = 0; i < 300000; ++i)
        t.AddPage();
    const QString strSlow = dir.Write(QStringLiteral("slow/huge.tif"), t.Build());
    QProcess process;
    process.start(QStringLiteral(PAGEWICK_COUNT_EXE), {QStringLiteral("-j2"), strSlow});
    ASSERT_TRUE(process.waitForStarted());
    const pid_t program = pid_t(process.processId());
    QList<pid_t> killed;
    for (int nDeath = 0; nDeath < 2; ++nDeath) {
        // The workers below the process that makes them, once they have had time to begin (the
        // lister's worker among them).
        QList<pid_t> workers;
        const auto alive = [&] {
            workers = Descendants(program).mid(1);
            for (pid_t pid : killed)
                workers.removeAll(pid);
            return !workers.isEmpty();
        };
        ASSERT_TRUE(WaitUntil(alive, 10000));
        QTest::qWait(300);
        alive();
        for (pid_t pid : workers)
            ::kill(pid, SIGKILL);
        killed += workers;
    }
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    const QByteArray out = process.readAllStandardOutput();
    EXPECT_TRUE(out.startsWith(strSlow.toUtf8() + ',' + QByteArray::number(QFileInfo(strSlow).size()) + ','));
    EXPECT_TRUE(out.endsWith(",\r\n")) << out.constData();
    EXPECT_TRUE(process.readAllStandardError().contains(strSlow.toUtf8() + ": counting failed"));

    const QString strFifo = dir.Path(QStringLiteral("pipe.tif"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);
    EXPECT_EQ(RunCount({dir.Path(QStringLiteral("a.tif")), strFifo}).nStatus, 1);
}

// A file that never answers (a share that stopped) is given up after --timeout: its row is written
// as a file that cannot be read, standard error says so, the rest of the report is whole.
TEST_F(CountCommand, AFileThatNeverAnswersIsGivenUpAfterTheTimeout)
{
    const QByteArray stuck = dir.Write(QStringLiteral("stuck.tif"), "II*").toUtf8();
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    SCountStreams streams;
    streams.pOut = &out;
    streams.pErr = &err;
    streams.handler = [stuck](const QByteArray& request, IReplySink& sink) {
        if (request.endsWith(stuck))
            std::this_thread::sleep_for(std::chrono::hours(1));
        return AnswerFileRequest(request, sink);
    };
    const QByteArray a = Top() + "/a.tif";
    const QByteArray b = Top() + "/b, c.tif";
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(RunCountCommand({"--timeout=1", a, stuck, b}, streams), 1);
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(out.data(), a + ',' + Facts(QStringLiteral("a.tif")) + "2\r\n" + stuck + ",0,,,\r\n\"" + b + "\"," +
                              Facts(QStringLiteral("b, c.tif")) + "1\r\n");
    EXPECT_EQ(err.data(), "pagewick-count: " + stuck + ": no answer in 1 s\n");
}

// Files listed twice are named; the report keeps every row. --only-tiff leaves out what the
// window's filter takes away.
TEST_F(CountCommand, FilesListedTwiceAreNamedAndOnlyTiffLeavesOutTheRest)
{
    const QString strA = dir.Path(QStringLiteral("a.tif"));
    ASSERT_TRUE(QFile::link(strA, dir.Path(QStringLiteral("link.tif"))));
    const SRun twice = RunCount(QStringList{strA, dir.Path(QStringLiteral("link.tif")), strA});
    EXPECT_EQ(twice.nStatus, 0);
    EXPECT_EQ(twice.out.count('\n'), 3);
    EXPECT_EQ(twice.err, "pagewick-count: " + dir.Path(QStringLiteral("link.tif")).toUtf8() +
                             ": listed more than once: the same file as " + strA.toUtf8() + "\n" +
                             "pagewick-count: " + strA.toUtf8() + ": listed more than once: the same file as " +
                             strA.toUtf8() + "\n");

    const QString strFifo = dir.Path(QStringLiteral("pipe.tif"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);
    const SRun only = RunCount({QStringLiteral("--only-tiff"), QStringLiteral("--total"), dir.Path()});
    EXPECT_EQ(only.nStatus, 0);
    EXPECT_EQ(only.out, Top() + "/.hidden.tif," + Facts(".hidden.tif") + "1\r\n" + Top() + "/a.tif," + Facts("a.tif") +
                            "2\r\n" + "\"" + Top() + "/b, c.tif\"," + Facts("b, c.tif") + "1\r\n" + Top() + "/link.tif," +
                            Facts("a.tif") + "2\r\n,,,,6\r\n");
}

// --profile writes the bytes of the window's Page Profile report for the same files; --pages a
// line per page; the JSON Lines carry each file's profile.
TEST_F(CountCommand, ProfileAndPagesReportWhatThePagesAre)
{
    const STiffPage a4{2480, 3508, 0, 1, 1, 300, 300, 2};
    const STiffPage a3{2339, 3307, 2, 8, 3, 200, 200, 2};
    ASSERT_TRUE(WriteTiffPages(dir.Path(QStringLiteral("mixed.tif")), {a4, a4, a3}));
    ASSERT_TRUE(WriteTiffPages(dir.Path(QStringLiteral("plain.tif")), {a4}));
    const QByteArray mixed = Top() + "/mixed.tif";
    const QByteArray plain = Top() + "/plain.tif";
    const QByteArray notes = Top() + "/notes.txt";
    QVector<SProfiledFile> files;
    for (const QByteArray& path : {mixed, notes, plain})
        files.append({path, SummarisePages(CountPagesOf(path, nullptr, false).pages)});
    const SRun profile = RunCount(QList<QByteArray>{"--profile", mixed, notes, plain});
    EXPECT_EQ(profile.nStatus, 0);
    EXPECT_EQ(profile.out, ProfileReportBytes(files));
    EXPECT_EQ(profile.out, "Filename,Paper,Colour,DPI,Pages\r\n" + mixed + ",A3,Colour,200,1\r\n" + mixed +
                               ",A4,Bilevel,300,2\r\n" + plain + ",A4,Bilevel,300,1\r\nTotal,A3,Colour,200,1\r\n"
                               "Total,A4,Bilevel,300,3\r\n");

    const QByteArray pageLines = plain + ",1,2480,3508,300,300,inch,A4,Bilevel,1,1,CCITT G4,MinIsWhite\r\n" + mixed +
                                 ",1,2480,3508,300,300,inch,A4,Bilevel,1,1,CCITT G4,MinIsWhite\r\n" + mixed +
                                 ",2,2480,3508,300,300,inch,A4,Bilevel,1,1,CCITT G4,MinIsWhite\r\n" + mixed +
                                 ",3,2339,3307,200,200,inch,A3,Colour,8,3,Deflate,RGB\r\n";
    const QByteArray pageHeader = "Filename,Page,Width,Length,XResolution,YResolution,ResolutionUnit,Paper,Colour,"
                                  "BitsPerSample,SamplesPerPixel,Compression,Photometric\r\n";
    EXPECT_EQ(RunCount(QList<QByteArray>{"--pages", plain, notes, mixed}).out, pageHeader + pageLines);
    // The header once, with --header or without; the total under Page.
    EXPECT_EQ(RunCount(QList<QByteArray>{"--pages", "--header", "--total", plain, notes, mixed}).out,
              pageHeader + pageLines + ",4,,,,,,,,,,,\r\n");
    // The profile has its header and its totals anyway.
    EXPECT_EQ(RunCount(QList<QByteArray>{"--profile", "--header", "--total", mixed, notes, plain}).out, profile.out);

    // A resolution that differs across and down is the text every report writes.
    const QByteArray fax = Top() + "/fax.tif";
    ASSERT_TRUE(WriteTiffPages(QString::fromUtf8(fax), {{1728, 2292, 0, 1, 1, 204, 196, 2}}));
    const QJsonObject json = QJsonDocument::fromJson(RunCount(QList<QByteArray>{"--format=jsonl", mixed}).out).object();
    EXPECT_EQ(QJsonDocument(json["profile"].toArray()).toJson(QJsonDocument::Compact),
              QByteArray(R"([{"colour":"Colour","dpi":200,"pages":1,"paper":"A3"},{"colour":"Bilevel","dpi":300,"pages":2,"paper":"A4"}])"));
    const QJsonObject faxJson = QJsonDocument::fromJson(RunCount(QList<QByteArray>{"--format=jsonl", fax}).out).object();
    EXPECT_EQ(faxJson["profile"][0]["dpi"].toString(), QStringLiteral("204x196"));
    for (const QList<QByteArray>& refused : {QList<QByteArray>{"--profile", "--pages", plain},
                                            QList<QByteArray>{"--pages", "--format=jsonl", plain},
                                            QList<QByteArray>{"--audit", "--summary", plain},
                                            QList<QByteArray>{"--audit", "--format=jsonl", plain}})
        EXPECT_EQ(RunCount(refused).nStatus, 2) << refused.join(' ').constData();
}

// -o onto what is not a regular file writes into it as a shell's redirection would: standard
// output itself (-, /dev/stdout) where it is, a pipe, a FIFO, a device; never replacing anything.
TEST_F(CountCommand, OutputIntoWhatIsNotARegularFileIsWrittenAsARedirectionWould)
{
    const QString strA = dir.Path(QStringLiteral("a.tif"));
    const QByteArray report = RunCount({strA}).out;
    struct SCase {
        const char* pszScript;      // $0 the program, $1 a.tif, $2 a file of the test's
        int nStatus;
        QByteArray out;             // standard output and error
    };
    const SCase cases[] = {
        {"\"$0\" -o - \"$1\"", 0, report},
        {"\"$0\" -o /dev/stdout \"$1\"", 0, report},
        {"\"$0\" -o /dev/stdout \"$1\" | cat", 0, report},
        {"( echo BEFORE; \"$0\" -o /dev/stdout \"$1\"; echo AFTER ) > \"$2\"; cat \"$2\"", 0,
         "BEFORE\n" + report + "AFTER\n"},
        {"\"$0\" -o \"$2\" \"$1\" > \"$2\"; cat \"$2\"", 0, report},
        {"mkfifo \"$2.fifo\"; cat \"$2.fifo\" & \"$0\" -o \"$2.fifo\" \"$1\"; wait; test -p \"$2.fifo\"", 0, report},
        {"\"$0\" -o /dev/null \"$1\"", 0, ""},
        {"\"$0\" -o /dev/full \"$1\"", 1, "pagewick-count: cannot write the report: No space left on device\n"},
    };
    for (const SCase& c : cases) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromUtf8(c.pszScript),
                                                  QStringLiteral(PAGEWICK_COUNT_EXE), strA, dir.Path(QStringLiteral("shell.out"))});
        ASSERT_TRUE(process.waitForFinished(60000)) << c.pszScript;
        EXPECT_EQ(process.exitCode(), c.nStatus) << c.pszScript;
        EXPECT_EQ(process.readAll(), c.out) << c.pszScript;
    }
}

}  // namespace
