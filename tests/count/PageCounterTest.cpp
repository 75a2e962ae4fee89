#include "count/core/PageCounter.h"
#include "support/TempDir.h"
#include "support/TiffBytes.h"
#include "support/TiffFiles.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <future>
#include <sys/stat.h>

namespace {

QByteArray Chain(bool bBigEndian, int nPages, bool bBigTiff = false)
{
    CTiffBytes tiff(bBigEndian, bBigTiff);
    for (int i = 0; i < nPages; ++i)
        tiff.AddPage();
    return tiff.Build();
}

struct SBytesCase {
    const char* pszName;
    std::function<QByteArray()> make;
    int nExpected;
};

void PrintTo(const SBytesCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class CounterOnBytes : public testing::TestWithParam<SBytesCase> {};

TEST_P(CounterOnBytes, GivesTheDocumentedResult)
{
    CTempDir dir;
    const QString strPath = dir.Write(QStringLiteral("case.tif"), GetParam().make());
    EXPECT_EQ(CountPages(strPath), GetParam().nExpected);
    EXPECT_EQ(IsTiffFile(strPath), GetParam().nExpected != PAGES_NOT_TIFF);
}

// Every chain here is written byte by byte, so the result does not depend on a writer's habits.
const SBytesCase kBytesCases[] = {
    {"EmptyFile", [] { return QByteArray(); }, PAGES_NOT_TIFF},
    {"OneByte", [] { return QByteArray("I"); }, PAGES_NOT_TIFF},
    {"PlainText", [] { return QByteArray("Hello, this is not an image.\n"); }, PAGES_NOT_TIFF},
    {"FakeJpeg", [] { return QByteArray::fromHex("ffd8ffe000104a464946"); }, PAGES_NOT_TIFF},
    {"TwoBytesMM", [] { return QByteArray("MM"); }, 0},
    {"TwoBytesII", [] { return QByteArray("II"); }, PAGES_NOT_TIFF},
    {"LittleEndianVersion43", [] { return QByteArray::fromHex("49492b0008000000"); }, PAGES_NOT_TIFF},
    {"ThreeBytesIIStar", [] { return QByteArray("II*"); }, 0},
    {"BigEndianVersion43Garbage", [] { return QByteArray::fromHex("4d4d002b00080000ffffffffffffffff"); }, 0},
    {"MMFollowedByAnything", [] { return QByteArray("MM-not-a-tiff-at-all"); }, 0},
    {"OnePageLittleEndian", [] { return Chain(false, 1); }, 1},
    {"TwelvePagesBigEndian", [] { return Chain(true, 12); }, 12},
    {"BigTiffBigEndianThreePages", [] { return Chain(true, 3, true); }, 3},
    // The signature rule takes "II" only with version 42: a little-endian BigTIFF is not counted.
    {"BigTiffLittleEndianIsNotTaken", [] { return Chain(false, 5, true); }, PAGES_NOT_TIFF},
    {"FourthOffsetPastEndOfFile",
     [] {
         CTiffBytes t(false);
         for (int i = 0; i < 3; ++i)
             t.AddPage();
         t.SetNextOffset(2, 0x7FFFFFF0u);
         return t.Build();
     },
     3},
    {"LoopToItself",
     [] {
         CTiffBytes t(true);
         t.AddPage();
         t.LinkNextTo(0, 0);
         return t.Build();
     },
     1},
    {"LoopBackToAnEarlierDirectory",
     [] {
         CTiffBytes t(false);
         for (int i = 0; i < 5; ++i)
             t.AddPage();
         t.LinkNextTo(4, 1);
         return t.Build();
     },
     5},
    {"LoopAfterThousandsOfDirectories",
     [] {
         CTiffBytes t(false);
         for (int i = 0; i < 3000; ++i)
             t.AddPage();
         t.LinkNextTo(2999, 0);
         return t.Build();
     },
     3000},
    {"BigTiffLoop",
     [] {
         CTiffBytes t(true, true);
         for (int i = 0; i < 4; ++i)
             t.AddPage();
         t.LinkNextTo(3, 2);
         return t.Build();
     },
     4},
    {"DamagedFourthDirectory",
     [] {
         CTiffBytes t(false);
         for (int i = 0; i < 6; ++i)
             t.AddPage();
         t.Damage(3);
         return t.Build();
     },
     3},
    {"FourthDirectoryMissingARequiredField",
     [] {
         CTiffBytes t(true);
         for (int i = 0; i < 6; ++i)
             t.AddPage();
         t.DropImageLength(3);
         return t.Build();
     },
     3},
    {"DamagedFirstDirectory",
     [] {
         CTiffBytes t(false);
         t.AddPage();
         t.AddPage();
         t.Damage(0);
         return t.Build();
     },
     0},
    {"SubIfdsAreNotPages",
     [] {
         CTiffBytes t(false);
         const int p0 = t.AddPage();
         t.AddSubIfd(p0);
         t.AddSubIfd(p0);
         const int p1 = t.AddPage();
         t.AddSubIfd(p1);
         return t.Build();
     },
     2},
    {"ReducedResolutionImagesInTheChainArePages",
     [] {
         CTiffBytes t(true);
         t.AddPage();
         t.AddPage(1);
         t.AddPage();
         t.AddPage(1);
         return t.Build();
     },
     4},
};

INSTANTIATE_TEST_SUITE_P(Table, CounterOnBytes, testing::ValuesIn(kBytesCases),
                         [](const testing::TestParamInfo<SBytesCase>& info) { return info.param.pszName; });

TEST(PageCounter, FilesWrittenByLibtiff)
{
    CTempDir dir;
    const struct {
        const char* pszName;
        STiffShape shape;
    } cases[] = {
        {"one.tif", STiffShape{1, false, false, 16, 16, false}},
        {"twelve-be.tif", STiffShape{12, true, false, 16, 16, false}},
        {"g4.tif", STiffShape{3, false, false, 1700, 40, true}},
        {"bigtiff-be.tif", STiffShape{7, true, true, 8, 8, false}},
    };
    for (const auto& c : cases) {
        const QString strPath = dir.Path(QString::fromLatin1(c.pszName));
        ASSERT_TRUE(WriteTiff(strPath, c.shape));
        EXPECT_EQ(CountPages(strPath), c.shape.nPages) << c.pszName;
    }
}

TEST(PageCounter, UnreadablePathsAreReadErrors)
{
    CTempDir dir;
    const QString strLocked = dir.Write(QStringLiteral("locked.tif"), Chain(false, 1));
    ::chmod(QFile::encodeName(strLocked).constData(), 0);
    EXPECT_EQ(CountPages(QString()), PAGES_READ_ERROR);
    EXPECT_EQ(CountPages(dir.Path(QStringLiteral("missing.tif"))), PAGES_READ_ERROR);
    EXPECT_EQ(CountPages(dir.Path()), PAGES_READ_ERROR);     // a directory
    EXPECT_EQ(CountPages(QStringLiteral("/dev/zero")), PAGES_READ_ERROR);
    if (::geteuid() != 0) {
        EXPECT_EQ(CountPages(strLocked), PAGES_READ_ERROR);
    }
    EXPECT_FALSE(IsTiffFile(QString()));
    EXPECT_FALSE(IsTiffFile(dir.Path()));
}

TEST(PageCounter, FifoWithoutWriterNeverBlocks)
{
    CTempDir dir;
    const QString strFifo = dir.Path(QStringLiteral("pipe.tif"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);
    // Counted on a thread of its own, so that a blocking open fails the test instead of hanging it.
    auto result = std::async(std::launch::async, [&] { return std::make_pair(CountPages(strFifo), IsTiffFile(strFifo)); });
    ASSERT_EQ(result.wait_for(std::chrono::seconds(2)), std::future_status::ready) << "the counter blocked";
    EXPECT_EQ(result.get(), std::make_pair(PAGES_READ_ERROR, false));
}

TEST(PageCounter, PathsWithSpacesCommasQuotesAndNonAsciiLetters)
{
    CTempDir dir;
    const QString strPath = dir.Path(QStringLiteral("Rechnung \"März\", Seite 1 ő.tif"));
    ASSERT_TRUE(WriteTiff(strPath, STiffShape{2}));
    EXPECT_EQ(CountPages(strPath), 2);
}

TEST(PageCounter, SignatureRule)
{
    const struct {
        const char szHead[3];
        bool bTiff;
    } cases[] = {{{'I', 'I', '*'}, true}, {{'M', 'M', 0}, true},  {{'M', 'M', 'x'}, true},
                 {{'I', 'I', '+'}, false}, {{'I', 'I', 0}, false}, {{'M', 'I', '*'}, false},
                 {{0, 0, 0}, false}};
    for (const auto& c : cases)
        EXPECT_EQ(HasTiffSignature(c.szHead), c.bTiff) << c.szHead[0] << c.szHead[1] << int(c.szHead[2]);
}

}  // namespace
