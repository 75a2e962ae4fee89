#include "support/TempDir.h"
#include "support/UrlCatcher.h"
#include "support/core/Addresses.h"
#include "support/core/HelpFile.h"
#include "support/ui/CHelpWindow.h"
#include "support/ui/CHtmlHelp.h"

#include <QDir>
#include <QFile>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpSearchEngine>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kFile = QString::fromLatin1(kHelpCollectionName);

// A copy of the help collection the build made, in a folder of the test's own.
QString CopyBuiltHelp(const CTempDir& dir, const QString& strSub = QStringLiteral("."))
{
    QDir().mkpath(dir.Path(strSub));
    for (const char* pszName : {"pagewick.qhc", "pagewick.qch"})
        EXPECT_TRUE(QFile::copy(QStringLiteral(PAGEWICK_HELP_DIR "/") + QLatin1String(pszName),
                                dir.Path(strSub + u'/' + QLatin1String(pszName))));
    return QDir::cleanPath(dir.Path(strSub));
}

QString PageOf(const CHelpWindow* pWindow)
{
    return pWindow->CurrentUrl().fileName();
}

TEST(HtmlHelp, WithoutACollectionNothingShowsAndItLooksOnlyOnce)
{
    CTempDir exeDir;
    CTempDir currentDir;
    CHtmlHelpLoader loader(exeDir.Path(), currentDir.Path());
    QWidget owner;
    EXPECT_EQ(loader.HtmlHelp(&owner, kFile, HH_HELP_CONTEXT, 0x20066), nullptr);
    EXPECT_EQ(loader.HtmlHelp(&owner, kFile, HH_HELP_CONTEXT, 0x20066), nullptr);
    EXPECT_EQ(loader.BindAttempts(), 1);
    EXPECT_EQ(owner.findChild<CHelpWindow*>(), nullptr);
    // Looking made no empty collection where there was none.
    EXPECT_TRUE(QDir(exeDir.Path()).isEmpty() && QDir(currentDir.Path()).isEmpty());
}

TEST(HtmlHelp, FoundInTheDataFolderAndOpenedAtTheContextsTopic)
{
    CTempDir prefix;
    CopyBuiltHelp(prefix, QStringLiteral("share/pagewick"));
    CHtmlHelpLoader loader(prefix.Path(QStringLiteral("bin")), prefix.Path(QStringLiteral("bin")));
    auto* pOwner = new QWidget;
    QPointer<CHelpWindow> pWindow = loader.HtmlHelp(pOwner, kFile, HH_HELP_CONTEXT, 0x20066);
    ASSERT_TRUE(pWindow);
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_EQ(pWindow->CurrentUrl(), CHelpWindow::TopicUrl(QStringLiteral("main-window.html")));
    // The same window answers later requests, each at its topic.
    EXPECT_EQ(loader.HtmlHelp(pOwner, kFile, HH_HELP_CONTEXT, 0x20083), pWindow);
    EXPECT_EQ(PageOf(pWindow), QStringLiteral("counting.html"));
    EXPECT_EQ(loader.HtmlHelp(pOwner, kFile, HH_DISPLAY_TOPIC, 0), pWindow);
    EXPECT_EQ(PageOf(pWindow), QStringLiteral("main-window.html"));
    EXPECT_EQ(loader.HtmlHelp(pOwner, kFile, 0x0012, 0), nullptr);
    // It closes with the window that owns it.
    delete pOwner;
    EXPECT_FALSE(pWindow);
    EXPECT_EQ(loader.BindAttempts(), 1);
}

TEST(HtmlHelp, ACopiedCollectionStillFindsItsDocumentation)
{
    CTempDir source;
    CopyBuiltHelp(source);
    CTempDir cache;
    ASSERT_TRUE(CopyHelpCollection(source.Path(kFile), cache.Path(kFile)));
    QHelpEngineCore core(cache.Path(kFile));
    ASSERT_TRUE(core.setupData());
    EXPECT_FALSE(core.fileData(CHelpWindow::TopicUrl(MainHelpTopic())).isEmpty());
    // A folder the user may write to keeps its own collection.
    EXPECT_EQ(WritableHelpCollection(source.Path(kFile), cache.Path()), source.Path(kFile));
}

class HelpWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pWindow = new CHelpWindow(CopyBuiltHelp(m_dir) + u'/' + kFile, &m_owner);
        ASSERT_TRUE(m_pWindow->IsReady());
        m_pWindow->show();
    }

    CTempDir m_dir;
    QWidget m_owner;
    CHelpWindow* m_pWindow = nullptr;
};

TEST_F(HelpWindow, ContentsLeadToEveryTopic)
{
    ASSERT_EQ(m_pWindow->Tabs()->count(), 3);   // contents, index, search
    QHelpContentModel* pModel = m_pWindow->Engine()->contentModel();
    ASSERT_TRUE(QTest::qWaitFor([pModel] { return pModel->rowCount() > 0; }, 5000));
    const QModelIndex root = pModel->index(0, 0);
    QStringList files;
    for (int i = 0; i < pModel->rowCount(root); ++i) {
        const QModelIndex topic = pModel->index(i, 0, root);
        emit m_pWindow->Engine()->contentWidget()->activated(topic);
        files << PageOf(m_pWindow);
        // The page is there: its title is the entry's.
        EXPECT_EQ(m_pWindow->Browser()->documentTitle(), topic.data().toString()) << qPrintable(files.last());
    }
    EXPECT_EQ(files, QStringList({"main-window.html", "what-counts.html", "adding-files.html", "counting.html",
                                  "editing.html", "sorting.html", "list-files.html", "reports.html",
                                  "pagewick-count.html", "keys.html", "support.html"}));
}

TEST_F(HelpWindow, IndexAndLinksLeadToPages)
{
    QHelpIndexModel* pModel = m_pWindow->Engine()->indexModel();
    ASSERT_TRUE(QTest::qWaitFor([pModel] { return pModel->rowCount() > 0; }, 5000));
    auto* pFilter = m_pWindow->findChild<QLineEdit*>(QStringLiteral("helpIndexFilter"));
    pFilter->setText(QStringLiteral("Ctrl+Z"));
    QTest::keyClick(pFilter, Qt::Key_Return);
    EXPECT_EQ(PageOf(m_pWindow), QStringLiteral("keys.html"));

    // Links between pages stay in the window; the support page's addresses go to the desktop.
    emit m_pWindow->Browser()->anchorClicked(QUrl(QStringLiteral("support.html")));
    EXPECT_EQ(PageOf(m_pWindow), QStringLiteral("support.html"));
    EXPECT_TRUE(m_pWindow->Browser()->toPlainText().contains(QLatin1String(kSupportEmail)));
    CUrlCatcher catcher;
    const QUrl mail(QStringLiteral("mailto:") + QLatin1String(kSupportEmail));
    emit m_pWindow->Browser()->anchorClicked(mail);
    EXPECT_EQ(catcher.Urls(), QList<QUrl>({mail}));
    EXPECT_EQ(PageOf(m_pWindow), QStringLiteral("support.html"));
}

TEST_F(HelpWindow, FullTextSearchFindsThePages)
{
    QHelpSearchEngine* pSearch = m_pWindow->Engine()->searchEngine();
    QSignalSpy searched(pSearch, &QHelpSearchEngine::searchingFinished);
    // The index is built in the background; a search before it is done finds nothing.
    for (int nTry = 0; nTry < 50 && pSearch->searchResultCount() == 0; ++nTry) {
        pSearch->search(QStringLiteral("FIFOs"));
        ASSERT_TRUE(searched.wait(5000));
        if (pSearch->searchResultCount() == 0)
            QTest::qWait(100);
    }
    ASSERT_EQ(pSearch->searchResultCount(), 1);
    EXPECT_EQ(pSearch->searchResults(0, 1).first().url().fileName(), QStringLiteral("what-counts.html"));
}

}  // namespace
