#include "ReportWriter.h"

#include "filelist/core/CFileListModel.h"

void CReportWriter::WriteHeader()
{
    m_out.Write(HeaderLine());
}

void CReportWriter::WriteRow(const FileRecord& rec)
{
    WriteRowLine(RowLine(rec), rec.nPages);
}

void CReportWriter::WriteRowLine(const QByteArray& line, qint64 nPages)
{
    if (nPages > 0)
        m_nTotal += nPages;
    m_out.Write(line);
}

void CReportWriter::WriteListRow(const CFileListModel& model, int nRow)
{
    WriteRow(model.GetRecord(nRow));
}

void CReportWriter::WriteRowsInUse(const CFileListModel& model)
{
    for (int i = 0; i < model.GetRowCount(); ++i) {
        if (model.GetRecord(i).bInUse)
            WriteListRow(model, i);
    }
}

void CReportWriter::WriteTotal()
{
    m_out.Write(TotalLines(m_nTotal));
}
