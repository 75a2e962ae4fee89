// A static text that works as a link: link colours, underline, hand cursor, tool tip with the
// target, and a click that opens the target. The text and the target stand in for each other:
// a link without a target opens its text, a link without a text shows its target.
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

    // The colours of a link not yet visited and of one visited.
    static QColor LinkColour() { return QColor(100, 10, 14); }
    static QColor VisitedColour() { return QColor(200, 200, 200); }

protected:
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void enterEvent(QEnterEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;

private:
    void OnClicked();
    void UpdateColour();

    QColor m_crLink;
    QColor m_crVisited;
    QColor m_crHover;
    bool m_bOver = false;
    bool m_bVisited = false;
    bool m_bPressed = false;
    QString m_strUrl;
};
