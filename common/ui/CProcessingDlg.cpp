#include "CProcessingDlg.h"

#include "DialogBuilder.h"
#include "res/resource.h"

#include <QProgressBar>

CProcessingDlg::CProcessingDlg(QWidget* pParent, const QString& strCaption)
    : CStopDlg(IDD_PROCESSING, IDC_PROCESSING_FILE, pParent)
{
    if (!strCaption.isEmpty())
        setWindowTitle(strCaption);
    m_progress = FindControlAs<QProgressBar>(this, IDC_PROCESSING_PROGRESS);
}

void CProcessingDlg::SetProgress(int nDone, int nTotal)
{
    const int nMax = std::max(nTotal, 1);
    if (m_progress->maximum() != nMax)
        m_progress->setRange(0, nMax);
    m_progress->setValue(std::min(nDone, nMax));
}
