#include "support/ModalBox.h"
#include "support/TempDir.h"
#include "support/UrlCatcher.h"
#include "support/core/Addresses.h"
#include "support/core/HelpFile.h"
#include "support/ui/CHelpWindow.h"
#include "support/ui/CHtmlHelp.h"
#include "support/ui/ReadableColours.h"

#include <QDir>
#include <QAbstractButton>
#include <QAccessible>
#include <QFile>
#include <QFileInfo>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpSearchEngine>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

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

QByteArray Bytes(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// Whatever keeps the help from showing, a box says so and why, at every request; the folders are
// looked through once only.
TEST(HtmlHelp, WithoutHelpABoxSaysWhy)
{
    const struct {
        const char* pszCase;
        const char* pszCollection;  // bytes of the collection in the current folder, or none
        bool bCopyDirIsAFile;
        const char* pszReason;
    } cases[] = {
        {"missing", nullptr, false, "is in none of these folders"},
        {"damaged", "not a help collection", false, "is damaged"},
        {"no room for the copy", nullptr, true, "could not be made"},
    };
    for (const auto& c : cases) {
        CTempDir exeDir;
        CTempDir currentDir;
        CTempDir cache;
        if (c.pszCollection)
            currentDir.Write(kFile, c.pszCollection);
        if (c.bCopyDirIsAFile) {
            CopyBuiltHelp(currentDir);
            cache.Write(QStringLiteral("file"), "x");
        }
        CHtmlHelpLoader loader(exeDir.Path(), currentDir.Path(), cache.Path(QStringLiteral("file/help")));
        QWidget owner;
        CModalBoxes boxes;
        for (int i = 0; i < 2; ++i) {
            boxes.Expect({QStringLiteral("Pagewick"), QStringLiteral("The help cannot be shown."), QMessageBox::Ok,
                          QMessageBox::Warning},
                         QMessageBox::Ok);
            EXPECT_EQ(loader.HtmlHelp(&owner, kFile), nullptr) << c.pszCase;
        }
        EXPECT_TRUE(boxes.AllAnswered()) << c.pszCase;
        ASSERT_EQ(boxes.Seen().size(), 2) << c.pszCase;
        EXPECT_TRUE(boxes.Seen()[0].strInformative.contains(QLatin1String(c.pszReason)))
            << c.pszCase << ": " << qPrintable(boxes.Seen()[0].strInformative);
        EXPECT_EQ(loader.BindAttempts(), 1) << c.pszCase;
        EXPECT_EQ(owner.findChild<CHelpWindow*>(), nullptr) << c.pszCase;
        // Looking made no empty collection where there was none.
        EXPECT_TRUE(QDir(exeDir.Path()).isEmpty()) << c.pszCase;
    }
}

// The installed collection is only read; the user's copy is made once, and again when the
// collection it came from is changed or another one is used.
TEST(HtmlHelp, TheUserCopyFollowsTheInstalledCollection)
{
    CTempDir first;
    const QString strInstalled = CopyBuiltHelp(first, QStringLiteral("share/pagewick")) + u'/' + kFile;
    CTempDir cache;
    const QString strCopyDir = cache.Path(QStringLiteral("help"));
    const QByteArray collection = Bytes(strInstalled);
    const QByteArray docs = Bytes(first.Path(QStringLiteral("share/pagewick/pagewick.qch")));
    const auto open = [&](const CTempDir& prefix) {
        CHtmlHelpLoader loader(prefix.Path(QStringLiteral("bin")), prefix.Path(QStringLiteral("bin")), strCopyDir);
        QWidget owner;
        CHelpWindow* pWindow = loader.HtmlHelp(&owner, kFile);
        EXPECT_TRUE(pWindow && PageOf(pWindow) == MainHelpTopic());
        EXPECT_EQ(loader.CollectionPath(), strCopyDir + u'/' + kFile);
        return Bytes(strCopyDir + QStringLiteral("/copied-from"));
    };

    const QByteArray stamp = open(first);
    EXPECT_TRUE(stamp.startsWith(QFileInfo(strInstalled).absoluteFilePath().toUtf8() + '\n')) << stamp.constData();
    const QString strMark = strCopyDir + QStringLiteral("/.pagewick/mark");
    QDir().mkpath(QFileInfo(strMark).absolutePath());
    QFile(strMark).open(QIODevice::WriteOnly);
    EXPECT_EQ(open(first), stamp);
    EXPECT_TRUE(QFile::exists(strMark)) << "an unchanged collection is not copied again";

    // A new version installed over the first: the copy and its search index are made anew.
    ASSERT_TRUE(CTempDir::SetTimes(strInstalled, QDateTime::currentDateTime().addDays(-3)));
    EXPECT_NE(open(first), stamp);
    EXPECT_FALSE(QFile::exists(strMark));
    EXPECT_EQ(Bytes(strInstalled), collection);
    EXPECT_EQ(Bytes(first.Path(QStringLiteral("share/pagewick/pagewick.qch"))), docs);

    // Installed to a second prefix, the first removed: the help comes from the second.
    CTempDir second;
    CopyBuiltHelp(second, QStringLiteral("share/pagewick"));
    QDir(first.Path(QStringLiteral("share"))).removeRecursively();
    EXPECT_TRUE(open(second).startsWith(second.Path(QStringLiteral("share/pagewick/")).toUtf8()));
}

TEST(HtmlHelp, FoundInTheDataFolderAndOpenedAtTheWindowsTopic)
{
    CTempDir prefix;
    CopyBuiltHelp(prefix, QStringLiteral("share/pagewick"));
    CTempDir cache;
    CHtmlHelpLoader loader(prefix.Path(QStringLiteral("bin")), prefix.Path(QStringLiteral("bin")), cache.Path());
    auto* pOwner = new QWidget;
    QPointer<CHelpWindow> pWindow = loader.HtmlHelp(pOwner, kFile);
    ASSERT_TRUE(pWindow);
    EXPECT_TRUE(pWindow->isVisible());
    EXPECT_EQ(pWindow->CurrentUrl(), CHelpWindow::TopicUrl(QStringLiteral("main-window.html")));
    // The same window answers later requests, each at its topic.
    EXPECT_EQ(loader.HtmlHelp(pOwner, kFile, QStringLiteral("counting.html")), pWindow);
    EXPECT_EQ(PageOf(pWindow), QStringLiteral("counting.html"));
    EXPECT_EQ(loader.HtmlHelp(pOwner, kFile), pWindow);
    EXPECT_EQ(PageOf(pWindow), QStringLiteral("main-window.html"));
    // It closes with the window that owns it.
    delete pOwner;
    EXPECT_FALSE(pWindow);
    EXPECT_EQ(loader.BindAttempts(), 1);
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

// To assistive technologies the help is a window of the application, named by its title, and
// every button in it, the search pane's picture buttons included, has a name.
TEST_F(HelpWindow, IsANamedWindowWithNamedButtons)
{
    QAccessibleInterface* pWindow = QAccessible::queryAccessibleInterface(m_pWindow);
    ASSERT_NE(pWindow, nullptr);
    EXPECT_EQ(pWindow->role(), QAccessible::Window);
    EXPECT_EQ(pWindow->text(QAccessible::Name), QStringLiteral("Pagewick Help"));
    ASSERT_NE(pWindow->parent(), nullptr);
    EXPECT_EQ(pWindow->parent()->role(), QAccessible::Application);
    const QList<QAbstractButton*> buttons = m_pWindow->findChildren<QAbstractButton*>();
    EXPECT_GE(buttons.size(), 10);
    for (QAbstractButton* pButton : buttons) {
        QAccessibleInterface* pIface = QAccessible::queryAccessibleInterface(pButton);
        EXPECT_FALSE(pIface->text(QAccessible::Name).isEmpty())
            << pButton->metaObject()->className() << " " << qPrintable(pButton->toolTip());
    }
}

// On light, dark and high-contrast palettes every piece of text of a page (headings, table
// headings, links, code) reads on what it is drawn on.
TEST_F(HelpWindow, PagesReadOnEveryPalette)
{
    const struct {
        const char* pszName;
        QColor crBase, crText, crButton, crButtonText, crLink;
    } palettes[] = {
        {"light", Qt::white, Qt::black, QColor(239, 239, 239), Qt::black, QColor(0, 0, 255)},
        {"dark", QColor(35, 35, 35), Qt::white, QColor(53, 53, 53), Qt::white, QColor(42, 130, 218)},
        {"high contrast", Qt::black, Qt::white, Qt::black, Qt::yellow, Qt::cyan},
    };
    for (const auto& p : palettes) {
        QPalette pal = m_pWindow->palette();
        pal.setColor(QPalette::Base, p.crBase);
        pal.setColor(QPalette::AlternateBase, p.crBase);
        pal.setColor(QPalette::Text, p.crText);
        pal.setColor(QPalette::Button, p.crButton);
        pal.setColor(QPalette::ButtonText, p.crButtonText);
        pal.setColor(QPalette::Link, p.crLink);
        m_pWindow->setPalette(pal);
        for (const char* pszPage : {"main-window.html", "pagewick-count.html"}) {
            m_pWindow->ShowTopic(QLatin1String(pszPage));
            int nFragments = 0;
            const QTextDocument* pDoc = m_pWindow->Browser()->document();
            for (QTextBlock block = pDoc->begin(); block.isValid(); block = block.next()) {
                QColor crBack = p.crBase;
                if (QTextTable* pTable = QTextCursor(block).currentTable()) {
                    const QBrush cell = pTable->cellAt(block.position()).format().background();
                    if (cell.style() != Qt::NoBrush)
                        crBack = cell.color();
                }
                if (block.blockFormat().background().style() != Qt::NoBrush)
                    crBack = block.blockFormat().background().color();
                for (auto it = block.begin(); !it.atEnd(); ++it) {
                    const QTextCharFormat f = it.fragment().charFormat();
                    const QColor crFore = f.foreground().style() != Qt::NoBrush ? f.foreground().color() : p.crText;
                    const QColor crUnder = f.background().style() != Qt::NoBrush ? f.background().color() : crBack;
                    ++nFragments;
                    EXPECT_GE(ContrastRatio(ToRgb(crFore), ToRgb(crUnder)), kReadableContrast)
                        << p.pszName << " " << pszPage << ": \"" << qPrintable(it.fragment().text()) << "\" "
                        << qPrintable(crFore.name()) << " on " << qPrintable(crUnder.name());
                }
            }
            EXPECT_GT(nFragments, 20) << pszPage;
        }
    }
}

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
