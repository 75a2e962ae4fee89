#include "support/ModalBox.h"
#include "support/Named.h"
#include "support/UrlCatcher.h"
#include "support/core/Addresses.h"
#include "support/ui/CHyperLink.h"
#include "support/ui/HelpCommands.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

const QString kHome = QString::fromLatin1(kHomePageUrl);
const QString kMailto = QStringLiteral("mailto:") + QString::fromLatin1(kSupportEmail);

TEST(HelpCommands, SupportEmailCarriesTheSystemReport)
{
    CUrlCatcher catcher;
    RunSupportEmail(nullptr);
    ASSERT_EQ(catcher.Urls().size(), 1);
    const QUrl url = catcher.Urls().first();
    EXPECT_EQ(url.scheme() + u':' + url.path(), kMailto);
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("subject")), QStringLiteral("Pagewick"));
    const QString strBody = query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded);
    EXPECT_TRUE(strBody.startsWith(QStringLiteral("\r\r\r\r") + QString(35, u'-') +
                                   QStringLiteral("\r\rPagewick\r\rProduct Version : 1.02\r\rProcessors : ")))
        << qPrintable(strBody);
    EXPECT_TRUE(strBody.contains(QStringLiteral("\rTotal Physical Memory : ")));
    EXPECT_EQ(strBody.count(u'\r'), 4 + 1 + 3 + 13 + 3);
}

TEST(HelpCommands, SupportEmailWithoutAMailProgramSaysNothing)
{
    CModalCloser closer;
    RunSupportEmail(nullptr);   // this platform has no desktop handler for it
    QTest::qWait(50);
    EXPECT_EQ(closer.Closed(), 0);
}

TEST(HelpCommands, AboutBoxShowsNameAndLinksAndEndsWithOkOrClose)
{
    CModalBoxes boxes;
    CUrlCatcher catcher;
    boxes.ExpectDialog(QStringLiteral("About Pagewick"), [](QWidget* pBox) {
        QStringList texts;
        for (QLabel* pLabel : pBox->findChildren<QLabel*>())
            texts << pLabel->text();
        EXPECT_TRUE(texts.contains(QStringLiteral("Pagewick v1.02"))) << qPrintable(texts.join(u'|'));
        auto* pHome = Named<CHyperLink>(pBox, "homePageLink");
        auto* pEmail = Named<CHyperLink>(pBox, "emailLink");
        ASSERT_TRUE(pHome && pEmail);
        EXPECT_EQ(pHome->text(), kHome);
        EXPECT_EQ(pHome->GetLinkUrl(), kHome);
        EXPECT_EQ(pEmail->text(), QStringLiteral("email: ") + QString::fromLatin1(kSupportEmail));
        EXPECT_EQ(pEmail->GetLinkUrl(), kMailto);
        EXPECT_TRUE(pHome->font().underline() && pEmail->font().underline());
        // Fitted to its text, so that only the text is a link.
        EXPECT_EQ(pEmail->width(), pEmail->fontMetrics().horizontalAdvance(pEmail->text()));
        QTest::mouseClick(pEmail, Qt::LeftButton);
        QTest::mouseClick(Named<QPushButton>(pBox, "okButton"), Qt::LeftButton);
    });
    QWidget owner;
    RunAboutBox(&owner);
    EXPECT_EQ(catcher.Urls(), QList<QUrl>({QUrl(kMailto)}));
    // The close box ends it too.
    boxes.ExpectDialog(QStringLiteral("About Pagewick"), [](QWidget* pBox) { pBox->close(); });
    RunAboutBox(&owner);
    EXPECT_TRUE(boxes.AllAnswered());
}

}  // namespace
