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

// W = cx + 8, H = cy + 46. For 600 x 400: W 608, H 446. For 801 x 555: W 809, H 601.
INSTANTIATE_TEST_SUITE_P(
    TwoSizes, MainLayoutTable,
    testing::Values(SLayoutCase{600, 400, IDC_FILE_LIST, QRect(0, 25, 600, 331)},
                    SLayoutCase{600, 400, IDC_WEBSITE, QRect(7, 377, 170, 16)},
                    SLayoutCase{600, 400, IDC_COUNT_FILES, QRect(254, 364, 100, 25)},
                    SLayoutCase{600, 400, IDC_CLOSE, QRect(528, 364, 70, 25)},
                    SLayoutCase{600, 400, IDC_ITEMS, QRect(45, 361, 50, 25)},
                    SLayoutCase{600, 400, IDC_ITEMS_LABEL, QRect(10, 361, 35, 25)},
                    SLayoutCase{600, 400, IDC_PAGES, QRect(145, 361, 50, 25)},
                    SLayoutCase{600, 400, IDC_PAGES_LABEL, QRect(110, 361, 35, 25)},
                    // An odd outer width: the count button's x rounds toward zero (809 / 2 = 404).
                    SLayoutCase{801, 555, IDC_FILE_LIST, QRect(0, 25, 801, 486)},
                    SLayoutCase{801, 555, IDC_COUNT_FILES, QRect(354, 519, 100, 25)},
                    SLayoutCase{801, 555, IDC_CLOSE, QRect(729, 519, 70, 25)},
                    SLayoutCase{801, 555, IDC_WEBSITE, QRect(7, 532, 170, 16)},
                    SLayoutCase{801, 555, IDC_PAGES, QRect(145, 516, 50, 25)}));

TEST(MainLayout, TinyWindowNeverGivesNegativeSizes)
{
    for (const SControlPlace& p : MainWindowLayout(10, 10, 16)) {
        EXPECT_GE(p.rc.width(), 0) << p.nId;
        EXPECT_GE(p.rc.height(), 0) << p.nId;
    }
}

}  // namespace
