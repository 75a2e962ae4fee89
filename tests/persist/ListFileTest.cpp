#include "persist/core/ListFile.h"

#include "PersistTesting.h"
#include "support/Seeds.h"

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void Fill(CFileListModel& model, const QVector<SListEntry>& entries)
{
    QVector<FileRecord> rows;
    for (const SListEntry& e : entries)
        rows.append(MakeFileRecord(e.path, e.bInUse, nullptr));
    model.AppendRows(rows);
}

struct SListCase {
    const char* pszName;
    QByteArray bytes;
    QVector<SListEntry> entries;
    bool bWritten;      // the bytes are what saving the entries writes
};

class ListFileBytes : public testing::TestWithParam<SListCase> {};

// Read whole and fed a byte at a time (a line end cut between two pieces changes nothing), the bytes
// give the entries; saved, the entries give the bytes.
TEST_P(ListFileBytes, AreReadAndWritten)
{
    SaveSeed("listfile", QString::fromLatin1(GetParam().pszName), GetParam().bytes);
    EXPECT_EQ(ParseListFile(GetParam().bytes), GetParam().entries);
    CListFileReader reader;
    QVector<SListEntry> entries;
    for (char c : GetParam().bytes)
        reader.Feed(&c, 1, &entries);
    reader.Finish(&entries);
    EXPECT_EQ(entries, GetParam().entries);
    if (!GetParam().bWritten)
        return;
    CTempDir dir;
    CFileListModel model;
    Fill(model, GetParam().entries);
    ASSERT_TRUE(SaveListFile(dir.Bytes() + "/list.lst", model));
    EXPECT_EQ(ReadAll(dir.Path(QStringLiteral("list.lst"))), GetParam().bytes);
}

const QByteArray kLongPath = "/" + QByteArray(300000, 'n');

INSTANTIATE_TEST_SUITE_P(
    Lines, ListFileBytes,
    testing::Values(
        SListCase{"TwoRows", "C:\\scans\\a.tif\r\r\n~C:\\scans\\b.tif\r\r\n",
                  {{"C:\\scans\\a.tif", true}, {"C:\\scans\\b.tif", false}}, true},
        SListCase{"NotInUseBeginningWithTilde", "~~/x.tif\r\r\n", {{"~/x.tif", false}}, true},
        SListCase{"CommaAndQuotes", "/s/a, \"b\".tif\r\r\n", {{"/s/a, \"b\".tif", true}}, true},
        SListCase{"NonAscii", "/s/Z\xc3\xbcrich \xe2\x82\xac.tif\r\r\n", {{"/s/Z\xc3\xbcrich \xe2\x82\xac.tif", true}}, true},
        SListCase{"NotUtf8", "~/s/caf\xe9\xff\x80.tif\r\r\n", {{"/s/caf\xe9\xff\x80.tif", false}}, true},
        SListCase{"Nul", QByteArray("/s/a\0b\r\r\n", 9), {{QByteArray("/s/a\0b", 6), true}}, true},
        // Read as it stands, but never written: see ListFilesTest.
        SListCase{"Cr", "/s/a\rc\r\r\r\n", {{"/s/a\rc\r", true}}, false},
        SListCase{"LongLineReadWhole", kLongPath + "\r\r\n/b\r\r\n", {{kLongPath, true}, {"/b", true}}, true},
        SListCase{"CrLf", "/a\r\n~/b\r\n", {{"/a", true}, {"/b", false}}, false},
        SListCase{"Lf", "/a\n~/b\n", {{"/a", true}, {"/b", false}}, false},
        SListCase{"CrAloneStays", "/a\rb\r\r\n/c\r", {{"/a\rb", true}, {"/c", true}}, false},
        SListCase{"EmptyEntriesAddNoRow", "\n\r\n\r\r\n~\r\r\n/a\r\r\n", {{"/a", true}}, false},
        SListCase{"LastLineWithoutLineEnd", "/a\r\r\n/b", {{"/a", true}, {"/b", true}}, false},
        // A byte-order mark only at the very start is skipped; a first path in use that begins
        // with one is written after an empty line, so that it keeps it.
        SListCase{"MarkAtTheStart", "\xEF\xBB\xBF~/a\r\r\n/b\r\r\n", {{"/a", false}, {"/b", true}}, false},
        SListCase{"MarkOnly", "\xEF\xBB\xBF", {}, false},
        SListCase{"MarkElsewhere", "~\xEF\xBB\xBF/a\r\r\n\xEF\xBB\xBF/b\r\r\n",
                  {{"\xEF\xBB\xBF/a", false}, {"\xEF\xBB\xBF/b", true}}, true},
        SListCase{"FirstPathBeginsWithMark", "\r\n\xEF\xBB\xBF/a\r\r\n", {{"\xEF\xBB\xBF/a", true}}, true},
        SListCase{"MarkCutShort", "\xEF\xBB/a\r\r\n\xEF", {{"\xEF\xBB/a", true}, {"\xEF", true}}, false},
        SListCase{"SubEndsTheData", "/a\r\r\n/b\x1a\r\r\n/c\r\r\n", {{"/a", true}, {"/b", true}}, false},
        // A path in use written with a "~" of its own comes back as one not in use, without it.
        SListCase{"TildeMarksNotInUse", "~x.tif\r\r\n", {{"x.tif", false}}, false}),
    [](const testing::TestParamInfo<SListCase>& info) { return info.param.pszName; });

