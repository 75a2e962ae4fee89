#include "HelpFile.h"

#include <QDir>

QString MainHelpTopic()
{
    return QStringLiteral("main-window.html");
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
