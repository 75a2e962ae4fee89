// Fuzz target: the list-file reader on the input's bytes. Whatever the bytes, it returns; read in
// pieces of any size it gives the same entries as read whole; and what it gives, saved and read
// again, stays the same.
#include "persist/core/ListFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(pData), qsizetype(nSize));
    const QVector<SListEntry> whole = ParseListFile(bytes);

    // Pieces cut by the input's first byte.
    const qsizetype nPiece = nSize ? 1 + pData[0] % 7 : 1;
    CListFileReader reader;
    QVector<SListEntry> pieces;
    for (qsizetype at = 0; at < bytes.size(); at += nPiece)
        reader.Feed(bytes.constData() + at, std::min(nPiece, bytes.size() - at), &pieces);
    reader.Finish(&pieces);
    if (pieces != whole)
        std::abort();

    QByteArray written;
    for (const SListEntry& entry : whole) {
        if (entry.path.isEmpty() || entry.path.contains('\n'))
            std::abort();
        written += ListFileEntry(entry.path, entry.bInUse);
    }
    // Written again, a path that begins with "~" and is in use comes back out of use: the format
    // cannot tell them apart. Everything else returns as it was.
    const QVector<SListEntry> again = ParseListFile(written);
    if (again.size() != whole.size())
        std::abort();
    for (qsizetype i = 0; i < whole.size(); ++i) {
        const bool bTildeInUse = whole[i].bInUse && whole[i].path.startsWith('~');
        if (!bTildeInUse && !(again[i] == whole[i]))
            std::abort();
    }
    return 0;
}
