// POSIX implementation of the file facts: statx for size and times, open() only for regular files.
#include "FileFacts.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr unsigned kFactsMask = STATX_BASIC_STATS | STATX_BTIME;

void FillFacts(const struct statx& stx, SFileFacts* pFacts)
{
    pFacts->nSize = qint64(stx.stx_size);
    pFacts->nModified = stx.stx_mtime.tv_sec;
    const bool bHasBirth = (stx.stx_mask & STATX_BTIME) && stx.stx_btime.tv_sec != 0;
    pFacts->nCreated = bHasBirth ? stx.stx_btime.tv_sec : stx.stx_mtime.tv_sec;
}

// O_NONBLOCK keeps a file swapped for a FIFO between the check and the open from blocking us.
constexpr int kReadFlags = O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;

// Opens a regular file for reading; -1 for anything else. *pStat is the look that decided.
int OpenRegular(const QByteArray& path, struct statx* pStat)
{
    if (path.isEmpty())
        return -1;
    QByteArray leaf;
    const int nDir = OpenParent(path, &leaf);
    if (nDir == -1)
        return -1;
    int fd = -1;
    if (::statx(nDir, leaf.constData(), AT_STATX_SYNC_AS_STAT, kFactsMask, pStat) == 0 && S_ISREG(pStat->stx_mode)) {
        do {
            fd = ::openat(nDir, leaf.constData(), kReadFlags);
        } while (fd < 0 && errno == EINTR);
    }
    CloseParent(nDir);
    return fd;
}

}  // namespace

bool ReadFileFacts(const QByteArray& path, SFileFacts* pFacts)
{
    *pFacts = SFileFacts();
    // The facts count only for a file we may read, as the list promises what the count will find.
    struct statx stx;
    const int fd = OpenRegular(path, &stx);
    if (fd < 0)
        return false;
    ::close(fd);
    FillFacts(stx, pFacts);
    return true;
}

CRegularFile::CRegularFile(const QByteArray& path)
{
    struct statx stx;
    const int fd = OpenRegular(path, &stx);
    if (fd < 0)
        return;
    // What was opened must itself be the regular file: the name may lead elsewhere by now.
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, kFactsMask, &stx) != 0 || !S_ISREG(stx.stx_mode)) {
        ::close(fd);
        return;
    }
    FillFacts(stx, &m_facts);
    m_fd = fd;
}

CRegularFile::~CRegularFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int CRegularFile::ReadHead(char* pBuffer, int nBytes)
{
    if (m_fd < 0)
        return -1;
    int nRead = 0;
    while (nRead < nBytes) {
        const ssize_t n = ::pread(m_fd, pBuffer + nRead, size_t(nBytes - nRead), off_t(nRead));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        nRead += int(n);
    }
    return nRead;
}

int CRegularFile::Release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

int OpenParent(const QByteArray& path, QByteArray* pLeaf)
{
    // A name cannot hold a NUL byte: cut there, it would name another file.
    if (path.contains('\0')) {
        errno = EINVAL;
        return -1;
    }
    if (path.size() < PATH_MAX) {
        *pLeaf = path;
        return AT_FDCWD;
    }
    // Too long for one call: open the directories on the way in pieces shorter than the limit.
    const qsizetype nLastSlash = path.lastIndexOf('/');
    if (nLastSlash <= 0 || path.size() - nLastSlash - 1 > NAME_MAX) {
        errno = ENAMETOOLONG;
        return -1;
    }
    *pLeaf = path.mid(nLastSlash + 1);
    if (pLeaf->isEmpty())
        *pLeaf = ".";
    int nDir = AT_FDCWD;
    qsizetype nAt = 0;
    if (path.startsWith('/')) {
        nDir = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (nDir < 0)
            return -1;
        nAt = 1;
    }
    while (nAt < nLastSlash) {
        // The longest piece of whole components that fits.
        qsizetype nEnd = nLastSlash;
        if (nEnd - nAt >= PATH_MAX) {
            nEnd = path.lastIndexOf('/', nAt + PATH_MAX - 1);
            if (nEnd <= nAt) {
                CloseParent(nDir);
                errno = ENAMETOOLONG;
                return -1;
            }
        }
        const QByteArray piece = path.mid(nAt, nEnd - nAt);
        const int nNext = ::openat(nDir, piece.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        const int nErrno = errno;
        CloseParent(nDir);
        if (nNext < 0) {
            errno = nErrno;
            return -1;
        }
        nDir = nNext;
        nAt = nEnd + 1;
    }
    return nDir;
}

void CloseParent(int nDirFd)
{
    if (nDirFd >= 0)
        ::close(nDirFd);
}

int OpenPath(const QByteArray& path, int nFlags)
{
    QByteArray leaf;
    const int nDir = OpenParent(path, &leaf);
    if (nDir == -1)
        return -1;
    int fd;
    do {
        fd = ::openat(nDir, leaf.constData(), nFlags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    const int nErrno = errno;
    CloseParent(nDir);
    errno = nErrno;
    return fd;
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

EPathKind PathKind(const QByteArray& path)
{
    if (path.isEmpty())
        return EPathKind::Missing;
    QByteArray leaf;
    const int nDir = OpenParent(path, &leaf);
    if (nDir == -1)
        return EPathKind::Missing;
    struct stat st;
    EPathKind eKind = EPathKind::Missing;
    if (::fstatat(nDir, leaf.constData(), &st, 0) == 0)
        eKind = S_ISDIR(st.st_mode) ? EPathKind::Directory : EPathKind::Other;
    else if (::fstatat(nDir, leaf.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        eKind = EPathKind::Other;     // a broken link is listed like a file
    CloseParent(nDir);
    return eKind;
}
