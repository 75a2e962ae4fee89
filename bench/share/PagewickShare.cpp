// pagewick-share: a read-only FUSE passthrough that behaves like a file server far away.
//
//   pagewick-share SOURCE_DIR MOUNTPOINT [--delay-ms N] [--stats FILE] [--threads N]
//                  [--stuck NAME]... [-f] [-d]
//   pagewick-share --show FILE
//
// Every request waits N milliseconds (fractions allowed) in the thread serving it before it is
// answered, as a network round trip would; requests are served on up to --threads threads (128),
// so requests in flight overlap as they would on a server. The kernel caches nothing: names and
// attributes expire at once, and file data bypasses the page cache (direct I/O), so every stat,
// open and read of a program becomes requests here.
//
// --stuck NAME plays a server that stopped answering for one file: a request for a file of that
// name (in any folder) is never answered, until the share is unmounted (lazily, fusermount3 -u -z,
// since the program waiting keeps it busy) or this program is told to end (SIGTERM, SIGINT,
// SIGHUP); then it fails with EIO. The first request for a file is the look-up of its name, so
// the kernel never learns the file and asks nothing else of it (a second program looking the same
// name up waits in the kernel behind the first); the folder's listing still names it. A program
// waiting for the answer cannot be interrupted, not even by SIGKILL, as with a server that is gone.
//
// --stats FILE keeps counters of the requests by kind in FILE, mapped into memory and updated as
// requests arrive, so that a reader sees them at any moment (run.py takes its readings there;
// --show prints them). Layout, little-endian: "PWSHARE1", u32 version 1, u32 record count, then
// per record: char name[16] (NUL-padded), u32 flags, u32 0, u64 value. Flags: 1 a request the
// kernel waits for (a system call blocks on its answer), 2 a request the kernel sends without
// waiting (RELEASE, RELEASEDIR after the last close; FORGET, which has no answer), 4 a gauge
// (requests in flight now, the most in flight at once since start or since a reader wrote 0
// there, the delay in microseconds, requests held unanswered for --stuck now). Requests are
// counted when they arrive, before the delay.
//
// Requests libfuse answers by itself (INIT, DESTROY, INTERRUPT) are neither delayed nor counted.
#define FUSE_USE_VERSION 312    // 3.12: the loop's thread limit

#include <fuse_lowlevel.h>

#include <linux/fuse.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/uio.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---- counters ------------------------------------------------------------------------------------

enum EKind {
    kLookup, kGetattr, kReadlink, kOpen, kRead, kFlush, kOpendir, kReaddir, kStatfs, kAccess, kGetxattr,
    kListxattr, kLseek, kFsync, kWriteOp,                 // requests the kernel waits for
    kRelease, kReleasedir, kForget, kBatchForget,         // sent without waiting
    kInFlight, kPeakInFlight, kDelayMicros, kStuck,       // gauges
    kKindCount
};

enum : uint32_t { kFlagWaited = 1, kFlagAsync = 2, kFlagGauge = 4 };

struct SKindInfo {
    const char* pszName;
    uint32_t nFlags;
};

const SKindInfo kKinds[kKindCount] = {
    {"LOOKUP", kFlagWaited},      {"GETATTR", kFlagWaited},    {"READLINK", kFlagWaited},
    {"OPEN", kFlagWaited},        {"READ", kFlagWaited},       {"FLUSH", kFlagWaited},
    {"OPENDIR", kFlagWaited},     {"READDIR", kFlagWaited},    {"STATFS", kFlagWaited},
    {"ACCESS", kFlagWaited},      {"GETXATTR", kFlagWaited},   {"LISTXATTR", kFlagWaited},
    {"LSEEK", kFlagWaited},       {"FSYNC", kFlagWaited},      {"WRITE_OPS", kFlagWaited},
    {"RELEASE", kFlagAsync},      {"RELEASEDIR", kFlagAsync},  {"FORGET", kFlagAsync},
    {"BATCH_FORGET", kFlagAsync}, {"INFLIGHT", kFlagGauge},    {"PEAK_INFLIGHT", kFlagGauge},
    {"DELAY_US", kFlagGauge},     {"STUCK", kFlagGauge},
};

