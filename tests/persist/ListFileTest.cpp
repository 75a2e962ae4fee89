#include "persist/core/ListFile.h"

#include "FileSizeLimit.h"
#include "filelist/core/CFileListModel.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void Fill(CFileListModel& model, const QVector<SListEntry>& entries)
{
    QVector<FileRecord> rows;
    for (const SListEntry& e : entries)
        rows.append(MakeFileRecord(e.path, e.bInUse, nullptr));
    model.AppendRows(rows);
}

struct SRoundTrip {
    const char* pszName;
    QVector<SListEntry> rows;
    QByteArray bytes;
};

class ListFileRoundTrip : public testing::TestWithParam<SRoundTrip> {};

// Saved, the rows give exactly these bytes; read back, the same rows.
TEST_P(ListFileRoundTrip, SavesTheBytesAndReadsTheRowsBack)
{
    CTempDir dir;
    CFileListModel model;
    Fill(model, GetParam().rows);
    const QString strList = dir.Path(QStringLiteral("list.lst"));
    ASSERT_TRUE(SaveListFile(strList.toUtf8(), model));
    EXPECT_EQ(ReadAll(strList), GetParam().bytes);
    EXPECT_EQ(ParseListFile(GetParam().bytes), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ListFileRoundTrip,
    testing::Values(
        SRoundTrip{"TwoRows", {{"C:\\scans\\a.tif", true}, {"C:\\scans\\b.tif", false}},
                   "C:\\scans\\a.tif\r\r\n~C:\\scans\\b.tif\r\r\n"},
        SRoundTrip{"TildeRowBeginningWithTilde", {{"~/x.tif", false}}, "~~/x.tif\r\r\n"},
        SRoundTrip{"CommaAndQuotes", {{"/s/a, \"b\".tif", true}}, "/s/a, \"b\".tif\r\r\n"},
        SRoundTrip{"NonAsciiUtf8", {{"/s/Z\xc3\xbcrich \xe2\x82\xac.tif", true}}, "/s/Z\xc3\xbcrich \xe2\x82\xac.tif\r\r\n"},
        SRoundTrip{"NotUtf8", {{"/s/caf\xe9\xff\x80.tif", false}}, "~/s/caf\xe9\xff\x80.tif\r\r\n"},
        SRoundTrip{"NulAndCr", {{QByteArray("/s/a\0b\rc\r", 9), true}}, QByteArray("/s/a\0b\rc\r\r\r\n", 12)}),
    [](const testing::TestParamInfo<SRoundTrip>& info) { return info.param.pszName; });

TEST(ListFile, APathInUseBeginningWithTildeComesBackNotInUse)
{
    // The format has no way to tell them apart; a "~" of the name is taken for the mark.
    EXPECT_EQ(ListFileEntry("~x.tif", true), QByteArray("~x.tif\r\r\n"));
    EXPECT_EQ(ParseListFile("~x.tif\r\r\n"), QVector<SListEntry>({{"x.tif", false}}));
}

struct SReadCase {
    const char* pszName;
    QByteArray bytes;
    QVector<SListEntry> entries;
};

class ListFileReader : public testing::TestWithParam<SReadCase> {};

// The same entries whole and fed a byte at a time: a line end cut between two pieces changes nothing.
TEST_P(ListFileReader, ReadsTheEntries)
{
    EXPECT_EQ(ParseListFile(GetParam().bytes), GetParam().entries);
    CListFileReader reader;
    QVector<SListEntry> entries;
    for (char c : GetParam().bytes)
        reader.Feed(&c, 1, &entries);
    reader.Finish(&entries);
    EXPECT_EQ(entries, GetParam().entries);
}

const QByteArray kLongPath = "/" + QByteArray(300000, 'n');

INSTANTIATE_TEST_SUITE_P(
    Lines, ListFileReader,
    testing::Values(
        SReadCase{"CrCrLf", "/a\r\r\n~/b\r\r\n", {{"/a", true}, {"/b", false}}},
        SReadCase{"CrLf", "/a\r\n~/b\r\n", {{"/a", true}, {"/b", false}}},
        SReadCase{"Lf", "/a\n~/b\n", {{"/a", true}, {"/b", false}}},
        SReadCase{"CrAloneStays", "/a\rb\r\r\n/c\r", {{"/a\rb", true}, {"/c", true}}},
        SReadCase{"EmptyEntriesAddNoRow", "\n\r\n\r\r\n~\r\r\n/a\r\r\n", {{"/a", true}}},
        SReadCase{"LastLineWithoutLineEnd", "/a\r\r\n/b", {{"/a", true}, {"/b", true}}},
        SReadCase{"LongLineReadWhole", kLongPath + "\r\r\n/b\n", {{kLongPath, true}, {"/b", true}}},
        SReadCase{"SubEndsTheData", "/a\r\r\n/b\x1a\r\r\n/c\r\r\n", {{"/a", true}, {"/b", true}}},
        SReadCase{"NulKept", QByteArray("/a\0b\r\r\n", 7), {{QByteArray("/a\0b", 4), true}}},
        SReadCase{"NotUtf8Kept", "/\xff\xfe\r\r\n", {{"/\xff\xfe", true}}}),
    [](const testing::TestParamInfo<SReadCase>& info) { return info.param.pszName; });

class ListFileSave : public testing::Test {
protected:
    ListFileSave()
    {
        Fill(model, {{"/a.tif", true}, {"/b.tif", false}});
        strOld = dir.Write(QStringLiteral("old.lst"), "/old.tif\r\r\n");
    }
    CTempDir dir;
    CFileListModel model;
    QString strOld;
};

TEST_F(ListFileSave, ReplacesTheFileWholeAndKeepsItsPermissions)
{
    ASSERT_EQ(::chmod(QFile::encodeName(strOld).constData(), 0640), 0);
    ASSERT_TRUE(SaveListFile(strOld.toUtf8(), model));
    EXPECT_EQ(ReadAll(strOld), QByteArray("/a.tif\r\r\n~/b.tif\r\r\n"));
    EXPECT_EQ(QFile::permissions(strOld), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                                              QFile::ReadGroup);
}

TEST_F(ListFileSave, WhatCannotBeWrittenIsRefusedAndTheOldFileStays)
{
    const QString strFifo = dir.Path(QStringLiteral("fifo.lst"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);
    const QString strDir = dir.MakeDir(QStringLiteral("folder.lst"));
    for (const QString& strTarget : {strOld + QStringLiteral("/under-a-file.lst"), strFifo, strDir,
                                     dir.Path(QStringLiteral("missing/x.lst"))})
        EXPECT_FALSE(SaveListFile(strTarget.toUtf8(), model)) << qPrintable(strTarget);
    // No name of Qt's reaches bytes that are not UTF-8 exactly, so they are not written elsewhere.
    EXPECT_FALSE(SaveListFile(dir.Bytes() + "/caf\xe9.lst", model));
    EXPECT_EQ(ReadAll(strOld), QByteArray("/old.tif\r\r\n"));
    EXPECT_FALSE(QFile::exists(dir.Path(QStringLiteral("missing"))));
}

TEST_F(ListFileSave, AFolderWithoutWriteRightsKeepsTheOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes anywhere";
    ASSERT_EQ(::chmod(dir.Bytes().constData(), 0500), 0);
    EXPECT_FALSE(SaveListFile(strOld.toUtf8(), model));
    ::chmod(dir.Bytes().constData(), 0700);
    EXPECT_EQ(ReadAll(strOld), QByteArray("/old.tif\r\r\n"));
}

TEST_F(ListFileSave, AFullDiskKeepsTheOldFile)
{
    QVector<SListEntry> many;
    for (int i = 0; i < 20000; ++i)
        many.append({"/scans/page" + QByteArray::number(i) + ".tif", true});
    Fill(model, many);
    {
        const CFileSizeLimit limit(64 * 1024);
        EXPECT_FALSE(SaveListFile(strOld.toUtf8(), model));
    }
    EXPECT_EQ(ReadAll(strOld), QByteArray("/old.tif\r\r\n"));
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList({"old.lst"}));   // no temporary left
}

}  // namespace
