#include "tiff/PageCounter.h"
#include "persist/core/ProfileReport.h"
#include "support/TempDir.h"
#include "support/TiffFiles.h"

#include <gtest/gtest.h>

#include <tiff.h>

namespace {

struct SPageCase {
    const char* pszName;
    STiffPage page;
    const char* pszLine;    // the page's line of the per-page report after "Filename,Page,"
    const char* pszDpi;     // as the reports write it
};

constexpr uint16_t kWhite = 65535;
const QVector<std::array<uint16_t, 3>> kBlackAndWhite = {{0, 0, 0}, {kWhite, kWhite, kWhite}};

// Pages as scanners and converters write them, one file holding them all, one page each: the tags
// of each page, and the paper, colour and resolution its line says.
const SPageCase kPages[] = {
    {"A4At300DpiBilevel", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, RESUNIT_INCH},
     "2480,3508,300,300,inch,A4,Bilevel,1,1,CCITT G4,MinIsWhite", "300"},
    {"A3At200DpiRgb", {2339, 3307, PHOTOMETRIC_RGB, 8, 3, 200, 200, RESUNIT_INCH},
     "2339,3307,200,200,inch,A3,Colour,8,3,Deflate,RGB", "200"},
    {"LetterInCentimetres8BitGrey", {2550, 3300, PHOTOMETRIC_MINISBLACK, 8, 1, 118.11f, 118.11f, RESUNIT_CENTIMETER},
     "2550,3300,118.11,118.11,cm,Letter,Greyscale,8,1,Deflate,MinIsBlack", "300"},
    {"LegalLandscape", {2800, 1700, PHOTOMETRIC_MINISWHITE, 1, 1, 200, 200, RESUNIT_INCH},
     "2800,1700,200,200,inch,Legal,Bilevel,1,1,CCITT G4,MinIsWhite", "200"},
    {"OnePixel", {1, 1, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, RESUNIT_INCH}, "1,1,300,300,inch,Other,Bilevel,1,1,CCITT G4,MinIsWhite",
     "300"},
    {"NoResolution", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 0, 0, 0}, "2480,3508,,,inch,Unknown,Bilevel,1,1,CCITT G4,MinIsWhite", ""},
    {"ResolutionUnitNone", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, RESUNIT_NONE},
     "2480,3508,300,300,none,Unknown,Bilevel,1,1,CCITT G4,MinIsWhite", ""},
    // Without the unit tag a resolution is per inch.
    {"ResolutionWithoutUnit", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, 0},
     "2480,3508,300,300,inch,A4,Bilevel,1,1,CCITT G4,MinIsWhite", "300"},
    {"Grey16BitTabloid", {1100, 1700, PHOTOMETRIC_MINISBLACK, 16, 1, 100, 100, RESUNIT_INCH},
     "1100,1700,100,100,inch,Tabloid,Greyscale,16,1,Deflate,MinIsBlack", "100"},
    // Faxes: both resolutions where they differ, across first.
    {"FaxFineA4", {1728, 2292, PHOTOMETRIC_MINISWHITE, 1, 1, 204, 196, RESUNIT_INCH},
     "1728,2292,204,196,inch,A4,Bilevel,1,1,CCITT G4,MinIsWhite", "204x196"},
    {"FaxNormalA4", {1728, 1146, PHOTOMETRIC_MINISWHITE, 1, 1, 204, 98, RESUNIT_INCH},
     "1728,1146,204,98,inch,A4,Bilevel,1,1,CCITT G4,MinIsWhite", "204x98"},
    {"DifferentOnlyBeforeRounding", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 300.2f, 299.8f, RESUNIT_INCH},
     "2480,3508,300.2,299.8,inch,A4,Bilevel,1,1,CCITT G4,MinIsWhite", "300"},
    // A palette is as colourful as its map: black and white in 16 bits, as 8-bit values scaled by
    // 257 or 256, or unscaled; greys likewise; any entry of colour makes it colour.
    {"PaletteOfBlackAndWhite", STiffPage(583, 827, PHOTOMETRIC_PALETTE, 1, 1, 100, 100, RESUNIT_INCH).ColourMap(kBlackAndWhite),
     "583,827,100,100,inch,A5,Bilevel,1,1,CCITT G4,Palette", "100"},
    {"PaletteBlackAndWhiteTimes256",
     STiffPage(583, 827, PHOTOMETRIC_PALETTE, 8, 1, 100, 100, RESUNIT_INCH).ColourMap({{0, 0, 0}, {65280, 65280, 65280}}),
     "583,827,100,100,inch,A5,Bilevel,8,1,Deflate,Palette", "100"},
    {"PaletteBlackAndWhiteUnscaled",
     STiffPage(583, 827, PHOTOMETRIC_PALETTE, 4, 1, 100, 100, RESUNIT_INCH).ColourMap({{255, 255, 255}, {0, 0, 0}}),
     "583,827,100,100,inch,A5,Bilevel,4,1,Deflate,Palette", "100"},
    {"PaletteOfGreysTimes257", STiffPage(583, 827, PHOTOMETRIC_PALETTE, 2, 1, 100, 100, RESUNIT_INCH)
                                   .ColourMap({{0, 0, 0}, {21845, 21845, 21845}, {43690, 43690, 43690}, {kWhite, kWhite, kWhite}}),
     "583,827,100,100,inch,A5,Greyscale,2,1,Deflate,Palette", "100"},
    {"PaletteOfGreysUnscaled", STiffPage(583, 827, PHOTOMETRIC_PALETTE, 8, 1, 100, 100, RESUNIT_INCH)
                                   .ColourMap({{0, 0, 0}, {128, 128, 128}, {255, 255, 255}}),
     "583,827,100,100,inch,A5,Greyscale,8,1,Deflate,Palette", "100"},
    {"PaletteWithOneColour", STiffPage(583, 827, PHOTOMETRIC_PALETTE, 2, 1, 100, 100, RESUNIT_INCH)
                                 .ColourMap({{0, 0, 0}, {kWhite, kWhite, kWhite}, {kWhite, 0, 0}, {kWhite, kWhite, kWhite}}),
     "583,827,100,100,inch,A5,Colour,2,1,Deflate,Palette", "100"},
    // Separations: one ink is a shade of that ink; the inks a page names, else one per sample.
    {"CmykA2", {827, 1169, PHOTOMETRIC_SEPARATED, 8, 4, 50, 50, RESUNIT_INCH}, "827,1169,50,50,inch,A2,Colour,8,4,Deflate,Separated",
     "50"},
    {"SeparatedOneInk", STiffPage(827, 1169, PHOTOMETRIC_SEPARATED, 8, 1, 50, 50, RESUNIT_INCH).Inks(1),
     "827,1169,50,50,inch,A2,Greyscale,8,1,Deflate,Separated", "50"},
    {"SeparatedOneSample", {827, 1169, PHOTOMETRIC_SEPARATED, 8, 1, 50, 50, RESUNIT_INCH},
     "827,1169,50,50,inch,A2,Greyscale,8,1,Deflate,Separated", "50"},
    // Without Photometric, TIFF's readers take black and white; libtiff then takes the samples
    // beyond the first for extra samples.
    {"NoPhotometricOneBit", {100, 100, -1, 1, 1, 100, 100, RESUNIT_INCH}, "100,100,100,100,inch,Other,Bilevel,1,1,CCITT G4,",
     "100"},
    {"NoPhotometricEightBits", {100, 100, -1, 8, 1, 100, 100, RESUNIT_INCH},
     "100,100,100,100,inch,Other,Greyscale,8,1,Deflate,", "100"},
    {"NoPhotometricThreeSamples", {100, 100, -1, 8, 3, 100, 100, RESUNIT_INCH},
     "100,100,100,100,inch,Other,Greyscale,8,3,Deflate,", "100"},
    // Reduced-resolution images of the chain are never a sheet: a thumbnail of an A4 page, a level
    // of a pyramid at the page's own size. Only bit 0 of NewSubfileType says so.
    {"ThumbnailOfA4", STiffPage(124, 175, PHOTOMETRIC_RGB, 8, 3, 15, 15, RESUNIT_INCH).SubfileType(FILETYPE_REDUCEDIMAGE),
     "124,175,15,15,inch,Reduced,Colour,8,3,Deflate,RGB", "15"},
    {"PyramidLevel", STiffPage(1240, 1754, PHOTOMETRIC_MINISWHITE, 1, 1, 150, 150, RESUNIT_INCH)
                         .SubfileType(FILETYPE_REDUCEDIMAGE | FILETYPE_PAGE),
     "1240,1754,150,150,inch,Reduced,Bilevel,1,1,CCITT G4,MinIsWhite", "150"},
    {"PageOfAMultiPageFile", STiffPage(2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, RESUNIT_INCH).SubfileType(FILETYPE_PAGE),
     "2480,3508,300,300,inch,A4,Bilevel,1,1,CCITT G4,MinIsWhite", "300"},
};

