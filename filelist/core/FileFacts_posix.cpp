// POSIX implementation of the file facts: statx for size and times, open() only for regular files.
#include "FileFacts.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace {

// A descriptor opened for reading, or -1. O_NONBLOCK keeps a file swapped for a FIFO between the
// stat and the open from blocking us.
int OpenForReading(const QByteArray& path)
{
    int fd;
    do {
        fd = ::open(path.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Opens a path for reading only when it is a regular file, so that no device, FIFO or socket is
// ever opened; fills the facts from the same stat. -1 when the path is not a readable regular file.
int OpenRegularFile(const QString& strPath, SFileFacts* pFacts)
{
    *pFacts = SFileFacts();
    if (strPath.isEmpty())
        return -1;
    const QByteArray path = QFile::encodeName(strPath);
    struct statx stx;
    if (::statx(AT_FDCWD, path.constData(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &stx) != 0 ||
        !S_ISREG(stx.stx_mode))
        return -1;
    const int fd = OpenForReading(path);
    if (fd < 0)
        return -1;
    pFacts->nSize = qint64(stx.stx_size);
    pFacts->nModified = stx.stx_mtime.tv_sec;
    const bool bHasBirth = (stx.stx_mask & STATX_BTIME) && stx.stx_btime.tv_sec != 0;
    pFacts->nCreated = bHasBirth ? stx.stx_btime.tv_sec : stx.stx_mtime.tv_sec;
    return fd;
}

}  // namespace

bool ReadFileFacts(const QString& strPath, SFileFacts* pFacts)
{
    // The facts count only for a file we may read, as the list promises what the count will find.
    const int fd = OpenRegularFile(strPath, pFacts);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

int ReadFileHead(const QString& strPath, char* pBuffer, int nBytes, SFileFacts* pFacts)
{
    SFileFacts facts;
    const int fd = OpenRegularFile(strPath, &facts);
    if (pFacts)
        *pFacts = facts;
    if (fd < 0)
        return -1;
    int nRead = 0;
    while (nRead < nBytes) {
        const ssize_t n = ::read(fd, pBuffer + nRead, size_t(nBytes - nRead));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        nRead += int(n);
    }
    ::close(fd);
    return nRead;
}

bool ToLocalTime(qint64 nSecsSinceEpoch, SLocalTime* pTime)
{
    static const bool bZoneRead = (::tzset(), true);
    Q_UNUSED(bZoneRead);
    const time_t t = time_t(nSecsSinceEpoch);
    struct tm tmLocal;
    if (::localtime_r(&t, &tmLocal) == nullptr)
        return false;
    pTime->nYear = tmLocal.tm_year + 1900;
    pTime->nMonth = tmLocal.tm_mon + 1;
    pTime->nDay = tmLocal.tm_mday;
    pTime->nHour = tmLocal.tm_hour;
    pTime->nMinute = tmLocal.tm_min;
    pTime->nSecond = tmLocal.tm_sec;
    return true;
}
