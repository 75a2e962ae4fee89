#include "CProcessingDlg.h"

#include "app/ui/DialogBuilder.h"
#include "res/resource.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

CProcessingDlg::CProcessingDlg(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    const SDialogTemplate* pTemplate = FindDialogTemplate(IDD_PROCESSING);
    setObjectName(QString::number(IDD_PROCESSING));
    setWindowTitle(QString::fromUtf8(pTemplate->pszCaption));
    BuildDialogControls(this, *pTemplate);
    setFixedSize(DialogClientSize(*pTemplate));
    m_editFile = FindControlAs<QLineEdit>(this, IDC_PROCESSING_FILE);
    m_progress = FindControlAs<QProgressBar>(this, IDC_PROCESSING_PROGRESS);
    connect(FindControlAs<QPushButton>(this, IDC_STOP), &QPushButton::clicked, this, &CProcessingDlg::OnStop);
    setModal(false);
    show();
}

void CProcessingDlg::SetFile(const QString& strFile)
{
    if (m_editFile->text() != strFile) {
        m_editFile->setText(strFile);
        // The end of a long path names the file; show that part.
        m_editFile->setCursorPosition(int(strFile.size()));
    }
}

QString CProcessingDlg::GetFile() const
{
    return m_editFile->text();
}

void CProcessingDlg::SetProgress(int nDone, int nTotal)
{
    const int nMax = std::max(nTotal, 1);
    if (m_progress->maximum() != nMax)
        m_progress->setRange(0, nMax);
    m_progress->setValue(std::min(nDone, nMax));
}

void CProcessingDlg::OnStop()
{
    m_bStop = true;
    hide();
}

void CProcessingDlg::reject()
{
    // Esc is Stop: the window has no other way to be closed.
    OnStop();
}
