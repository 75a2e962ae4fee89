#include "ReportFile.h"

#include "BillingReports.h"
#include "CsvReport.h"
#include "ProfileReport.h"
#include "SaveTarget.h"
#include "TextReport.h"

CReportFile::CReportFile(const QByteArray& path, EReportKind eKind) : m_path(path), m_eKind(eKind) {}

CReportFile::~CReportFile()
{
    // Not closed: the writer goes first, and the unfinished file goes with m_file.
    m_pWriter.reset();
}

bool CReportFile::Open()
{
    if (!OpenReplacement(m_path, &m_file, &m_strError))
        return false;
    switch (m_eKind) {
    case EReportKind::Csv:
        m_pWriter = std::make_unique<CCsvReportWriter>(&m_file);
        break;
    case EReportKind::Text:
        m_pWriter = std::make_unique<CTextReportWriter>(&m_file);
        break;
    case EReportKind::Profile:
        m_pWriter = std::make_unique<CProfileReportWriter>(&m_file);
        break;
    case EReportKind::FolderSummary:
        m_pWriter = std::make_unique<CFolderSummaryWriter>(&m_file);
        break;
    case EReportKind::Audit:
        m_pWriter = std::make_unique<CAuditReportWriter>(&m_file);
        break;
    }
    return true;
}

bool CReportFile::Close()
{
    if (!m_pWriter)
        return false;
    return CommitReplacement(&m_file, m_pWriter->Output(), &m_strError);
}
