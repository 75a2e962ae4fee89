// What the list needs to know of a file, read with one look at the file system. Only regular
// files are ever opened: a FIFO, socket, device or directory counts as unreadable, since opening
// it could block the program.
#pragma once

#include <QString>

struct SFileFacts {
    qint64 nSize = 0;
    qint64 nCreated = 0;        // seconds since the epoch; the last-write time where no creation time is kept
    qint64 nModified = 0;
};

// False when the path is not a regular file that can be opened for reading.
bool ReadFileFacts(const QString& strPath, SFileFacts* pFacts);

// Reads up to nBytes from the start of a readable regular file into pBuffer; the number of bytes
// read, or -1 when the path is empty, not a regular file, or cannot be opened. pFacts, when
// given, receives the file's facts from the same look (all zero with -1).
int ReadFileHead(const QString& strPath, char* pBuffer, int nBytes, SFileFacts* pFacts = nullptr);

// Local calendar time of a time stamp; false when the platform cannot convert it.
struct SLocalTime {
    int nYear, nMonth, nDay, nHour, nMinute, nSecond;
};
bool ToLocalTime(qint64 nSecsSinceEpoch, SLocalTime* pTime);
