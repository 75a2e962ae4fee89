// The layers of the source tree: a folder may include its own files and those of folders below
// it, never one beside or above it. So the core never reaches the widgets, no subsystem reaches
// the main window, and no two subsystems include each other in a circle.
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// Lower numbers lie below. Folders of one level must not include each other.
const QHash<QString, int> kLevels = {
    {QStringLiteral("common/core"), 0},    {QStringLiteral("res"), 0},
    {QStringLiteral("support/core"), 1},   {QStringLiteral("filelist/core"), 1}, {QStringLiteral("app/core"), 1},
    {QStringLiteral("count/core"), 2},     {QStringLiteral("persist/core"), 2},
    {QStringLiteral("count/cli"), 3},
    {QStringLiteral("common/ui"), 4},
    {QStringLiteral("support/ui"), 5},
    {QStringLiteral("filelist/ui"), 6},    {QStringLiteral("count/ui"), 6},      {QStringLiteral("persist/ui"), 6},
    {QStringLiteral("app/ui"), 7},
    {QStringLiteral("app"), 8},            // main()
};

// The folder a path of the tree belongs to: "filelist/ui" for "filelist/ui/AddFiles.cpp", "res" for
// "res/Version.h", "app" for "app/main.cpp".
QString FolderOf(const QString& strPath)
{
    const QStringList parts = strPath.split(u'/');
    if (parts.size() >= 3)
        return parts[0] + u'/' + parts[1];
    return parts.size() == 2 ? parts[0] : QString();
}

TEST(IncludeRules, NoFolderIncludesOneBesideOrAboveIt)
{
    const QString strTop = QStringLiteral(PAGEWICK_SOURCE_DIR);
    const QRegularExpression include(QString::fromLatin1(R"re(^\s*#\s*include\s+"([^"]+)")re"));
    int nFiles = 0;
    for (const QString& strRoot : {QStringLiteral("common"), QStringLiteral("res"), QStringLiteral("app"),
                                   QStringLiteral("filelist"), QStringLiteral("count"), QStringLiteral("persist"),
                                   QStringLiteral("support")}) {
        QDirIterator it(strTop + u'/' + strRoot, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString strFile = it.next().mid(strTop.size() + 1);
            const QString strFolder = FolderOf(strFile);
            ASSERT_TRUE(kLevels.contains(strFolder)) << qPrintable(strFile) << ": a folder the layers do not name";
            QFile file(strTop + u'/' + strFile);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            ++nFiles;
            int nLine = 0;
            while (!file.atEnd()) {
                ++nLine;
                const QRegularExpressionMatch m = include.match(QString::fromUtf8(file.readLine()));
                if (!m.hasMatch() || !m.captured(1).contains(u'/'))
                    continue;   // a file of the same folder
                const QString strTarget = FolderOf(m.captured(1));
                if (strTarget == strFolder)
                    continue;
                ASSERT_TRUE(kLevels.contains(strTarget)) << qPrintable(strFile) << ":" << nLine;
                EXPECT_LT(kLevels[strTarget], kLevels[strFolder])
                    << qPrintable(strFile) << ":" << nLine << " (" << qPrintable(strFolder) << ") includes "
                    << qPrintable(m.captured(1)) << " (" << qPrintable(strTarget) << ")";
            }
        }
    }
    EXPECT_GT(nFiles, 50);
}

}  // namespace