struct SRecord {
    char szName[16];
    uint32_t nFlags;
    uint32_t nUnused;
    uint64_t nValue;
};

struct SStatsFile {
    char szMagic[8];
    uint32_t nVersion;
    uint32_t nCount;
    SRecord records[kKindCount];
};
static_assert(sizeof(SRecord) == 32 && sizeof(SStatsFile) == 16 + 32 * kKindCount, "stats layout");

// Without --stats the counters live in plain memory.
SStatsFile g_localStats;
SStatsFile* g_pStats = &g_localStats;
double g_dDelayMs = 0;

uint64_t* Value(EKind kind)
{
    return &g_pStats->records[kind].nValue;
}

void InitStats(SStatsFile* pStats, double dDelayMs)
{
    std::memset(pStats, 0, sizeof *pStats);
    std::memcpy(pStats->szMagic, "PWSHARE1", 8);
    pStats->nVersion = 1;
    pStats->nCount = kKindCount;
    for (int k = 0; k < kKindCount; ++k) {
        std::strncpy(pStats->records[k].szName, kKinds[k].pszName, sizeof pStats->records[k].szName - 1);
        pStats->records[k].nFlags = kKinds[k].nFlags;
    }
    pStats->records[kDelayMicros].nValue = uint64_t(dDelayMs * 1000.0 + 0.5);
}

bool MapStats(const char* pszPath)
{
    const int fd = ::open(pszPath, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, sizeof(SStatsFile)) != 0) {
        std::fprintf(stderr, "pagewick-share: %s: %s\n", pszPath, std::strerror(errno));
        return false;
    }
    void* p = ::mmap(nullptr, sizeof(SStatsFile), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (p == MAP_FAILED) {
        std::fprintf(stderr, "pagewick-share: %s: %s\n", pszPath, std::strerror(errno));
        return false;
    }
    g_pStats = static_cast<SStatsFile*>(p);
    InitStats(g_pStats, g_dDelayMs);
    return true;
}

// One request, from its arrival to its answer: counted, kept in the in-flight gauges, delayed.
class CRequest {
public:
    explicit CRequest(EKind kind)
    {
        __atomic_fetch_add(Value(kind), 1, __ATOMIC_RELAXED);
        const uint64_t nNow = __atomic_add_fetch(Value(kInFlight), 1, __ATOMIC_RELAXED);
        uint64_t nPeak = __atomic_load_n(Value(kPeakInFlight), __ATOMIC_RELAXED);
        while (nNow > nPeak &&
               !__atomic_compare_exchange_n(Value(kPeakInFlight), &nPeak, nNow, true, __ATOMIC_RELAXED,
                                            __ATOMIC_RELAXED)) {
        }
        if (g_dDelayMs > 0) {
            // The time is spent waiting, not computing, as a client waits on the network.
            const long long nNanos = static_cast<long long>(g_dDelayMs * 1e6);
            timespec delay{time_t(nNanos / 1000000000LL), long(nNanos % 1000000000LL)};
            while (::clock_nanosleep(CLOCK_MONOTONIC, 0, &delay, &delay) == EINTR) {
            }
        }
    }
    ~CRequest() { __atomic_fetch_sub(Value(kInFlight), 1, __ATOMIC_RELAXED); }
    CRequest(const CRequest&) = delete;
    CRequest& operator=(const CRequest&) = delete;
};

int ShowStats(const char* pszPath)
{
    FILE* f = std::fopen(pszPath, "rb");
    SStatsFile stats;
    if (!f || std::fread(&stats, 1, sizeof stats, f) < 16 || std::memcmp(stats.szMagic, "PWSHARE1", 8) != 0) {
        std::fprintf(stderr, "pagewick-share: %s: not a statistics file\n", pszPath);
        if (f)
            std::fclose(f);
        return 1;
    }
    std::fclose(f);
    for (uint32_t k = 0; k < stats.nCount && k < kKindCount; ++k) {
        const SRecord& r = stats.records[k];
        const char* pszWhat = r.nFlags & kFlagWaited ? "waited" : r.nFlags & kFlagAsync ? "async" : "gauge";
        std::printf("%-14.16s %-6s %" PRIu64 "\n", r.szName, pszWhat, r.nValue);
    }
    return 0;
}

