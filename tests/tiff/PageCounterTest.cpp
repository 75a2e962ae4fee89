#include "tiff/PageCounter.h"
#include "fs/FileFacts.h"
#include "support/Seeds.h"
#include "support/TempDir.h"
#include "support/TiffBytes.h"
#include "support/TiffFiles.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <QSet>

#include <tiffio.h>

#include <atomic>
#include <future>
#include <thread>
#include <sys/stat.h>

namespace {

QByteArray Chain(bool bBigEndian, int nPages, bool bBigTiff = false)
{
    return CTiffBytes(bBigEndian, bBigTiff).AddPages(nPages).Build();
}

// Three pages whose last links to an offset far past the end of the file.
QByteArray PastTheEnd()
{
    return CTiffBytes(false).AddPages(3).SetNextOffset(2, 0x7FFFFFF0u).Build();
}

// A chain cut off in the middle, as a copy that stopped early leaves it.
QByteArray Truncated(int nPages, int nKeep)
{
    const QByteArray whole = Chain(false, nPages);
    // Every page takes the same bytes, one after the other: keep the first nKeep whole.
    const int nDirBytes = int((whole.size() - 8) / nPages);
    return whole.left(8 + nKeep * nDirBytes + nDirBytes / 2);
}

struct SBytesCase {
    const char* pszName;
    std::function<QByteArray()> make;
    int nExpected;
    EShortCount eShort = EShortCount::None;
};

void PrintTo(const SBytesCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class CounterOnBytes : public testing::TestWithParam<SBytesCase> {};

TEST_P(CounterOnBytes, GivesTheDocumentedResultAndSaysWhetherItIsShort)
{
    CTempDir dir;
    const QByteArray bytes = GetParam().make();
    SaveSeed("counter", QString::fromLatin1(GetParam().pszName), bytes);
    const QByteArray path = dir.Write(QStringLiteral("case.tif"), bytes).toUtf8();
    const SPageCount count = CountPagesOf(path, nullptr, false);
    // The number is what it always was: 1 + the successful TIFFReadDirectory calls.
    EXPECT_EQ(count.nPages, GetParam().nExpected);
    EXPECT_EQ(count.eShort, GetParam().eShort);
    // A short count says why in libtiff's words; a complete one says nothing.
    EXPECT_EQ(count.strReason.isEmpty(), !count.IsShort()) << qPrintable(count.strReason);
    EXPECT_EQ(ShortCountToolTip(count).isEmpty(), !count.IsShort());
    EXPECT_EQ(IsTiffFile(path), GetParam().nExpected != PAGES_NOT_TIFF);
    // Every page counted is described, and none after the last good directory is made up.
    EXPECT_EQ(count.pages.size(), qsizetype(std::max(0, count.nPages)));
}

// Every chain here is written byte by byte, so the result does not depend on a writer's habits.
const SBytesCase kBytesCases[] = {
    {"EmptyFile", [] { return QByteArray(); }, PAGES_NOT_TIFF},
    {"OneByte", [] { return QByteArray("I"); }, PAGES_NOT_TIFF},
    {"PlainText", [] { return QByteArray("Hello, this is not an image.\n"); }, PAGES_NOT_TIFF},
    {"FakeJpeg", [] { return QByteArray::fromHex("ffd8ffe000104a464946"); }, PAGES_NOT_TIFF},
    {"TwoBytesMM", [] { return QByteArray("MM"); }, 0, EShortCount::Unopenable},
    {"TwoBytesII", [] { return QByteArray("II"); }, PAGES_NOT_TIFF},
    // "II+" is TIFF only with a BigTIFF header: offsets of 8 bytes and a reserved 0.
    {"LittleEndianBigTiffHeaderOnly", [] { return QByteArray::fromHex("49492b0008000000"); }, 0, EShortCount::Unopenable},
    {"LittleEndianVersion43OffsetsOf4", [] { return QByteArray::fromHex("49492b0004000000"); }, PAGES_NOT_TIFF},
    {"LittleEndianVersion43Reserved", [] { return QByteArray::fromHex("49492b0008000100"); }, PAGES_NOT_TIFF},
    {"ThreeBytesIIPlus", [] { return QByteArray("II+"); }, PAGES_NOT_TIFF},
    {"ThreeBytesIIStar", [] { return QByteArray("II*"); }, 0, EShortCount::Unopenable},
    {"BigEndianVersion43Garbage", [] { return QByteArray::fromHex("4d4d002b00080000ffffffffffffffff"); }, 0, EShortCount::Unopenable},
    {"MMFollowedByAnything", [] { return QByteArray("MM-not-a-tiff-at-all"); }, 0, EShortCount::Unopenable},
    {"OnePageLittleEndian", [] { return Chain(false, 1); }, 1},
    {"TwelvePagesBigEndian", [] { return Chain(true, 12); }, 12},
    {"BigTiffBigEndianThreePages", [] { return Chain(true, 3, true); }, 3},
    {"BigTiffLittleEndianFivePages", [] { return Chain(false, 5, true); }, 5},
    {"FourthOffsetPastEndOfFile", PastTheEnd, 3, EShortCount::Damaged},
    {"TruncatedAfterPage4Of7", [] { return Truncated(7, 4); }, 4, EShortCount::Damaged},
    {"LoopToItself", [] { return CTiffBytes(true).AddPages(1).LinkNextTo(0, 0).Build(); }, 1, EShortCount::Loop},
    {"LoopBackToAnEarlierDirectory", [] { return CTiffBytes(false).AddPages(5).LinkNextTo(4, 1).Build(); }, 5,
     EShortCount::Loop},
    {"LoopAfterThousandsOfDirectories", [] { return CTiffBytes(false).AddPages(3000).LinkNextTo(2999, 0).Build(); },
     3000, EShortCount::Loop},
    {"BigTiffLoop", [] { return CTiffBytes(true, true).AddPages(4).LinkNextTo(3, 2).Build(); }, 4, EShortCount::Loop},
    {"DamagedFourthDirectory", [] { return CTiffBytes(false).AddPages(6).Damage(3).Build(); }, 3, EShortCount::Damaged},
    {"FourthDirectoryMissingARequiredField", [] { return CTiffBytes(true).AddPages(6).DropImageLength(3).Build(); }, 3,
     EShortCount::Damaged},
    {"DamagedFirstDirectory", [] { return CTiffBytes(false).AddPages(2).Damage(0).Build(); }, 0, EShortCount::Unopenable},
    {"SubIfdsAreNotPages",
     [] {
         CTiffBytes t(false);
         const int p0 = t.AddPage();
         t.AddSubIfd(p0);
         t.AddSubIfd(p0);
         t.AddSubIfd(t.AddPage());
         return t.Build();
     },
     2},
    {"ReducedResolutionImagesInTheChainArePages",
     [] {
         CTiffBytes t(true);
         for (const uint32_t nType : {0, 1, 0, 1})
             t.AddPage(nType);
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
        {"one.tif", STiffShape{1, false, false, 16, 16}},
        {"twelve-be.tif", STiffShape{12, true, false, 16, 16}},
        {"wide.tif", STiffShape{3, false, false, 1700, 40}},
        {"bigtiff-be.tif", STiffShape{7, true, true, 8, 8}},
        {"Rechnung \"März\", Seite 1 ő.tif", STiffShape{2}},
    };
    for (const auto& c : cases) {
        const QString strPath = dir.Path(QString::fromUtf8(c.pszName));
        ASSERT_TRUE(WriteTiff(strPath, c.shape));
        QFile file(strPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        SaveSeed("counter", QString::fromUtf8(c.pszName), file.readAll());
        const SPageCount count = CountPagesOf(strPath.toUtf8());
        EXPECT_EQ(count.nPages, c.shape.nPages) << c.pszName;
        EXPECT_FALSE(count.IsShort()) << c.pszName;
    }
}

TEST(PageCounter, UnreadablePathsAreReadErrors)
{
    CTempDir dir;
    const QString strLocked = dir.Write(QStringLiteral("locked.tif"), Chain(false, 1));
    ::chmod(QFile::encodeName(strLocked).constData(), 0);
    EXPECT_EQ(CountPages(QByteArray()), PAGES_READ_ERROR);
    EXPECT_EQ(CountPages(dir.Path(QStringLiteral("missing.tif")).toUtf8()), PAGES_READ_ERROR);
    EXPECT_EQ(CountPages(dir.Bytes()), PAGES_READ_ERROR);     // a directory
    EXPECT_EQ(CountPages("/dev/zero"), PAGES_READ_ERROR);
    if (::geteuid() != 0) {
        EXPECT_EQ(CountPages(strLocked.toUtf8()), PAGES_READ_ERROR);
    }
    EXPECT_FALSE(IsTiffFile(QByteArray()));
    EXPECT_FALSE(IsTiffFile(dir.Bytes()));
}

TEST(PageCounter, FifoWithoutWriterNeverBlocks)
{
    CTempDir dir;
    const QString strFifo = dir.Path(QStringLiteral("pipe.tif"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);
    // Counted on a thread of its own, so that a blocking open fails the test instead of hanging it.
    auto result = std::async(std::launch::async,
                             [&] { return std::make_pair(CountPages(strFifo.toUtf8()), IsTiffFile(strFifo.toUtf8())); });
    ASSERT_EQ(result.wait_for(std::chrono::seconds(2)), std::future_status::ready) << "the counter blocked";
    EXPECT_EQ(result.get(), std::make_pair(PAGES_READ_ERROR, false));
}

TEST(PageCounter, ANameThatIsNotUtf8ReachesItsFileWithItsFacts)
{
    CTempDir dir;
    const QByteArray latin1 = dir.WriteRaw("Rechnung M\xe4rz \xff.tif", Chain(true, 3));
    SFileFacts facts;
    EXPECT_EQ(CountPages(latin1, &facts), 3);
    EXPECT_EQ(facts.nSize, Chain(true, 3).size());
}

// libtiff's default handlers, counted for the time of a test.
int g_nDefaultErrors = 0;
void CountingErrorHandler(const char*, const char*, va_list)
{
    ++g_nDefaultErrors;
}

TEST(PageCounter, MessagesAreTakenPerFileAndPassedOnOnlyWhenAsked)
{
    CTempDir dir;
    const QByteArray path = dir.Write(QStringLiteral("past-end.tif"), PastTheEnd()).toUtf8();
    const TIFFErrorHandler previous = TIFFSetErrorHandler(CountingErrorHandler);
    g_nDefaultErrors = 0;
    const SPageCount quiet = CountPagesOf(path, nullptr, false);
    const int nQuiet = g_nDefaultErrors;
    const SPageCount echoed = CountPagesOf(path, nullptr, true);
    const int nEchoed = g_nDefaultErrors - nQuiet;
    TIFFSetErrorHandler(previous);
    EXPECT_EQ(nQuiet, 0);
    EXPECT_GT(nEchoed, 0);
    EXPECT_EQ(quiet.messages, echoed.messages);
    ASSERT_FALSE(quiet.messages.isEmpty());
    EXPECT_TRUE(quiet.messages.contains(quiet.strReason));
    // libtiff names the file in some of its texts; whoever shows a message names it already.
    for (const QString& strMessage : quiet.messages)
        EXPECT_FALSE(strMessage.contains(QLatin1String("past-end"))) << qPrintable(strMessage);
    // The tool tip and the command line's clause say it in plain words, with libtiff's own.
    EXPECT_EQ(ShortCountToolTip(quiet), QStringLiteral("Counted 3 pages; the file is damaged after page 3: ") + quiet.strReason);
    EXPECT_EQ(ShortCountClause(quiet), QStringLiteral("counted 3 pages, damaged after page 3: ") + quiet.strReason);
}

TEST(PageCounter, AFileSwappedForAFifoWhileItIsCountedNeverBlocks)
{
    CTempDir dir;
    const QByteArray tiff = dir.Write(QStringLiteral("real.tif"), Chain(false, 2)).toUtf8();
    const QByteArray fifo = dir.Bytes() + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const QByteArray link = dir.Bytes() + "/swap.tif";
    const QByteArray next = dir.Bytes() + "/swap.next";
    ASSERT_EQ(::symlink(tiff.constData(), link.constData()), 0);
    // A link re-pointed between the file and a FIFO without a writer, often enough that counts
    // meet it changing under them, and slowly enough that some see the file whole.
    std::atomic<bool> bStop{false};
    std::thread swapper([&] {
        for (int i = 0; !bStop; ++i) {
            ::unlink(next.constData());
            if (::symlink(i % 2 ? tiff.constData() : fifo.constData(), next.constData()) == 0)
                ::rename(next.constData(), link.constData());
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
    // Counts for half a second, through hundreds of swaps, however fast each count is.
    auto counts = std::async(std::launch::async, [&] {
        QSet<int> seen;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 1000 || clock.elapsed() < 500; ++i) {
            seen.insert(CountPages(link));
            IsTiffFile(link);
        }
        return seen;
    });
    const bool bReady = counts.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    bStop = true;
    swapper.join();
    ASSERT_TRUE(bReady) << "a count blocked on the FIFO";
    // Each count saw either the file or something it would not open.
    const QSet<int> seen = counts.get();
    EXPECT_TRUE(seen.contains(2));
    for (int n : seen)
        EXPECT_TRUE(n == 2 || n == PAGES_READ_ERROR) << n;
}

TEST(PageCounter, AFileThatShrinksUnderTheWalkEndsItsOwnCountOnly)
{
    CTempDir dir;
    const QByteArray bytes = Chain(false, 300000);
    const QByteArray path = dir.Write(QStringLiteral("shrinking.tif"), bytes).toUtf8();
    std::atomic<bool> bStarted{false};
    auto count = std::async(std::launch::async, [&] {
        bStarted = true;
        return CountPagesOf(path, nullptr, false);
    });
    while (!bStarted)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Cut the file to a tenth while libtiff walks it: a mapped file would kill the process here.
    ASSERT_EQ(::truncate(path.constData(), bytes.size() / 10), 0);
    const SPageCount result = count.get();
    EXPECT_GT(result.nPages, 0);
    EXPECT_LT(result.nPages, 300000);
    EXPECT_EQ(result.eShort, EShortCount::Damaged) << qPrintable(result.strReason);
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
