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

CTiffBytes& CTiffBytes::AddPages(int n)
{
    for (int i = 0; i < n; ++i)
        AddPage();
    return *this;
}

CTiffBytes& CTiffBytes::LinkNextTo(int nFrom, int nTo)
{
    m_ifds[nFrom].nNextPage = nTo;
    return *this;
}

CTiffBytes& CTiffBytes::SetNextOffset(int nFrom, uint64_t nOffset)
{
    m_ifds[nFrom].bRawNext = true;
    m_ifds[nFrom].nRawNext = nOffset;
    return *this;
}

CTiffBytes& CTiffBytes::Damage(int nPage)
{
    m_ifds[nPage].bDamaged = true;
    return *this;
}

CTiffBytes& CTiffBytes::DropImageLength(int nPage)
{
    m_ifds[nPage].bNoLength = true;
    return *this;
}

void CTiffBytes::Put(QByteArray& b, uint64_t v, int nBytes) const
{
    for (int i = 0; i < nBytes; ++i)
        b.append(char(v >> (8 * (m_bBigEndian ? nBytes - 1 - i : i))));
}

QByteArray CTiffBytes::Build() const
{
    const int nOffsetBytes = m_bBigTiff ? 8 : 4;
    QByteArray b;
    b.append(m_bBigEndian ? "MM" : "II");
    Put(b, m_bBigTiff ? 43 : 42, 2);
    if (m_bBigTiff) {
        Put(b, 8, 2);
        Put(b, 0, 2);
    }
    const int nFirstAt = int(b.size());
    Put(b, 0, nOffsetBytes);

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

        // A SubIFD array that does not fit in the entry (one offset does) goes before the directory.
        int nSubArrayAt = -1;
        if (subs != subsOf.end() && subs->second.size() > 1) {
            nSubArrayAt = int(b.size());
            b.append(QByteArray(subs->second.size() * nOffsetBytes, '\0'));
        }

        ifdAt[i] = uint64_t(b.size());
        const uint64_t nCount = ifd.bDamaged ? (m_bBigTiff ? 0xFFFFFFull : 0xFFFF) : uint64_t(entries.size());
        Put(b, nCount, m_bBigTiff ? 8 : 2);
        for (const SEntry& e : entries) {
            Put(b, e.nTag, 2);
            Put(b, e.nType, 2);
            Put(b, e.nCount, nOffsetBytes);
            if (e.nTag == 330) {
                if (nSubArrayAt >= 0) {
                    Put(b, uint64_t(nSubArrayAt), nOffsetBytes);
                    for (int k = 0; k < int(subs->second.size()); ++k)
                        subOffsetsAt[i].append(nSubArrayAt + k * nOffsetBytes);
                } else {
                    subOffsetsAt[i].append(int(b.size()));
                    Put(b, 0, nOffsetBytes);
                }
            } else {
                // A value is put in the first bytes of its field, the rest of the field 0.
                const int nValueBytes = e.nType == T_SHORT ? 2 : e.nType == T_LONG ? 4 : nOffsetBytes;
                Put(b, e.nValue, nValueBytes);
                Put(b, 0, nOffsetBytes - nValueBytes);
            }
        }
        nextAt[i] = int(b.size());
        Put(b, 0, nOffsetBytes);
    }

    // Links: the header to the first page, each page to the next, sub-directories to their parents.
    const auto patch = [&](int nAt, uint64_t v) {
        QByteArray bytes;
        Put(bytes, v, nOffsetBytes);
        b.replace(nAt, nOffsetBytes, bytes);
    };
    QVector<int> pages;
    for (int i = 0; i < int(m_ifds.size()); ++i) {
        if (!m_ifds[i].bSub)
            pages.append(i);
    }
    if (!pages.isEmpty())
        patch(nFirstAt, ifdAt[pages.first()]);
    for (int k = 0; k < int(pages.size()); ++k) {
        const SIfd& ifd = m_ifds[pages[k]];
        uint64_t nNext = 0;
        if (ifd.bRawNext)
            nNext = ifd.nRawNext;
        else if (ifd.nNextPage >= 0)
            nNext = ifdAt[ifd.nNextPage];
        else if (k + 1 < int(pages.size()))
            nNext = ifdAt[pages[k + 1]];
        patch(nextAt[pages[k]], nNext);
    }
    for (const auto& [nParent, places] : subOffsetsAt) {
        const QVector<int>& subs = subsOf[nParent];
        for (int k = 0; k < int(places.size()); ++k)
            patch(places[k], ifdAt[subs[k]]);
    }
    return b;
}
