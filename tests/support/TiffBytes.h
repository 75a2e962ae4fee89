// Writes TIFF files byte by byte, so that tests can build the chains libtiff must cope with:
// loops, offsets past the end, damaged directories, sub-directories, BigTIFF.
#pragma once

#include <QByteArray>
#include <QVector>

#include <cstdint>

class CTiffBytes {
public:
    CTiffBytes(bool bBigEndian, bool bBigTiff = false);

    // Appends an image directory (a 1 x 1 bilevel image) to the main chain; returns its index.
    int AddPage(uint32_t nNewSubfileType = 0);
    // Appends n such pages.
    CTiffBytes& AddPages(int n);
    // Appends a directory that hangs below page `nParent` as one of its sub-directories.
    int AddSubIfd(int nParent);
    // The next-directory link of a page: another page's directory, or a raw offset.
    CTiffBytes& LinkNextTo(int nFrom, int nTo);
    CTiffBytes& SetNextOffset(int nFrom, uint64_t nOffset);
    // Makes a page's directory unreadable: its entry count claims far more entries than the file holds.
    CTiffBytes& Damage(int nPage);
    // Leaves out a required field (ImageLength), which libtiff refuses.
    CTiffBytes& DropImageLength(int nPage);

    QByteArray Build() const;

private:
    struct SIfd {
        bool bSub = false;
        int nParent = -1;
        uint32_t nSubfileType = 0;
        int nNextPage = -2;             // -2: the next page of the chain (or 0 at its end)
        uint64_t nRawNext = 0;
        bool bRawNext = false;
        bool bDamaged = false;
        bool bNoLength = false;
    };
    // The nBytes low bytes of v, in the file's byte order.
    void Put(QByteArray& b, uint64_t v, int nBytes) const;

    bool m_bBigEndian;
    bool m_bBigTiff;
    QVector<SIfd> m_ifds;
};
