#include "CHelpWindow.h"

#include "ReadableColours.h"
#include "support/core/HelpFile.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>

CHelpBrowser::CHelpBrowser(QHelpEngine* pEngine, QWidget* pParent) : QTextBrowser(pParent), m_pEngine(pEngine)
{
    // Links are followed here, so that a web or mail address goes to the desktop instead of
    // being read as a page of the help.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &CHelpBrowser::OnAnchorClicked);
}

QVariant CHelpBrowser::loadResource(int nType, const QUrl& url)
{
    // The document hands over every address resolved against the page that names it.
    if (url.scheme() != u"qthelp")
        return QTextBrowser::loadResource(nType, url);
    QByteArray data = m_pEngine->fileData(url);
    if (nType == QTextDocument::StyleSheetResource)
        data += '\n' + HelpPageColoursCss(palette()).toUtf8();
    return data;
}

void CHelpBrowser::changeEvent(QEvent* pEvent)
{
    QTextBrowser::changeEvent(pEvent);
    // The page is laid out again in the colours of the new palette.
    if ((pEvent->type() == QEvent::PaletteChange || pEvent->type() == QEvent::StyleChange) && !source().isEmpty())
        reload();
}

void CHelpBrowser::OnAnchorClicked(const QUrl& url)
{
    const QUrl resolved = source().resolved(url);
    if (resolved.scheme() == u"qthelp")
        setSource(resolved);
    else
        QDesktopServices::openUrl(resolved);
}

QUrl CHelpWindow::TopicUrl(const QString& strPage)
{
    return QUrl(QStringLiteral("qthelp://%1/%2/%3")
                    .arg(QLatin1String(kHelpNamespace), QLatin1String(kHelpFolder), strPage));
}

CHelpWindow::CHelpWindow(const QString& strCollection, QWidget* pOwner) : QMainWindow(pOwner, Qt::Window)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Pagewick Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(820, 560);

    // The engine comes first among the children, so it goes before the widgets it feeds.
    m_pEngine = new QHelpEngine(strCollection, this);
    // A collection that may be written keeps the engine's own records up to date.
    m_pEngine->setReadOnly(!QFileInfo(strCollection).isWritable());
    QHelpSearchEngine* pSearch = m_pEngine->searchEngine();
    m_bReady = m_pEngine->setupData() && !m_pEngine->registeredDocumentations().isEmpty();

    m_pBrowser = new CHelpBrowser(m_pEngine, this);
    m_pBrowser->setObjectName(QStringLiteral("helpPage"));

    auto* pToolBar = new QToolBar(QStringLiteral("Navigation"), this);
    pToolBar->setObjectName(QStringLiteral("helpNavigation"));
    pToolBar->setMovable(false);
    pToolBar->setFloatable(false);
    pToolBar->toggleViewAction()->setEnabled(false);
    QAction* pBack = pToolBar->addAction(QStringLiteral("Back"), m_pBrowser, &QTextBrowser::backward);
    QAction* pForward = pToolBar->addAction(QStringLiteral("Forward"), m_pBrowser, &QTextBrowser::forward);
    pToolBar->addAction(QStringLiteral("Home"), this, [this] { ShowTopic(MainHelpTopic()); });
    pBack->setEnabled(false);
    pForward->setEnabled(false);
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, pBack, &QAction::setEnabled);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, pForward, &QAction::setEnabled);

    m_pTabs = new QTabWidget(this);
    m_pTabs->setObjectName(QStringLiteral("helpTabs"));
    // Every tab's name shows whole: the pane is never narrower than its tabs.
    m_pTabs->tabBar()->setUsesScrollButtons(false);
    m_pTabs->tabBar()->setElideMode(Qt::ElideNone);

    QHelpContentWidget* pContents = m_pEngine->contentWidget();
    pContents->setObjectName(QStringLiteral("helpContents"));
    connect(pContents, &QHelpContentWidget::linkActivated, m_pBrowser, [this](const QUrl& url) {
        m_pBrowser->setSource(url);
    });
    connect(m_pEngine->contentModel(), &QHelpContentModel::contentsCreated, pContents, &QTreeView::expandAll);
    m_pTabs->addTab(pContents, QStringLiteral("Contents"));

    auto* pIndexPage = new QWidget;
    auto* pIndexLayout = new QVBoxLayout(pIndexPage);
    pIndexLayout->addWidget(new QLabel(QStringLiteral("&Look for:"), pIndexPage));
    m_pIndexFilter = new QLineEdit(pIndexPage);
    m_pIndexFilter->setObjectName(QStringLiteral("helpIndexFilter"));
    qobject_cast<QLabel*>(pIndexLayout->itemAt(0)->widget())->setBuddy(m_pIndexFilter);
    pIndexLayout->addWidget(m_pIndexFilter);
    QHelpIndexWidget* pIndex = m_pEngine->indexWidget();
    pIndex->setObjectName(QStringLiteral("helpIndex"));
    pIndexLayout->addWidget(pIndex);
    connect(m_pIndexFilter, &QLineEdit::textChanged, pIndex, [pIndex](const QString& str) {
        pIndex->filterIndices(str);
    });
    connect(m_pIndexFilter, &QLineEdit::returnPressed, pIndex, &QHelpIndexWidget::activateCurrentItem);
    connect(pIndex, &QHelpIndexWidget::documentActivated, m_pBrowser,
            [this](const QHelpLink& link, const QString&) { m_pBrowser->setSource(link.url); });
    // A keyword of several pages opens the first of them.
    connect(pIndex, &QHelpIndexWidget::documentsActivated, m_pBrowser,
            [this](const QList<QHelpLink>& links, const QString&) {
                if (!links.isEmpty())
                    m_pBrowser->setSource(links.first().url);
            });
    m_pTabs->addTab(pIndexPage, QStringLiteral("Index"));

    auto* pSearchPage = new QWidget;
    auto* pSearchLayout = new QVBoxLayout(pSearchPage);
    QHelpSearchQueryWidget* pQuery = pSearch->queryWidget();
    pQuery->setObjectName(QStringLiteral("helpSearchQuery"));
    QHelpSearchResultWidget* pResults = pSearch->resultWidget();
    pResults->setObjectName(QStringLiteral("helpSearchResults"));
    pSearchLayout->addWidget(pQuery);
    pSearchLayout->addWidget(pResults, 1);
    connect(pQuery, &QHelpSearchQueryWidget::search, this, &CHelpWindow::OnSearch);
    connect(pResults, &QHelpSearchResultWidget::requestShowLink, m_pBrowser,
            [this](const QUrl& url) { m_pBrowser->setSource(url); });
    m_pTabs->addTab(pSearchPage, QStringLiteral("Search"));

    auto* pSplitter = new QSplitter(Qt::Horizontal, this);
    pSplitter->addWidget(m_pTabs);
    pSplitter->addWidget(m_pBrowser);
    pSplitter->setStretchFactor(1, 1);
    pSplitter->setChildrenCollapsible(false);
    const int cxPane = std::max(240, m_pTabs->minimumSizeHint().width());
    pSplitter->setSizes({cxPane, 820 - cxPane});

    addToolBar(Qt::TopToolBarArea, pToolBar);
    setCentralWidget(pSplitter);
    NameButtons();
}

