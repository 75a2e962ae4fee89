// POSIX implementation of the file facts: statx for size and times, open() only for regular files.
#include "FileFacts.h"

#include <QHash>

#include <fcntl.h>
#include <limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

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

// Which devices are network file systems, known per device.
struct SNetworkDevices {
    std::mutex mutex;
    QHash<quint64, bool> known;
};
SNetworkDevices* g_pNetworkDevices = new SNetworkDevices;

}  // namespace

// The file system's type is asked once per device: NFS, SMB (both), FUSE (sshfs and the like),
// Ceph, 9P, AFS, Coda, GFS2 and OCFS2 are on a network.
bool IsOnNetwork(int fd)
{
    struct statx stx;
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, 0, &stx) != 0)
        return true;
    return IsOnNetwork(fd, quint64(makedev(stx.stx_dev_major, stx.stx_dev_minor)));
}

bool IsOnNetwork(int fd, quint64 nDevice)
{
    SNetworkDevices& devices = *g_pNetworkDevices;
    {
        std::lock_guard<std::mutex> lock(devices.mutex);
        const auto it = devices.known.constFind(nDevice);
        if (it != devices.known.constEnd())
            return *it;
    }
    struct statfs fs;
    bool bNetwork = false;
    if (::fstatfs(fd, &fs) == 0) {
        const unsigned long kNetwork[] = {0x6969, 0x517B, 0xFE534D42, 0xFF534D42, 0x65735546, 0x00C36400,
                                          0x01021997, 0x5346414F, 0x73757245, 0x01161970, 0x7461636F};
        for (const unsigned long nType : kNetwork)
            bNetwork = bNetwork || (static_cast<unsigned long>(fs.f_type) & 0xFFFFFFFFul) == nType;
    }
    std::lock_guard<std::mutex> lock(devices.mutex);
    devices.known.insert(nDevice, bNetwork);
    return bNetwork;
}

namespace {

// Closing a file opened for reading asks a network file system to flush it: a round trip.
void CloseFile(int fd)
{
    ::close(fd);
}

int OpenRetrying(int nDir, const char* pszName, int nFlags)
{
    return OpenWhenDescriptorsAllow([&] { return ::openat(nDir, pszName, nFlags); });
}

// Closes a descriptor without losing the errno of the failure that made it of no use.
void CloseKeepingErrno(int fd)
{
    const int nErrno = errno;
    ::close(fd);
    errno = nErrno;
}

// What is not a regular file is never opened, and is told as open(2) tells a socket: "No such
// device or address"; a directory as "Is a directory".
int NotRegular(const struct statx& stx)
{
    errno = S_ISDIR(stx.stx_mode) ? EISDIR : ENXIO;
    return -1;
}

// Opens a regular file for reading; -1 with errno for anything else. *pStat holds the facts of the
// opened file, or, when it could not be opened, those of the look at it (stx_mask 0 without one).
// A device or FIFO is never opened: on a network file system the name is looked up once, as a
// descriptor that opens nothing (O_PATH), and only a regular file is then opened through that
// descriptor, without a second look up (a round trip); on a local disk, where a look up costs less
// than going through /proc, the name is looked at, then opened. Either way what was opened must
// itself be the regular file: the name may lead elsewhere by then.
int OpenRegularAt(int nDir, const char* pszName, struct statx* pStat, bool bNetwork)
{
    pStat->stx_mask = 0;
    int fd = -1;
    if (!bNetwork) {
        if (::statx(nDir, pszName, AT_STATX_SYNC_AS_STAT, kFactsMask, pStat) != 0)
            return -1;
        if (!S_ISREG(pStat->stx_mode))
            return NotRegular(*pStat);
        fd = OpenRetrying(nDir, pszName, kReadFlags);
    } else {
        const int fdPath = OpenRetrying(nDir, pszName, O_PATH | O_CLOEXEC);
        if (fdPath < 0)
            return -1;
        if (!StatDescriptor(fdPath, pStat)) {
            CloseKeepingErrno(fdPath);
            return -1;
        }
        if (!S_ISREG(pStat->stx_mode)) {
            ::close(fdPath);
            return NotRegular(*pStat);
        }
        char szSelf[40];
        std::snprintf(szSelf, sizeof szSelf, "/proc/self/fd/%d", fdPath);
        fd = OpenRetrying(AT_FDCWD, szSelf, kReadFlags);
        // Without /proc the name is opened again; the check below still holds.
        if (fd < 0 && errno == ENOENT && ::access("/proc/self/fd", F_OK) != 0)
            fd = OpenRetrying(nDir, pszName, kReadFlags);
        CloseKeepingErrno(fdPath);
    }
    if (fd < 0)
        return -1;
    if (!StatDescriptor(fd, pStat)) {
        CloseKeepingErrno(fd);
        pStat->stx_mask = 0;
        return -1;
    }
    if (!S_ISREG(pStat->stx_mode)) {
        ::close(fd);
        return NotRegular(*pStat);
    }
    return fd;
}

// Folders looked up lately, kept as descriptors that open nothing (O_PATH), so that the files of a
// folder are looked up by their names alone: on a share, every look at a folder on the way to a
// file is a round trip. A folder is looked up again after a while, and at once when a name in it
// is not found (the folder may have been replaced).
class CFolders {
public:
    struct SFolder {
        int fd = -1;
        std::chrono::steady_clock::time_point opened;
        bool bNetwork = true;
        SFolder(int fdOpen, std::chrono::steady_clock::time_point when)
            : fd(fdOpen), opened(when), bNetwork(IsOnNetwork(fdOpen))
        {
        }
        ~SFolder() { ::close(fd); }
        SFolder(const SFolder&) = delete;
        SFolder& operator=(const SFolder&) = delete;
    };

