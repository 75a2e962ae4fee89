#include "app/core/CommandLine.h"
#include "app/ui/CPageCountDlg.h"
#include "filelist/core/CFileListModel.h"
#include "support/TempDir.h"
#include "support/Waiting.h"
#include "support/core/Addresses.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

const QByteArray kTry = "\nTry 'pagewick --help'.\n";

struct SParseCase {
    QList<QByteArray> args;         // after the program
    QByteArray currentDir;
    EStartAction eAction;
    QList<QByteArray> qtArgs;
    QList<QByteArray> files;
    QByteArray refusal;
};

TEST(StartCommand, PartsFilesQtOptionsAndRequests)
{
    using A = EStartAction;
    const SParseCase cases[] = {
        {{}, "/cwd", A::OpenWindow, {}, {}, ""},
        {{"a.tif", "/x/b.tif", "./c d.tif", "-", "caf\xe9.tif"}, "/cwd", A::OpenWindow, {},
         {"/cwd/a.tif", "/x/b.tif", "/cwd/c d.tif", "/cwd/-", "/cwd/caf\xe9.tif"}, ""},
        {{"a.tif"}, "/", A::OpenWindow, {}, {"/a.tif"}, ""},
        {{"a.tif"}, "", A::OpenWindow, {}, {"a.tif"}, ""},       // no current directory: as given
        // Qt's options with their values, in both spellings; a value may begin with "-".
        {{"-platform", "offscreen", "a", "--style", "fusion", "-style=fusion", "-reverse", "-qwindowtitle", "-t"},
         "/cwd", A::OpenWindow,
         {"-platform", "offscreen", "--style", "fusion", "-style=fusion", "-reverse", "-qwindowtitle", "-t"},
         {"/cwd/a"}, ""},
        // After "--" everything is a file, options and Qt's options included.
        {{"--", "-odd.tif", "--help", "-platform", "--"}, "/cwd", A::OpenWindow, {},
         {"/cwd/-odd.tif", "/cwd/--help", "/cwd/-platform", "/cwd/--"}, ""},
        {{"a", "-h", "--bogus"}, "/cwd", A::ShowHelp, {}, {}, ""},
        {{"-reverse", "--version", "-h"}, "/cwd", A::ShowVersion, {}, {}, ""},
        // The first option that is neither ours nor Qt's is refused, whatever follows it.
        {{"--bogus", "--help"}, "/cwd", A::Refuse, {}, {}, "pagewick: unknown option '--bogus'" + kTry},
        {{"-hv"}, "/cwd", A::Refuse, {}, {}, "pagewick: unknown option '-hv'" + kTry},
        {{"--help=yes"}, "/cwd", A::Refuse, {}, {}, "pagewick: unknown option '--help=yes'" + kTry},
        {{"a", "-platform"}, "/cwd", A::Refuse, {}, {}, "pagewick: option '-platform' needs a value" + kTry},
        {{"-\xe9\n\t"}, "/cwd", A::Refuse, {}, {}, "pagewick: unknown option '-\xe9\\x0a\\x09'" + kTry},
    };
    for (const SParseCase& c : cases) {
        const QList<QByteArray> args = QList<QByteArray>{"pagewick"} + c.args;
        SCOPED_TRACE(args.join(' ').toStdString());
        const SStartCommand start = ParseStartCommand(args, c.currentDir);
        EXPECT_EQ(start.eAction, c.eAction);
        QList<QByteArray> qtArgs;
        for (const int i : start.qtArguments)
            qtArgs.append(args[i]);
        EXPECT_EQ(qtArgs, c.qtArgs);
        EXPECT_EQ(start.files, c.files);
        EXPECT_EQ(start.refusal, c.refusal);
    }
}

// The built program, with no display at all: what it writes and how it ends.
struct SRunCase {
    QStringList args;
    int nStatus;
    QByteArray out;     // "usage": the --help text
    QByteArray err;
    const char* pszOutFile = nullptr;   // standard output goes there instead
};

TEST(StartCommand, ProgramAnswersWithoutADisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* pszName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(pszName));
    const QByteArray usage = StartUsage(kSupportEmail);
    const SRunCase cases[] = {
        {{"--version"}, 0, "pagewick 1.02\n", ""},
        {{"-platform", "offscreen", "--version"}, 0, "pagewick 1.02\n", ""},
        {{"--help"}, 0, usage, ""},
        {{"-odd.tif", "--version"}, 2, "", "pagewick: unknown option '-odd.tif'" + kTry},
        // A failed write is an error, not a silent success.
        {{"--help"}, 1, "", "pagewick: write error: No space left on device\n", "/dev/full"},
    };
    for (const SRunCase& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        QProcess process;
        process.setProcessEnvironment(env);
        if (c.pszOutFile != nullptr)
            process.setStandardOutputFile(QLatin1String(c.pszOutFile));
        process.start(QStringLiteral(PAGEWICK_EXE), c.args);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.nStatus);
        EXPECT_EQ(process.readAllStandardOutput(), c.out);
        EXPECT_EQ(process.readAllStandardError(), c.err);
    }

    // The usage: its first line, the support address, and 80 columns at most.
    EXPECT_TRUE(usage.startsWith("Usage: pagewick [OPTION]... [FILE]...\n"));
    EXPECT_TRUE(usage.endsWith("\nReport faults to <support@quorbel.example>.\n"));
    for (const QByteArray& line : usage.split('\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
}

TEST(StartCommand, FilesOfTheCommandLineAreListedAsDropped)
{
    CTempDir dir;
    for (const char* pszName : {"a b,c.tif", "-odd.tif", "--version"})
        dir.Write(QString::fromUtf8(pszName), "II*");
    const QByteArray latin = dir.WriteRaw("caf\xe9.tif", "MM");
    dir.MakeDir(QStringLiteral("folder"));
    // Relative names are taken from the current directory, as a shell in it passes them.
    const QString strWasCurrent = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.Path()));
    QList<QByteArray> args = {"pagewick", "-reverse",    "a b,c.tif", "-qwindowtitle", "Title", latin,
                              "folder",   "missing.tif", "--",        "-odd.tif",      "--version"};
    std::vector<char*> argv;
    for (QByteArray& arg : args)
        argv.push_back(arg.data());
    const QList<QByteArray> files = StartFilesFromArguments(int(argv.size()), argv.data());
    const QByteArray d = CurrentDirectory() + '/';
    QDir::setCurrent(strWasCurrent);
    CPageCountDlg dlg(nullptr, false);
    dlg.AddStartFiles(files);
    ASSERT_TRUE(WaitUntil([&] { return dlg.GetModel()->GetRowCount() == 4; }));
    QTest::qWait(50);   // nothing more comes

    const QList<QByteArray> expected = {d + "a b,c.tif", latin, d + "-odd.tif", d + "--version"};
    QList<QByteArray> listed;
    for (int i = 0; i < dlg.GetModel()->GetRowCount(); ++i)
        listed.append(dlg.GetModel()->GetRecord(i).path);
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(dlg.GetModel()->GetText(1, COL_FILESIZE), QStringLiteral("2"));
    EXPECT_EQ(dlg.ItemsTotal(), 4);
}

}  // namespace
