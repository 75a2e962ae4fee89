#include "CStopDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CStopDlg::CStopDlg(const QString& strCaption, const QString& strLabel, int nFieldChars, QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(strCaption);
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setSizeConstraint(QLayout::SetFixedSize);

    auto* pTextLine = new QHBoxLayout;
    auto* pLabel = new QLabel(strLabel, this);
    m_editText = new QLineEdit(this);
    m_editText->setObjectName(QStringLiteral("textField"));
    m_editText->setReadOnly(true);
    m_editText->setAccessibleName(QString(strLabel).remove(u':'));
    m_editText->setMinimumWidth(m_editText->fontMetrics().averageCharWidth() * nFieldChars);
    pLabel->setBuddy(m_editText);
    pTextLine->addWidget(pLabel);
    pTextLine->addWidget(m_editText, 1);
    m_pLayout->addLayout(pTextLine);

    auto* pStop = new QPushButton(QStringLiteral("&Stop"), this);
    pStop->setObjectName(QStringLiteral("stopButton"));
    pStop->setDefault(true);
    m_pLayout->addWidget(pStop, 0, Qt::AlignHCenter);
    connect(pStop, &QPushButton::clicked, this, &CStopDlg::OnStop);
    setModal(false);
    show();
}

void CStopDlg::AddLine(QWidget* pLine)
{
    m_pLayout->insertWidget(m_pLayout->count() - 1, pLine);
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