    static CFolders& Instance() { return *s_pFolders; }
    // A fresh cache, the old one left as it is (in a forked child its lock may be held).
    static void Forget() { s_pFolders = new CFolders; }

    // The folder, open; null with errno when it cannot be opened. *pKept: it was open already.
    std::shared_ptr<const SFolder> Get(const QByteArray& dir, bool bAfresh, bool* pKept)
    {
        const auto now = std::chrono::steady_clock::now();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            const auto it = m_folders.constFind(dir);
            *pKept = !bAfresh && it != m_folders.constEnd() && now - (*it)->opened < kKeep;
            if (*pKept)
                return *it;
        }
        const int fd = OpenPath(dir, O_PATH | O_DIRECTORY);
        const int nMostFolders = std::clamp(DescriptorLimit() / 16, 2, kMostFolders);
        if (fd < 0)
            return nullptr;
        auto pFolder = std::make_shared<SFolder>(fd, now);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_folders.size() >= nMostFolders && !m_folders.contains(dir)) {
            auto oldest = m_folders.begin();
            for (auto it = m_folders.begin(); it != m_folders.end(); ++it) {
                if ((*it)->opened < (*oldest)->opened)
                    oldest = it;
            }
            m_folders.erase(oldest);
        }
        m_folders.insert(dir, pFolder);
        return pFolder;
    }

private:
    static constexpr auto kKeep = std::chrono::seconds(2);
    static constexpr int kMostFolders = 64;

    static CFolders* s_pFolders;

    std::mutex m_mutex;
    QHash<QByteArray, std::shared_ptr<SFolder>> m_folders;
};

CFolders* CFolders::s_pFolders = new CFolders;


// Calls use(folder descriptor, name, whether the folder is on a network) for the file at a path;
// again with the folder looked up afresh when a folder kept from before did not hold the name. use
// returns -1 with errno on failure.
template <class Use>
int InFolderOf(const QByteArray& path, Use use)
{
    const qsizetype nSlash = path.lastIndexOf('/');
    if (nSlash < 0 || nSlash == path.size() - 1 || path.size() >= PATH_MAX || path.contains('\0')) {
        // In the current folder, or a path the folders of which are opened a piece at a time.
        QByteArray leaf;
        const int nDir = OpenParent(path, &leaf);
        if (nDir == -1)
            return -1;
        const int nResult = use(nDir, leaf.constData(), true);
        const int nErrno = errno;
        CloseParent(nDir);
        errno = nErrno;
        return nResult;
    }
    const QByteArray dir = nSlash == 0 ? QByteArray("/") : path.left(nSlash);
    const QByteArray leaf = path.mid(nSlash + 1);
    for (const bool bAfresh : {false, true}) {
        bool bKept = false;
        const std::shared_ptr<const CFolders::SFolder> pFolder = CFolders::Instance().Get(dir, bAfresh, &bKept);
        if (!pFolder)
            return -1;
        const int nResult = use(pFolder->fd, leaf.constData(), pFolder->bNetwork);
        if (nResult >= 0 || !bKept || (errno != ENOENT && errno != ESTALE))
            return nResult;
    }
    return -1;
}

