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
    uint32_t nSubfileType = 0;
    if (TIFFGetField(pTiff, TIFFTAG_SUBFILETYPE, &nSubfileType))
        page.bReduced = nSubfileType & FILETYPE_REDUCEDIMAGE;
    // No default: ColourOf says what a page without it is.
    n = 0;
    page.bHasPhotometric = TIFFGetField(pTiff, TIFFTAG_PHOTOMETRIC, &n);
    page.nPhotometric = page.bHasPhotometric ? n : 0;
    if (!page.bHasPhotometric)
        return page;
    // Only the pages whose colour depends on them pay for these: the rest of the counter's work is
    // walking the chain.
    if (page.nPhotometric == PHOTOMETRIC_SEPARATED && TIFFGetField(pTiff, TIFFTAG_NUMBEROFINKS, &n))
        page.nInks = n;
    uint16_t* pnRed = nullptr;
    uint16_t* pnGreen = nullptr;
    uint16_t* pnBlue = nullptr;
    // A map holds an entry for every value of the page's bits (libtiff refuses a shorter one).
    if (page.nPhotometric == PHOTOMETRIC_PALETTE && page.nBitsPerSample <= 16 &&
        TIFFGetField(pTiff, TIFFTAG_COLORMAP, &pnRed, &pnGreen, &pnBlue))
        page.eColourMap = ClassifyColourMap(pnRed, pnGreen, pnBlue, qsizetype(1) << page.nBitsPerSample);
    return page;
}
