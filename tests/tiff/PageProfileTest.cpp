#include "tiff/PageProfile.h"

#include <gtest/gtest.h>

#include <tiff.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(PageProfile, PaperIsTheNearestWithinThreePercentOfEachSide)
{
    const struct {
        const char* pszName;
        double dWidth, dLength;
        EPaper eExpected;
    } cases[] = {
        {"A5Exactly", 148, 210, EPaper::A5},
        {"ShortSideJustInsideAbove", 152.4, 210, EPaper::A5},    // +2.97 %
        {"ShortSideJustOutsideAbove", 152.5, 210, EPaper::Other},
        {"ShortSideJustInsideBelow", 143.6, 210, EPaper::A5},
        {"ShortSideJustOutsideBelow", 143.5, 210, EPaper::Other},
        {"LongSideJustInside", 841, 1224.6, EPaper::A0},
        {"LongSideJustOutside", 841, 1224.8, EPaper::Other},
        {"LetterAsAFaxSendsIt", 215.1, 285.2, EPaper::Letter},
        {"TenMetresLongIsStillAPage", 210, 10000, EPaper::Other},
        {"LongerThanTenMetres", 210, 10000.1, EPaper::Unknown},
        {"Zero", 0, 297, EPaper::Unknown},
        {"NotANumber", kNaN, 297, EPaper::Unknown},
        {"LengthNotANumber", 210, kNaN, EPaper::Unknown},
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

TEST(PageProfile, DpiIsBothResolutionsRoundedAndUnknownWhenAbsurd)
{
    const float fNaN = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* pszName;
        SPageRecord page;
        const char* pszDpi;
        EPaper ePaper;
    } cases[] = {
        {"RoundsUp", Resolution(299.5f, 299.5f, RESUNIT_INCH), "300", EPaper::A4},
        {"AcrossFirst", Resolution(600, 300, RESUNIT_INCH), "600x300", EPaper::Other},
        {"OneTooHigh", Resolution(300, 65536, RESUNIT_INCH), "", EPaper::Other},
        {"RoundsToZero", Resolution(0.4f, 0.4f, RESUNIT_INCH), "", EPaper::Unknown},
        {"NoYResolution", Resolution(300, 0, RESUNIT_INCH, false), "", EPaper::Unknown},
        {"Zero", Resolution(0, 300, RESUNIT_INCH), "", EPaper::Unknown},
        {"NotANumber", Resolution(fNaN, 300, RESUNIT_INCH), "", EPaper::Unknown},
    };
    for (const auto& c : cases) {
        const SPageClass cls = ClassifyPage(c.page);
        EXPECT_EQ(DpiText(cls), QByteArray(c.pszDpi)) << c.pszName;
        EXPECT_EQ(cls.HasDpi(), *c.pszDpi != 0) << c.pszName;
        EXPECT_STREQ(PaperName(cls.ePaper), PaperName(c.ePaper)) << c.pszName;
    }
    // No pixels, no size.
    SPageRecord empty = Resolution(300, 300, RESUNIT_INCH);
    empty.nWidth = 0;
    EXPECT_EQ(ClassifyPage(empty).ePaper, EPaper::Unknown);
}

TEST(PageProfile, ColourFollowsThePhotometricAndTheSamples)
{
    const struct {
        const char* pszName;
        int nPhotometric;
        quint16 nBits, nSamples, nExtra;
        EColour eExpected;
    } cases[] = {
        {"Mask", PHOTOMETRIC_MASK, 1, 1, 0, EColour::Bilevel},
        {"GreyWithAlpha", PHOTOMETRIC_MINISBLACK, 8, 2, 1, EColour::Greyscale},
        {"LogLuminance", PHOTOMETRIC_LOGL, 16, 1, 0, EColour::Greyscale},
        {"PaletteOfTwo", PHOTOMETRIC_PALETTE, 1, 1, 0, EColour::Colour},
        {"YCbCr", PHOTOMETRIC_YCBCR, 8, 3, 0, EColour::Colour},
        {"NoBits", PHOTOMETRIC_RGB, 0, 3, 0, EColour::Unknown},
        {"BlackAndWhiteOfThreeSamples", PHOTOMETRIC_MINISBLACK, 8, 3, 0, EColour::Unknown},
        {"OnlyExtraSamples", PHOTOMETRIC_RGB, 8, 1, 1, EColour::Unknown},
    };
    for (const auto& c : cases) {
        SPageRecord page;
        page.bHasPhotometric = true;
        page.nPhotometric = quint16(c.nPhotometric);
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

TEST(PageProfile, SummaryCountsPagesPerClassInTheFixedOrderAndSaysSoInPlainWords)
{
    // Runs of pages alike, broken up, as a scanned folder holds them.
    QVector<SPageRecord> pages;
    for (int i = 0; i < 12; ++i)
        pages.append(i == 4 || i == 11 ? kA3Colour200 : kA4Bilevel300);
    const CPageSummary summary = SummarisePages(pages);
    // Words put the most pages first.
    EXPECT_EQ(PageSummaryWords(summary), QStringLiteral("12 pages: 10 A4 bilevel 300 dpi, 2 A3 colour 200 dpi"));
    EXPECT_EQ(PageSummaryWords(SummarisePages({Page(72, PHOTOMETRIC_MINISBLACK, 1, 1, 1)})),
              QStringLiteral("1 page: 1 other size bilevel 72 dpi"));
    EXPECT_EQ(PageSummaryWords(SummarisePages({SPageRecord(), SPageRecord()})),
              QStringLiteral("2 pages: 2 unknown size bilevel without resolution"));
    EXPECT_EQ(PageSummaryWords(SummarisePages({})), QString());
    SPageRecord thumbnail = Page(15, PHOTOMETRIC_RGB, 3, 124, 175);
    thumbnail.bReduced = true;
    EXPECT_EQ(PageSummaryWords(SummarisePages({Resolution(204, 196, RESUNIT_INCH), thumbnail})),
              QStringLiteral("2 pages: 1 other size bilevel 204x196 dpi, 1 reduced-resolution colour 15 dpi"));

    // Classes added backwards into two summaries, one in both, come out in the fixed order.
    const SPageClass order[] = {
        {EPaper::A0, EColour::Colour, 300},     {EPaper::A4, EColour::Bilevel, 109},
        {EPaper::A4, EColour::Bilevel, 300},    {EPaper::A4, EColour::Bilevel, 0},
        {EPaper::A4, EColour::Greyscale, 150},  {EPaper::A4, EColour::Unknown, 100},
        {EPaper::A5, EColour::Bilevel, 300},    {EPaper::Letter, EColour::Bilevel, 300},
        {EPaper::Legal, EColour::Bilevel, 300}, {EPaper::Tabloid, EColour::Colour, 300},
        {EPaper::Other, EColour::Bilevel, 300}, {EPaper::Unknown, EColour::Bilevel, 0},
        {EPaper::Reduced, EColour::Colour, 204, 98}, {EPaper::Reduced, EColour::Colour, 204, 196},
    };
    CPageSummary a;
    CPageSummary b;
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
    // Of many kinds, the eight largest are named and the rest summed up.
    EXPECT_EQ(PageSummaryWords(totals),
              QStringLiteral("205 pages: 104 A4 bilevel without resolution, 14 reduced-resolution colour 204x196 "
                             "dpi, 13 reduced-resolution colour 204x98 dpi, 12 unknown size bilevel without "
                             "resolution, 11 other size bilevel 300 dpi, 10 Tabloid colour 300 dpi, 9 Legal bilevel "
                             "300 dpi, 8 Letter bilevel 300 dpi, 24 pages of 6 other kinds"));
}

TEST(PageProfile, RecordsGoToBytesAndBackAndOnlyThoseBytesAreTaken)
{
    SPageRecord odd = kA3Colour200;
    odd.nWidth = 0xFFFFFFFFu;
    odd.fXResolution = std::numeric_limits<float>::quiet_NaN();
    odd.nResolutionUnit = 0xFFFF;
    odd.nExtraSamples = 3;
    odd.bHasYResolution = false;
    odd.nInks = 0xFFFF;
    odd.eColourMap = EColourMap::Colour;
    odd.bReduced = true;
    SPageRecord grey = kA3Colour200;
    grey.eColourMap = EColourMap::Grey;
    const QVector<SPageRecord> lists[] = {{}, {SPageRecord()}, {kA4Bilevel300, odd, kA3Colour200, kA3Colour200, grey}};
    for (const QVector<SPageRecord>& pages : lists) {
        QVector<SPageRecord> back{odd};
        ASSERT_TRUE(DecodePageRecords(EncodePageRecords(pages), &back));
        EXPECT_EQ(back, pages);
    }
    // Pages alike take a byte each.
    EXPECT_LT(EncodePageRecords(QVector<SPageRecord>(100000, kA4Bilevel300)).size(), 100000 + 32);

    const QByteArray good = EncodePageRecords({kA4Bilevel300, kA3Colour200});
    QList<QByteArray> bad = {good + '\0', QByteArray::fromHex("0101") + good.mid(2),
                             QByteArray::fromHex("02ffffffff0f00"),      // more pages than bytes
                             QByteArray::fromHex("020120808004"),        // bits per sample 65536
                             QByteArray::fromHex("0201800840"),          // flags beyond theirs
                             QByteArray::fromHex("0201801080800400"),    // inks 65536
                             QByteArray::fromHex("02018020"),            // a field that is not there
                             QByteArray::fromHex("0201ffffffffffffffffffff")};
    for (int n = 0; n < int(good.size()); ++n)
        bad.append(good.left(n));
    for (const QByteArray& bytes : bad) {
        QVector<SPageRecord> pages{odd};
        EXPECT_FALSE(DecodePageRecords(bytes, &pages)) << bytes.toHex().constData();
        EXPECT_TRUE(pages.isEmpty());
    }
}

// A file's pages travel from a worker as their summary: a few bytes a class, whatever the pages.
TEST(PageProfile, SummariesGoToBytesAndBackAndOnlyThoseBytesAreTaken)
{
    CPageSummary summary;
    summary.Add(SPageClass(EPaper::A4, EColour::Bilevel, 300), 1000000);
    summary.Add(SPageClass(EPaper::Reduced, EColour::Colour, 204, 98));
    summary.Add(SPageClass(EPaper::Unknown, EColour::Unknown, 0));
    for (const CPageSummary& each : {CPageSummary(), summary}) {
        CPageSummary back = summary;
        ASSERT_TRUE(DecodePageSummary(EncodePageSummary(each), &back));
        EXPECT_EQ(back, each);
    }
    EXPECT_LT(EncodePageSummary(summary).size(), 24);
    const QByteArray good = EncodePageSummary(summary);
    QList<QByteArray> bad = {good + '\0', QByteArray::fromHex("010c000000"),    // a paper beyond the last
                             QByteArray::fromHex("0104000000"),                   // no pages
                             QByteArray::fromHex("010400ffff0f0001")};            // a resolution beyond 65535
    for (int n = 1; n < int(good.size()); ++n)
        bad.append(good.left(n));
    for (const QByteArray& bytes : bad) {
        CPageSummary back = summary;
        EXPECT_FALSE(DecodePageSummary(bytes, &back)) << bytes.toHex().constData();
    }
}

}  // namespace
