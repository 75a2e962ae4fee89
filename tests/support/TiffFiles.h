// Writes real TIFF files with libtiff, for the tests that need ordinary documents.
#pragma once

#include <QString>
#include <QVector>

struct STiffShape {
    int nPages = 1;
    bool bBigEndian = false;
    bool bBigTiff = false;
    int nWidth = 16;
    int nHeight = 16;
    bool bG4 = false;       // CCITT G4 bilevel pages, as scanners write them
};

// Writes the file and returns true when libtiff wrote every page.
bool WriteTiff(const QString& strPath, const STiffShape& shape = STiffShape());

// One page of a document as a scanner describes it: its pixels, colour model and resolution. Its
// image is blank, CCITT G4 for one bit of one sample, Deflate for the rest (small files, whatever
// the page's size).
struct STiffPage {
    int nWidth = 16;
    int nLength = 16;
    int nPhotometric = 0;           // TIFF's value (0 min-is-white); -1: no Photometric tag
    int nBitsPerSample = 1;
    int nSamplesPerPixel = 1;
    float fXResolution = 0;         // 0: no XResolution and YResolution tags
    float fYResolution = 0;
    int nResolutionUnit = 0;        // 0: no ResolutionUnit tag (TIFF then means inch)
};

// Writes the pages in one chain; true when libtiff wrote every one.
bool WriteTiffPages(const QString& strPath, const QVector<STiffPage>& pages);
