#include "TiffBytes.h"

#include <map>

namespace {

enum : uint16_t { T_SHORT = 3, T_LONG = 4, T_LONG8 = 16, T_IFD = 13 };

struct SEntry {
    uint16_t nTag;
    uint16_t nType;
    uint64_t nCount;
    uint64_t nValue;            // the value itself, or an offset for arrays that do not fit
    QVector<uint64_t> array;    // an array stored outside the entry (SubIFDs)
};

}  // namespace

CTiffBytes::CTiffBytes(bool bBigEndian, bool bBigTiff) : m_bBigEndian(bBigEndian), m_bBigTiff(bBigTiff) {}

int CTiffBytes::AddPage(uint32_t nNewSubfileType)
{
    SIfd ifd;
    ifd.nSubfileType = nNewSubfileType;
    m_ifds.append(ifd);
    return int(m_ifds.size()) - 1;
}

int CTiffBytes::AddSubIfd(int nParent)
{
    SIfd ifd;
    ifd.bSub = true;
    ifd.nParent = nParent;
    ifd.nSubfileType = 1;
    m_ifds.append(ifd);
    return int(m_ifds.size()) - 1;
}

void CTiffBytes::LinkNextTo(int nFrom, int nTo)
{
    m_ifds[nFrom].nNextPage = nTo;
}

void CTiffBytes::SetNextOffset(int nFrom, uint64_t nOffset)
{
    m_ifds[nFrom].bRawNext = true;
    m_ifds[nFrom].nRawNext = nOffset;
}

void CTiffBytes::Damage(int nPage)
{
    m_ifds[nPage].bDamaged = true;
}

void CTiffBytes::DropImageLength(int nPage)
{
    m_ifds[nPage].bNoLength = true;
}

void CTiffBytes::Put16(QByteArray& b, uint16_t v) const
{
    if (m_bBigEndian) {
        b.append(char(v >> 8));
        b.append(char(v));
    } else {
        b.append(char(v));
        b.append(char(v >> 8));
    }
}

void CTiffBytes::Put32(QByteArray& b, uint32_t v) const
{
    if (m_bBigEndian) {
        Put16(b, uint16_t(v >> 16));
        Put16(b, uint16_t(v));
    } else {
        Put16(b, uint16_t(v));
        Put16(b, uint16_t(v >> 16));
    }
}

void CTiffBytes::Put64(QByteArray& b, uint64_t v) const
{
    if (m_bBigEndian) {
        Put32(b, uint32_t(v >> 32));
        Put32(b, uint32_t(v));
    } else {
        Put32(b, uint32_t(v));
        Put32(b, uint32_t(v >> 32));
    }
}

void CTiffBytes::PutOffset(QByteArray& b, uint64_t v) const
{
    if (m_bBigTiff)
        Put64(b, v);
    else
        Put32(b, uint32_t(v));
}

void CTiffBytes::Patch(QByteArray& b, int nAt, uint64_t v, int nBytes) const
{
    QByteArray bytes;
    if (nBytes == 8)
        Put64(bytes, v);
    else
        Put32(bytes, uint32_t(v));
    b.replace(nAt, nBytes, bytes);
}