// ---- a file that is never answered --------------------------------------------------------------

std::vector<std::string> g_stuckNames;
fuse_session* g_pSession = nullptr;
std::string g_strMountEntry;    // the mount point as /proc/self/mounts writes it

bool IsStuck(const char* pszName)
{
    return std::find(g_stuckNames.begin(), g_stuckNames.end(), pszName) != g_stuckNames.end();
}

// /proc/self/mounts writes a space, tab, newline and backslash of a path as octal escapes.
std::string MountEntryOf(const std::string& strPath)
{
    std::string strEntry;
    for (const char c : strPath) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            char szEscape[5];
            std::snprintf(szEscape, sizeof szEscape, "\\%03o", unsigned(static_cast<unsigned char>(c)));
            strEntry += szEscape;
        } else {
            strEntry += c;
        }
    }
    return strEntry;
}

// Whether the share is still mounted: a lazy unmount takes it out of the mount table at once, while
// the programs waiting inside it keep the kernel's side alive.
bool StillMounted()
{
    FILE* f = std::fopen("/proc/self/mounts", "re");
    if (!f)
        return true;
    char* pszLine = nullptr;
    size_t nCapacity = 0;
    bool bFound = false;
    while (!bFound && ::getline(&pszLine, &nCapacity, f) > 0) {
        // "device mountpoint type options ..."
        const char* pszPoint = std::strchr(pszLine, ' ');
        const char* pszEnd = pszPoint ? std::strchr(pszPoint + 1, ' ') : nullptr;
        bFound = pszEnd && std::string(pszPoint + 1, pszEnd) == g_strMountEntry;
    }
    std::free(pszLine);
    std::fclose(f);
    return bFound;
}

// Keeps a request unanswered until the share is unmounted or this program is told to end; then it
// fails. (When the loop ends first, it cancels this thread; closing the device then fails the
// request in the kernel.)
void HoldUnanswered(fuse_req_t req)
{
    struct SHeld {
        SHeld() { __atomic_add_fetch(Value(kStuck), 1, __ATOMIC_RELAXED); }
        ~SHeld() { __atomic_sub_fetch(Value(kStuck), 1, __ATOMIC_RELAXED); }
    } held;
    const timespec pause{0, 100 * 1000 * 1000};
    while (!fuse_session_exited(g_pSession) && StillMounted())
        ::clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, nullptr);
    fuse_reply_err(req, EIO);
}

// ---- inodes and handles --------------------------------------------------------------------------

// A file of the source, held by an O_PATH descriptor for as long as the kernel knows its number.
struct SInode {
    int fd = -1;
    dev_t dev = 0;
    ino_t ino = 0;
    uint64_t nLookups = 0;
};

SInode g_root;
std::mutex g_inodesLock;
std::map<std::pair<dev_t, ino_t>, SInode*> g_inodes;

SInode& InodeOf(fuse_ino_t ino)
{
    return ino == FUSE_ROOT_ID ? g_root : *reinterpret_cast<SInode*>(ino);
}

fuse_ino_t NumberOf(SInode* pInode)
{
    return pInode == &g_root ? FUSE_ROOT_ID : reinterpret_cast<fuse_ino_t>(pInode);
}

