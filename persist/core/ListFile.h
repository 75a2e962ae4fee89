// The list file: per row an optional "~" (the row is not in use), the path's own bytes, and the
// line end CR CR LF. No header, no count, no trailer; byte for byte the files the Windows version
// wrote and read.
//
// Reading takes the bytes as the Windows version's text-mode stream delivered them (CR LF becomes
// LF, a CR alone stays, 0x1A ends the data), except that the last character of an entry is removed
// only when it is the CR of the line end, so lines ended by plain CR LF or LF lose nothing; lines
// of any length are read whole; an entry whose path is empty adds no row. Every other byte of a
// path, NUL and bytes that are not UTF-8 included, is kept.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

class CFileListModel;

struct SListEntry {
    QByteArray path;
    bool bInUse = true;

    bool operator==(const SListEntry& other) const { return path == other.path && bInUse == other.bInUse; }
};

// One entry as the list file holds it.
QByteArray ListFileEntry(const QByteArray& path, bool bInUse);

// Reads a list file piece by piece, however its bytes are cut into pieces.
class CListFileReader {
public:
    // Takes the next bytes of the file; the entries they complete are appended to *pEntries.
    void Feed(const char* pBytes, qsizetype nBytes, QVector<SListEntry>* pEntries);
    // The file has ended: its last line, when it has no line end, is an entry too.
    void Finish(QVector<SListEntry>* pEntries);
    // True once a 0x1A ended the data: what follows is not read.
    bool DataEnded() const { return m_bDataEnded; }

private:
    void EndLine(QVector<SListEntry>* pEntries);

    QByteArray m_line;
    bool m_bDataEnded = false;
};

// A whole list file's entries.
QVector<SListEntry> ParseListFile(const QByteArray& bytes);

// What a save did besides writing.
struct SListFileSave {
    QString strError;           // why the file could not be written: the system's reason
};

// Writes the list to path as a whole or not at all: the previous file stays until the new one is
// complete on disk. False when it could not be written (the previous file, if any, unchanged).
bool SaveListFile(const QByteArray& path, const CFileListModel& model, SListFileSave* pSave = nullptr);
