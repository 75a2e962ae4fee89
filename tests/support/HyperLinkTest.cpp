#include "support/ModalBox.h"
#include "support/TempDir.h"
#include "support/UrlCatcher.h"
#include "support/core/LaunchErrors.h"
#include "support/ui/CHyperLink.h"
#include "support/ui/ReadableColours.h"

#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor kLink(100, 10, 14);

// Points the freedesktop folders into a temporary directory while it lives, so that the browser
// lookup sees only what a test puts there.
class CXdgSandbox : public CTempDir {
public:
    CXdgSandbox()
    {
        for (const char* pszName : kNames) {
            m_saved.append(qgetenv(pszName));
            // Folders of their own; no desktop, so no desktop-specific lists.
            const bool bDesktop = qstrcmp(pszName, "XDG_CURRENT_DESKTOP") == 0;
            qputenv(pszName, bDesktop ? QByteArray() : Path(QString::fromLatin1(pszName)).toLocal8Bit());
        }
    }
    ~CXdgSandbox()
    {
        for (int i = 0; i < int(std::size(kNames)); ++i)
            m_saved[i].isNull() ? qunsetenv(kNames[i]) : qputenv(kNames[i], m_saved[i]);
    }

private:
    static constexpr const char* kNames[] = {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS",
                                             "XDG_CURRENT_DESKTOP"};
    QList<QByteArray> m_saved;
};

QColor TextColour(const CHyperLink* pLink)
{
    return pLink->palette().color(QPalette::WindowText);
}

void Hover(QWidget* pWidget, bool bEnter)
{
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(pWidget, bEnter ? static_cast<QEvent*>(&enter) : &leave);
}

TEST(HyperLink, TextAndTargetStandForEachOther)
{
    CHyperLink bare(QStringLiteral("https://a.example/"));
    EXPECT_EQ(bare.GetLinkUrl(), QStringLiteral("https://a.example/"));
    EXPECT_EQ(bare.toolTip(), QStringLiteral("https://a.example/"));
    EXPECT_EQ(bare.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(bare.font().underline());
    CHyperLink empty;
    empty.SetLinkUrl(QStringLiteral("mailto:help@x.example"));
    EXPECT_EQ(empty.text(), QStringLiteral("mailto:help@x.example"));
}

TEST(HyperLink, ColoursFollowThePointerAndTheVisit)
{
    QWidget parent;
    auto* pLink = new CHyperLink(QStringLiteral("https://a.example/home"), &parent);
    parent.show();
    EXPECT_EQ(TextColour(pLink), kLink);
    Hover(pLink, true);
    EXPECT_EQ(TextColour(pLink), pLink->HoverColourShown());
    Hover(pLink, false);
    EXPECT_EQ(TextColour(pLink), kLink);

    CUrlCatcher catcher;
    QTest::mouseClick(pLink, Qt::LeftButton);
    ASSERT_EQ(catcher.Urls().size(), 1);
    EXPECT_EQ(catcher.Urls().first(), QUrl(QStringLiteral("https://a.example/home")));
    EXPECT_TRUE(pLink->GetVisitedState());
    Hover(pLink, false);
    EXPECT_EQ(TextColour(pLink), pLink->VisitedColourShown());
}

// A palette chosen while the link is shown (a dark theme) gives it colours that read on it.
TEST(HyperLink, ColoursFollowAPaletteChange)
{
    QWidget parent;
    auto* pLink = new CHyperLink(QStringLiteral("Go to Quorbel Website"), &parent);
    parent.show();
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(53, 53, 53));
    pal.setColor(QPalette::WindowText, Qt::white);
    parent.setPalette(pal);
    for (const QColor& crShown : {pLink->LinkColourShown(), pLink->VisitedColourShown(), pLink->HoverColourShown()})
        EXPECT_GE(ContrastRatio(ToRgb(crShown), ToRgb(pal.color(QPalette::Window))), kReadableContrast) << qPrintable(crShown.name());
    EXPECT_EQ(TextColour(pLink), pLink->LinkColourShown());
}

