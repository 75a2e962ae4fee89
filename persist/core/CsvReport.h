// The CSV report: an optional header, one line per row in use, an optional total line. Lines end
// in CR LF; a field holding a comma, a double quote, CR or LF is quoted (RFC 4180), every other
// field is written exactly as the list holds it: a path as its own bytes, the other texts ASCII.
#pragma once

#include "ReportWriter.h"
#include "filelist/core/FileRecord.h"

#include <QByteArray>
#include <QList>

class QIODevice;

QByteArray CsvField(const QByteArray& field);
QByteArray CsvLine(const QList<QByteArray>& fields);
QByteArray CsvHeaderLine();
// Filename, File Bytes, Created Time, Modified Time, Pages of one row.
QList<QByteArray> CsvRowFields(const FileRecord& rec);
QByteArray CsvRowLine(const FileRecord& rec);
// Four empty fields and the total.
QByteArray CsvTotalLine(qint64 nTotal);

// The CSV report's writer: the pages of the rows it writes are summed for the total line.
class CCsvReportWriter : public CReportWriter {
public:
    explicit CCsvReportWriter(QIODevice* pDevice) : CReportWriter(pDevice) {}

protected:
    QByteArray HeaderLine() const override { return CsvHeaderLine(); }
    QByteArray RowLine(const FileRecord& rec) const override { return CsvRowLine(rec); }
    QByteArray TotalLines(qint64 nTotal) const override { return CsvTotalLine(nTotal); }
};
