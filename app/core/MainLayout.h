// Where the main window's bottom controls and list go for a given window size.
#pragma once

#include <QRect>
#include <QVector>

struct SControlPlace {
    int nId;
    QRect rc;       // in client coordinates below the menu bar
};

// The layout table of the main window. It was drawn for the outer frame of the window, so the
// client size is turned into that frame's size first: W = width + 8, H = height + 46. Where the
// table lets the Items and Pages fields reach into the website link's line, they are kept apart
// (the link below the fields, whole); everything else stands where the table says.
QVector<SControlPlace> MainWindowLayout(int nClientWidth, int nClientHeight, int nLinkHeight);
