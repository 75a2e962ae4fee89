// Writes real TIFF files with libtiff, for the tests that need ordinary documents.
#pragma once

#include <QString>

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
