// What pagewick-count learns of one listed file, how a worker sends it to the parent, and how the
// report and standard error say it.
#pragma once

#include "filelist/core/FileRecord.h"
#include "fs/FileFacts.h"
#include "tiff/PageCounter.h"
#include "tiff/PageProfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// How a listed path came to the list.
enum class EListedAs : char {
    File = 'F',         // to be counted
    Pages = 'P',        // to be counted, with a record of each page
    Missing = 'M',      // named already as missing: nothing to count
};

// An item of the list as the workers get it: how it was listed, then the path.
QByteArray ListedItem(EListedAs eAs, const QByteArray& path);
EListedAs ItemKind(const QByteArray& item);
QByteArray ItemPath(const QByteArray& item);

struct SFileResult {
    enum class EOutcome : qint8 {
        Counted,        // the count (pages >= 0), or not TIFF (PAGES_NOT_TIFF)
        Unreadable,     // not a regular file that can be read
        Missing,        // a PATH that does not exist, named already
        Lost,           // every worker that tried it died
        NoAnswer,       // given up: the file system did not answer in time
    };
    EOutcome eOutcome = EOutcome::Unreadable;
    qint32 nPages = PAGES_READ_ERROR;
    EShortCount eShort = EShortCount::None;
    QString strShortReason;     // libtiff's words for why the count fell short
    QStringList messages;       // libtiff's other messages on the file
    QString strFailure;         // why the file could not be read, as strerror says it; empty when none
    bool bHasFacts = false;     // size, times
    SFileFacts facts;
    CPageSummary summary;       // the pages counted by class, summed where they were read
    QVector<SPageRecord> pages;     // each page's tags, for an item listed as Pages only

    bool IsShort() const { return eShort != EShortCount::None; }
    // The count as the counter gave it, for the words that say why it fell short.
    SPageCount Count() const;
    // Pages written in the report: the count, or -1 for none.
    qint64 ReportedPages() const { return eOutcome == EOutcome::Counted && nPages >= 0 ? nPages : -1; }
};

// The work of a worker: counts the file of an item.
QByteArray CountItem(const QByteArray& item);
QByteArray SerializeResult(const SFileResult& result);
bool DeserializeResult(const QByteArray& bytes, SFileResult* pResult);
// Why a file is a "Read Error", as its row's note and the audit report say it: what the system said,
// or that reading it crashed the reader twice.
QString ReadErrorNote(const SFileResult& result);
// A file given up on after nSeconds without an answer.
SFileResult NoAnswerResult(qint64 nSeconds);
// A file whose workers died: its size and times from a look of the parent's own.
SFileResult LostResult(const QByteArray& path);
// What a result says of the run's tally, read without the rest: outcome, pages and whether the
// count is short (a lost result for bytes that are not a result).
SFileResult ResultHead(const QByteArray& bytes);

// The lines of standard error about a file (each ending in LF): one when it could not be read,
// was lost or was counted short; with bVerbose, libtiff's other messages on it too.
QByteArray ErrorLines(const QByteArray& path, const SFileResult& result, bool bVerbose);

// The window's row of the file counted: its status, pages, size and times, what its pages are, the
// note on a short count as its Pages cell says it, and why a "Read Error" could not be read.
FileRecord RecordOf(const QByteArray& path, const SFileResult& result);
QByteArray CsvLineOf(const QByteArray& path, const SFileResult& result);
// One JSON object and LF: the path (valid UTF-8 as it is; otherwise readable, with the exact bytes
// in base64 in "path_base64"), size, created and modified times in ISO 8601 with the UTC offset,
// the status the window would show, pages, whether the count is complete and, if not, why (for a
// file that could not be read, the system's reason), and the page profile: pages per paper, colour
// and dpi.
QByteArray JsonLineOf(const QByteArray& path, const SFileResult& result);
// A time as ISO 8601 in local time with its UTC offset ("2011-05-18T09:04:05+02:00").
QByteArray IsoDateTime(qint64 nSecsSinceEpoch);

extern const char kCountProgram[];
