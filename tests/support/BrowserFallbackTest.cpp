#include "support/TempDir.h"
#include "support/core/BrowserFallback.h"
#include "support/core/LaunchErrors.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(BrowserFallback, CommandLineIsCutAtThePlaceholder)
{
    const struct {
        const char* pszCommand;
        const char* pszCut;
    } cases[] = {
        // The quoted placeholder goes with its quotes and everything after it.
        {"\"C:\\Browser\\b.exe\" -nohome \"%1\" -extra", "\"C:\\Browser\\b.exe\" -nohome "},
        {"firefox \"%u\"", "firefox "},
        // Without quotes, the bare placeholder and what follows.
        {"b.exe -url %1 -new", "b.exe -url "},
        {"firefox-esr %u", "firefox-esr "},
        {"chromium --new-window %U", "chromium --new-window "},
        {"viewer %f", "viewer "},
        {"viewer %F tail", "viewer "},
        // A quoted one wins over an earlier bare one.
        {"b %1 \"%1\"", "b %1 "},
        // "%%" is a per cent sign, not the start of a placeholder.
        {"b --x=%%u \"%u\"", "b --x=%%u "},
        // None: the whole line.
        {"browser -new", "browser -new"},
        {"b %i %c", "b %i %c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutAtPlaceholder(QString::fromUtf8(c.pszCommand)), QString::fromUtf8(c.pszCut)) << c.pszCommand;

    // The address follows as a word of its own, escapes and all.
    const QString strUrl = QStringLiteral("https://a.example/x?y=1%202&z=%u");
    EXPECT_EQ(BrowserArguments(QStringLiteral("\"/opt/b r/b\" -nohome \"%1\" -extra"), strUrl),
              QStringList({"/opt/b r/b", "-nohome", strUrl}));
    EXPECT_EQ(BrowserArguments(QStringLiteral("firefox-esr %u --tail"), strUrl), QStringList({"firefox-esr", strUrl}));
    EXPECT_EQ(BrowserArguments(QStringLiteral("browser -new"), strUrl), QStringList({"browser", "-new", strUrl}));
}

TEST(BrowserFallback, CommandLineSplitsAsDesktopEntriesQuote)
{
    EXPECT_EQ(SplitCommandLine(QStringLiteral("sh -c \"echo \\\"hi\\\" \\$HOME \\\\ \\`x\\`\"")),
              QStringList({"sh", "-c", "echo \"hi\" $HOME \\ `x`"}));
    EXPECT_EQ(SplitCommandLine(QStringLiteral("b --pct=100%% %i %c \"\" end")), QStringList({"b", "--pct=100%", "", "end"}));
    EXPECT_TRUE(SplitCommandLine(QStringLiteral("   ")).isEmpty());
}

TEST(BrowserFallback, StartFailuresGiveTheirCodes)
{
    CTempDir dir;
    const QString strPlain = dir.Write(QStringLiteral("plain"), "not a program\n");
    const QString strGarbage = dir.Write(QStringLiteral("garbage"), QByteArray("\x7f\x45\x4c\x00\x01\x02", 6));
    QFile::setPermissions(strGarbage, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString strScript = dir.Write(QStringLiteral("browser.sh"), "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(strScript, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const struct {
        QString strProgram;
        int nResult;
    } cases[] = {
        {dir.Path(QStringLiteral("missing")), LAUNCH_FILE_NOT_FOUND},
        {dir.Path(QStringLiteral("no/such/dir/b")), LAUNCH_PATH_NOT_FOUND},
        {QStringLiteral("pagewick-no-such-browser"), LAUNCH_FILE_NOT_FOUND},
        {strPlain, LAUNCH_ACCESS_DENIED},
        {dir.Path(), LAUNCH_ACCESS_DENIED},
        {strGarbage, LAUNCH_BAD_FORMAT},
        {strScript, LAUNCH_SUCCEEDED},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StartProgram({c.strProgram, QStringLiteral("x")}), c.nResult) << qPrintable(c.strProgram);
    EXPECT_EQ(StartProgram({}), LAUNCH_FILE_NOT_FOUND);
}

}  // namespace
