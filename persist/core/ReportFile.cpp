#include "ReportFile.h"

#include "CsvReport.h"
#include "SaveTarget.h"
#include "TextReport.h"

CReportFile::CReportFile(const QByteArray& path, EReportKind eKind) : m_path(path), m_eKind(eKind) {}

CReportFile::~CReportFile()
{
    // The writer hands its last bytes to the file before the file goes.
    m_pWriter.reset();
}

bool CReportFile::Open()
{
    QString strName;
    if (!WritableFileName(m_path, &strName))
        return false;
    m_file.setFileName(strName);
    // The writer makes blocks of its own; the file hands each one on at once, so a failure shows there.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    if (m_eKind == EReportKind::Csv)
        m_pWriter = std::make_unique<CCsvReportWriter>(&m_file);
    else
        m_pWriter = std::make_unique<CTextReportWriter>(&m_file);
    return true;
}

bool CReportFile::Close()
{
    if (!m_pWriter)
        return false;
    const bool bWritten = m_pWriter->Flush() && m_file.flush();
    // Close reports a failure of its own (a network file system may tell only now).
    m_file.close();
    return bWritten && m_file.error() == QFileDevice::NoError;
}
