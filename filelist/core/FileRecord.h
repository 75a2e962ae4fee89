// One row of the file list, typed: whether it is in use, the path's bytes, what the file system
// said of the file, the row's status, its page count and what its pages are. The seven column
// texts are made from it.
#pragma once

#include "tiff/PageProfile.h"

#include <QByteArray>
#include <QSharedDataPointer>
#include <QString>

enum EFileColumn {
    COL_USE = 0,
    COL_FILENAME,
    COL_FILESIZE,
    COL_STATUS,
    COL_PAGES,
    COL_CREATED,
    COL_MODIFIED,
    FILE_COLUMN_COUNT
};

// The states of the Status column, each with its one text.
enum class EFileStatus : quint8 {
    Ready,          // "Ready.": added, or switched back into use; waits to be counted
    None,           // "": switched out of use
    Processing,     // "Processing": being counted now
    Done,           // "Done": counted; Pages holds the number
    Invalid,        // "Invalid": no TIFF signature
    ReadError,      // "Read Error": empty path, or the file could not be read
};

struct SFileFacts;

// A row's size while the look at its file has not answered yet: no size, no times.
constexpr qint64 kSizeNotKnownYet = -2;

struct FileRecord {
    QByteArray path;            // as the file system holds it
    qint64 nSize = -1;          // -1: the file could not be read when the row was made (or kSizeNotKnownYet)
    qint64 nCreated = 0;        // seconds since the epoch; meaningful only with nSize >= 0
    qint64 nModified = 0;
    qint64 nPages = -1;         // -1: no count
    quint64 nId = 0;            // the row's identity in its list, kept through moves and sorts
    // Which file the row names, from the last look at it (0 and 0 while unknown): rows with the
    // same device and inode name the same file through whatever paths.
    quint64 nDevice = 0;
    quint64 nInode = 0;
    EFileStatus eStatus = EFileStatus::Ready;
    bool bInUse = true;
    // Its pages are in the list's pages total (a reset lowers the total by them only then).
    bool bPagesInTotal = false;

    // Why the count fell short; empty for a complete count.
    QString PagesNote() const;
    void SetPagesNote(const QString& strNote);
    // Why the row has its status, where there is more to say ("Read Error": why it could not be read).
    QString StatusNote() const;
    void SetStatusNote(const QString& strNote);
    // What the counted pages are; empty for a row without a count (or counted without a profile).
    CPageSummary PageSummary() const;
    // The profile of the nPages pages counted (nPages is set first).
    void SetPageSummary(const CPageSummary& summary);

    bool operator==(const FileRecord& other) const;

private:
    // What few rows need, kept apart, so that a row of a list of a million stays small.
    struct SRare : QSharedData {
        QString strPagesNote;
        QString strStatusNote;
        CPageSummary mixed;     // the classes of a file whose pages are not all of one class
        bool IsEmpty() const { return strPagesNote.isEmpty() && strStatusNote.isEmpty() && mixed.IsEmpty(); }
    };
    SRare& Rare();
    void DropRareIfEmpty();

    // The common case inline: every one of the nPages pages is of this class.
    SPageClass m_onlyClass;
    bool m_bOneClass = false;
    QSharedDataPointer<SRare> m_pRare;
};

// The texts of the Use and Status columns.
namespace FileText {
inline const char kYes[] = "Yes";
inline const char kNo[] = "No";
}  // namespace FileText

QString StatusText(EFileStatus eStatus);
// A "Read Error" row's note where the system's reason is not known.
QString UnknownReadErrorReason();

// Column headings and their widths in pixels.
QString FileColumnHeading(int nColumn);
int FileColumnWidth(int nColumn);

// "%.4d-%.2d-%.2d %.2d:%.2d:%.2d" of a time in the machine's local time zone; empty when the
// platform cannot turn it into a calendar time.
QString FormatDateTime(qint64 nSecsSinceEpoch);

// The text of a column as the list shows it (the path through DisplayFileName).
QString FileRecordText(const FileRecord& rec, int nColumn);
// The bytes of a column's text as files and the sort take them: the path's own bytes, every other
// column its text (ASCII).
QByteArray FileRecordBytes(const FileRecord& rec, int nColumn);

// The row for a file: in use or not, the path, its size and times ("0" and no times when the file
// cannot be opened for reading), "Ready.", no pages. Nothing is checked first: any path gets its row.
FileRecord MakeFileRecord(const QByteArray& path, bool bInUse);
// The same row from facts already read; null facts stand for a file that cannot be read.
FileRecord MakeFileRecord(const QByteArray& path, bool bInUse, const SFileFacts* pFacts);
// A row's size, times and identity from a look at its file.
void SetFileFacts(FileRecord* pRec, const SFileFacts& facts);
