// A static text that works as a link: link colours, underline, hand cursor, tool tip with the
// target, and a click that opens the target.
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

    // Asks the desktop to open an address; true when it accepted the request.
    static bool OpenUrl(const QString& strUrl);

protected:
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void enterEvent(QEnterEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;

private:
    void UpdateColour();

    QColor m_crLink{100, 10, 14};
    QColor m_crVisited{200, 200, 200};
    QColor m_crHover;
    bool m_bOver = false;
    bool m_bVisited = false;
    QString m_strUrl;
};
