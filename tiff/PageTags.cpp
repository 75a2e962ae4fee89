#include "PageTags.h"

SPageRecord ReadPageRecord(TIFF* pTiff)
{
    SPageRecord page;
    uint32_t nWidth = 0;
    uint32_t nLength = 0;
    TIFFGetField(pTiff, TIFFTAG_IMAGEWIDTH, &nWidth);
    TIFFGetField(pTiff, TIFFTAG_IMAGELENGTH, &nLength);
    page.nWidth = nWidth;
    page.nLength = nLength;
    float fResolution = 0;
    page.bHasXResolution = TIFFGetField(pTiff, TIFFTAG_XRESOLUTION, &fResolution);
    page.fXResolution = page.bHasXResolution ? fResolution : 0;
    fResolution = 0;
    page.bHasYResolution = TIFFGetField(pTiff, TIFFTAG_YRESOLUTION, &fResolution);
    page.fYResolution = page.bHasYResolution ? fResolution : 0;
    // Defaulted: a directory without these tags means what TIFF says they default to.
    uint16_t n = 0;
    if (TIFFGetFieldDefaulted(pTiff, TIFFTAG_RESOLUTIONUNIT, &n))
        page.nResolutionUnit = n;
    if (TIFFGetFieldDefaulted(pTiff, TIFFTAG_BITSPERSAMPLE, &n))
        page.nBitsPerSample = n;
    if (TIFFGetFieldDefaulted(pTiff, TIFFTAG_SAMPLESPERPIXEL, &n))
        page.nSamplesPerPixel = n;
    if (TIFFGetFieldDefaulted(pTiff, TIFFTAG_COMPRESSION, &n))
        page.nCompression = n;
    uint16_t* pnExtra = nullptr;
    if (TIFFGetFieldDefaulted(pTiff, TIFFTAG_EXTRASAMPLES, &n, &pnExtra))
        page.nExtraSamples = n;
    // No default: a page without it has no colour model to go by.
    n = 0;
    page.bHasPhotometric = TIFFGetField(pTiff, TIFFTAG_PHOTOMETRIC, &n);
    page.nPhotometric = page.bHasPhotometric ? n : 0;
    return page;
}
