// The CSV report: an optional header, one line per row in use, an optional total line. Lines end
// in CR LF; a field holding a comma, a double quote, CR or LF is quoted (RFC 4180), every other
// field is written exactly as the list holds it: a path as its own bytes, the other texts ASCII.
#pragma once

#include "filelist/core/FileRecord.h"

#include <QByteArray>
#include <QList>

class QIODevice;

QByteArray CsvField(const QByteArray& field);
QByteArray CsvLine(const QList<QByteArray>& fields);
QByteArray CsvHeaderLine();
// Filename, File Bytes, Created Time, Modified Time, Pages of one row.
QByteArray CsvRowLine(const FileRecord& rec);
// Four empty fields and the total.
QByteArray CsvTotalLine(qint64 nTotal);

// Writes a report line by line, in blocks, and sums the pages of the rows it writes. The first
// failed write is remembered and nothing more is written after it.
class CCsvReportWriter {
public:
    explicit CCsvReportWriter(QIODevice* pDevice) : m_pDevice(pDevice) {}
    ~CCsvReportWriter() { Flush(); }
    CCsvReportWriter(const CCsvReportWriter&) = delete;
    CCsvReportWriter& operator=(const CCsvReportWriter&) = delete;

    void WriteHeader();
    void WriteRow(const FileRecord& rec);
    // A row line made elsewhere (CsvRowLine), with its page count (-1 for none).
    void WriteRowLine(const QByteArray& line, qint64 nPages);
    void WriteTotal();
    // Hands what is buffered to the device; false once any write failed.
    bool Flush();
    qint64 Total() const { return m_nTotal; }
    // False once any write failed.
    bool Ok() const { return m_bOk; }

private:
    void Write(const QByteArray& line);

    QIODevice* m_pDevice;
    QByteArray m_buffer;
    qint64 m_nTotal = 0;
    bool m_bOk = true;
};