class ListFileSave : public testing::Test {
protected:
    ListFileSave()
    {
        Fill(model, {{"/a.tif", true}, {"/b.tif", false}});
        strOld = dir.Write(QStringLiteral("old.lst"), "/old.tif\r\r\n");
    }
    // "saved", or the reason the save failed.
    QString Save(const QString& strPath) { return SaveBytes(strPath.toUtf8()); }
    QString SaveBytes(const QByteArray& path)
    {
        SListFileSave save;
        return SaveListFile(path, model, &save) ? QStringLiteral("saved") : save.strError;
    }
    bool OldIsIntact() { return ReadAll(strOld) == "/old.tif\r\r\n"; }

    CTempDir dir;
    CFileListModel model;
    QString strOld;
};

TEST_F(ListFileSave, ReplacesTheFileWholeAndKeepsItsPermissions)
{
    ASSERT_EQ(::chmod(QFile::encodeName(strOld).constData(), 0640), 0);
    ASSERT_EQ(Save(strOld), "saved");
    EXPECT_EQ(ReadAll(strOld), "/a.tif\r\r\n~/b.tif\r\r\n");
    EXPECT_EQ(QFile::permissions(strOld),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
}

TEST_F(ListFileSave, WhatCannotBeWrittenIsRefusedAndTheOldFileStays)
{
    const QString strFifo = dir.Path(QStringLiteral("fifo.lst"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);
    // A FIFO would be replaced by a plain file (as a device node would be): refused. Bytes that are
    // not UTF-8 cannot be named exactly through Qt: not written elsewhere.
    const QList<std::pair<QByteArray, QString>> targets = {
        {strOld.toUtf8() + "/under-a-file.lst", "Not a directory"},
        {strFifo.toUtf8(), "Not a regular file"},
        {dir.MakeDir(QStringLiteral("folder.lst")).toUtf8(), "Is a directory"},
        {dir.Bytes() + "/no/x.lst", "No such file or directory"},
        {dir.Bytes() + "/caf\xe9.lst", "The name is not valid UTF-8"}};
    for (const auto& [target, strReason] : targets)
        EXPECT_EQ(SaveBytes(target), strReason) << target.constData();
    EXPECT_FALSE(QFileInfo(strFifo).isFile());     // still the FIFO
    EXPECT_TRUE(OldIsIntact());
    if (::geteuid() != 0) {     // root writes anywhere
        ::chmod(dir.Bytes().constData(), 0500);
        EXPECT_NE(Save(strOld), "saved");
        ::chmod(dir.Bytes().constData(), 0700);
        EXPECT_TRUE(OldIsIntact());
    }
}

TEST_F(ListFileSave, AFullDiskKeepsTheOldFile)
{
    QVector<SListEntry> many(20000, {"/scans/a-page-of-a-long-list.tif", true});
    Fill(model, many);
    {
        const CFileSizeLimit limit(64 * 1024);
        EXPECT_EQ(Save(strOld), "File too large");
    }
    EXPECT_TRUE(OldIsIntact());
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList({"old.lst"}));   // no temporary file left
}

}  // namespace
