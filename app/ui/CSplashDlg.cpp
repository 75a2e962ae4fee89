#include "CSplashDlg.h"

#include "common/ui/DialogBuilder.h"
#include "res/resource.h"

#include <QLabel>
#include <QTimerEvent>

CSplashDlg::CSplashDlg(QWidget* pParent) : QDialog(pParent, Qt::Dialog | Qt::FramelessWindowHint)
{
    const SDialogTemplate* pTemplate = FindDialogTemplate(IDD_SPLASH);
    setObjectName(QString::number(IDD_SPLASH));
    setAccessibleName(QStringLiteral("Pagewick"));
    BuildDialogControls(this, *pTemplate);
    // The picture is shown at its own size, and the dialog is exactly as large as the picture.
    const QPixmap picture(QStringLiteral(":/images/splash.png"));
    if (auto* pPicture = findChild<QLabel*>()) {
        pPicture->setPixmap(picture);
        pPicture->setGeometry(QRect(QPoint(0, 0), picture.size()));
    }
    setFixedSize(picture.isNull() ? DialogClientSize(*pTemplate) : picture.size());
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
