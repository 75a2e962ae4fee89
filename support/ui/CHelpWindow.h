// The help window: the help collection's contents, index and full-text search beside the page
// they lead to. It belongs to the window that asked for help and closes with it.
#pragma once

#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

class QHelpEngine;
class QLineEdit;
class QTabWidget;

// Shows pages out of the help collection; addresses outside it go to the desktop.
class CHelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    CHelpBrowser(QHelpEngine* pEngine, QWidget* pParent);
    QVariant loadResource(int nType, const QUrl& url) override;

private:
    void OnAnchorClicked(const QUrl& url);

    QHelpEngine* m_pEngine;
};

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    // Opens the collection file; IsReady() says whether it holds the help.
    CHelpWindow(const QString& strCollection, QWidget* pOwner);

    bool IsReady() const { return m_bReady; }
    // Shows a page of the help folder ("main-window.html").
    void ShowTopic(const QString& strPage);
    QUrl CurrentUrl() const;

    QHelpEngine* Engine() const { return m_pEngine; }
    QTabWidget* Tabs() const { return m_pTabs; }
    CHelpBrowser* Browser() const { return m_pBrowser; }

    static QUrl TopicUrl(const QString& strPage);

private:
    void OnSearch();

    QHelpEngine* m_pEngine = nullptr;
    QTabWidget* m_pTabs = nullptr;
    QLineEdit* m_pIndexFilter = nullptr;
    CHelpBrowser* m_pBrowser = nullptr;
    bool m_bReady = false;
};
