#include "CHyperLink.h"

#include "ReadableColours.h"
#include "common/ui/AppMessageBox.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

// A link to assistive technologies: its role, its target as description, the visit as
// "traversed", and a press action that opens it.
class CAccessibleHyperLink : public QAccessibleWidget {
public:
    explicit CAccessibleHyperLink(CHyperLink* pLink) : QAccessibleWidget(pLink, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        const QString str = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && str.isEmpty())
            return Link()->text();
        if (t == QAccessible::Description && str.isEmpty())
            return Link()->GetLinkUrl();
        return str;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        s.traversed = Link()->GetVisitedState();
        return s;
    }
    QStringList actionNames() const override { return QAccessibleWidget::actionNames() << pressAction(); }
    void doAction(const QString& strAction) override
    {
        if (strAction == pressAction())
            Link()->Activate();
        else
            QAccessibleWidget::doAction(strAction);
    }

private:
    CHyperLink* Link() const { return static_cast<CHyperLink*>(widget()); }
};

QAccessibleInterface* HyperLinkAccessibleFactory(const QString& strClass, QObject* pObject)
{
    if (strClass == QLatin1String(CHyperLink::staticMetaObject.className()) && pObject && pObject->isWidgetType())
        return new CAccessibleHyperLink(static_cast<CHyperLink*>(pObject));
    return nullptr;
}

}  // namespace

CHyperLink::CHyperLink(const QString& strText, QWidget* pParent) : QLabel(strText, pParent)
{
    static const bool bAccessible = [] {
        QAccessible::installFactory(HyperLinkAccessibleFactory);
        return true;
    }();
    Q_UNUSED(bAccessible);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    m_strUrl = strText;
    setToolTip(m_strUrl);
    SetUnderlined(true);
    ChooseColours();
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
    QFont font = this->font();
    font.setUnderline(bUnderlined);
    setFont(font);
    update();
}

QSize CHyperLink::sizeHint() const
{
    const QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(text()), fm.height());
}

CHyperLink::ELaunch CHyperLink::OpenUrl(const QString& strUrl)
{
    QUrl url(strUrl, QUrl::TolerantMode);
    if (url.scheme().isEmpty())
        url = QUrl::fromUserInput(strUrl);
    if (!url.isValid() || url.isEmpty())
        return ELaunch::NotFound;
    if (QDesktopServices::openUrl(url))
        return ELaunch::Opened;
    // A desktop without an opener of its own (no xdg-open) may still have a web browser.
    const QString strBrowser = QStandardPaths::findExecutable(QStringLiteral("sensible-browser"));
    const bool bWebPage = url.scheme() == u"http" || url.scheme() == u"https";
    if (bWebPage && !strBrowser.isEmpty() && QProcess::startDetached(strBrowser, {url.toString(QUrl::FullyEncoded)}))
        return ELaunch::Opened;
    return ELaunch::NoProgram;
}

void CHyperLink::ShowLaunchError(ELaunch eFailure)
{
    const QString strWhy = eFailure == ELaunch::NotFound
                               ? QStringLiteral("The specified file was not found.")
                               : QStringLiteral("There is no application associated\nwith the given filename extension.");
    AppMessageBox(window(), QStringLiteral("Unable to open hyperlink:\n\n") + strWhy, QString(), QMessageBox::Ok,
                  QMessageBox::Warning);
}

void CHyperLink::Activate()
{
    const ELaunch eResult = OpenUrl(m_strUrl);
    SetVisitedState(eResult == ELaunch::Opened);
    if (!m_bVisited) {
        QApplication::beep();
        ShowLaunchError(eResult);
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
        Activate();
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

void CHyperLink::changeEvent(QEvent* pEvent)
{
    QLabel::changeEvent(pEvent);
    // A new palette or style (a dark theme chosen while the program runs) chooses the colours anew.
    if (!m_bSettingColour && (pEvent->type() == QEvent::PaletteChange || pEvent->type() == QEvent::StyleChange))
        ChooseColours();
}

void CHyperLink::ChooseColours()
{
    const SLinkColours colours = LinkColoursOn(palette(), LinkColour(), VisitedColour());
    m_crLink = ToColor(colours.link);
    m_crVisited = ToColor(colours.visited);
    m_crHover = ToColor(colours.hover);
    UpdateColour();
}

void CHyperLink::UpdateColour()
{
    const QColor crText = m_bOver ? m_crHover : m_bVisited ? m_crVisited : m_crLink;
    if (palette().color(QPalette::WindowText) == crText)
        return;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, crText);
    m_bSettingColour = true;
    setPalette(pal);
    m_bSettingColour = false;
}
