#include "CScanDlg.h"

#include "app/ui/DialogBuilder.h"
#include "res/resource.h"

#include <QLineEdit>
#include <QPushButton>

CScanDlg::CScanDlg(QWidget* pParent) : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    const SDialogTemplate* pTemplate = FindDialogTemplate(IDD_SCAN);
    setObjectName(QString::number(IDD_SCAN));
    setWindowTitle(QString::fromUtf8(pTemplate->pszCaption));
    BuildDialogControls(this, *pTemplate);
    setFixedSize(DialogClientSize(*pTemplate));
    m_editDirectory = FindControlAs<QLineEdit>(this, IDC_SCAN_DIRECTORY);
    connect(FindControlAs<QPushButton>(this, IDC_STOP), &QPushButton::clicked, this, &CScanDlg::OnStop);
    setModal(false);
    show();
}

void CScanDlg::SetDirectory(const QString& strDirectory)
{
    if (m_editDirectory->text() != strDirectory) {
        m_editDirectory->setText(strDirectory);
        m_editDirectory->setCursorPosition(int(strDirectory.size()));
    }
}

QString CScanDlg::GetDirectory() const
{
    return m_editDirectory->text();
}

void CScanDlg::OnStop()
{
    m_bStop = true;
    hide();
}

void CScanDlg::reject()
{
    // Esc is Stop: the window has no other way to be closed.
    OnStop();
}
