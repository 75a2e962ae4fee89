// The CSV report: an optional header, one line per row in use, an optional total line. Lines end
// in CR LF; a field holding a comma, a double quote, CR or LF is quoted (RFC 4180), every other
// field is written exactly as the list holds it, in UTF-8.
#pragma once

#include "filelist/core/FileRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

QByteArray CsvField(const QString& strField);
QByteArray CsvLine(const QStringList& fields);
QByteArray CsvHeaderLine();
// Filename, File Bytes, Created Time, Modified Time, Pages of one row.
QByteArray CsvRowLine(const FileRecord& rec);
// Four empty fields and the total.
QByteArray CsvTotalLine(qint64 nTotal);

// Writes a report line by line and sums the pages of the rows it writes.
class CCsvReportWriter {
public:
    explicit CCsvReportWriter(QIODevice* pDevice) : m_pDevice(pDevice) {}

    void WriteHeader();
    void WriteRow(const FileRecord& rec);
    // A row line made elsewhere (CsvRowLine), with the value of its Pages text.
    void WriteRowLine(const QByteArray& line, qint64 nPages);
    void WriteTotal();
    qint64 Total() const { return m_nTotal; }
    // False once any write failed.
    bool Ok() const { return m_bOk; }

private:
    void Write(const QByteArray& line);

    QIODevice* m_pDevice;
    qint64 m_nTotal = 0;
    bool m_bOk = true;
};
