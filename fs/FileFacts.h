// What the list needs to know of a file, read with one look at the file system. Only regular
// files are ever opened: a FIFO, socket, device or directory counts as unreadable, since opening
// it could block the program. Paths are the file system's bytes, of any length.
#pragma once

#include <QByteArray>

#include <functional>

struct SFileFacts {
    qint64 nSize = 0;
    qint64 nCreated = 0;        // seconds since the epoch; the last-write time where no creation time is kept
    qint64 nModified = 0;
    // Which file it is: the same device and inode are the same file, whatever names lead to it.
    quint64 nDevice = 0;
    quint64 nInode = 0;
};

// False when the path is not a regular file that can be opened for reading.
bool ReadFileFacts(const QByteArray& path, SFileFacts* pFacts);
// The same for a name in a directory open as nDirFd (or AT_FDCWD), on a network file system or not.
bool ReadFileFactsAt(int nDirFd, const char* pszName, bool bNetwork, SFileFacts* pFacts);
// Whether what a descriptor names lies on a network file system (NFS, SMB, FUSE and the like),
// where every request is a round trip; known once per device.
bool IsOnNetwork(int fd);
// The same where the descriptor's device is known (from its fstat): no call for a device met before.
bool IsOnNetwork(int fd, quint64 nDevice);

// A regular file open for reading. The facts and every byte read come from the descriptor that
// passed the regular-file check, so a file swapped for a FIFO or device after the check is never
// read by name again. The name is looked up once: on a network share every look is a round trip.
class CRegularFile {
public:
    explicit CRegularFile(const QByteArray& path);
    ~CRegularFile();
    CRegularFile(const CRegularFile&) = delete;
    CRegularFile& operator=(const CRegularFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    // The file's size and times: those of the opened file, or, when it could not be opened (a
    // FIFO, a file without read permission), what the look at it told; none for a name that leads
    // nowhere (a dangling link).
    bool HasFacts() const { return m_bHasFacts; }
    const SFileFacts& Facts() const { return m_facts; }
    // Why the file could not be opened (errno): ENXIO for a FIFO, socket or device, which is never
    // opened, EISDIR for a directory; 0 when open.
    int Error() const { return m_nErrno; }
    int Fd() const { return m_fd; }
    // Reads up to nBytes from the start of the file; the number read, or -1 when not open.
    int ReadHead(char* pBuffer, int nBytes);
    // Hands the descriptor over; the caller closes it.
    int Release();
    // Whether the file lies on a network file system, where every read is a round trip.
    bool OnNetworkFileSystem() const { return m_bNetwork; }

private:
    int m_fd = -1;
    int m_nErrno = 0;
    bool m_bNetwork = true;
    bool m_bHasFacts = false;
    SFileFacts m_facts;
};

// Opens a path (any length: one longer than the system allows is opened a piece of directories at
// a time) relative to the current directory, with open(2)'s flags; -1 with errno on failure.
int OpenPath(const QByteArray& path, int nFlags);

// The directory a path lies in, open as a descriptor (or AT_FDCWD), and the name to use relative to
// it, so that *at() calls reach paths of any length. Close the descriptor with CloseParent.
int OpenParent(const QByteArray& path, QByteArray* pLeaf);
void CloseParent(int nDirFd);

// Local calendar time of a time stamp; false when the platform cannot convert it.
struct SLocalTime {
    int nYear, nMonth, nDay, nHour, nMinute, nSecond;
    int nUtcOffsetSeconds;      // east of UTC
};
bool ToLocalTime(qint64 nSecsSinceEpoch, SLocalTime* pTime);

// What a path names, without opening it: nothing (not even a broken link), a directory (also
// through a link), or anything else.
enum class EPathKind { Missing, Directory, Other };
EPathKind PathKind(const QByteArray& path);

// The descriptors this process may hold open at once (its RLIMIT_NOFILE as it stands): what keeps
// folders open ahead of need takes a share of it.
int DescriptorLimit();
// Opens with open(): again when a signal interrupted it, and, when the process has too many files
// open (another thread's folders and files), again a moment later, for a while, as they close.
int OpenWhenDescriptorsAllow(const std::function<int()>& open);

// In a child forked from a process with threads: what the file facts keep across calls (open
// folders, which file systems are on a network) starts afresh, since a thread of the parent may
// have held its lock.
void ForgetFileSystemStateAfterFork();
