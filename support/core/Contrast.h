// Readable colours: the contrast of a text colour against its background as WCAG 2 measures it,
// and the colours of a link chosen so that they read on the palette they are drawn on.
#pragma once

#include <QtGlobal>

// An sRGB colour, 0 to 255 a channel. The core has no QColor; the widgets convert.
struct SRgb {
    int nRed = 0;
    int nGreen = 0;
    int nBlue = 0;
    bool operator==(const SRgb& o) const { return nRed == o.nRed && nGreen == o.nGreen && nBlue == o.nBlue; }
    bool operator!=(const SRgb& o) const { return !(*this == o); }
};

// The least contrast at which normal text counts as readable (WCAG 2, level AA).
constexpr double kReadableContrast = 4.5;

// 0 for black to 1 for white: the channels linearised from sRGB and weighted 0.2126, 0.7152, 0.0722.
double RelativeLuminance(SRgb c);
// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on white.
double ContrastRatio(SRgb a, SRgb b);
bool IsReadable(SRgb text, SRgb background);

// The colour itself when it reads on the background; otherwise the first blend of it toward
// `towards` (the palette's text colour) that does, so that the hue is kept as far as it can be;
// black or white, whichever reads better, when not even `towards` does.
SRgb MakeReadable(SRgb colour, SRgb background, SRgb towards);

// The colours of a palette that a link is drawn with and on.
struct SLinkPalette {
    SRgb window;        // the background the link stands on
    SRgb windowText;
    SRgb link;
    SRgb linkVisited;
    SRgb highlight;
};

struct SLinkColours {
    SRgb link;
    SRgb visited;
    SRgb hover;
};

// A light palette (background lighter than its text) keeps the link's own colours where they
// read; every other colour comes from the palette, made readable on its background.
SLinkColours ReadableLinkColours(const SLinkPalette& pal, SRgb ownLink, SRgb ownVisited);
