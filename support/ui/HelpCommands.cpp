#include "HelpCommands.h"

#include "CAboutDlg.h"
#include "CHtmlHelp.h"
#include "CHyperLink.h"
#include "res/Version.h"
#include "support/core/Addresses.h"
#include "support/core/HelpFile.h"
#include "support/core/SupportMail.h"
#include "support/core/SystemInfo.h"

#include <QDesktopServices>
#include <QUrl>

void RunHelpWebsite()
{
    CHyperLink::OpenUrl(QString::fromLatin1(kHomePageUrl));
}

void RunSupportEmail(QWidget* pOwner)
{
    Q_UNUSED(pOwner);   // the desktop's mail program opens on its own
    CSystemInfo info;
    info.Probe();
    const QString strUrl = SupportMailUrl(QString::fromLatin1(kSupportEmail),
                                          SupportReport(info, QStringLiteral(PAGEWICK_VERSION)));
    QDesktopServices::openUrl(QUrl(strUrl, QUrl::TolerantMode));
}

void RunHtmlHelp(QWidget* pOwner, const QString& strTopic)
{
    CHtmlHelpLoader::Instance().HtmlHelp(pOwner, QString::fromLatin1(kHelpCollectionName), strTopic);
}

void RunAboutBox(QWidget* pOwner)
{
    CAboutDlg dlg(pOwner);
    dlg.m_linkHomePage->SetLinkUrl(QString::fromLatin1(kHomePageUrl));
    dlg.m_linkHomePage->SetUnderlined(true);
    dlg.m_linkEmail->SetLinkUrl(QStringLiteral("mailto:") + QString::fromLatin1(kSupportEmail));
    dlg.m_linkEmail->SetUnderlined(true);
    dlg.exec();
}
