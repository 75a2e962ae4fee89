#include "Contrast.h"

#include <algorithm>
#include <cmath>

namespace {

double Linear(int nChannel)
{
    const double c = std::clamp(nChannel, 0, 255) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int Mix(int a, int b, int nStep, int nSteps)
{
    return (a * (nSteps - nStep) + b * nStep + nSteps / 2) / nSteps;
}

bool IsLight(const SLinkPalette& pal)
{
    return RelativeLuminance(pal.window) > RelativeLuminance(pal.windowText);
}

}  // namespace

double RelativeLuminance(SRgb c)
{
    return 0.2126 * Linear(c.nRed) + 0.7152 * Linear(c.nGreen) + 0.0722 * Linear(c.nBlue);
}

double ContrastRatio(SRgb a, SRgb b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsReadable(SRgb text, SRgb background)
{
    return ContrastRatio(text, background) >= kReadableContrast;
}

SRgb MakeReadable(SRgb colour, SRgb background, SRgb towards)
{
    // Steps small enough that the blend found is the faintest change that reads.
    constexpr int kSteps = 64;
    for (int i = 0; i <= kSteps; ++i) {
        const SRgb mixed{Mix(colour.nRed, towards.nRed, i, kSteps), Mix(colour.nGreen, towards.nGreen, i, kSteps),
                         Mix(colour.nBlue, towards.nBlue, i, kSteps)};
        if (IsReadable(mixed, background))
            return mixed;
    }
    // One of black and white always reads (at least 4.58:1) on any background.
    const SRgb black{0, 0, 0};
    const SRgb white{255, 255, 255};
    return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}

SLinkColours ReadableLinkColours(const SLinkPalette& pal, SRgb ownLink, SRgb ownVisited)
{
    const bool bLight = IsLight(pal);
    const auto pick = [&](SRgb own, SRgb fromPalette) {
        if (bLight && IsReadable(own, pal.window))
            return own;
        return MakeReadable(fromPalette, pal.window, pal.windowText);
    };
    return SLinkColours{pick(ownLink, pal.link), pick(ownVisited, pal.linkVisited),
                        MakeReadable(pal.highlight, pal.window, pal.windowText)};
}
