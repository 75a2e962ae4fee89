// POSIX implementation of the file facts: statx for size and times, open() only for regular files.
#include "FileFacts.h"

#include "common/core/TaskPool.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

constexpr unsigned kFactsMask = STATX_BASIC_STATS | STATX_BTIME;

void FillFacts(const struct statx& stx, SFileFacts* pFacts)
{
    pFacts->nSize = qint64(stx.stx_size);
    pFacts->nModified = stx.stx_mtime.tv_sec;
    const bool bHasBirth = (stx.stx_mask & STATX_BTIME) && stx.stx_btime.tv_sec != 0;
    pFacts->nCreated = bHasBirth ? stx.stx_btime.tv_sec : stx.stx_mtime.tv_sec;
    pFacts->nDevice = quint64(makedev(stx.stx_dev_major, stx.stx_dev_minor));
    pFacts->nInode = stx.stx_ino;
}

// O_NONBLOCK keeps a file swapped for a FIFO between the check and the open from blocking us.
constexpr int kReadFlags = O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;

// The facts the file system gave with the last look, without asking it again: right after a
// descriptor was opened they are that opening's, and on a network share asking again would cost
// another round trip.
bool StatDescriptor(int fd, struct statx* pStat)
{
    return ::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, kFactsMask, pStat) == 0;
}

int OpenRetrying(int nDir, const char* pszName, int nFlags)
{
    int fd;
    do {
        fd = ::openat(nDir, pszName, nFlags);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Opens a regular file for reading; -1 for anything else. The name is looked up once, as a
// descriptor that opens nothing (O_PATH: a device or FIFO is named, never opened); only a regular
// file is then opened, through that descriptor, so the file read is the file that was checked.
// *pStat holds the facts of the opened file.
int OpenRegularAt(int nDir, const char* pszName, struct statx* pStat)
{
    const CWaitingForFiles waiting;
    const int fdPath = OpenRetrying(nDir, pszName, O_PATH | O_CLOEXEC);
    if (fdPath < 0)
        return -1;
    int fd = -1;
    if (StatDescriptor(fdPath, pStat) && S_ISREG(pStat->stx_mode)) {
        char szSelf[40];
        std::snprintf(szSelf, sizeof szSelf, "/proc/self/fd/%d", fdPath);
        fd = OpenRetrying(AT_FDCWD, szSelf, kReadFlags);
        // Without /proc the name is opened again; the check below still holds.
        if (fd < 0 && errno == ENOENT && ::access("/proc/self/fd", F_OK) != 0)
            fd = OpenRetrying(nDir, pszName, kReadFlags);
    }
    ::close(fdPath);
    // What was opened must itself be the regular file.
    if (fd >= 0 && (!StatDescriptor(fd, pStat) || !S_ISREG(pStat->stx_mode))) {
        ::close(fd);
        fd = -1;
    }
    return fd;
}

int OpenRegular(const QByteArray& path, struct statx* pStat)
{
    if (path.isEmpty())
        return -1;
    QByteArray leaf;
    const int nDir = OpenParent(path, &leaf);
    if (nDir == -1)
        return -1;
    const int fd = OpenRegularAt(nDir, leaf.constData(), pStat);
    CloseParent(nDir);
    return fd;
}

bool FactsOfDescriptor(int fd, const struct statx& stx, SFileFacts* pFacts)
{
    *pFacts = SFileFacts();
    if (fd < 0)
        return false;
    // The facts count only for a file we may read, as the list promises what the count will find.
    ::close(fd);
    FillFacts(stx, pFacts);
    return true;
}

}  // namespace

bool ReadFileFacts(const QByteArray& path, SFileFacts* pFacts)
{
    struct statx stx;
    const int fd = OpenRegular(path, &stx);
    return FactsOfDescriptor(fd, stx, pFacts);
}

bool ReadFileFactsAt(int nDirFd, const char* pszName, SFileFacts* pFacts)
{
    struct statx stx;
    const int fd = OpenRegularAt(nDirFd, pszName, &stx);
    return FactsOfDescriptor(fd, stx, pFacts);
}

CRegularFile::CRegularFile(const QByteArray& path)
{
    struct statx stx;
    const int fd = OpenRegular(path, &stx);
    if (fd < 0)
        return;
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
    const CWaitingForFiles waiting;
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
