#include "CHyperLink.h"

#include "common/ui/AppMessageBox.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

CHyperLink::CHyperLink(const QString& strText, QWidget* pParent) : QLabel(strText, pParent)
{
    m_crHover = palette().color(QPalette::Highlight);
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    SetUnderlined(true);
    UpdateColour();
}

void CHyperLink::SetLinkUrl(const QString& strUrl)
{
    m_strUrl = strUrl;
    if (text().isEmpty())
        setText(strUrl);
    setToolTip(strUrl);
}

void CHyperLink::SetVisitedState(bool bVisited)
{
    m_bVisited = bVisited;
    UpdateColour();
}

void CHyperLink::SetUnderlined(bool bUnderlined)
{
    QFont f = font();
    f.setUnderline(bUnderlined);
    setFont(f);
}

bool CHyperLink::OpenUrl(const QString& strUrl)
{
    return QDesktopServices::openUrl(QUrl::fromUserInput(strUrl));
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* pEvent)
{
    QLabel::mouseReleaseEvent(pEvent);
    if (pEvent->button() != Qt::LeftButton || !rect().contains(pEvent->position().toPoint()))
        return;
    const QString strTarget = m_strUrl.isEmpty() ? text() : m_strUrl;
    const bool bOpened = OpenUrl(strTarget);
    SetVisitedState(bOpened);
    if (!bOpened) {
        QApplication::beep();
        AppMessageBox(window(),
                      QStringLiteral("Unable to open hyperlink:\n\nThere is no application associated\n"
                                     "with the given filename extension."),
                      QString(), QMessageBox::Ok, QMessageBox::Warning);
    }
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
