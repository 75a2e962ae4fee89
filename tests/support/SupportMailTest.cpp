#include "support/core/SupportMail.h"
#include "support/core/SystemInfo.h"

#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

const char kHead[] = "mailto:help@x.example?subject=Pagewick&body=%0d%0d%0d%0d-----------------------------------%0d";

TEST(SupportMail, EmptyFieldsStillGiveEveryLabel)
{
    const QString strUrl = SupportMailUrl(QStringLiteral("help@x.example"), SupportReport(CSystemInfo(), QString()));
    EXPECT_EQ(strUrl,
              QString::fromLatin1(kHead) +
                  QStringLiteral("%0dPagewick%0d%0dProduct Version : %0d%0dProcessors : %0dProcessor Level : %0d"
                                 "CPU Manufacturer : %0dCPU Speed : %0d%0dApplication Memory Used : %0d"
                                 "Total Physical Memory : %0dPhysical Memory Available : %0dTotal Virtual Memory : %0d"
                                 "%0dOperating System : %0dOS Version : %0dService Pack : %0dBuild : %0d"));
}

TEST(SupportMail, ValuesAreEscapedWhereTheyWouldBreakTheUrl)
{
    CSystemInfo info;
    info.m_strProcessors = QStringLiteral("8");
    info.m_strProcessorLevel = QStringLiteral("Pentium (II/Pro)");
    info.m_strCpuVendor = QStringLiteral("A&B #1");
    info.m_strCpuSpeed = QStringLiteral("100% MHz");
    info.m_strMemoryLoad = QStringLiteral("37 KB");
    info.m_strOsName = QStringLiteral("Débian? a=b+c");
    info.m_strServicePack = QStringLiteral("#1 SMP PREEMPT_DYNAMIC");
    const SupportReportPairs pairs = SupportReport(info, QStringLiteral("1.02"));
    ASSERT_EQ(pairs.size(), 13);
    const QString strUrl = SupportMailUrl(QStringLiteral("help@x.example"), pairs);
    EXPECT_TRUE(strUrl.startsWith(QString::fromLatin1(kHead) + QStringLiteral("%0dPagewick%0d%0dProduct Version : 1.02%0d%0d")));
    for (const char* pszPart : {"Processors : 8%0d", "Processor Level : Pentium (II%2FPro)%0d",
                                "CPU Manufacturer : A%26B %231%0d", "CPU Speed : 100%25 MHz%0d%0d",
                                "Application Memory Used : 37 KB%0d", "Operating System : D%C3%A9bian%3F a%3Db%2Bc%0d",
                                "Service Pack : %231 SMP PREEMPT_DYNAMIC%0d"})
        EXPECT_TRUE(strUrl.contains(QString::fromLatin1(pszPart))) << pszPart;

    // What the mail program reads back: one subject, one body holding every value unchanged.
    const QUrl url(strUrl, QUrl::TolerantMode);
    ASSERT_TRUE(url.isValid());
    EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(url.path(), QStringLiteral("help@x.example"));
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItems().size(), 2);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("subject")), QStringLiteral("Pagewick"));
    const QString strBody = query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded);
    EXPECT_TRUE(strBody.startsWith(QStringLiteral("\r\r\r\r") + QString(35, u'-') + QStringLiteral("\r\rPagewick\r\r")));
    EXPECT_TRUE(strBody.contains(QStringLiteral("\rCPU Manufacturer : A&B #1\r")));
    EXPECT_TRUE(strBody.contains(QStringLiteral("\rOperating System : Débian? a=b+c\r")));
    EXPECT_TRUE(strBody.endsWith(QStringLiteral("\rBuild : \r")));
    EXPECT_EQ(url.fragment(), QString());
}

}  // namespace
