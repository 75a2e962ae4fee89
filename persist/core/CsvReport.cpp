#include "CsvReport.h"

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

QList<QByteArray> CsvRowFields(const FileRecord& rec)
{
    return {FileRecordBytes(rec, COL_FILENAME), FileRecordBytes(rec, COL_FILESIZE), FileRecordBytes(rec, COL_CREATED),
            FileRecordBytes(rec, COL_MODIFIED), FileRecordBytes(rec, COL_PAGES)};
}

QByteArray CsvRowLine(const FileRecord& rec)
{
    return CsvLine(CsvRowFields(rec));
}

QByteArray CsvTotalLine(qint64 nTotal)
{
    return CsvLine({QByteArray(), QByteArray(), QByteArray(), QByteArray(), QByteArray::number(nTotal)});
}
