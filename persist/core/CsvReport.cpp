#include "CsvReport.h"

#include <QIODevice>

namespace {

// Lines are handed to the device in blocks of about this size.
constexpr qsizetype kBlockBytes = 64 * 1024;

}  // namespace

QByteArray CsvField(const QByteArray& field)
{
    if (!field.contains(',') && !field.contains('"') && !field.contains('\r') && !field.contains('\n'))
        return field;
    QByteArray quoted = field;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

QByteArray CsvLine(const QList<QByteArray>& fields)
{
    QByteArray line;
    for (int i = 0; i < int(fields.size()); ++i) {
        if (i)
            line += ',';
        line += CsvField(fields[i]);
    }
    line += "\r\n";
    return line;
}

QByteArray CsvHeaderLine()
{
    return CsvLine({"Filename", "File Bytes", "Created Time", "Modified Time", "Pages"});
}

QByteArray CsvRowLine(const FileRecord& rec)
{
    return CsvLine({FileRecordBytes(rec, COL_FILENAME), FileRecordBytes(rec, COL_FILESIZE),
                    FileRecordBytes(rec, COL_CREATED), FileRecordBytes(rec, COL_MODIFIED),
                    FileRecordBytes(rec, COL_PAGES)});
}

QByteArray CsvTotalLine(qint64 nTotal)
{
    return CsvLine({QByteArray(), QByteArray(), QByteArray(), QByteArray(), QByteArray::number(nTotal)});
}

void CCsvReportWriter::WriteHeader()
{
    Write(CsvHeaderLine());
}

void CCsvReportWriter::WriteRow(const FileRecord& rec)
{
    WriteRowLine(CsvRowLine(rec), rec.nPages);
}

void CCsvReportWriter::WriteRowLine(const QByteArray& line, qint64 nPages)
{
    if (nPages > 0)
        m_nTotal += nPages;
    Write(line);
}

void CCsvReportWriter::WriteTotal()
{
    Write(CsvTotalLine(m_nTotal));
}

void CCsvReportWriter::Write(const QByteArray& line)
{
    if (!m_bOk)
        return;
    m_buffer += line;
    if (m_buffer.size() >= kBlockBytes)
        Flush();
}

bool CCsvReportWriter::Flush()
{
    if (m_bOk && !m_buffer.isEmpty()) {
        m_bOk = m_pDevice->write(m_buffer) == m_buffer.size();
        m_buffer.clear();
    }
    return m_bOk;
}
