// The TIFF signature test and the page counter: the only place where TIFF content is read.
#pragma once

#include "tiff/PageProfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Results of CountPages besides a page count n >= 0.
constexpr int PAGES_READ_ERROR = -1;    // empty path, or not a readable regular file
constexpr int PAGES_NOT_TIFF = -2;      // readable, but no TIFF byte-order signature

// The bytes of a file's head that the signature rule looks at.
constexpr int kTiffHeadBytes = 8;

// The signature rule on the head of a file (missing bytes are zero): "II*", or "MM" followed by
// anything (the version after "MM" is left to libtiff), or the header of a little-endian BigTIFF
// ("II+", offsets of 8 bytes), which libtiff reads as it reads "MM" BigTIFF.
bool HasTiffSignature(const char szHead[kTiffHeadBytes]);

// Whether the file at a path carries the signature; an empty path or a file that cannot be read
// is not TIFF.
bool IsTiffFile(const QByteArray& path);

// The request to a worker process (see count/core) whether a file carries the signature, begun by
// the letter 'S'; its answer, and how a worker answers it (false for a request of another kind).
QByteArray SignatureRequest(const QByteArray& path);
bool AnswerIsTiff(const QByteArray& answer);
bool AnswerSignatureRequest(const QByteArray& request, QByteArray* pAnswer);

// Why a count may fall short of the pages the file was meant to hold.
enum class EShortCount {
    None,           // complete: the chain ended with a next offset of 0 and no error
    Damaged,        // an unreadable directory, an offset past the end, a file that shrank
    Loop,           // the chain led back to a directory already read
    Limit,          // libtiff reads no more directories of one file
    Unopenable,     // the signature is there, but libtiff cannot open the file
};

struct SPageCount {
    // -1 for an empty path or an unreadable file, -2 without the signature, 0 when libtiff cannot
    // open the file, otherwise the number of image directories in its main chain: 1 + the
    // successful TIFFReadDirectory calls.
    int nPages = PAGES_READ_ERROR;
    EShortCount eShort = EShortCount::None;
    // libtiff's own words for why the walk ended short (empty when it gave none).
    QString strReason;
    // Every message libtiff gave on this file, as its default handler prints them ("module: text").
    QStringList messages;
    // The tags of each page counted, in chain order (nPages of them; none for an unopenable file).
    QVector<SPageRecord> pages;

    bool IsShort() const { return eShort != EShortCount::None; }
};

struct SFileFacts;
class CRegularFile;

// Counts the pages of the file at a path. Reads the file only through the descriptor that passed
// the regular-file check, without mapping it, so a file that changes while it is read ends its own
// count (as a damaged chain ends it) and can neither block nor crash the process. libtiff's
// messages are taken per file; bEchoMessages also passes them on to libtiff's default handlers
// (standard error), as a windowed program always did.
// pFacts, when given, receives the file's size and times from the same look at the file (all
// zero with -1).
SPageCount CountPagesOf(const QByteArray& path, SFileFacts* pFacts = nullptr, bool bEchoMessages = true);
// The same for a file already open (path only labels libtiff's messages); -1 when it is not open.
SPageCount CountPagesOf(const CRegularFile& file, const QByteArray& path, bool bEchoMessages);

// The page count alone (CountPagesOf(path, pFacts).nPages).
int CountPages(const QByteArray& path, SFileFacts* pFacts = nullptr);

// Plain words for a short count, for a tool tip: "Counted 4 pages; the file is damaged after
// page 4: <libtiff's message>". Empty for a complete count.
QString ShortCountToolTip(const SPageCount& count);
// The same as a clause for a command line: "counted 4 pages, damaged after page 4: <message>".
QString ShortCountClause(const SPageCount& count);
