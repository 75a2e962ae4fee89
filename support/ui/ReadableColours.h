// The widgets' side of readable colours: a palette's link colours, and the colours of the help
// pages, each at least 4.5:1 against what it is drawn on.
#pragma once

#include "support/core/Contrast.h"

#include <QColor>
#include <QPalette>
#include <QString>

SRgb ToRgb(const QColor& c);
QColor ToColor(SRgb c);

// The link's colours on the palette's window colour; a light palette keeps the link's own
// colours where they read.
SLinkColours LinkColoursOn(const QPalette& pal, const QColor& crOwnLink, const QColor& crOwnVisited);

// A style sheet that gives the help pages' headings, table headings, code blocks and links colours
// that read on the page's background (the palette's base colour).
QString HelpPageColoursCss(const QPalette& pal);
