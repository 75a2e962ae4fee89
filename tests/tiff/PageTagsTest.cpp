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
    int nDpi;
};

// Pages as scanners and converters write them; one file holds them all, one page each.
const SPageCase kPages[] = {
    {"A4At300DpiBilevel", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, RESUNIT_INCH},
     "2480,3508,300,300,inch,A4,Bilevel,1,1,CCITT G4,MinIsWhite", 300},
    {"A3At200DpiRgb", {2339, 3307, PHOTOMETRIC_RGB, 8, 3, 200, 200, RESUNIT_INCH},
     "2339,3307,200,200,inch,A3,Colour,8,3,Deflate,RGB", 200},
    {"LetterInCentimetres8BitGrey", {2550, 3300, PHOTOMETRIC_MINISBLACK, 8, 1, 118.11f, 118.11f, RESUNIT_CENTIMETER},
     "2550,3300,118.11,118.11,cm,Letter,Greyscale,8,1,Deflate,MinIsBlack", 300},
    {"LegalLandscape", {2800, 1700, PHOTOMETRIC_MINISWHITE, 1, 1, 200, 200, RESUNIT_INCH},
     "2800,1700,200,200,inch,Legal,Bilevel,1,1,CCITT G4,MinIsWhite", 200},
    {"OnePixel", {1, 1, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, RESUNIT_INCH}, "1,1,300,300,inch,Other,Bilevel,1,1,CCITT G4,MinIsWhite",
     300},
    {"NoResolution", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 0, 0, 0}, "2480,3508,,,inch,Unknown,Bilevel,1,1,CCITT G4,MinIsWhite", 0},
    {"ResolutionUnitNone", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, RESUNIT_NONE},
     "2480,3508,300,300,none,Unknown,Bilevel,1,1,CCITT G4,MinIsWhite", 0},
    // Without the unit tag a resolution is per inch.
    {"ResolutionWithoutUnit", {2480, 3508, PHOTOMETRIC_MINISWHITE, 1, 1, 300, 300, 0},
     "2480,3508,300,300,inch,A4,Bilevel,1,1,CCITT G4,MinIsWhite", 300},
    {"PaletteA5", {583, 827, PHOTOMETRIC_PALETTE, 8, 1, 100, 100, RESUNIT_INCH}, "583,827,100,100,inch,A5,Colour,8,1,Deflate,Palette",
     100},
    {"Grey16BitTabloid", {1100, 1700, PHOTOMETRIC_MINISBLACK, 16, 1, 100, 100, RESUNIT_INCH},
     "1100,1700,100,100,inch,Tabloid,Greyscale,16,1,Deflate,MinIsBlack", 100},
    {"CmykA2", {827, 1169, PHOTOMETRIC_SEPARATED, 8, 4, 50, 50, RESUNIT_INCH}, "827,1169,50,50,inch,A2,Colour,8,4,Deflate,Separated",
     50},
    // A fax in fine mode: 204 x 196 dpi; the lower resolution is the page's.
    {"FaxFineA4", {1728, 2292, PHOTOMETRIC_MINISWHITE, 1, 1, 204, 196, RESUNIT_INCH},
     "1728,2292,204,196,inch,A4,Bilevel,1,1,CCITT G4,MinIsWhite", 196},
    {"NoPhotometric", {100, 100, -1, 8, 1, 100, 100, RESUNIT_INCH}, "100,100,100,100,inch,Other,Unknown,8,1,Deflate,", 100},
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
        const QByteArray page = QByteArray::number(i + 1);
        EXPECT_EQ(PageCsvLine("f.tif", i + 1, rec), "f.tif," + page + ',' + c.pszLine + "\r\n");
        EXPECT_EQ(rec.bHasPhotometric ? int(rec.nPhotometric) : -1, c.page.nPhotometric);
        EXPECT_EQ(ClassifyPage(rec).nDpi, c.nDpi);
    }
}

}  // namespace
