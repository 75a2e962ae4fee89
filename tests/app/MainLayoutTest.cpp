#include "app/core/MainLayout.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

QRect PlaceOf(const QVector<SControlPlace>& places, int nId)
{
    for (const SControlPlace& p : places) {
        if (p.nId == nId)
            return p.rc;
    }
    return QRect();
}

struct SLayoutCase {
    int cx, cy;     // client size below the menu bar
    int nId;
    QRect expected;
};

void PrintTo(const SLayoutCase& c, std::ostream* pOut)
{
    *pOut << c.nId << " at " << c.cx << "x" << c.cy;
}

class MainLayoutTable : public testing::TestWithParam<SLayoutCase> {};

TEST_P(MainLayoutTable, ControlGoesWhereTheTableSays)
{
    const SLayoutCase& c = GetParam();
    EXPECT_EQ(PlaceOf(MainWindowLayout(c.cx, c.cy, 16), c.nId), c.expected);
}

// W = cx + 8, H = cy + 46. For 600 x 400: W 608, H 446. For 801 x 555: W 809, H 601. A link 16
// high does not fit below 25-high fields (H - 60 + 16 > cy), so the fields end at the link (23 high).
INSTANTIATE_TEST_SUITE_P(
    TwoSizes, MainLayoutTable,
    testing::Values(SLayoutCase{600, 400, IDC_FILE_LIST, QRect(0, 25, 600, 331)},
                    SLayoutCase{600, 400, IDC_WEBSITE, QRect(7, 384, 170, 16)},
                    SLayoutCase{600, 400, IDC_COUNT_FILES, QRect(254, 364, 100, 25)},
                    SLayoutCase{600, 400, IDC_CLOSE, QRect(528, 364, 70, 25)},
                    SLayoutCase{600, 400, IDC_ITEMS, QRect(45, 361, 50, 23)},
                    SLayoutCase{600, 400, IDC_ITEMS_LABEL, QRect(10, 361, 35, 23)},
                    SLayoutCase{600, 400, IDC_PAGES, QRect(145, 361, 50, 23)},
                    SLayoutCase{600, 400, IDC_PAGES_LABEL, QRect(110, 361, 35, 23)},
                    // An odd outer width: the count button's x rounds toward zero (809 / 2 = 404).
                    SLayoutCase{801, 555, IDC_FILE_LIST, QRect(0, 25, 801, 486)},
                    SLayoutCase{801, 555, IDC_COUNT_FILES, QRect(354, 519, 100, 25)},
                    SLayoutCase{801, 555, IDC_CLOSE, QRect(729, 519, 70, 25)},
                    SLayoutCase{801, 555, IDC_WEBSITE, QRect(7, 539, 170, 16)},
                    SLayoutCase{801, 555, IDC_PAGES, QRect(145, 516, 50, 23)}));

// The link's whole line stays inside the window and clear of every bottom control, whatever its
// height; a link that fits below the fields leaves them as the table has them.
TEST(MainLayout, TheLinkStaysWholeAndApart)
{
    for (const QSize client : {QSize(539, 263), QSize(760, 330), QSize(1400, 900)}) {
        for (int nLinkHeight = 10; nLinkHeight <= 40; ++nLinkHeight) {
            const QVector<SControlPlace> places = MainWindowLayout(client.width(), client.height(), nLinkHeight);
            const QRect link = PlaceOf(places, IDC_WEBSITE);
            EXPECT_EQ(link.height(), nLinkHeight);
            EXPECT_TRUE(QRect(QPoint(0, 0), client).contains(link)) << client.height() << " " << nLinkHeight;
            // (A field squeezed to no height is not drawn at all.)
            for (int nId : {IDC_ITEMS, IDC_ITEMS_LABEL, IDC_PAGES, IDC_PAGES_LABEL, IDC_COUNT_FILES, IDC_CLOSE})
                EXPECT_FALSE(PlaceOf(places, nId).isValid() && PlaceOf(places, nId).intersects(link))
                    << nId << " " << nLinkHeight;
            const int H = client.height() + 46;
            if (nLinkHeight <= 14) {
                EXPECT_EQ(PlaceOf(places, IDC_ITEMS), QRect(45, H - 85, 50, 25)) << nLinkHeight;
            }
        }
    }
}

TEST(MainLayout, TinyWindowNeverGivesNegativeSizes)
{
    for (const SControlPlace& p : MainWindowLayout(10, 10, 16)) {
        EXPECT_GE(p.rc.width(), 0) << p.nId;
        EXPECT_GE(p.rc.height(), 0) << p.nId;
    }
}

}  // namespace