// Assistive technologies meet a link: its role, its text as name, its target as description, and
// a press action that opens the target.
TEST(HyperLink, IsALinkToAssistiveTechnologies)
{
    QWidget parent;
    auto* pLink = new CHyperLink(QStringLiteral("Go to Quorbel Website"), &parent);
    pLink->SetLinkUrl(QStringLiteral("https://a.example/home"));
    parent.show();
    QAccessibleInterface* pIface = QAccessible::queryAccessibleInterface(pLink);
    ASSERT_NE(pIface, nullptr);
    EXPECT_EQ(pIface->role(), QAccessible::Link);
    EXPECT_EQ(pIface->text(QAccessible::Name), QStringLiteral("Go to Quorbel Website"));
    EXPECT_EQ(pIface->text(QAccessible::Description), QStringLiteral("https://a.example/home"));
    QAccessibleActionInterface* pActions = pIface->actionInterface();
    ASSERT_NE(pActions, nullptr);
    ASSERT_TRUE(pActions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    CUrlCatcher catcher;
    pActions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(catcher.Urls(), QList<QUrl>({QUrl(QStringLiteral("https://a.example/home"))}));
    EXPECT_TRUE(pIface->state().traversed);
}

TEST(HyperLink, FailedLaunchExplainsAndIsNotVisited)
{
    CXdgSandbox sandbox;    // no desktop handler on this platform, no browser registered
    QWidget parent;
    auto* pLink = new CHyperLink(QStringLiteral("https://a.example/"), &parent);
    pLink->SetVisitedState(true);
    parent.show();
    CModalBoxes boxes;
    boxes.Expect({QStringLiteral("Pagewick"), LaunchErrorMessage(LAUNCH_NO_ASSOC), QMessageBox::Ok, QMessageBox::Warning},
                 QMessageBox::Ok);
    QTest::mouseClick(pLink, Qt::LeftButton);
    EXPECT_TRUE(boxes.WaitAllAnswered());
    EXPECT_FALSE(pLink->GetVisitedState());
    Hover(pLink, false);
    EXPECT_EQ(TextColour(pLink), kLink);
}

TEST(HyperLink, FallbackStartsTheRegisteredWebBrowser)
{
    CXdgSandbox sandbox;
    const QString strOut = sandbox.Path(QStringLiteral("args.txt"));
    const QString strScript = sandbox.Write(
        QStringLiteral("browser.sh"),
        QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.tmp' && mv '%1.tmp' '%1'\n").arg(strOut).toUtf8());
    QFile::setPermissions(strScript, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    sandbox.Write(QStringLiteral("XDG_DATA_DIRS/applications/web.desktop"),
                  QStringLiteral("[Desktop Entry]\nName=Web\nExec=\"%1\" --new-window %u\n").arg(strScript).toUtf8());
    sandbox.Write(QStringLiteral("XDG_DATA_DIRS/applications/empty.desktop"), "[Desktop Entry]\nName=Nothing\n");
    const QString strMimeApps = QStringLiteral("XDG_CONFIG_HOME/mimeapps.list");
    CHyperLink link;

    // Nothing registered, or an entry without a command: the desktop's failure stands.
    EXPECT_EQ(link.OpenUrl(QStringLiteral("https://a.example/")), LAUNCH_NO_ASSOC);
    sandbox.Write(strMimeApps, "[Default Applications]\ntext/html=empty.desktop\n");
    EXPECT_EQ(link.OpenUrl(QStringLiteral("https://a.example/")), LAUNCH_NO_ASSOC);
    // The first installed default is started with the address.
    sandbox.Write(strMimeApps, "[Default Applications]\ntext/html=gone.desktop;web.desktop;empty.desktop\n");
    EXPECT_EQ(link.OpenUrl(QStringLiteral("https://a.example/p?q=1 2")), LAUNCH_SUCCEEDED);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(strOut); }, 5000));
    QFile out(strOut);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray("--new-window\nhttps://a.example/p?q=1%202\n"));
    // A removed association is not used, even when the programs' cache names it.
    sandbox.Write(strMimeApps, "[Removed Associations]\ntext/html=web.desktop\n");
    sandbox.Write(QStringLiteral("XDG_DATA_DIRS/applications/mimeinfo.cache"), "[MIME Cache]\ntext/html=web.desktop;\n");
    EXPECT_EQ(link.OpenUrl(QStringLiteral("https://a.example/")), LAUNCH_NO_ASSOC);
}

TEST(HyperLink, FitToTextKeepsTheEdgeItsAlignmentNames)
{
    QWidget parent;
    CHyperLink link(QStringLiteral("www.example"), &parent);
    const int cx = link.fontMetrics().horizontalAdvance(link.text());
    const int cy = link.fontMetrics().height();
    const struct {
        Qt::Alignment align;
        QRect expected;
    } cases[] = {
        {Qt::AlignLeft | Qt::AlignTop, QRect(10, 20, cx, cy)},
        {Qt::AlignRight | Qt::AlignTop, QRect(210 - cx, 20, cx, cy)},
        {Qt::AlignHCenter | Qt::AlignTop, QRect(10 + (200 - cx) / 2, 20, 200 - 2 * ((200 - cx) / 2), cy)},
        {Qt::AlignLeft | Qt::AlignVCenter, QRect(10, 20 + (40 - cy) / 2, cx, 40 - 2 * ((40 - cy) / 2))},
    };
    for (const auto& c : cases) {
        link.setAlignment(c.align);
        link.setGeometry(10, 20, 200, 40);
        link.FitToText();
        EXPECT_EQ(link.geometry(), c.expected) << int(c.align);
    }
}

}  // namespace
