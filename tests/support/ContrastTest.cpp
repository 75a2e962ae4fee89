#include "support/core/Contrast.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const SRgb& c, std::ostream* pOut)
{
    *pOut << "rgb(" << c.nRed << ", " << c.nGreen << ", " << c.nBlue << ")";
}

namespace {

const SRgb kBlack{0, 0, 0};
const SRgb kWhite{255, 255, 255};
const SRgb kOwnLink{100, 10, 14};
const SRgb kOwnVisited{200, 200, 200};

// Ratios as WCAG's own examples and common checkers give them, to two places.
TEST(Contrast, RatiosAsWcagDefinesThem)
{
    const struct {
        SRgb a, b;
        double dRatio;
    } cases[] = {
        {kBlack, kWhite, 21.0},
        {kWhite, kBlack, 21.0},             // the order does not matter
        {SRgb{119, 119, 119}, kWhite, 4.48}, // #777: just too light on white
        {SRgb{118, 118, 118}, kWhite, 4.54}, // #767676: the lightest grey that reads on white
        {SRgb{255, 0, 0}, kWhite, 4.00},
        {SRgb{0, 0, 255}, kWhite, 8.59},
        {kOwnLink, SRgb{53, 53, 53}, 1.08}, // the link on a dark window
        {kOwnVisited, SRgb{239, 239, 239}, 1.46},
        {SRgb{80, 80, 80}, SRgb{80, 80, 80}, 1.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ContrastRatio(c.a, c.b), c.dRatio, 0.005) << ::testing::PrintToString(c.a);
    EXPECT_DOUBLE_EQ(RelativeLuminance(kBlack), 0.0);
    EXPECT_DOUBLE_EQ(RelativeLuminance(kWhite), 1.0);
}

TEST(Contrast, MakeReadableKeepsWhatReadsAndOtherwiseBlendsTowardTheText)
{
    const SRgb grey{239, 239, 239};
    EXPECT_EQ(MakeReadable(kOwnLink, grey, kBlack), kOwnLink);
    const SRgb blended = MakeReadable(SRgb{48, 140, 198}, grey, kBlack);
    EXPECT_TRUE(IsReadable(blended, grey));
    EXPECT_GT(blended.nBlue, blended.nRed);     // still a blue
    // A text colour that does not read either gives way to black or white.
    EXPECT_EQ(MakeReadable(SRgb{128, 128, 128}, SRgb{120, 120, 120}, SRgb{130, 130, 130}), kBlack);
    EXPECT_EQ(MakeReadable(SRgb{40, 40, 40}, SRgb{20, 20, 20}, SRgb{30, 30, 30}), kWhite);
}

struct SPaletteCase {
    const char* pszName;
    SLinkPalette pal;
    bool bOwnLink;      // the link keeps its own colour
    bool bOwnVisited;
};

// Light, dark and high-contrast palettes as the desktops ship them: every colour reads, and the
// link's own colours stay only on a light palette where they read.
TEST(Contrast, LinkColoursReadOnEveryPalette)
{
    const SPaletteCase cases[] = {
        {"Fusion light", {{239, 239, 239}, kBlack, {0, 0, 255}, {255, 0, 255}, {48, 140, 198}}, true, false},
        {"Fusion dark", {{53, 53, 53}, kWhite, {42, 130, 218}, {130, 80, 200}, {42, 130, 218}}, false, false},
        {"Adwaita-Dark", {{53, 53, 53}, {238, 238, 236}, {53, 132, 228}, {27, 106, 203}, {21, 83, 158}}, false, false},
        {"High contrast black", {kBlack, kWhite, {255, 255, 0}, {0, 255, 0}, {0, 255, 255}}, false, false},
        {"High contrast white", {kWhite, kBlack, {0, 0, 160}, {96, 0, 128}, {0, 0, 128}}, true, false},
    };
    for (const SPaletteCase& c : cases) {
        const SLinkColours colours = ReadableLinkColours(c.pal, kOwnLink, kOwnVisited);
        for (const SRgb& crShown : {colours.link, colours.visited, colours.hover})
            EXPECT_GE(ContrastRatio(crShown, c.pal.window), kReadableContrast)
                << c.pszName << " " << ::testing::PrintToString(crShown);
        EXPECT_EQ(colours.link == kOwnLink, c.bOwnLink) << c.pszName;
        EXPECT_EQ(colours.visited == kOwnVisited, c.bOwnVisited) << c.pszName;
        if (!c.bOwnLink && IsReadable(c.pal.link, c.pal.window)) {
            EXPECT_EQ(colours.link, c.pal.link) << c.pszName << ": a palette colour that reads is kept as it is";
        }
    }
}

}  // namespace
