#include "BillingReports.h"

QByteArray FolderOf(const QByteArray& path)
{
    qsizetype nEnd = path.size();
    // A name's own trailing slashes, then the name, then the slashes before it.
    while (nEnd > 1 && path[nEnd - 1] == '/')
        --nEnd;
    while (nEnd > 0 && path[nEnd - 1] != '/')
        --nEnd;
    if (nEnd == 0)
        return ".";
    while (nEnd > 1 && path[nEnd - 1] == '/')
        --nEnd;
    return path.left(nEnd);
}