void CHelpWindow::NameButtons()
{
    // The search results' page buttons show arrows only; in the order of their row they lead to
    // the first, previous, next and last page of hits.
    static const char* const kResultPages[] = {"First page of hits", "Previous page of hits", "Next page of hits",
                                               "Last page of hits"};
    if (auto* pResults = findChild<QHelpSearchResultWidget*>()) {
        for (QLayout* pRow : pResults->findChildren<QLayout*>()) {
            QList<QToolButton*> buttons;
            for (int i = 0; i < pRow->count(); ++i) {
                if (auto* pButton = qobject_cast<QToolButton*>(pRow->itemAt(i)->widget()))
                    buttons << pButton;
            }
            if (buttons.size() != int(std::size(kResultPages)))
                continue;
            for (int i = 0; i < int(buttons.size()); ++i) {
                if (buttons[i]->toolTip().isEmpty())
                    buttons[i]->setToolTip(QString::fromLatin1(kResultPages[i]));
            }
        }
    }
    for (QAbstractButton* pButton : findChildren<QAbstractButton*>()) {
        if (!pButton->accessibleName().isEmpty())
            continue;
        QString strName = pButton->text();
        if (strName.isEmpty())
            strName = pButton->toolTip();
        if (strName.isEmpty()) {
            // Buttons that the toolkit adds and shows only at times: a line edit's clear button, the
            // tool bar's overflow button.
            strName = pButton->objectName() == u"qt_toolbar_ext_button" ? QStringLiteral("More tools")
                                                                          : QStringLiteral("Clear text");
        }
        strName.remove(QRegularExpression(QStringLiteral("&(?!&)")));
        pButton->setAccessibleName(strName);
    }
}

void CHelpWindow::ShowTopic(const QString& strPage)
{
    m_pBrowser->setSource(TopicUrl(strPage));
}

QUrl CHelpWindow::CurrentUrl() const
{
    return m_pBrowser->source();
}

void CHelpWindow::OnSearch()
{
    QHelpSearchEngine* pSearch = m_pEngine->searchEngine();
    pSearch->search(pSearch->queryWidget()->searchInput());
}
