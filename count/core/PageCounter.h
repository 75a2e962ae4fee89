// The TIFF signature test and the page counter: the only place where TIFF content is read.
#pragma once

#include <QString>

// Results of CountPages besides a page count n >= 0.
constexpr int PAGES_READ_ERROR = -1;    // empty path, or not a readable regular file
constexpr int PAGES_NOT_TIFF = -2;      // readable, but no TIFF byte-order signature

// The signature rule on the first three bytes of a file (missing bytes are zero): "II*", or "MM"
// followed by anything; the version after "MM" is left to libtiff.
bool HasTiffSignature(const char szHead[3]);

// Whether the file at a path carries the signature; an empty path or a file that cannot be read
// is not TIFF.
bool IsTiffFile(const QString& strPath);

// -1 for an empty path or an unreadable file, -2 without the signature, 0 when libtiff cannot
// open the file, otherwise the number of image directories in its main chain (sub-directories
// below a directory are not pages). Always returns, whatever the chain does; libtiff itself ends
// the walk after 1,048,576 directories.
// pFacts, when given, receives the file's size and times from the same look at the file (all
// zero with -1).
struct SFileFacts;
int CountPages(const QString& strPath, SFileFacts* pFacts = nullptr);
