// POSIX look at a file that could not be read.
#include "FileProblem.h"

#include "fs/FileFacts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

QString SystemReason(int nErrno)
{
    return QString::fromLocal8Bit(std::strerror(nErrno));
}

QString NotRegularFileReason()
{
    return QStringLiteral("Not a regular file");
}

QString UnreadableReason(const QByteArray& path)
{
    QByteArray leaf;
    const int nDir = OpenParent(path, &leaf);
    if (nDir == -1)
        return SystemReason(errno);
    QString strReason;
    struct stat st;
    if (::fstatat(nDir, leaf.constData(), &st, 0) != 0)
        strReason = SystemReason(errno);
    else if (S_ISDIR(st.st_mode))
        strReason = SystemReason(EISDIR);
    else if (!S_ISREG(st.st_mode))
        strReason = NotRegularFileReason();
    else if (::faccessat(nDir, leaf.constData(), R_OK, AT_EACCESS) != 0)
        strReason = SystemReason(errno);
    CloseParent(nDir);
    return strReason;
}
