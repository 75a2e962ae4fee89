#include "TiffFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <tiffio.h>

#include <algorithm>
#include <vector>

bool WriteTiff(const QString& strPath, const STiffShape& shape)
{
    const STiffPage page = STiffPage(shape.nWidth, shape.nHeight).SubfileType(FILETYPE_PAGE);
    const QByteArray mode = QByteArray("w") + (shape.bBigEndian ? "b" : "l") + (shape.bBigTiff ? "8" : "");
    return WriteTiffPages(strPath, QVector<STiffPage>(shape.nPages, page), mode.constData());
}

bool WriteTiffPages(const QString& strPath, const QVector<STiffPage>& pages, const char* pszMode)
{
    QDir().mkpath(QFileInfo(strPath).absolutePath());
    TIFF* pTiff = TIFFOpen(QFile::encodeName(strPath).constData(), pszMode);
    if (!pTiff)
        return false;
    bool bOk = true;
    for (const STiffPage& page : pages) {
        const bool bBilevel = page.nBitsPerSample == 1 && page.nSamplesPerPixel == 1;
        TIFFSetField(pTiff, TIFFTAG_IMAGEWIDTH, uint32_t(page.nWidth));
        TIFFSetField(pTiff, TIFFTAG_IMAGELENGTH, uint32_t(page.nLength));
        TIFFSetField(pTiff, TIFFTAG_BITSPERSAMPLE, uint16_t(page.nBitsPerSample));
        TIFFSetField(pTiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(page.nSamplesPerPixel));
        TIFFSetField(pTiff, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
        TIFFSetField(pTiff, TIFFTAG_COMPRESSION,
                     uint16_t(bBilevel ? COMPRESSION_CCITTFAX4 : COMPRESSION_ADOBE_DEFLATE));
        if (page.nPhotometric >= 0)
            TIFFSetField(pTiff, TIFFTAG_PHOTOMETRIC, uint16_t(page.nPhotometric));
        std::vector<uint16_t> colours[3];
        if (page.nPhotometric == PHOTOMETRIC_PALETTE) {
            const size_t nEntries = size_t(1) << page.nBitsPerSample;
            for (int k = 0; k < 3; ++k) {
                colours[k].assign(nEntries, 0);
                for (size_t i = 0; i < nEntries && !page.colourMap.isEmpty(); ++i)
                    colours[k][i] = page.colourMap[qsizetype(i % size_t(page.colourMap.size()))][size_t(k)];
            }
            TIFFSetField(pTiff, TIFFTAG_COLORMAP, colours[0].data(), colours[1].data(), colours[2].data());
        }
        if (page.nSubfileType)
            TIFFSetField(pTiff, TIFFTAG_SUBFILETYPE, page.nSubfileType);
        if (page.nInks)
            TIFFSetField(pTiff, TIFFTAG_NUMBEROFINKS, uint16_t(page.nInks));
        if (page.fXResolution > 0) {
            TIFFSetField(pTiff, TIFFTAG_XRESOLUTION, double(page.fXResolution));
            TIFFSetField(pTiff, TIFFTAG_YRESOLUTION, double(page.fYResolution));
        }
        if (page.nResolutionUnit)
            TIFFSetField(pTiff, TIFFTAG_RESOLUTIONUNIT, uint16_t(page.nResolutionUnit));
        // Strips of about 256 KiB of blank rows.
        const tmsize_t nRowBytes = (tmsize_t(page.nWidth) * page.nBitsPerSample * page.nSamplesPerPixel + 7) / 8;
        const uint32_t nRowsPerStrip = uint32_t(std::max<tmsize_t>(1, (256 * 1024) / nRowBytes));
        TIFFSetField(pTiff, TIFFTAG_ROWSPERSTRIP, nRowsPerStrip);
        const std::vector<unsigned char> blank(size_t(nRowBytes) * nRowsPerStrip, 0);
        for (uint32_t y = 0, s = 0; y < uint32_t(page.nLength) && bOk; y += nRowsPerStrip, ++s) {
            const uint32_t nRows = std::min(nRowsPerStrip, uint32_t(page.nLength) - y);
            bOk = TIFFWriteEncodedStrip(pTiff, s, const_cast<unsigned char*>(blank.data()), nRowBytes * nRows) >= 0;
        }
        bOk = bOk && TIFFWriteDirectory(pTiff);
    }
    TIFFClose(pTiff);
    return bOk;
}
