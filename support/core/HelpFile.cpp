#include "HelpFile.h"

#include "res/resource.h"

#include <QDir>

QString MainHelpTopic()
{
    return QStringLiteral("main-window.html");
}

QString HelpTopicForContext(quint32 nContext)
{
    switch (nContext) {
    case kHelpContextDialogBase + IDD_ABOUTBOX:
        return QStringLiteral("support.html");
    case kHelpContextDialogBase + IDD_PROCESSING:
        return QStringLiteral("counting.html");
    case kHelpContextDialogBase + IDD_SCAN:
        return QStringLiteral("adding-files.html");
    case kHelpContextDialogBase + IDD_PAGECOUNT_DIALOG:
    default:
        return MainHelpTopic();
    }
}

QStringList HelpFileCandidates(const QString& strFile, const QString& strExeDir, const QString& strCurrentDir)
{
    if (strFile.isEmpty())
        return {};
    if (QDir::isAbsolutePath(strFile))
        return {QDir::cleanPath(strFile)};
    return {
        QDir::cleanPath(strExeDir + u'/' + strFile),
        QDir::cleanPath(strExeDir + QStringLiteral("/../share/pagewick/") + strFile),
        QDir::cleanPath(strCurrentDir + u'/' + strFile),
    };
}

QByteArray HelpCopyStamp(const QString& strCollection, qint64 nSize, qint64 nModifiedMs)
{
    return strCollection.toUtf8() + '\n' + QByteArray::number(nSize) + '\n' + QByteArray::number(nModifiedMs) + '\n';
}