int OpenRegular(const QByteArray& path, struct statx* pStat, bool* pNetwork)
{
    pStat->stx_mask = 0;
    if (path.isEmpty()) {
        errno = ENOENT;
        return -1;
    }
    return InFolderOf(path, [pStat, pNetwork](int nDir, const char* pszName, bool bNetwork) {
        *pNetwork = bNetwork;
        return OpenRegularAt(nDir, pszName, pStat, bNetwork);
    });
}

bool FactsOfDescriptor(int fd, const struct statx& stx, SFileFacts* pFacts)
{
    *pFacts = SFileFacts();
    if (fd < 0)
        return false;
    // The facts count only for a file we may read, as the list promises what the count will find.
    CloseFile(fd);
    FillFacts(stx, pFacts);
    return true;
}

}  // namespace

bool ReadFileFacts(const QByteArray& path, SFileFacts* pFacts)
{
    struct statx stx;
    bool bNetwork = true;
    const int fd = OpenRegular(path, &stx, &bNetwork);
    return FactsOfDescriptor(fd, stx, pFacts);
}

bool ReadFileFactsAt(int nDirFd, const char* pszName, bool bNetwork, SFileFacts* pFacts)
{
    struct statx stx;
    const int fd = OpenRegularAt(nDirFd, pszName, &stx, bNetwork);
    return FactsOfDescriptor(fd, stx, pFacts);
}

CRegularFile::CRegularFile(const QByteArray& path)
{
    struct statx stx;
    m_fd = OpenRegular(path, &stx, &m_bNetwork);
    if (m_fd < 0)
        m_nErrno = errno;
    m_bHasFacts = (stx.stx_mask & STATX_TYPE) != 0;
    if (m_bHasFacts)
        FillFacts(stx, &m_facts);
}

CRegularFile::~CRegularFile()
{
    if (m_fd >= 0)
        CloseFile(m_fd);
}

int CRegularFile::ReadHead(char* pBuffer, int nBytes)
{
    if (m_fd < 0)
        return -1;
    // Nothing is asked past the end the opening saw.
    nBytes = int(std::min<qint64>(nBytes, m_facts.nSize));
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
    const int fd = OpenWhenDescriptorsAllow([&] { return ::openat(nDir, leaf.constData(), nFlags | O_CLOEXEC); });
    const int nErrno = errno;
    CloseParent(nDir);
    errno = nErrno;
    return fd;
}

int DescriptorLimit()
{
    // Asked every time: a process may lower its limit after it began (a worker, a child of a test),
    // and one call costs less than a look at a file.
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 1 << 20;
    return int(std::min<rlim_t>(limit.rlim_cur, 1 << 20));
}

int OpenWhenDescriptorsAllow(const std::function<int()>& open)
{
    // Other threads' descriptors close within moments; a process that stays full this long is
    // told so ("Too many open files").
    constexpr auto kMostWait = std::chrono::seconds(10);
    auto wait = std::chrono::microseconds(500);
    const auto giveUp = std::chrono::steady_clock::now() + kMostWait;
    for (;;) {
        const int fd = open();
        if (fd >= 0)
            return fd;
        if (errno == EINTR)
            continue;
        if ((errno != EMFILE && errno != ENFILE) || std::chrono::steady_clock::now() >= giveUp)
            return fd;
        std::this_thread::sleep_for(wait);
        wait = std::min<std::chrono::microseconds>(wait * 2, std::chrono::milliseconds(50));
    }
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
    pTime->nUtcOffsetSeconds = int(tmLocal.tm_gmtoff);
    return true;
}

EPathKind PathKind(const QByteArray& path)
{
    if (path.isEmpty())
        return EPathKind::Missing;
    // The type the look up brought; a broken link is listed like a file.
    const int nKind = InFolderOf(path, [](int nDir, const char* pszName, bool) {
        struct statx stx;
        if (::statx(nDir, pszName, AT_STATX_DONT_SYNC, STATX_TYPE, &stx) == 0)
            return S_ISDIR(stx.stx_mode) ? int(EPathKind::Directory) : int(EPathKind::Other);
        const int nErrno = errno;
        if (::statx(nDir, pszName, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, STATX_TYPE, &stx) == 0)
            return int(EPathKind::Other);
        errno = nErrno;
        return -1;
    });
    return nKind < 0 ? EPathKind::Missing : EPathKind(nKind);
}

void ForgetFileSystemStateAfterFork()
{
    CFolders::Forget();
    g_pNetworkDevices = new SNetworkDevices;
}
