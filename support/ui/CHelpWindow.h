// The help window: the help collection's contents, index and full-text search beside the page
// they lead to. It belongs to the window that asked for help and closes with it; to assistive
// technologies it is a window of its own, named by its title.
#pragma once

#include <QMainWindow>
#include <QTextBrowser>
#include <QUrl>

class QHelpEngine;
class QLineEdit;
class QTabWidget;

// Shows pages out of the help collection; addresses outside it go to the desktop. The pages'
// style sheet gets the colours of the palette the browser is drawn with.
class CHelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    CHelpBrowser(QHelpEngine* pEngine, QWidget* pParent);
    QVariant loadResource(int nType, const QUrl& url) override;

protected:
    void changeEvent(QEvent* pEvent) override;

private:
    void OnAnchorClicked(const QUrl& url);

    QHelpEngine* m_pEngine;
};

class CHelpWindow : public QMainWindow {
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
    // Buttons drawn as pictures only get a name that assistive technologies can say.
    void NameButtons();

    QHelpEngine* m_pEngine = nullptr;
    QTabWidget* m_pTabs = nullptr;
    QLineEdit* m_pIndexFilter = nullptr;
    CHelpBrowser* m_pBrowser = nullptr;
    bool m_bReady = false;
};
