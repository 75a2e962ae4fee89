#include "count/core/PageCounter.h"
#include "support/TempDir.h"
#include "support/TiffFiles.h"

#include <gtest/gtest.h>

#include <tiff.h>

namespace {

struct SPageCase {
    const char* pszName;
    STiffPage page;
    EPaper ePaper;
    EColour eColour;
    int nDpi;
    quint16 nUnit;          // as libtiff gives it, defaulted
    quint16 nCompression;
};

constexpr int G4 = COMPRESSION_CCITTFAX4;
constexpr int ZIP = COMPRESSION_ADOBE_DEFLATE;

// Pages as scanners and converters write them; one file holds them all, one page each.
const SPageCase kPages[] = {
    {"A4At300DpiBilevel", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, RESUNIT_INCH}, EPaper::A4,
     EColour::Bilevel, 300, RESUNIT_INCH, G4},
    {"A3At200DpiRgb", {2339, 3307, PHOTOMETRIC_RGB, 8, 3, 200, 200, RESUNIT_INCH}, EPaper::A3, EColour::Colour, 200,
     RESUNIT_INCH, ZIP},
    {"LetterInCentimetres8BitGrey", {2550, 3300, PHOTOMETRIC_MINISBLACK, 8, 1, 118.11f, 118.11f, RESUNIT_CENTIMETER},
     EPaper::Letter, EColour::Greyscale, 300, RESUNIT_CENTIMETER, ZIP},
    {"LegalLandscape", {2800, 1700, PHOTOMETRIC_MINISWHITE, 1, 1, 200, 200, RESUNIT_INCH}, EPaper::Legal,
     EColour::Bilevel, 200, RESUNIT_INCH, G4},
    {"OnePixel", {1, 1, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, RESUNIT_INCH}, EPaper::Other, EColour::Bilevel, 300,
     RESUNIT_INCH, G4},
    {"NoResolution", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 0, 0, 0}, EPaper::Unknown, EColour::Bilevel, 0,
     RESUNIT_INCH, G4},
    {"ResolutionUnitNone", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, RESUNIT_NONE}, EPaper::Unknown,
     EColour::Bilevel, 0, RESUNIT_NONE, G4},
    // Without the unit tag a resolution is per inch.
    {"ResolutionWithoutUnit", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, 0}, EPaper::A4, EColour::Bilevel,
     300, RESUNIT_INCH, G4},
    {"PaletteA5", {583, 827, PHOTOMETRIC_PALETTE, 8, 1, 100, 100, RESUNIT_INCH}, EPaper::A5, EColour::Colour, 100,
     RESUNIT_INCH, ZIP},
    {"Grey16BitTabloid", {1100, 1700, PHOTOMETRIC_MINISBLACK, 16, 1, 100, 100, RESUNIT_INCH}, EPaper::Tabloid,
     EColour::Greyscale, 100, RESUNIT_INCH, ZIP},
    {"CmykA2", {827, 1169, PHOTOMETRIC_SEPARATED, 8, 4, 50, 50, RESUNIT_INCH}, EPaper::A2, EColour::Colour, 50,
     RESUNIT_INCH, ZIP},
    // A fax in fine mode: 204 x 196 dpi; the lower resolution is the page's.
    {"FaxFineA4", {1728, 2292, PHOTOMETRIC_MINISWHITE, 1, 1, 204, 196, RESUNIT_INCH}, EPaper::A4, EColour::Bilevel,
     196, RESUNIT_INCH, G4},
    {"NoPhotometric", {100, 100, -1, 8, 1, 100, 100, RESUNIT_INCH}, EPaper::Other, EColour::Unknown, 100,
     RESUNIT_INCH, ZIP},
};

TEST(PageTags, EveryPageOfTheChainIsDescribedAsLibtiffGivesIt)
{
    CTempDir dir;
    QVector<STiffPage> pages;
    for (const SPageCase& c : kPages)
        pages.append(c.page);
    const QString strPath = dir.Path(QStringLiteral("pages.tif"));
    ASSERT_TRUE(WriteTiffPages(strPath, pages));
    const SPageCount count = CountPagesOf(strPath.toUtf8(), nullptr, false);
    ASSERT_EQ(count.nPages, int(std::size(kPages)));
    ASSERT_EQ(count.pages.size(), qsizetype(std::size(kPages)));
    for (int i = 0; i < count.nPages; ++i) {
        const SPageCase& c = kPages[i];
        const SPageRecord& rec = count.pages[i];
        SCOPED_TRACE(c.pszName);
        EXPECT_EQ(rec.nWidth, quint32(c.page.nWidth));
        EXPECT_EQ(rec.nLength, quint32(c.page.nLength));
        EXPECT_EQ(rec.bHasXResolution, c.page.fXResolution > 0);
        EXPECT_EQ(rec.bHasYResolution, c.page.fYResolution > 0);
        EXPECT_FLOAT_EQ(rec.fXResolution, c.page.fXResolution);
        EXPECT_FLOAT_EQ(rec.fYResolution, c.page.fYResolution);
        EXPECT_EQ(rec.nResolutionUnit, c.nUnit);
        EXPECT_EQ(rec.nBitsPerSample, c.page.nBitsPerSample);
        EXPECT_EQ(rec.nSamplesPerPixel, c.page.nSamplesPerPixel);
        EXPECT_EQ(rec.bHasPhotometric, c.page.nPhotometric >= 0);
        if (c.page.nPhotometric >= 0) {
            EXPECT_EQ(rec.nPhotometric, c.page.nPhotometric);
        }
        EXPECT_EQ(rec.nCompression, c.nCompression);
        const SPageClass cls = ClassifyPage(rec);
        EXPECT_STREQ(PaperName(cls.ePaper), PaperName(c.ePaper));
        EXPECT_STREQ(ColourName(cls.eColour), ColourName(c.eColour));
        EXPECT_EQ(cls.nDpi, c.nDpi);
    }
    // What a worker process sends of them comes back whole.
    QVector<SPageRecord> decoded;
    ASSERT_TRUE(DecodePageRecords(EncodePageRecords(count.pages), &decoded));
    EXPECT_EQ(decoded, count.pages);
}

}  // namespace
