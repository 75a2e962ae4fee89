#include "ListFile.h"

#include "BlockWriter.h"
#include "SaveTarget.h"
#include "common/core/FileName.h"
#include "filelist/core/CFileListModel.h"

#include <QSaveFile>

#include <cstring>

namespace {

const char kLineEnd[] = "\r\r\n";
constexpr char kNotInUse = '~';
constexpr char kEndOfData = '\x1A';
const char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr int kMarkBytes = 3;

}  // namespace

bool FitsListFileLine(const QByteArray& path)
{
    return !path.contains('\n') && !path.contains('\r') && !path.contains(kEndOfData);
}

bool CListFileWriter::Append(const QByteArray& path, bool bInUse, QByteArray* pOut)
{
    if (!FitsListFileLine(path))
        return false;
    // A first path in use that begins with the bytes of a byte-order mark would lose them on
    // reading: an empty line before it, which every reader skips, keeps them.
    if (m_bFirst && bInUse && path.startsWith(kByteOrderMark))
        pOut->append("\r\n");
    m_bFirst = false;
    if (!bInUse)
        pOut->append(kNotInUse);
    pOut->append(path);
    pOut->append(kLineEnd, 3);
    return true;
}

void CListFileReader::Feed(const char* pBytes, qsizetype nBytes, QVector<SListEntry>* pEntries)
{
    if (m_bDataEnded)
        return;
    if (m_nMarkBytes >= 0) {
        while (nBytes > 0 && m_nMarkBytes < kMarkBytes && *pBytes == kByteOrderMark[m_nMarkBytes]) {
            ++pBytes;
            --nBytes;
            ++m_nMarkBytes;
        }
        if (m_nMarkBytes < kMarkBytes && nBytes == 0)
            return;     // a mark so far: the next piece tells
        // Not a whole mark: what looked like its beginning is data.
        const int nTaken = m_nMarkBytes == kMarkBytes ? 0 : m_nMarkBytes;
        m_nMarkBytes = -1;
        FeedData(kByteOrderMark, nTaken, pEntries);
    }
    FeedData(pBytes, nBytes, pEntries);
}

void CListFileReader::FeedData(const char* pBytes, qsizetype nBytes, QVector<SListEntry>* pEntries)
{
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
    // A file that ended inside what looked like a mark: those bytes are its data.
    if (m_nMarkBytes > 0)
        m_line.append(kByteOrderMark, m_nMarkBytes);
    m_nMarkBytes = -1;
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
    SListFileSave unasked;
    SListFileSave& save = pSave ? *pSave : unasked;
    save = SListFileSave();
    QSaveFile file;
    if (!OpenReplacement(path, &file, &save.strError))
        return false;
    CBlockWriter out(&file);
    CListFileWriter writer;
    QByteArray entry;
    for (int i = 0; i < model.GetRowCount() && out.Ok(); ++i) {
        const FileRecord& rec = model.GetRecord(i);
        entry.resize(0);
        if (writer.Append(rec.path, rec.bInUse, &entry)) {
            out.Write(entry);
        } else if (save.nLeftOut++ == 0) {
            save.firstLeftOut = rec.path;
        }
    }
    return CommitReplacement(&file, out, &save.strError);
}

QString ReadablePath(const QByteArray& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    const QString strShown = DisplayFileName(path);
    QString str;
    str.reserve(strShown.size());
    for (const QChar c : strShown) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F) {
            str += QLatin1String("\\x");
            str += QLatin1Char(kHex[u >> 4]);
            str += QLatin1Char(kHex[u & 15]);
        } else {
            str += c;
        }
    }
    return str;
}
