#include "CHyperLink.h"

#include "common/ui/AppMessageBox.h"
#include "support/core/BrowserFallback.h"
#include "support/core/LaunchErrors.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

CHyperLink::CHyperLink(const QString& strText, QWidget* pParent)
    : QLabel(strText, pParent), m_crLink(LinkColour()), m_crVisited(VisitedColour())
{
    // The hover colour is the system's highlight colour as it is when the link is made.
    m_crHover = QApplication::palette().color(QPalette::Highlight);
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    m_strUrl = strText;
    setToolTip(m_strUrl);
    SetUnderlined(true);
    UpdateColour();
}

void CHyperLink::SetLinkUrl(const QString& strUrl)
{
    m_strUrl = strUrl;
    if (text().isEmpty())
        setText(strUrl);
    FitToText();
    setToolTip(strUrl);
}

void CHyperLink::SetVisitedState(bool bVisited)
{
    m_bVisited = bVisited;
    UpdateColour();
}

void CHyperLink::SetUnderlined(bool bUnderlined)
{
    QFont font = this->font();
    font.setUnderline(bUnderlined);
    setFont(font);
    update();
}

void CHyperLink::FitToText()
{
    if (!parentWidget())
        return;
    QRect rc = geometry();
    const QFontMetrics fm(font());
    const int cxText = fm.horizontalAdvance(text());
    const int cyText = fm.height();
    const Qt::Alignment align = alignment();
    if (align & Qt::AlignVCenter) {
        const int dy = (rc.height() - cyText) / 2;
        rc.adjust(0, dy, 0, -dy);
    } else {
        rc.setHeight(cyText);
    }
    if (align & Qt::AlignHCenter) {
        const int dx = (rc.width() - cxText) / 2;
        rc.adjust(dx, 0, -dx, 0);
    } else if (align & Qt::AlignRight) {
        rc.setLeft(rc.x() + rc.width() - cxText);
    } else {
        rc.setWidth(cxText);
    }
    setGeometry(rc);
}

int CHyperLink::OpenUrl(const QString& strUrl) const
{
    QUrl url(strUrl, QUrl::TolerantMode);
    if (url.scheme().isEmpty())
        url = QUrl::fromUserInput(strUrl);
    if (!url.isValid() || url.isEmpty())
        return LAUNCH_FILE_NOT_FOUND;
    if (QDesktopServices::openUrl(url))
        return LAUNCH_SUCCEEDED;
    // The desktop found nothing to open it with; that is the failure to report unless the
    // registered web browser can take it.
    return OpenWithRegisteredBrowser(url.toString(QUrl::FullyEncoded), LAUNCH_NO_ASSOC);
}

void CHyperLink::ShowLaunchError(int nCode)
{
    AppMessageBox(window(), LaunchErrorMessage(nCode), QString(), QMessageBox::Ok, QMessageBox::Warning);
}

void CHyperLink::OnClicked()
{
    const int nResult = OpenUrl(m_strUrl);
    SetVisitedState(LaunchSucceeded(nResult));
    if (!m_bVisited) {
        QApplication::beep();
        ShowLaunchError(nResult);
    }
}

void CHyperLink::mousePressEvent(QMouseEvent* pEvent)
{
    QLabel::mousePressEvent(pEvent);
    m_bPressed = pEvent->button() == Qt::LeftButton;
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* pEvent)
{
    QLabel::mouseReleaseEvent(pEvent);
    const bool bClick = m_bPressed && pEvent->button() == Qt::LeftButton &&
                        rect().contains(pEvent->position().toPoint());
    m_bPressed = false;
    if (bClick)
        OnClicked();
}

void CHyperLink::enterEvent(QEnterEvent* pEvent)
{
    QLabel::enterEvent(pEvent);
    m_bOver = true;
    UpdateColour();
}

void CHyperLink::leaveEvent(QEvent* pEvent)
{
    QLabel::leaveEvent(pEvent);
    m_bOver = false;
    UpdateColour();
}

void CHyperLink::UpdateColour()
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, m_bOver ? m_crHover : m_bVisited ? m_crVisited : m_crLink);
    setPalette(pal);
}
