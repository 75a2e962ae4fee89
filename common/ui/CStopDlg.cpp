#include "CStopDlg.h"

#include "DialogBuilder.h"
#include "res/resource.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CStopDlg::CStopDlg(int nTemplate, int nTextId, QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    const SDialogTemplate* pTemplate = FindDialogTemplate(nTemplate);
    setObjectName(QString::number(nTemplate));
    setWindowTitle(QString::fromUtf8(pTemplate->pszCaption));
    BuildDialogControls(this, *pTemplate);
    setFixedSize(DialogClientSize(*pTemplate));
    m_editText = FindControlAs<QLineEdit>(this, nTextId);
    // The label stands on the text line of its field, not above it.
    if (auto* pLabel = findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        const QRect field = m_editText->geometry();
        pLabel->setGeometry(pLabel->x(), field.y(), pLabel->width(), field.height());
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    connect(FindControlAs<QPushButton>(this, IDC_STOP), &QPushButton::clicked, this, &CStopDlg::OnStop);
    setModal(false);
    show();
}

void CStopDlg::SetText(const QString& strText)
{
    if (m_editText->text() != strText) {
        m_editText->setText(strText);
        // The end of a long path names the file or folder; show that part.
        m_editText->setCursorPosition(int(strText.size()));
    }
}

QString CStopDlg::GetText() const
{
    return m_editText->text();
}

void CStopDlg::OnStop()
{
    if (m_bStop)
        return;
    m_bStop = true;
    hide();
    emit stopRequested();
}

void CStopDlg::reject()
{
    // Esc is Stop: the window has no other way to be closed.
    OnStop();
}
