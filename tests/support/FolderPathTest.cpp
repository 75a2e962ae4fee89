#include "support/TempDir.h"
#include "support/core/FolderPath.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

TEST(FolderPath, ValidFolderNames)
{
    const struct {
        const char* pszName;
        bool bValid;
    } cases[] = {
        {"scans", true},       {"my report.old", true}, {"März 2011", true},   {"a.b.c", true},
        {"", false},           {" lead", false},        {"trail ", false},     {"\tlead", false},
        {"trail\t", false},    {".hidden", false},      {"dot.", false},       {"..", false},
        {"a|b", false},        {"a:b", false},          {"a\"b", false},       {"a*b", false},
        {"a<b", false},        {"a>b", false},          {"a?b", false},        {"a\\b", false},
        {"a/b", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidFolderName(QString::fromUtf8(c.pszName)), c.bValid) << '"' << c.pszName << '"';
}

// The drive-letter cases, mapped to this platform: "C:" has no root, "C:\" is the root "/",
// "C:\Temp\" ends in a separator, "C:\Temp" is an existing folder.
TEST(FolderPath, CheckOnlyTable)
{
    CTempDir dir;
    const QString strBase = dir.Path();
    const struct {
        QString strPath;
        EFolderCheck eResult;
    } cases[] = {
        {QStringLiteral("C:"), FOLDER_INVALID},
        {QStringLiteral("C:\\"), FOLDER_INVALID},
        {QStringLiteral("relative/dir"), FOLDER_INVALID},
        {QString(), FOLDER_INVALID},
        {QStringLiteral("/"), FOLDER_GOOD},
        {strBase, FOLDER_GOOD},
        {strBase + QStringLiteral("/"), FOLDER_INVALID},
        {strBase + QStringLiteral("/does/not/exist/yet"), FOLDER_GOOD},     // check-only: names are fine
        {strBase + QStringLiteral("//x"), FOLDER_INVALID},
        {strBase + QStringLiteral("/my report.old"), FOLDER_GOOD},
        {strBase + QStringLiteral("/ lead"), FOLDER_INVALID},
        {strBase + QStringLiteral("/dot./x"), FOLDER_INVALID},
        {strBase + QStringLiteral("/a|b/x"), FOLDER_INVALID},
        {strBase + QStringLiteral("/x/a:b"), FOLDER_INVALID},
        {strBase + QStringLiteral("/x/../y"), FOLDER_INVALID},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckOrCreateFolderPath(c.strPath, true), c.eResult) << qPrintable(c.strPath);
    EXPECT_FALSE(QFileInfo::exists(strBase + QStringLiteral("/does")));
}

TEST(FolderPath, CreateModeStopsAtTheFirstLevelThatCannotBeMade)
{
    CTempDir dir;
    dir.Write(QStringLiteral("file.txt"), "not a folder");
    const QString strBase = dir.Path();
    EXPECT_EQ(CheckOrCreateFolderPath(strBase + QStringLiteral("/made/file.txt/sub"), false), FOLDER_GOOD);
    EXPECT_EQ(CheckOrCreateFolderPath(strBase + QStringLiteral("/file.txt/sub"), false), FOLDER_CANNOT_CREATE);
    EXPECT_FALSE(FolderExists(strBase + QStringLiteral("/file.txt")));
    // Levels before a bad name stay created; the bad name itself makes the text invalid.
    EXPECT_EQ(CheckOrCreateFolderPath(strBase + QStringLiteral("/kept/bad|name"), false), FOLDER_INVALID);
    EXPECT_TRUE(FolderExists(strBase + QStringLiteral("/kept")));
    // An existing folder is no error.
    EXPECT_EQ(CheckOrCreateFolderPath(strBase + QStringLiteral("/kept"), false), FOLDER_GOOD);
    EXPECT_EQ(CheckOrCreateFolderPath(QStringLiteral("/"), false), FOLDER_GOOD);
}

}  // namespace
