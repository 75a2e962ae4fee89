// One row of the file list: seven column texts, and the rule by which a row is made for a file.
#pragma once

#include <QString>

#include <array>

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

using FileRecord = std::array<QString, FILE_COLUMN_COUNT>;

// The texts of the Use and Status columns.
namespace FileText {
inline const char kYes[] = "Yes";
inline const char kNo[] = "No";
inline const char kReady[] = "Ready.";
inline const char kProcessing[] = "Processing";
inline const char kDone[] = "Done";
inline const char kInvalid[] = "Invalid";
inline const char kReadError[] = "Read Error";
}  // namespace FileText

// Column headings and their widths in pixels.
QString FileColumnHeading(int nColumn);
int FileColumnWidth(int nColumn);

// "%.4d-%.2d-%.2d %.2d:%.2d:%.2d" of a time in the machine's local time zone; empty when the
// platform cannot turn it into a calendar time.
QString FormatDateTime(qint64 nSecsSinceEpoch);

// Date-time texts of a file; empty when the file cannot be opened for reading. Created falls back
// to the last-write time where the file system keeps no creation time.
QString FormatCreatedTime(const QString& strPath);
QString FormatModifiedTime(const QString& strPath);

// The row for a file: Use, path, size ("0" when the file cannot be opened for reading), "Ready.",
// empty Pages, Created, Modified. Nothing is checked first: any path gets its row.
FileRecord MakeFileRecord(const QString& strPath, const QString& strUse);

struct SFileFacts;
// The same row from facts already read; null facts stand for a file that cannot be read.
FileRecord MakeFileRecord(const QString& strPath, const QString& strUse, const SFileFacts* pFacts);

// The leading decimal digits of a text as the C library's atoi reads them (0 for none).
qint64 PagesValue(const QString& strPages);
