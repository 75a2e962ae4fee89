#include "PageCounter.h"

#include "filelist/core/FileFacts.h"

#include <QFile>

#include <tiffio.h>

bool HasTiffSignature(const char szHead[3])
{
    const bool bLittleEndian = szHead[0] == 'I' && szHead[1] == 'I' && szHead[2] == '*';
    const bool bBigEndian = szHead[0] == 'M' && szHead[1] == 'M';
    return bLittleEndian || bBigEndian;
}

bool IsTiffFile(const QString& strPath)
{
    char szHead[8] = {};
    return ReadFileHead(strPath, szHead, 3) >= 0 && HasTiffSignature(szHead);
}

int CountPages(const QString& strPath, SFileFacts* pFacts)
{
    // Three bytes keep every file that is not TIFF away from libtiff.
    char szHead[8] = {};
    if (ReadFileHead(strPath, szHead, 3, pFacts) < 0)
        return PAGES_READ_ERROR;
    if (!HasTiffSignature(szHead))
        return PAGES_NOT_TIFF;

    TIFF* pTiff = TIFFOpen(QFile::encodeName(strPath).constData(), "r");
    if (!pTiff)
        return 0;
    // TIFFOpen has read the first directory. libtiff refuses a directory offset it has already
    // read, so a chain that loops back ends here too, with the distinct directories counted.
    int nPages = 1;
    while (TIFFReadDirectory(pTiff))
        ++nPages;
    TIFFClose(pTiff);
    return nPages;
}
