#include "FolderPath.h"

#include <QDir>
#include <QFileInfo>

bool IsValidFolderName(const QString& strName)
{
    if (strName.isEmpty())
        return false;
    const auto isEdge = [](QChar c) { return c == u'\t' || c == u' ' || c == u'.'; };
    if (isEdge(strName.front()) || isEdge(strName.back()))
        return false;
    for (const QChar c : strName) {
        if (QStringView(u"\"*/:<>?\\|").contains(c))
            return false;
    }
    return true;
}

bool FolderExists(const QString& strPath)
{
    return QFileInfo(strPath).isDir();
}

EFolderCheck CheckOrCreateFolderPath(const QString& strPath, bool bCheckOnly)
{
    if (strPath.isEmpty() || strPath.front() != u'/')
        return FOLDER_INVALID;      // only absolute paths
    if (strPath.size() == 1)
        return bCheckOnly || FolderExists(strPath) ? FOLDER_GOOD : FOLDER_CANNOT_CREATE;
    qsizetype nStart = 1;
    for (;;) {
        qsizetype nEnd = strPath.indexOf(u'/', nStart);
        const bool bLast = nEnd < 0;
        if (bLast)
            nEnd = strPath.size();
        // An empty component, as between two adjacent separators, is no name either.
        if (!IsValidFolderName(strPath.mid(nStart, nEnd - nStart)))
            return FOLDER_INVALID;
        if (!bCheckOnly) {
            const QString strPrefix = strPath.left(nEnd);
            QDir().mkdir(strPrefix);    // an existing directory is no error; the test below decides
            if (!FolderExists(strPrefix))
                return FOLDER_CANNOT_CREATE;
        }
        if (bLast)
            return FOLDER_GOOD;
        nStart = nEnd + 1;
        if (nStart >= strPath.size())
            return FOLDER_INVALID;  // a trailing separator
    }
}
