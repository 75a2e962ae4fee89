// Writes real TIFF files with libtiff, for the tests that need ordinary documents.
#pragma once

#include <QString>
#include <QVector>

#include <array>
#include <cstdint>

// A document of blank bilevel pages alike, CCITT G4 as scanners write them.
struct STiffShape {
    int nPages = 1;
    bool bBigEndian = false;
    bool bBigTiff = false;
    int nWidth = 16;
    int nHeight = 16;
};

// Writes the file and returns true when libtiff wrote every page.
bool WriteTiff(const QString& strPath, const STiffShape& shape = STiffShape());

// One page of a document as a scanner describes it: its pixels, colour model and resolution. Its
// image is blank, CCITT G4 for one bit of one sample, Deflate for the rest (small files, whatever
// the page's size).
struct STiffPage {
    int nWidth;
    int nLength;
    int nPhotometric;               // TIFF's value (0 min-is-white); -1: no Photometric tag
    int nBitsPerSample;
    int nSamplesPerPixel;
    float fXResolution;             // 0: no XResolution and YResolution tags
    float fYResolution;
    int nResolutionUnit;            // 0: no ResolutionUnit tag (TIFF then means inch)
    uint32_t nSubfileType = 0;      // NewSubfileType (bit 0: a reduced-resolution image)
    int nInks = 0;                  // 0: no NumberOfInks tag
    // A palette's first entries as red, green, blue; the rest of the map repeats them in turn (none:
    // the map is all black).
    QVector<std::array<uint16_t, 3>> colourMap;

    STiffPage(int nWidthOf = 16, int nLengthOf = 16, int nPhotometricOf = 0, int nBits = 1, int nSamples = 1,
              float fXRes = 0, float fYRes = 0, int nUnit = 0)
        : nWidth(nWidthOf), nLength(nLengthOf), nPhotometric(nPhotometricOf), nBitsPerSample(nBits),
          nSamplesPerPixel(nSamples), fXResolution(fXRes), fYResolution(fYRes), nResolutionUnit(nUnit)
    {
    }
    // The same page with these tags too.
    STiffPage SubfileType(uint32_t n) const { STiffPage p = *this; p.nSubfileType = n; return p; }
    STiffPage Inks(int n) const { STiffPage p = *this; p.nInks = n; return p; }
    STiffPage ColourMap(const QVector<std::array<uint16_t, 3>>& entries) const
    {
        STiffPage p = *this;
        p.colourMap = entries;
        return p;
    }
};

// Writes the pages in one chain, in the machine's byte order or the one asked for, as TIFF or
// BigTIFF; true when libtiff wrote every one.
bool WriteTiffPages(const QString& strPath, const QVector<STiffPage>& pages, const char* pszMode = "w");
