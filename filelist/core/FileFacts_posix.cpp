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

bool IsRegularFile(const QByteArray& path, struct statx* pStx)
{
    if (::statx(AT_FDCWD, path.constData(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, pStx) != 0)
        return false;
    return S_ISREG(pStx->stx_mode);
}

}  // namespace

bool ReadFileFacts(const QString& strPath, SFileFacts* pFacts)
{
    *pFacts = SFileFacts();
    if (strPath.isEmpty())
        return false;
    const QByteArray path = QFile::encodeName(strPath);
    struct statx stx;
    if (!IsRegularFile(path, &stx))
        return false;
    // The facts count only for a file we may read, as the list promises what the count will find.
    const int fd = OpenForReading(path);
    if (fd < 0)
        return false;
    ::close(fd);
    pFacts->nSize = qint64(stx.stx_size);
    pFacts->nModified = stx.stx_mtime.tv_sec;
    const bool bHasBirth = (stx.stx_mask & STATX_BTIME) && stx.stx_btime.tv_sec != 0;
    pFacts->nCreated = bHasBirth ? stx.stx_btime.tv_sec : stx.stx_mtime.tv_sec;
    return true;
}

int ReadFileHead(const QString& strPath, char* pBuffer, int nBytes)
{
    if (strPath.isEmpty())
        return -1;
    const QByteArray path = QFile::encodeName(strPath);
    struct statx stx;
    if (!IsRegularFile(path, &stx))
        return -1;
    const int fd = OpenForReading(path);
    if (fd < 0)
        return -1;
    // Checked again on the open descriptor, so a device or FIFO is never read from.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
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
