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

    // Shrinks the control to its text, keeping the edge or centre its alignment names.
    void FitToText();

    // Asks the desktop to open an address, then the registered web browser. Above 32 on
    // success, else the code of the failure (see LaunchErrors.h).
    int OpenUrl(const QString& strUrl) const;
    // The launch-error box for a failure code, over this link's window.
    void ShowLaunchError(int nCode);

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