std::string ProcPath(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

// Attributes and names are never cached by the kernel: every use asks again.
void FillEntry(fuse_entry_param& e, SInode* pInode, const struct stat& st)
{
    std::memset(&e, 0, sizeof e);
    e.ino = NumberOf(pInode);
    e.attr = st;
    e.attr_timeout = 0;
    e.entry_timeout = 0;
}

struct SDirHandle {
    std::mutex lock;
    DIR* pDir = nullptr;
    off_t nOffset = 0;
    dirent* pEntry = nullptr;
};

SDirHandle* DirOf(fuse_file_info* fi)
{
    return reinterpret_cast<SDirHandle*>(fi->fh);
}

void ReplyErr(fuse_req_t req, int nErr)
{
    fuse_reply_err(req, nErr);
}

// ---- requests ------------------------------------------------------------------------------------

void OnInit(void*, fuse_conn_info* conn)
{
    // Lookups in one folder run side by side, and many requests may be queued in the background,
    // as a server's client allows; readdirplus is off, since with nothing cached it would only
    // add attributes that the next stat asks for again.
    if (conn->capable & FUSE_CAP_PARALLEL_DIROPS)
        conn->want |= FUSE_CAP_PARALLEL_DIROPS;
    if (conn->capable & FUSE_CAP_ASYNC_READ)
        conn->want |= FUSE_CAP_ASYNC_READ;
    conn->want &= ~(FUSE_CAP_READDIRPLUS | FUSE_CAP_READDIRPLUS_AUTO | FUSE_CAP_WRITEBACK_CACHE |
                    FUSE_CAP_CACHE_SYMLINKS | FUSE_CAP_AUTO_INVAL_DATA);
    conn->max_background = 128;
    conn->congestion_threshold = 96;
}

// libfuse before 3.16 never passes its parallel-directory-operations flag on to the kernel, which
// then looks names up in one folder one at a time (a look-up that never returns would hold the
// whole folder): the device is read and written here, and the answer to INIT gets the flag.
std::atomic<uint64_t> g_nInitUnique{0};

ssize_t ReadDevice(int fd, void* pBuffer, size_t nSize, void*)
{
    const ssize_t n = ::read(fd, pBuffer, nSize);
    if (n >= ssize_t(sizeof(fuse_in_header))) {
        const auto* pHeader = static_cast<const fuse_in_header*>(pBuffer);
        if (pHeader->opcode == FUSE_INIT)
            g_nInitUnique = pHeader->unique;
    }
    return n;
}

ssize_t WriteDevice(int fd, iovec* pIov, int nCount, void*)
{
    if (nCount >= 2 && pIov[0].iov_len == sizeof(fuse_out_header) &&
        pIov[1].iov_len >= offsetof(fuse_init_out, flags) + sizeof(uint32_t)) {
        const auto* pHeader = static_cast<const fuse_out_header*>(pIov[0].iov_base);
        if (pHeader->error == 0 && g_nInitUnique != 0 && pHeader->unique == g_nInitUnique.exchange(0))
            static_cast<fuse_init_out*>(pIov[1].iov_base)->flags |= FUSE_PARALLEL_DIROPS;
    }
    return ::writev(fd, pIov, nCount);
}

void OnLookup(fuse_req_t req, fuse_ino_t parent, const char* pszName)
{
    CRequest r(kLookup);
    if (IsStuck(pszName))
        return HoldUnanswered(req);
    const int nParentFd = InodeOf(parent).fd;
    struct stat st;
    if (::fstatat(nParentFd, pszName, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return ReplyErr(req, errno);
    SInode* pInode = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_inodesLock);
        if (st.st_dev == g_root.dev && st.st_ino == g_root.ino) {
            pInode = &g_root;
        } else {
            auto it = g_inodes.find({st.st_dev, st.st_ino});
            if (it != g_inodes.end())
                pInode = it->second;
        }
        if (pInode)
            ++pInode->nLookups;
    }
    if (!pInode) {
        const int fd = ::openat(nParentFd, pszName, O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return ReplyErr(req, errno);
        std::lock_guard<std::mutex> guard(g_inodesLock);
        SInode*& pSlot = g_inodes[{st.st_dev, st.st_ino}];
        if (pSlot) {
            ::close(fd);    // another thread found it meanwhile
        } else {
            pSlot = new SInode;
            pSlot->fd = fd;
            pSlot->dev = st.st_dev;
            pSlot->ino = st.st_ino;
        }
        pInode = pSlot;
        ++pInode->nLookups;
    }
    fuse_entry_param e;
    FillEntry(e, pInode, st);
    fuse_reply_entry(req, &e);
}

void Forget(fuse_ino_t ino, uint64_t nLookups)
{
    if (ino == FUSE_ROOT_ID)
        return;
    SInode& inode = InodeOf(ino);
    std::lock_guard<std::mutex> guard(g_inodesLock);
    inode.nLookups -= std::min(inode.nLookups, nLookups);
    if (inode.nLookups == 0) {
        g_inodes.erase({inode.dev, inode.ino});
        ::close(inode.fd);
        delete &inode;
    }
}

void OnForget(fuse_req_t req, fuse_ino_t ino, uint64_t nLookups)
{
    CRequest r(kForget);
    Forget(ino, nLookups);
    fuse_reply_none(req);
}

void OnForgetMulti(fuse_req_t req, size_t nCount, fuse_forget_data* pForgets)
{
    CRequest r(kBatchForget);
    for (size_t i = 0; i < nCount; ++i)
        Forget(pForgets[i].ino, pForgets[i].nlookup);
    fuse_reply_none(req);
}

void OnGetattr(fuse_req_t req, fuse_ino_t ino, fuse_file_info*)
{
    CRequest r(kGetattr);
    struct stat st;
    if (::fstatat(InodeOf(ino).fd, "", &st, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) != 0)
        return ReplyErr(req, errno);
    fuse_reply_attr(req, &st, 0);
}

void OnReadlink(fuse_req_t req, fuse_ino_t ino)
{
    CRequest r(kReadlink);
    std::vector<char> target(PATH_MAX + 1);
    const ssize_t n = ::readlinkat(InodeOf(ino).fd, "", target.data(), target.size());
    if (n < 0)
        return ReplyErr(req, errno);
    if (size_t(n) >= target.size())
        return ReplyErr(req, ENAMETOOLONG);
    target[size_t(n)] = '\0';
    fuse_reply_readlink(req, target.data());
}

void OnOpen(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi)
{
    CRequest r(kOpen);
    if ((fi->flags & O_ACCMODE) != O_RDONLY || (fi->flags & O_TRUNC))
        return ReplyErr(req, EROFS);
    const int fd = ::open(ProcPath(InodeOf(ino).fd).c_str(), (fi->flags & ~(O_CREAT | O_EXCL | O_NOCTTY)) | O_CLOEXEC);
    if (fd < 0)
        return ReplyErr(req, errno);
    fi->fh = uint64_t(fd);
    // Every read reaches the server: no page cache, nothing kept from an earlier open.
    fi->direct_io = 1;
    fi->keep_cache = 0;
    if (fuse_reply_open(req, fi) != 0)
        ::close(fd);
}

void OnRead(fuse_req_t req, fuse_ino_t, size_t nSize, off_t nOffset, fuse_file_info* fi)
{
    CRequest r(kRead);
    std::vector<char> buffer(nSize);
    const ssize_t n = ::pread(int(fi->fh), buffer.data(), nSize, nOffset);
    if (n < 0)
        return ReplyErr(req, errno);
    fuse_reply_buf(req, buffer.data(), size_t(n));
}

void OnFlush(fuse_req_t req, fuse_ino_t, fuse_file_info*)
{
    // A close(2) waits for this answer; nothing is written, so there is nothing to do.
    CRequest r(kFlush);
    ReplyErr(req, 0);
}

void OnRelease(fuse_req_t req, fuse_ino_t, fuse_file_info* fi)
{
    CRequest r(kRelease);
    ::close(int(fi->fh));
    ReplyErr(req, 0);
}

void OnFsync(fuse_req_t req, fuse_ino_t, int, fuse_file_info*)
{
    CRequest r(kFsync);
    ReplyErr(req, 0);
}

void OnOpendir(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi)
{
    CRequest r(kOpendir);
    const int fd = ::openat(InodeOf(ino).fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return ReplyErr(req, errno);
    DIR* pDir = ::fdopendir(fd);
    if (!pDir) {
        const int nErr = errno;
        ::close(fd);
        return ReplyErr(req, nErr);
    }
    auto* pHandle = new SDirHandle;
    pHandle->pDir = pDir;
    fi->fh = reinterpret_cast<uint64_t>(pHandle);
    fi->cache_readdir = 0;
    fi->keep_cache = 0;
    if (fuse_reply_open(req, fi) != 0) {
        ::closedir(pDir);
        delete pHandle;
    }
}

void OnReaddir(fuse_req_t req, fuse_ino_t, size_t nSize, off_t nOffset, fuse_file_info* fi)
{
    CRequest r(kReaddir);
    SDirHandle* pHandle = DirOf(fi);
    std::lock_guard<std::mutex> guard(pHandle->lock);
    if (nOffset != pHandle->nOffset) {
        ::seekdir(pHandle->pDir, nOffset);
        pHandle->pEntry = nullptr;
        pHandle->nOffset = nOffset;
    }
    std::vector<char> buffer(nSize);
    size_t nUsed = 0;
    for (;;) {
        if (!pHandle->pEntry) {
            errno = 0;
            pHandle->pEntry = ::readdir(pHandle->pDir);
            if (!pHandle->pEntry) {
                if (errno != 0 && nUsed == 0)
                    return ReplyErr(req, errno);
                break;
            }
        }
        struct stat st;
        std::memset(&st, 0, sizeof st);
        st.st_ino = pHandle->pEntry->d_ino;
        st.st_mode = mode_t(DTTOIF(pHandle->pEntry->d_type));
        const off_t nNext = pHandle->pEntry->d_off;
        const size_t nEntry = fuse_add_direntry(req, buffer.data() + nUsed, nSize - nUsed, pHandle->pEntry->d_name,
                                                &st, nNext);
        if (nEntry > nSize - nUsed)
            break;    // kept for the next call
        nUsed += nEntry;
        pHandle->pEntry = nullptr;
        pHandle->nOffset = nNext;
    }
    fuse_reply_buf(req, buffer.data(), nUsed);
}

void OnReleasedir(fuse_req_t req, fuse_ino_t, fuse_file_info* fi)
{
    CRequest r(kReleasedir);
    SDirHandle* pHandle = DirOf(fi);
    ::closedir(pHandle->pDir);
    delete pHandle;
    ReplyErr(req, 0);
}

void OnFsyncdir(fuse_req_t req, fuse_ino_t, int, fuse_file_info*)
{
    CRequest r(kFsync);
    ReplyErr(req, 0);
}

void OnStatfs(fuse_req_t req, fuse_ino_t ino)
{
    CRequest r(kStatfs);
    struct statvfs st;
    if (::fstatvfs(InodeOf(ino).fd, &st) != 0)
        return ReplyErr(req, errno);
    fuse_reply_statfs(req, &st);
}

void OnAccess(fuse_req_t req, fuse_ino_t ino, int nMask)
{
    CRequest r(kAccess);
    if ((nMask & W_OK) != 0)
        return ReplyErr(req, EROFS);
    ReplyErr(req, ::access(ProcPath(InodeOf(ino).fd).c_str(), nMask) == 0 ? 0 : errno);
}

// Extended attributes come from the source file; a symbolic link's own are not offered (an O_PATH
// descriptor of a link cannot reach them).
bool IsLink(fuse_ino_t ino)
{
    struct stat st;
    return ::fstatat(InodeOf(ino).fd, "", &st, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

void OnGetxattr(fuse_req_t req, fuse_ino_t ino, const char* pszName, size_t nSize)
{
    CRequest r(kGetxattr);
    if (IsLink(ino))
        return ReplyErr(req, ENOTSUP);
    const std::string strPath = ProcPath(InodeOf(ino).fd);
    if (nSize == 0) {
        const ssize_t n = ::getxattr(strPath.c_str(), pszName, nullptr, 0);
        return n < 0 ? ReplyErr(req, errno) : (void)fuse_reply_xattr(req, size_t(n));
    }
    std::vector<char> value(nSize);
    const ssize_t n = ::getxattr(strPath.c_str(), pszName, value.data(), nSize);
    if (n < 0)
        return ReplyErr(req, errno);
    fuse_reply_buf(req, value.data(), size_t(n));
}

void OnListxattr(fuse_req_t req, fuse_ino_t ino, size_t nSize)
{
    CRequest r(kListxattr);
    if (IsLink(ino))
        return ReplyErr(req, ENOTSUP);
    const std::string strPath = ProcPath(InodeOf(ino).fd);
    if (nSize == 0) {
        const ssize_t n = ::listxattr(strPath.c_str(), nullptr, 0);
        return n < 0 ? ReplyErr(req, errno) : (void)fuse_reply_xattr(req, size_t(n));
    }
    std::vector<char> names(nSize);
    const ssize_t n = ::listxattr(strPath.c_str(), names.data(), nSize);
    if (n < 0)
        return ReplyErr(req, errno);
    fuse_reply_buf(req, names.data(), size_t(n));
}

void OnLseek(fuse_req_t req, fuse_ino_t, off_t nOffset, int nWhence, fuse_file_info* fi)
{
    CRequest r(kLseek);
    const off_t n = ::lseek(int(fi->fh), nOffset, nWhence);
    if (n < 0)
        return ReplyErr(req, errno);
    fuse_reply_lseek(req, n);
}

// Whatever would change the share is refused (the mount is read-only, so the kernel rarely asks).
void RefuseWrite(fuse_req_t req)
{
    CRequest r(kWriteOp);
    ReplyErr(req, EROFS);
}

fuse_lowlevel_ops MakeOps()
{
    fuse_lowlevel_ops ops;
    std::memset(&ops, 0, sizeof ops);
    ops.init = OnInit;
    ops.lookup = OnLookup;
    ops.forget = OnForget;
    ops.forget_multi = OnForgetMulti;
    ops.getattr = OnGetattr;
    ops.readlink = OnReadlink;
    ops.open = OnOpen;
    ops.read = OnRead;
    ops.flush = OnFlush;
    ops.release = OnRelease;
    ops.fsync = OnFsync;
    ops.opendir = OnOpendir;
    ops.readdir = OnReaddir;
    ops.releasedir = OnReleasedir;
    ops.fsyncdir = OnFsyncdir;
    ops.statfs = OnStatfs;
    ops.access = OnAccess;
    ops.getxattr = OnGetxattr;
    ops.listxattr = OnListxattr;
    ops.lseek = OnLseek;
    ops.setattr = [](fuse_req_t req, fuse_ino_t, struct stat*, int, fuse_file_info*) { RefuseWrite(req); };
    ops.mknod = [](fuse_req_t req, fuse_ino_t, const char*, mode_t, dev_t) { RefuseWrite(req); };
    ops.mkdir = [](fuse_req_t req, fuse_ino_t, const char*, mode_t) { RefuseWrite(req); };
    ops.unlink = [](fuse_req_t req, fuse_ino_t, const char*) { RefuseWrite(req); };
    ops.rmdir = [](fuse_req_t req, fuse_ino_t, const char*) { RefuseWrite(req); };
    ops.symlink = [](fuse_req_t req, const char*, fuse_ino_t, const char*) { RefuseWrite(req); };
    ops.rename = [](fuse_req_t req, fuse_ino_t, const char*, fuse_ino_t, const char*, unsigned) {
        RefuseWrite(req);
    };
    ops.link = [](fuse_req_t req, fuse_ino_t, fuse_ino_t, const char*) { RefuseWrite(req); };
    ops.write = [](fuse_req_t req, fuse_ino_t, const char*, size_t, off_t, fuse_file_info*) { RefuseWrite(req); };
    ops.create = [](fuse_req_t req, fuse_ino_t, const char*, mode_t, fuse_file_info*) { RefuseWrite(req); };
    ops.setxattr = [](fuse_req_t req, fuse_ino_t, const char*, const char*, size_t, int) { RefuseWrite(req); };
    ops.removexattr = [](fuse_req_t req, fuse_ino_t, const char*) { RefuseWrite(req); };
    ops.fallocate = [](fuse_req_t req, fuse_ino_t, int, off_t, off_t, fuse_file_info*) { RefuseWrite(req); };
    return ops;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: pagewick-share SOURCE_DIR MOUNTPOINT [--delay-ms N] [--stats FILE] [--threads N]\n"
                 "                      [--stuck NAME]... [-f] [-d]\n"
                 "       pagewick-share --show FILE\n"
                 "Serves SOURCE_DIR read-only at MOUNTPOINT, every request delayed by N ms, nothing cached.\n"
                 "--stuck NAME: requests for files of that name are never answered, until unmounted.\n"
                 "-f stays in the foreground, -d also prints every request; fusermount3 -u MOUNTPOINT ends it.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--show") == 0)
        return ShowStats(argv[2]);
    std::vector<const char*> positional;
    const char* pszStats = nullptr;
    unsigned nThreads = 128;
    bool bForeground = false;
    bool bDebug = false;
    for (int i = 1; i < argc; ++i) {
        const std::string strArg = argv[i];
        char* pszEnd = nullptr;
        if (strArg == "--delay-ms" && i + 1 < argc) {
            g_dDelayMs = std::strtod(argv[++i], &pszEnd);
            if (*pszEnd || g_dDelayMs < 0 || g_dDelayMs > 60000)
                return Usage();
        } else if (strArg == "--stats" && i + 1 < argc) {
            pszStats = argv[++i];
        } else if (strArg == "--threads" && i + 1 < argc) {
            const long n = std::strtol(argv[++i], &pszEnd, 10);
            if (*pszEnd || n < 1 || n > 4096)
                return Usage();
            nThreads = unsigned(n);
        } else if (strArg == "--stuck" && i + 1 < argc) {
            g_stuckNames.push_back(argv[++i]);
        } else if (strArg == "-f") {
            bForeground = true;
        } else if (strArg == "-d") {
            bDebug = bForeground = true;
        } else if (!strArg.empty() && strArg[0] != '-') {
            positional.push_back(argv[i]);
        } else {
            return Usage();
        }
    }
    if (positional.size() != 2)
        return Usage();
    const char* pszSource = positional[0];
    const char* pszMount = positional[1];

    InitStats(&g_localStats, g_dDelayMs);
    if (pszStats && !MapStats(pszStats))
        return 1;
    g_root.fd = ::open(pszSource, O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (g_root.fd < 0 || ::fstat(g_root.fd, &st) != 0) {
        std::fprintf(stderr, "pagewick-share: %s: %s\n", pszSource, std::strerror(errno));
        return 1;
    }
    g_root.dev = st.st_dev;
    g_root.ino = st.st_ino;
    g_root.nLookups = 1;
    char szMount[PATH_MAX];
    if (!::realpath(pszMount, szMount)) {
        std::fprintf(stderr, "pagewick-share: %s: %s\n", pszMount, std::strerror(errno));
        return 1;
    }
    g_strMountEntry = MountEntryOf(szMount);

    std::vector<const char*> fuseArgv = {argv[0], "-o", "ro,fsname=pagewick-share,subtype=pagewick-share"};
    if (bDebug)
        fuseArgv.push_back("-d");
    fuse_args args = FUSE_ARGS_INIT(int(fuseArgv.size()), const_cast<char**>(fuseArgv.data()));
    const fuse_lowlevel_ops ops = MakeOps();
    fuse_session* pSession = fuse_session_new(&args, &ops, sizeof ops, nullptr);
    if (!pSession)
        return 1;
    g_pSession = pSession;
    int nResult = 1;
    if (fuse_set_signal_handlers(pSession) == 0) {
        if (fuse_session_mount(pSession, pszMount) == 0) {
            const fuse_custom_io io{WriteDevice, ReadDevice, nullptr, nullptr};
            if (fuse_session_custom_io(pSession, &io, fuse_session_fd(pSession)) == 0) {
                fuse_daemonize(bForeground ? 1 : 0);
                fuse_loop_config* pConfig = fuse_loop_cfg_create();
                fuse_loop_cfg_set_max_threads(pConfig, nThreads);
                // Threads stay once started: a burst of requests finds them ready.
                fuse_loop_cfg_set_idle_threads(pConfig, nThreads);
                nResult = fuse_session_loop_mt(pSession, pConfig) == 0 ? 0 : 1;
                fuse_loop_cfg_destroy(pConfig);
            }
            fuse_session_unmount(pSession);
        }
        fuse_remove_signal_handlers(pSession);
    }
    fuse_session_destroy(pSession);
    return nResult;
}