TEST(PageTags, EveryPageOfTheChainIsDescribedAndClassifiedAsItsTagsSay)
{
    CTempDir dir;
    QVector<STiffPage> pages;
    for (const SPageCase& c : kPages)
        pages.append(c.page);
    const QString strPath = dir.Path(QStringLiteral("pages.tif"));
    ASSERT_TRUE(WriteTiffPages(strPath, pages));
    const SPageCount count = CountPagesOf(strPath.toUtf8(), nullptr, false);
    ASSERT_EQ(count.nPages, int(std::size(kPages)));
    // Their records come through a worker's bytes unchanged.
    QVector<SPageRecord> decoded;
    ASSERT_TRUE(DecodePageRecords(EncodePageRecords(count.pages), &decoded));
    EXPECT_EQ(decoded, count.pages);
    ASSERT_EQ(count.pages.size(), qsizetype(std::size(kPages)));
    for (int i = 0; i < count.nPages; ++i) {
        const SPageCase& c = kPages[i];
        const SPageRecord& rec = count.pages[i];
        SCOPED_TRACE(c.pszName);
        const QByteArray page = QByteArray::number(i + 1);
        EXPECT_EQ(PageCsvLine("f.tif", i + 1, rec), "f.tif," + page + ',' + c.pszLine + "\r\n");
        EXPECT_EQ(rec.bHasPhotometric ? int(rec.nPhotometric) : -1, c.page.nPhotometric);
        EXPECT_EQ(DpiText(ClassifyPage(rec)), QByteArray(c.pszDpi));
    }
}

}  // namespace
