#include "CProcessingDlg.h"

#include <QProgressBar>

#include <algorithm>

CProcessingDlg::CProcessingDlg(QWidget* pParent, const QString& strCaption)
    : CStopDlg(strCaption.isEmpty() ? QStringLiteral("Processing...") : strCaption, QStringLiteral("File:"), 37, pParent)
{
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setAccessibleName(QStringLiteral("Progress"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    AddLine(m_progress);
}

void CProcessingDlg::SetProgress(int nDone, int nTotal)
{
    const int nMax = std::max(nTotal, 1);
    if (m_progress->maximum() != nMax)
        m_progress->setRange(0, nMax);
    m_progress->setValue(std::min(nDone, nMax));
}
