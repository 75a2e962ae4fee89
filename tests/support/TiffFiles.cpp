#include "TiffFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <tiffio.h>

#include <vector>

bool WriteTiff(const QString& strPath, const STiffShape& shape)
{
    QDir().mkpath(QFileInfo(strPath).absolutePath());
    QByteArray mode = "w";
    mode += shape.bBigEndian ? "b" : "l";
    if (shape.bBigTiff)
        mode += "8";
    TIFF* pTiff = TIFFOpen(QFile::encodeName(strPath).constData(), mode.constData());
    if (!pTiff)
        return false;
    const int nRowBytes = (shape.nWidth + 7) / 8;
    std::vector<unsigned char> row(size_t(nRowBytes), 0);
    bool bOk = true;
    for (int p = 0; p < shape.nPages && bOk; ++p) {
        TIFFSetField(pTiff, TIFFTAG_IMAGEWIDTH, uint32_t(shape.nWidth));
        TIFFSetField(pTiff, TIFFTAG_IMAGELENGTH, uint32_t(shape.nHeight));
        TIFFSetField(pTiff, TIFFTAG_BITSPERSAMPLE, uint16_t(1));
        TIFFSetField(pTiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
        TIFFSetField(pTiff, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_MINISWHITE));
        TIFFSetField(pTiff, TIFFTAG_COMPRESSION, uint16_t(shape.bG4 ? COMPRESSION_CCITTFAX4 : COMPRESSION_NONE));
        TIFFSetField(pTiff, TIFFTAG_ROWSPERSTRIP, uint32_t(shape.nHeight));
        TIFFSetField(pTiff, TIFFTAG_SUBFILETYPE, uint32_t(FILETYPE_PAGE));
        TIFFSetField(pTiff, TIFFTAG_PAGENUMBER, uint16_t(p), uint16_t(shape.nPages));
        for (int y = 0; y < shape.nHeight && bOk; ++y) {
            row[size_t((y / 8) % nRowBytes)] = (y % 3) ? 0x00 : 0xF0;
            bOk = TIFFWriteScanline(pTiff, row.data(), uint32_t(y), 0) == 1;
        }
        bOk = bOk && TIFFWriteDirectory(pTiff);
    }
    TIFFClose(pTiff);
    return bOk;
}
