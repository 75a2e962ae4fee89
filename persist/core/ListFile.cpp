#include "ListFile.h"

#include "BlockWriter.h"
#include "SaveTarget.h"
#include "filelist/core/CFileListModel.h"

#include <QSaveFile>

#include <cstring>

namespace {

const char kLineEnd[] = "\r\r\n";
constexpr char kNotInUse = '~';
constexpr char kEndOfData = '\x1A';

}  // namespace

QByteArray ListFileEntry(const QByteArray& path, bool bInUse)
{
    QByteArray entry;
    entry.reserve(path.size() + 4);
    if (!bInUse)
        entry += kNotInUse;
    entry += path;
    entry += kLineEnd;
    return entry;
}

void CListFileReader::Feed(const char* pBytes, qsizetype nBytes, QVector<SListEntry>* pEntries)
{
    if (m_bDataEnded)
        return;
    if (const void* pEnd = std::memchr(pBytes, kEndOfData, size_t(nBytes))) {
        nBytes = static_cast<const char*>(pEnd) - pBytes;
        m_bDataEnded = true;
    }
    const char* p = pBytes;
    const char* const pStop = pBytes + nBytes;
    while (p < pStop) {
        const auto* pLf = static_cast<const char*>(std::memchr(p, '\n', size_t(pStop - p)));
        if (!pLf) {
            // A line that goes on in the next piece: whole, however long.
            m_line.append(p, pStop - p);
            break;
        }
        m_line.append(p, pLf - p);
        EndLine(pEntries);
        p = pLf + 1;
    }
    if (m_bDataEnded)
        Finish(pEntries);
}

void CListFileReader::Finish(QVector<SListEntry>* pEntries)
{
    // The end of the data ends the last line as its line end would have.
    if (!m_line.isEmpty())
        EndLine(pEntries);
}

void CListFileReader::EndLine(QVector<SListEntry>* pEntries)
{
    // The stream turned CR LF into LF; of CR CR LF, one CR is left: the line end's own, removed.
    // Any other last character is part of the path.
    for (int i = 0; i < 2 && m_line.endsWith('\r'); ++i)
        m_line.chop(1);
    SListEntry entry;
    if (m_line.startsWith(kNotInUse)) {
        entry.bInUse = false;
        entry.path = m_line.mid(1);
    } else {
        entry.path = m_line;
    }
    m_line.clear();
    if (!entry.path.isEmpty())
        pEntries->append(std::move(entry));
}

QVector<SListEntry> ParseListFile(const QByteArray& bytes)
{
    QVector<SListEntry> entries;
    CListFileReader reader;
    reader.Feed(bytes.constData(), bytes.size(), &entries);
    reader.Finish(&entries);
    return entries;
}

bool SaveListFile(const QByteArray& path, const CFileListModel& model, SListFileSave* pSave)
{
    SListFileSave save;
    QSaveFile file;
    if (!OpenReplacement(path, &file, &save.strError)) {
        if (pSave)
            *pSave = save;
        return false;
    }
    CBlockWriter out(&file);
    for (int i = 0; i < model.GetRowCount() && out.Ok(); ++i) {
        const FileRecord& rec = model.GetRecord(i);
        if (!rec.bInUse)
            out.Write(&kNotInUse, 1);
        out.Write(rec.path);
        out.Write(kLineEnd, 3);
    }
    const bool bSaved = CommitReplacement(&file, out, &save.strError);
    if (pSave)
        *pSave = save;
    return bSaved;
}
