#include "support/ModalBox.h"
#include "support/TempDir.h"
#include "support/UrlCatcher.h"
#include "support/ui/CHyperLink.h"
#include "support/ui/ReadableColours.h"

#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor kLink(100, 10, 14);

// Points PATH into a temporary directory while it lives, so that the fallback finds only the
// browser a test puts there.
class CPathSandbox : public CTempDir {
public:
    CPathSandbox() : m_saved(qgetenv("PATH")) { qputenv("PATH", Path().toLocal8Bit()); }
    ~CPathSandbox() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
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

// A link is its text (the target too, until it is given one), underlined under a pointing hand,
// its target its tool tip. Assistive technologies meet it: its role, its text as name, its target
// as description, and a press action that opens the target.
TEST(HyperLink, IsALinkToTheEyeAndToAssistiveTechnologies)
{
    QWidget parent;
    auto* pLink = new CHyperLink(QStringLiteral("Go to Quorbel Website"), &parent);
    EXPECT_EQ(pLink->GetLinkUrl(), QStringLiteral("Go to Quorbel Website"));
    EXPECT_EQ(pLink->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(pLink->font().underline());
    pLink->SetLinkUrl(QStringLiteral("https://a.example/home"));
    EXPECT_EQ(pLink->toolTip(), QStringLiteral("https://a.example/home"));
    CHyperLink empty;
    empty.SetLinkUrl(QStringLiteral("mailto:help@x.example"));
    EXPECT_EQ(empty.text(), QStringLiteral("mailto:help@x.example"));
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

// What a failed launch says, as the box shows it: an address that is none, and one that no
// program opens (this platform has no desktop opener, and no browser is on the path).
TEST(HyperLink, FailedLaunchExplainsAndIsNotVisited)
{
    CPathSandbox sandbox;
    const struct {
        const char* pszUrl;
        const char* pszWhy;
    } cases[] = {
        {"https://[a.example/", "The specified file was not found."},
        {"https://a.example/", "There is no application associated\nwith the given filename extension."},
    };
    for (const auto& c : cases) {
        QWidget parent;
        auto* pLink = new CHyperLink(QString::fromUtf8(c.pszUrl), &parent);
        pLink->SetVisitedState(true);
        parent.show();
        CModalBoxes boxes;
        boxes.Expect({QStringLiteral("Pagewick"), QStringLiteral("Unable to open hyperlink:\n\n") + QString::fromUtf8(c.pszWhy),
                      QMessageBox::Ok, QMessageBox::Warning},
                     QMessageBox::Ok);
        QTest::mouseClick(pLink, Qt::LeftButton);
        EXPECT_TRUE(boxes.WaitAllAnswered()) << c.pszUrl;
        EXPECT_FALSE(pLink->GetVisitedState());
        Hover(pLink, false);
        EXPECT_EQ(TextColour(pLink), kLink);
    }
}

// Where the desktop opens nothing, a web page goes to sensible-browser, as one word of its own;
// other addresses (mail) do not.
TEST(HyperLink, WebPagesFallBackOnSensibleBrowser)
{
    CPathSandbox sandbox;
    const QString strOut = sandbox.Path(QStringLiteral("args.txt"));
    const QString strScript = sandbox.Write(
        QStringLiteral("sensible-browser"),
        QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.tmp' && command -p mv '%1.tmp' '%1'\n").arg(strOut).toUtf8());
    QFile::setPermissions(strScript, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(CHyperLink::OpenUrl(QStringLiteral("mailto:help@a.example")), CHyperLink::ELaunch::NoProgram);
    EXPECT_EQ(CHyperLink::OpenUrl(QStringLiteral("https://a.example/p?q=1 2")), CHyperLink::ELaunch::Opened);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(strOut); }, 5000));
    QFile out(strOut);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray("https://a.example/p?q=1%202\n"));
}

// In a layout the link is as large as its text and stands at the edge its alignment names.
TEST(HyperLink, IsAsLargeAsItsTextWhereItsAlignmentPutsIt)
{
    for (const Qt::Alignment align : {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter}) {
        QWidget parent;
        auto* pLayout = new QHBoxLayout(&parent);
        pLayout->setContentsMargins(0, 0, 0, 0);
        auto* pLink = new CHyperLink(QStringLiteral("www.example"));
        pLayout->addWidget(pLink, 0, align);
        parent.resize(300, 60);
        parent.show();
        const QFontMetrics fm = pLink->fontMetrics();
        EXPECT_EQ(pLink->size(), QSize(fm.horizontalAdvance(pLink->text()), fm.height()));
        const int x = align == Qt::AlignLeft ? 0 : align == Qt::AlignRight ? 300 - pLink->width() : -1;
        if (x >= 0) {
            EXPECT_EQ(pLink->x(), x) << int(align);
        } else {
            EXPECT_LE(std::abs(pLink->geometry().center().x() - 150), 1);
        }
    }
}

}  // namespace
