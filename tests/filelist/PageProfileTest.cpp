#include "filelist/core/PageProfile.h"

#include <gtest/gtest.h>

#include <tiff.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(PageProfile, PaperIsTheNearestWithinThreePercentOfEachSide)
{
    const struct {
        const char* pszName;
        double dWidth, dLength;
        EPaper eExpected;
    } cases[] = {
        {"A5Exactly", 148, 210, EPaper::A5},
        {"A5Landscape", 210, 148, EPaper::A5},
        {"ShortSideJustInsideAbove", 152.4, 210, EPaper::A5},    // +2.97 %
        {"ShortSideJustOutsideAbove", 152.5, 210, EPaper::Other},
        {"ShortSideJustInsideBelow", 143.6, 210, EPaper::A5},
        {"ShortSideJustOutsideBelow", 143.5, 210, EPaper::Other},
        {"LongSideJustInside", 841, 1224.6, EPaper::A0},
        {"LongSideJustOutside", 841, 1224.8, EPaper::Other},
        {"A4AsScannersCropIt", 207, 293, EPaper::A4},
        {"LetterAsAFaxSendsIt", 215.1, 285.2, EPaper::Letter},
        {"Legal", 215.9, 355.6, EPaper::Legal},
        {"TabloidLandscape", 431.8, 279.4, EPaper::Tabloid},
        {"A3", 297, 420, EPaper::A3},
        {"A2", 420, 594, EPaper::A2},
        {"A1", 594, 841, EPaper::A1},
        {"Square", 250, 250, EPaper::Other},
        {"TenMetresLongIsStillAPage", 210, 10000, EPaper::Other},
        {"LongerThanTenMetres", 210, 10000.1, EPaper::Unknown},
        {"Zero", 0, 297, EPaper::Unknown},
        {"Negative", -210, 297, EPaper::Unknown},
        {"NotANumber", kNaN, 297, EPaper::Unknown},
        {"Infinite", 210, kInf, EPaper::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(PaperName(PaperOfSize(c.dWidth, c.dLength)), PaperName(c.eExpected)) << c.pszName;
}

SPageRecord Resolution(float fX, float fY, quint16 nUnit, bool bHasY = true)
{
    SPageRecord page;
    page.nWidth = 2480;
    page.nLength = 3508;
    page.fXResolution = fX;
    page.fYResolution = fY;
    page.bHasXResolution = true;
    page.bHasYResolution = bHasY;
    page.nResolutionUnit = nUnit;
    return page;
}

TEST(PageProfile, DpiIsTheLowerResolutionRoundedAndUnknownWhenAbsurd)
{
    const float fNaN = std::numeric_limits<float>::quiet_NaN();
    const float fInf = std::numeric_limits<float>::infinity();
    const struct {
        const char* pszName;
        SPageRecord page;
        int nDpi;
        EPaper ePaper;
    } cases[] = {
        {"Inch", Resolution(300, 300, RESUNIT_INCH), 300, EPaper::A4},
        {"RoundsUp", Resolution(299.5f, 299.5f, RESUNIT_INCH), 300, EPaper::A4},
        {"RoundsDown", Resolution(299.4f, 299.4f, RESUNIT_INCH), 299, EPaper::A4},
        {"Centimetre", Resolution(118.11f, 118.11f, RESUNIT_CENTIMETER), 300, EPaper::A4},
        {"LowerOfTwo", Resolution(600, 300, RESUNIT_INCH), 300, EPaper::Other},
        {"Highest", Resolution(65535, 65535, RESUNIT_INCH), 65535, EPaper::Other},
        {"TooHigh", Resolution(65536, 65536, RESUNIT_INCH), 0, EPaper::Other},
        {"RoundsToZero", Resolution(0.4f, 0.4f, RESUNIT_INCH), 0, EPaper::Unknown},
        {"UnitNone", Resolution(300, 300, RESUNIT_NONE), 0, EPaper::Unknown},
        {"UnitUnknownToTiff", Resolution(300, 300, 7), 0, EPaper::Unknown},
        {"NoYResolution", Resolution(300, 0, RESUNIT_INCH, false), 0, EPaper::Unknown},
        {"Zero", Resolution(0, 300, RESUNIT_INCH), 0, EPaper::Unknown},
        {"Negative", Resolution(-300, -300, RESUNIT_INCH), 0, EPaper::Unknown},
        {"NotANumber", Resolution(fNaN, 300, RESUNIT_INCH), 0, EPaper::Unknown},
        {"Infinite", Resolution(300, fInf, RESUNIT_INCH), 0, EPaper::Unknown},
    };
    for (const auto& c : cases) {
        const SPageClass cls = ClassifyPage(c.page);
        EXPECT_EQ(cls.nDpi, c.nDpi) << c.pszName;
        EXPECT_STREQ(PaperName(cls.ePaper), PaperName(c.ePaper)) << c.pszName;
    }
    // No pixels, no size.
    SPageRecord empty = Resolution(300, 300, RESUNIT_INCH);
    empty.nWidth = 0;
    double dWidth = 0;
    double dLength = 0;
    EXPECT_FALSE(PageSizeMm(empty, &dWidth, &dLength));
    EXPECT_EQ(ClassifyPage(empty).ePaper, EPaper::Unknown);
    ASSERT_TRUE(PageSizeMm(Resolution(118.11f, 118.11f, RESUNIT_CENTIMETER), &dWidth, &dLength));
    EXPECT_NEAR(dWidth, 209.97, 0.01);
    EXPECT_NEAR(dLength, 297.01, 0.01);
}

TEST(PageProfile, ColourFollowsThePhotometricAndTheSamples)
{
    const struct {
        const char* pszName;
        int nPhotometric;   // -1: none
        quint16 nBits, nSamples, nExtra;
        EColour eExpected;
    } cases[] = {
        {"MinIsWhiteOneBit", PHOTOMETRIC_MINISWHITE, 1, 1, 0, EColour::Bilevel},
        {"MinIsBlackOneBit", PHOTOMETRIC_MINISBLACK, 1, 1, 0, EColour::Bilevel},
        {"Mask", PHOTOMETRIC_MASK, 1, 1, 0, EColour::Bilevel},
        {"Grey8", PHOTOMETRIC_MINISBLACK, 8, 1, 0, EColour::Greyscale},
        {"Grey16", PHOTOMETRIC_MINISWHITE, 16, 1, 0, EColour::Greyscale},
        {"GreyWithAlpha", PHOTOMETRIC_MINISBLACK, 8, 2, 1, EColour::Greyscale},
        {"LogLuminance", PHOTOMETRIC_LOGL, 16, 1, 0, EColour::Greyscale},
        {"Rgb", PHOTOMETRIC_RGB, 8, 3, 0, EColour::Colour},
        {"RgbWithAlpha", PHOTOMETRIC_RGB, 8, 4, 1, EColour::Colour},
        {"PaletteOfTwo", PHOTOMETRIC_PALETTE, 1, 1, 0, EColour::Colour},
        {"YCbCr", PHOTOMETRIC_YCBCR, 8, 3, 0, EColour::Colour},
        {"Cmyk", PHOTOMETRIC_SEPARATED, 8, 4, 0, EColour::Colour},
        {"Lab", PHOTOMETRIC_CIELAB, 8, 3, 0, EColour::Colour},
        {"LogLuv", PHOTOMETRIC_LOGLUV, 16, 3, 0, EColour::Colour},
        {"NoPhotometric", -1, 8, 1, 0, EColour::Unknown},
        {"NoBits", PHOTOMETRIC_RGB, 0, 3, 0, EColour::Unknown},
        {"BlackAndWhiteOfThreeSamples", PHOTOMETRIC_MINISBLACK, 8, 3, 0, EColour::Unknown},
        {"OnlyExtraSamples", PHOTOMETRIC_RGB, 8, 1, 1, EColour::Unknown},
    };
    for (const auto& c : cases) {
        SPageRecord page;
        page.bHasPhotometric = c.nPhotometric >= 0;
        page.nPhotometric = quint16(std::max(0, c.nPhotometric));
        page.nBitsPerSample = c.nBits;
        page.nSamplesPerPixel = c.nSamples;
        page.nExtraSamples = c.nExtra;
        EXPECT_STREQ(ColourName(ColourOf(page)), ColourName(c.eExpected)) << c.pszName;
    }
}

SPageRecord Page(float fDpi, quint16 nPhotometric, quint16 nSamples, quint32 nWidth, quint32 nLength)
{
    SPageRecord page = Resolution(fDpi, fDpi, RESUNIT_INCH);
    page.nWidth = nWidth;
    page.nLength = nLength;
    page.bHasPhotometric = true;
    page.nPhotometric = nPhotometric;
    page.nSamplesPerPixel = nSamples;
    page.nBitsPerSample = nSamples == 1 ? 1 : 8;
    return page;
}

const SPageRecord kA4Bilevel300 = Page(300, PHOTOMETRIC_MINISWHITE, 1, 2480, 3508);
const SPageRecord kA3Colour200 = Page(200, PHOTOMETRIC_RGB, 3, 2339, 3307);

TEST(PageProfile, SummaryCountsPagesPerClassAndSaysSoInPlainWords)
{
    // Runs of pages alike, broken up, as a scanned folder holds them.
    QVector<SPageRecord> pages;
    for (int i = 0; i < 12; ++i)
        pages.append(i == 4 || i == 11 ? kA3Colour200 : kA4Bilevel300);
    const CPageSummary summary = SummarisePages(pages);
    EXPECT_EQ(summary.Pages(), 12);
    ASSERT_EQ(summary.Classes().size(), 2);
    // The fixed order: A3 before A4; the words put the most pages first.
    EXPECT_EQ(summary.Classes()[0].cls, (SPageClass{EPaper::A3, EColour::Colour, 200}));
    EXPECT_EQ(summary.Classes()[1].nPages, 10);
    EXPECT_EQ(PageSummaryWords(summary), QStringLiteral("12 pages: 10 A4 bilevel 300 dpi, 2 A3 colour 200 dpi"));

    EXPECT_EQ(PageSummaryWords(SummarisePages({Page(72, PHOTOMETRIC_MINISBLACK, 1, 1, 1)})),
              QStringLiteral("1 page: 1 other size bilevel 72 dpi"));
    EXPECT_EQ(PageSummaryWords(SummarisePages({SPageRecord(), SPageRecord()})),
              QStringLiteral("2 pages: 2 unknown size unknown colour without resolution"));
    EXPECT_EQ(PageSummaryWords(CPageSummary()), QString());
    EXPECT_TRUE(SummarisePages({}).IsEmpty());

    // A file of many kinds names the eight largest and sums up the rest.
    CPageSummary many;
    for (int nDpi = 100; nDpi < 110; ++nDpi)
        many.Add(SPageClass{EPaper::A4, EColour::Bilevel, quint16(nDpi)}, nDpi == 109 ? 5 : 1);
    EXPECT_EQ(PageSummaryWords(many),
              QStringLiteral("14 pages: 5 A4 bilevel 109 dpi, 1 A4 bilevel 100 dpi, 1 A4 bilevel 101 dpi, "
                             "1 A4 bilevel 102 dpi, 1 A4 bilevel 103 dpi, 1 A4 bilevel 104 dpi, "
                             "1 A4 bilevel 105 dpi, 1 A4 bilevel 106 dpi, 2 pages of 2 other kinds"));
}

TEST(PageProfile, ClassesKeepTheirFixedOrderWhenSummariesAreAdded)
{
    const SPageClass order[] = {
        {EPaper::A0, EColour::Colour, 300},        {EPaper::A4, EColour::Bilevel, 200},
        {EPaper::A4, EColour::Bilevel, 300},       {EPaper::A4, EColour::Bilevel, 0},
        {EPaper::A4, EColour::Greyscale, 150},     {EPaper::A4, EColour::Unknown, 300},
        {EPaper::A5, EColour::Bilevel, 300},       {EPaper::Letter, EColour::Bilevel, 300},
        {EPaper::Legal, EColour::Bilevel, 300},    {EPaper::Tabloid, EColour::Colour, 300},
        {EPaper::Other, EColour::Bilevel, 300},    {EPaper::Unknown, EColour::Bilevel, 0},
    };
    CPageSummary a;
    CPageSummary b;
    // Added backwards, split between two summaries, one class in both.
    for (int i = int(std::size(order)) - 1; i >= 0; --i)
        (i % 2 ? a : b).Add(order[i], i + 1);
    b.Add(order[3], 100);
    CPageSummary totals = a;
    totals.Add(b);
    ASSERT_EQ(totals.Classes().size(), qsizetype(std::size(order)));
    for (int i = 0; i < int(std::size(order)); ++i) {
        EXPECT_EQ(totals.Classes()[i].cls, order[i]) << i;
        EXPECT_EQ(totals.Classes()[i].nPages, i + 1 + (i == 3 ? 100 : 0)) << i;
    }
    EXPECT_EQ(totals.Pages(), a.Pages() + b.Pages());
}

TEST(PageProfile, RecordsGoToBytesAndBackAndPagesAlikeTakeAByteEach)
{
    SPageRecord odd;
    odd.nWidth = 0xFFFFFFFFu;
    odd.nLength = 1;
    odd.fXResolution = std::numeric_limits<float>::quiet_NaN();
    odd.fYResolution = -1e30f;
    odd.bHasXResolution = odd.bHasYResolution = odd.bHasPhotometric = true;
    odd.nResolutionUnit = 0xFFFF;
    odd.nPhotometric = PHOTOMETRIC_PALETTE;
    odd.nExtraSamples = 3;
    const QVector<SPageRecord> lists[] = {{}, {SPageRecord()}, {kA4Bilevel300, odd, kA3Colour200, kA3Colour200}};
    for (const QVector<SPageRecord>& pages : lists) {
        QVector<SPageRecord> back{odd};
        ASSERT_TRUE(DecodePageRecords(EncodePageRecords(pages), &back));
        EXPECT_EQ(back, pages);
    }
    const QVector<SPageRecord> alike(100000, kA4Bilevel300);
    const QByteArray bytes = EncodePageRecords(alike);
    EXPECT_LT(bytes.size(), 100000 + 32);
    QVector<SPageRecord> back;
    ASSERT_TRUE(DecodePageRecords(bytes, &back));
    EXPECT_EQ(back, alike);
}

TEST(PageProfile, BytesThatAreNotARecordListAreRefused)
{
    const QByteArray good = EncodePageRecords({kA4Bilevel300, kA3Colour200});
    // Cut anywhere, it is not the list.
    for (int n = 0; n < int(good.size()); ++n) {
        QVector<SPageRecord> pages;
        EXPECT_FALSE(DecodePageRecords(good.left(n), &pages)) << n;
        EXPECT_TRUE(pages.isEmpty()) << n;
    }
    const struct {
        const char* pszName;
        QByteArray bytes;
    } cases[] = {
        {"TrailingByte", good + '\0'},
        {"OtherFormat", QByteArray::fromHex("0201") + good.mid(2)},
        {"MorePagesThanBytes", QByteArray::fromHex("01ffffffff0f00")},
        {"FieldBeyondItsWidth", QByteArray::fromHex("010120808004")},     // bits per sample 65536
        {"FlagsBeyondTheirs", QByteArray::fromHex("0101800808")},
        {"MaskBeyondTheFields", QByteArray::fromHex("01018010")},
        {"VarintWithoutEnd", QByteArray::fromHex("0101ffffffffffffffffffff")},
    };
    for (const auto& c : cases) {
        QVector<SPageRecord> pages;
        EXPECT_FALSE(DecodePageRecords(c.bytes, &pages)) << c.pszName;
    }
}

}  // namespace
