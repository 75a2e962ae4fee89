#include "CHelpWindow.h"

#include "support/core/HelpFile.h"

#include <QDesktopServices>
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
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

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
    if (url.scheme() == u"qthelp")
        return m_pEngine->fileData(url);
    return QTextBrowser::loadResource(nType, url);
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

CHelpWindow::CHelpWindow(const QString& strCollection, QWidget* pOwner) : QWidget(pOwner, Qt::Window)
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

    auto* pToolBar = new QToolBar(this);
    QAction* pBack = pToolBar->addAction(QStringLiteral("Back"), m_pBrowser, &QTextBrowser::backward);
    QAction* pForward = pToolBar->addAction(QStringLiteral("Forward"), m_pBrowser, &QTextBrowser::forward);
    pToolBar->addAction(QStringLiteral("Home"), this, [this] { ShowTopic(MainHelpTopic()); });
    pBack->setEnabled(false);
    pForward->setEnabled(false);
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, pBack, &QAction::setEnabled);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, pForward, &QAction::setEnabled);

    m_pTabs = new QTabWidget(this);
    m_pTabs->setObjectName(QStringLiteral("helpTabs"));

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
    pSplitter->setSizes({240, 580});

    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addWidget(pToolBar);
    pLayout->addWidget(pSplitter, 1);
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
