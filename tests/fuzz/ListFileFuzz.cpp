// Fuzz target: the list-file reader on the input's bytes. Whatever the bytes, it returns; read in
// pieces of any size it gives the same entries as read whole; and what it gives, saved and read
// again, stays the same as far as the writer takes it.
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

    // Written again, what the writer takes comes back as it was: it leaves out a path that does not
    // fit a line (a CR the reader kept), and a path in use that begins with "~" comes back out of
    // use, which the format cannot tell apart.
    CListFileWriter writer;
    QByteArray written;
    QVector<SListEntry> kept;
    for (const SListEntry& entry : whole) {
        if (entry.path.isEmpty() || entry.path.contains('\n'))
            std::abort();
        if (writer.Append(entry.path, entry.bInUse, &written))
            kept.append(entry);
    }
    const QVector<SListEntry> again = ParseListFile(written);
    if (again.size() != kept.size())
        std::abort();
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const bool bTildeInUse = kept[i].bInUse && kept[i].path.startsWith('~');
        if (!bTildeInUse && !(again[i] == kept[i]))
            std::abort();
    }
    return 0;
}
