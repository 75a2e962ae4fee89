// The layers of the source tree. The subsystems stand in one order, and each includes only itself
// and those below it, so no two include each other; within each, the core never includes the
// widgets; the command line is included by nothing but itself.
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// Lower lies below.
const QStringList kSubsystems = {
    QStringLiteral("res"),  QStringLiteral("common"),   QStringLiteral("support"), QStringLiteral("fs"),
    QStringLiteral("tiff"), QStringLiteral("filelist"), QStringLiteral("persist"), QStringLiteral("count"),
    QStringLiteral("app"),
};

struct SPlace {
    int nSubsystem = -1;
    QString strPart;    // "core", "ui", "cli", or "" for a folder without parts (fs, tiff, res)
    bool IsWidgets() const { return strPart == QLatin1String("ui"); }
};

// Where a path of the tree belongs: "filelist/ui/AddFiles.cpp" is filelist's widgets, "fs/FileFacts.h"
// the file layer; app/main.cpp stands with the app's widgets.
SPlace PlaceOf(const QString& strPath)
{
    const QStringList parts = strPath.split(u'/');
    SPlace place;
    place.nSubsystem = int(kSubsystems.indexOf(parts[0]));
    if (parts.size() >= 3)
        place.strPart = parts[1];
    else if (parts[0] == QLatin1String("app"))
        place.strPart = QStringLiteral("ui");
    return place;
}

TEST(IncludeRules, EachSubsystemIncludesOnlyThoseBelowItAndTheCoreNoWidgets)
{
    const QString strTop = QStringLiteral(PAGEWICK_SOURCE_DIR);
    const QRegularExpression include(QString::fromLatin1(R"re(^\s*#\s*include\s+"([^"]+)")re"));
    int nFiles = 0;
    for (const QString& strRoot : kSubsystems) {
        QDirIterator it(strTop + u'/' + strRoot, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString strFile = it.next().mid(strTop.size() + 1);
            const SPlace from = PlaceOf(strFile);
            QFile file(strTop + u'/' + strFile);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            ++nFiles;
            int nLine = 0;
            while (!file.atEnd()) {
                ++nLine;
                const QRegularExpressionMatch m = include.match(QString::fromUtf8(file.readLine()));
                if (!m.hasMatch() || !m.captured(1).contains(u'/'))
                    continue;   // a file of the same folder
                const QString strTarget = m.captured(1);
                const SPlace to = PlaceOf(strTarget);
                const QString strWhere = strFile + u':' + QString::number(nLine) + QLatin1String(" includes ") + strTarget;
                ASSERT_GE(to.nSubsystem, 0) << qPrintable(strWhere) << ": a folder the layers do not name";
                EXPECT_LE(to.nSubsystem, from.nSubsystem) << qPrintable(strWhere) << ": a subsystem above it";
                EXPECT_TRUE(from.IsWidgets() || !to.IsWidgets()) << qPrintable(strWhere) << ": widgets in the core";
                EXPECT_TRUE(to.strPart != QLatin1String("cli") || from.strPart == QLatin1String("cli"))
                    << qPrintable(strWhere) << ": the command line";
            }
        }
    }
    EXPECT_GT(nFiles, 50);
}

}  // namespace
