// A static text that works as a link: link colours, underline, hand cursor, tool tip with the
// target, and a click that opens the target. The text and the target stand in for each other:
// a link without a target opens its text, a link without a text shows its target. Its colours
// read on every palette, and assistive technologies meet it as a link that can be pressed.
#pragma once

#include <QColor>
#include <QLabel>

class CHyperLink : public QLabel {
    Q_OBJECT
public:
    explicit CHyperLink(const QString& strText = QString(), QWidget* pParent = nullptr);

    void SetLinkUrl(const QString& strUrl);
    QString GetLinkUrl() const { return m_strUrl; }
    void SetVisitedState(bool bVisited);
    bool GetVisitedState() const { return m_bVisited; }
    void SetUnderlined(bool bUnderlined);

    // What became of a request to open an address.
    enum class ELaunch { Opened, NotFound, NoProgram };
    // Asks the desktop to open an address; a web page the desktop cannot open goes to the browser
    // Debian's sensible-browser chooses.
    static ELaunch OpenUrl(const QString& strUrl);
    // The box of a launch that failed, over this link's window: "Unable to open hyperlink:", a
    // blank line and why.
    void ShowLaunchError(ELaunch eFailure);

    // The link is as large as its text, so that only the text is a link; a layout puts it at the
    // edge or centre its alignment there names.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // Opens the target as a click does (also the press action of assistive technologies).
    void Activate();

    // The link's own colours of a link not yet visited and of one visited; kept on a light
    // palette where they read, else taken from the palette (ReadableColours.h).
    static QColor LinkColour() { return QColor(100, 10, 14); }
    static QColor VisitedColour() { return QColor(200, 200, 200); }
    // The colours the link is drawn with now.
    QColor LinkColourShown() const { return m_crLink; }
    QColor VisitedColourShown() const { return m_crVisited; }
    QColor HoverColourShown() const { return m_crHover; }

protected:
    void changeEvent(QEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void enterEvent(QEnterEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;

private:
    void UpdateColour();
    // Chooses the three colours for the palette the link stands on.
    void ChooseColours();

    QColor m_crLink;
    QColor m_crVisited;
    QColor m_crHover;
    bool m_bOver = false;
    bool m_bVisited = false;
    bool m_bPressed = false;
    bool m_bSettingColour = false;
    QString m_strUrl;
};
