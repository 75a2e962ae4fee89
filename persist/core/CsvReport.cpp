#include "CsvReport.h"

#include <QIODevice>

QByteArray CsvField(const QString& strField)
{
    QByteArray field = strField.toUtf8();
    if (field.contains(',') || field.contains('"') || field.contains('\r') || field.contains('\n')) {
        field.replace("\"", "\"\"");
        field.prepend('"');
        field.append('"');
    }
    return field;
}

QByteArray CsvLine(const QStringList& fields)
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
    return CsvLine({QStringLiteral("Filename"), QStringLiteral("File Bytes"), QStringLiteral("Created Time"),
                    QStringLiteral("Modified Time"), QStringLiteral("Pages")});
}

QByteArray CsvRowLine(const FileRecord& rec)
{
    return CsvLine({rec[COL_FILENAME], rec[COL_FILESIZE], rec[COL_CREATED], rec[COL_MODIFIED], rec[COL_PAGES]});
}

QByteArray CsvTotalLine(qint64 nTotal)
{
    return CsvLine({QString(), QString(), QString(), QString(), QString::number(nTotal)});
}

void CCsvReportWriter::WriteHeader()
{
    Write(CsvHeaderLine());
}

void CCsvReportWriter::WriteRow(const FileRecord& rec)
{
    WriteRowLine(CsvRowLine(rec), PagesValue(rec[COL_PAGES]));
}

void CCsvReportWriter::WriteRowLine(const QByteArray& line, qint64 nPages)
{
    m_nTotal += nPages;
    Write(line);
}

void CCsvReportWriter::WriteTotal()
{
    Write(CsvTotalLine(m_nTotal));
}

void CCsvReportWriter::Write(const QByteArray& line)
{
    if (m_pDevice->write(line) != line.size())
        m_bOk = false;
}
