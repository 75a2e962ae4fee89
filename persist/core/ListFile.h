// The list file: per row an optional "~" (the row is not in use), the path's own bytes, and the
// line end CR CR LF. No header, no count, no trailer; byte for byte the files the Windows version
// wrote and read.
//
// Reading takes the bytes as the Windows version's text-mode stream delivered them (CR LF becomes
// LF, a CR alone stays, 0x1A ends the data), except that the last character of an entry is removed
// only when it is the CR of the line end, so lines ended by plain CR LF or LF lose nothing; lines
// of any length are read whole; an entry whose path is empty adds no row; a UTF-8 byte-order mark
// at the very start of the file (as a Windows editor writes) is skipped. Every other byte of a
// path, NUL and bytes that are not UTF-8 included, is kept.
//
// Writing leaves out a row whose path cannot stand in a line: one with LF or CR would load back as
// other rows (in the Windows version too), one with 0x1A would end the data there.
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

// Whether a path can stand in a list file line: it holds no LF, CR or 0x1A.
bool FitsListFileLine(const QByteArray& path);

// Makes a list file's bytes entry by entry, in list order; what it takes loads back as the same rows
// (but for a path in use that begins with "~", which the format cannot tell from a row not in use).
class CListFileWriter {
public:
    // Appends the entry to *pOut, or returns false and appends nothing when its path does not fit a line.
    bool Append(const QByteArray& path, bool bInUse, QByteArray* pOut);

private:
    bool m_bFirst = true;
};

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
    void FeedData(const char* pBytes, qsizetype nBytes, QVector<SListEntry>* pEntries);
    void EndLine(QVector<SListEntry>* pEntries);

    QByteArray m_line;
    // Bytes of a byte-order mark matched at the start of the file; -1 once past the start.
    int m_nMarkBytes = 0;
    bool m_bDataEnded = false;
};

// A whole list file's entries.
QVector<SListEntry> ParseListFile(const QByteArray& bytes);

// What a save did besides writing.
struct SListFileSave {
    QString strError;           // why the file could not be written: the system's reason
    int nLeftOut = 0;           // rows left out, their paths not fitting a line
    QByteArray firstLeftOut;    // the path of the first of them
};

// Writes the list to path as a whole or not at all: the previous file stays until the new one is
// complete on disk. Rows whose paths do not fit a line are left out, the others written. False
// when it could not be written (the previous file, if any, unchanged); *pSave tells the rest.
bool SaveListFile(const QByteArray& path, const CFileListModel& model, SListFileSave* pSave = nullptr);

// A path as a box shows it: as DisplayFileName does, and every control character as "\xNN", so a
// line break shows where it stands.
QString ReadablePath(const QByteArray& path);
