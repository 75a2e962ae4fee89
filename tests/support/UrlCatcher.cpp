#include "UrlCatcher.h"

#include <QDesktopServices>

namespace {
const char* const kSchemes[] = {"http", "https", "mailto", "file"};
}

CUrlCatcher::CUrlCatcher()
{
    for (const char* pszScheme : kSchemes)
        QDesktopServices::setUrlHandler(QString::fromLatin1(pszScheme), this, "Catch");
}

CUrlCatcher::~CUrlCatcher()
{
    for (const char* pszScheme : kSchemes)
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(pszScheme));
}

void CUrlCatcher::Catch(const QUrl& url)
{
    m_urls.append(url);
}