QByteArray CTiffBytes::Build() const
{
    QByteArray b;
    b.append(m_bBigEndian ? "MM" : "II");
    Put16(b, m_bBigTiff ? 43 : 42);
    if (m_bBigTiff) {
        Put16(b, 8);
        Put16(b, 0);
    }
    const int nFirstAt = int(b.size());
    PutOffset(b, 0);
    const int nOffsetBytes = m_bBigTiff ? 8 : 4;

    // Every directory gets one byte of image data, then its entries. Offsets are known only
    // once all directories are placed, so the links are patched in afterwards.
    QVector<uint64_t> ifdAt(m_ifds.size());
    QVector<int> nextAt(m_ifds.size());
    std::map<int, QVector<int>> subOffsetsAt;   // parent -> places of its sub-directory offsets
    std::map<int, QVector<int>> subsOf;
    for (int i = 0; i < int(m_ifds.size()); ++i) {
        if (m_ifds[i].bSub)
            subsOf[m_ifds[i].nParent].append(i);
    }

    for (int i = 0; i < int(m_ifds.size()); ++i) {
        const SIfd& ifd = m_ifds[i];
        const uint64_t nStripAt = uint64_t(b.size());
        b.append(char(0));
        if (b.size() % 2)
            b.append(char(0));

        QVector<SEntry> entries;
        const uint16_t nLongType = m_bBigTiff ? T_LONG8 : T_LONG;
        if (ifd.nSubfileType)
            entries.append({254, T_LONG, 1, ifd.nSubfileType, {}});
        entries.append({256, T_SHORT, 1, 1, {}});
        if (!ifd.bNoLength)
            entries.append({257, T_SHORT, 1, 1, {}});
        entries.append({258, T_SHORT, 1, 1, {}});
        entries.append({259, T_SHORT, 1, 1, {}});
        entries.append({262, T_SHORT, 1, 1, {}});
        entries.append({273, nLongType, 1, nStripAt, {}});
        entries.append({277, T_SHORT, 1, 1, {}});
        entries.append({278, T_SHORT, 1, 1, {}});
        entries.append({279, nLongType, 1, 1, {}});
        const auto subs = subsOf.find(i);
        if (subs != subsOf.end())
            entries.append({330, m_bBigTiff ? T_LONG8 : T_IFD, uint64_t(subs->second.size()), 0, {}});

        // A SubIFD array that does not fit in the entry goes before the directory.
        int nSubArrayAt = -1;
        const int nInline = 1;     // one offset fits in the entry itself
        if (subs != subsOf.end() && subs->second.size() > nInline) {
            nSubArrayAt = int(b.size());
            for (int k = 0; k < int(subs->second.size()); ++k)
                PutOffset(b, 0);
        }

        ifdAt[i] = uint64_t(b.size());
        if (m_bBigTiff)
            Put64(b, ifd.bDamaged ? 0xFFFFFFull : uint64_t(entries.size()));
        else
            Put16(b, ifd.bDamaged ? 0xFFFF : uint16_t(entries.size()));
        for (const SEntry& e : entries) {
            Put16(b, e.nTag);
            Put16(b, e.nType);
            if (m_bBigTiff)
                Put64(b, e.nCount);
            else
                Put32(b, uint32_t(e.nCount));
            const int nValueAt = int(b.size());
            if (e.nTag == 330) {
                if (nSubArrayAt >= 0) {
                    PutOffset(b, uint64_t(nSubArrayAt));
                    for (int k = 0; k < int(subs->second.size()); ++k)
                        subOffsetsAt[i].append(nSubArrayAt + k * nOffsetBytes);
                } else {
                    PutOffset(b, 0);
                    subOffsetsAt[i].append(nValueAt);
                }
            } else if (e.nType == T_SHORT) {
                Put16(b, uint16_t(e.nValue));
                Put16(b, 0);
                if (m_bBigTiff)
                    Put32(b, 0);
            } else if (e.nType == T_LONG && m_bBigTiff) {
                Put32(b, uint32_t(e.nValue));
                Put32(b, 0);
            } else {
                PutOffset(b, e.nValue);
            }
        }
        nextAt[i] = int(b.size());
        PutOffset(b, 0);
    }

    // Links: the header to the first page, each page to the next, sub-directories to their parents.
    QVector<int> pages;
    for (int i = 0; i < int(m_ifds.size()); ++i) {
        if (!m_ifds[i].bSub)
            pages.append(i);
    }
    if (!pages.isEmpty())
        Patch(b, nFirstAt, ifdAt[pages.first()], nOffsetBytes);
    for (int k = 0; k < int(pages.size()); ++k) {
        const SIfd& ifd = m_ifds[pages[k]];
        uint64_t nNext = 0;
        if (ifd.bRawNext)
            nNext = ifd.nRawNext;
        else if (ifd.nNextPage >= 0)
            nNext = ifdAt[ifd.nNextPage];
        else if (k + 1 < int(pages.size()))
            nNext = ifdAt[pages[k + 1]];
        Patch(b, nextAt[pages[k]], nNext, nOffsetBytes);
    }
    for (const auto& [nParent, places] : subOffsetsAt) {
        const QVector<int>& subs = subsOf[nParent];
        for (int k = 0; k < int(places.size()); ++k)
            Patch(b, places[k], ifdAt[subs[k]], nOffsetBytes);
    }
    return b;
}
