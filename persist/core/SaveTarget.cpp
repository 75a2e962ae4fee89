#include "SaveTarget.h"

#include <QFileInfo>

bool WritableFileName(const QByteArray& path, QString* pName)
{
    if (path.isEmpty() || path.contains('\0'))
        return false;
    const QString strName = QString::fromUtf8(path);
    if (strName.toUtf8() != path)
        return false;
    const QFileInfo info(strName);
    if (info.exists() && !info.isFile())
        return false;
    *pName = strName;
    return true;
}
