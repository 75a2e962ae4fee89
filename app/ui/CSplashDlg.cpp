#include "CSplashDlg.h"

#include <QLabel>
#include <QTimerEvent>
#include <QVBoxLayout>

CSplashDlg::CSplashDlg(QWidget* pParent) : QDialog(pParent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setAccessibleName(QStringLiteral("Pagewick"));
    // The picture at its own size, and the window exactly as large as the picture.
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);
    auto* pPicture = new QLabel(this);
    pPicture->setPixmap(QPixmap(QStringLiteral(":/images/splash.png")));
    pLayout->addWidget(pPicture);
    setModal(true);
}

void CSplashDlg::showEvent(QShowEvent* pEvent)
{
    QDialog::showEvent(pEvent);
    // The three seconds count from the moment the picture is on screen.
    if (m_nTimer == 0)
        m_nTimer = startTimer(kShowMs);
}

void CSplashDlg::timerEvent(QTimerEvent* pEvent)
{
    if (pEvent->timerId() != m_nTimer)
        return;
    killTimer(m_nTimer);
    m_nTimer = 0;
    done(QDialog::Accepted);
}
