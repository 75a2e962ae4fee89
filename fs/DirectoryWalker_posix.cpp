// POSIX directory walk: getdents64, with a stat only where the entry's type is not given or is a link.
//
// The walk's order is fixed (depth first, each directory's entries in name order), but the work is
// not done in that order: directories are read, and files looked at, on a pool of threads ahead of
// the walk, and the walk, on the calling thread, takes each result when its turn comes. The walk
// keeps no recursion on the call stack and no per-level work that grows with the depth: a directory
// is opened relative to its parent's descriptor, and the path grows and shrinks in one buffer.
#include "DirectoryWalker.h"

#include "FileFacts.h"
#include "common/core/FileName.h"

#include <QString>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace {

// Directories held open for their entries at most, beyond those the walk needs at once; a
// directory read past this many is opened again by its path when its entries are opened. A share
// of what the process may hold open: under a tight limit the walk keeps fewer, and goes on.
int MostOpenDirectories()
{
    return std::clamp(DescriptorLimit() / 4, 4, 256);
}

// Directories read and files looked at at once: each holds up to three descriptors meanwhile.
int MostInFlight(int nAsked)
{
    return std::clamp(std::min(nAsked, DescriptorLimit() / 8), 1, kMaxFilesInFlight);
}

// How often a walk waiting for a result looks whether it was told to stop.
constexpr auto kStopPoll = std::chrono::milliseconds(20);

struct SEntry {
    QByteArray name;
    bool bDirectory;
};

// Name order as the file systems of the program's first platform return it: letters compare
// without regard to case, and only names equal but for case fall back to their exact bytes.
void SortByName(std::vector<SEntry>* pEntries)
{
    std::vector<std::pair<QString, size_t>> keys;
    keys.reserve(pEntries->size());
    for (size_t i = 0; i < pEntries->size(); ++i)
        keys.emplace_back(DisplayFileName((*pEntries)[i].name), i);
    std::sort(keys.begin(), keys.end(), [pEntries](const auto& a, const auto& b) {
        const int n = a.first.compare(b.first, Qt::CaseInsensitive);
        return n != 0 ? n < 0 : (*pEntries)[a.second].name < (*pEntries)[b.second].name;
    });
    std::vector<SEntry> sorted;
    sorted.reserve(pEntries->size());
    for (const auto& key : keys)
        sorted.push_back(std::move((*pEntries)[key.second]));
    pEntries->swap(sorted);
}

// Directories held open by the walks of this process: the descriptor limit is the process's, and
// several walks may run at once (a worker answers many requests).
std::atomic<int> g_nOpenDirectories{0};

// An open directory: its entries are opened relative to it, so no path is looked up again.
class CDirectory {
public:
    explicit CDirectory(int fd) : m_fd(fd) { ++g_nOpenDirectories; }
    ~CDirectory()
    {
        ::close(m_fd);
        --g_nOpenDirectories;
    }
    CDirectory(const CDirectory&) = delete;
    CDirectory& operator=(const CDirectory&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

// Where an entry is reached from: its directory's descriptor and its name, or, where the directory
// is no longer open, its whole path.
struct SPlace {
    std::shared_ptr<CDirectory> pDir;
    QByteArray name;
    bool bNetwork = true;       // the directory it is in lies on a network file system

    int OpenAt(int nFlags) const
    {
        if (!pDir)
            return OpenPath(name, nFlags);
        return OpenWhenDescriptorsAllow([&] { return ::openat(pDir->Fd(), name.constData(), nFlags | O_CLOEXEC); });
    }
};

// A task run once, by whichever of its queue places comes first: a task queued ahead of need is
// queued again in front when the walk reaches it.
struct SOnce {
    std::atomic<bool> bTaken{false};
    std::function<void()> task;

    void Run()
    {
        if (bTaken.exchange(true))
            return;
        task();
        // What it captured (nodes, the walk's shared state) goes now, not with the last place
        // that still holds this task.
        task = nullptr;
    }
};

struct SFileLook {
    bool bDone = false;
    bool bReadable = false;
    SFileFacts facts;
};

// A directory of the walk. What its reading finds is written under the walk's mutex; the rest
// belongs to the walking thread.
struct SNode {
    // Found by reading it.
    bool bRead = false;
    int nOpenErrno = 0;     // it could not be opened
    int nReadErrno = 0;     // it could not be read to its end
    bool bIdentified = false;
    std::pair<dev_t, ino_t> identity;
    std::vector<SEntry> entries;
    std::shared_ptr<CDirectory> pDir;   // while its entries are still to be opened
    bool bNetwork = true;               // it lies on a network file system
    // The walk's own.
    bool bParentEntered = false;
    bool bStarted = false;          // its entries' work is queued
    std::vector<std::shared_ptr<SNode>> children;       // per entry: the sub-directory to enter
    std::vector<std::shared_ptr<SFileLook>> looks;      // per entry: the look at the file
    std::vector<std::shared_ptr<SOnce>> queued;         // its entries' work, while it may be hurried
};

// What the walk and its tasks share.
struct SShared {
    std::mutex mutex;
    std::condition_variable done;
    std::vector<std::shared_ptr<SNode>> newlyRead;
    bool bFileFacts = false;
    int nMostOpenDirectories = 4;      // by the descriptor limit as the walk began
    bool bEnded = false;        // the walk has ended: what is read from now on goes nowhere
};

// Reads the entries of a directory open as fd, leaving out "." and ".."; 0, or errno when it could
// not be read to its end. The entries are read straight from the descriptor, which stays for them:
// a directory stream would cost a descriptor of its own and three more calls per directory.
int ReadEntries(int fd, std::vector<SEntry>* pEntries)
{
    alignas(struct dirent64) char buffer[32 * 1024];
    for (;;) {
        const ssize_t nBytes = ::getdents64(fd, buffer, sizeof buffer);
        if (nBytes < 0 && errno == EINTR)
            continue;
        if (nBytes <= 0)
            return nBytes < 0 ? errno : 0;
        for (ssize_t nAt = 0; nAt < nBytes;) {
            const auto* pEntry = reinterpret_cast<const struct dirent64*>(buffer + nAt);
            nAt += pEntry->d_reclen;
            const char* pszName = pEntry->d_name;
            if (std::strcmp(pszName, ".") == 0 || std::strcmp(pszName, "..") == 0)
                continue;
            bool bDirectory = pEntry->d_type == DT_DIR;
            if (pEntry->d_type == DT_LNK || pEntry->d_type == DT_UNKNOWN) {
                // A link counts as what it leads to; a broken one as a file.
                struct stat target;
                bDirectory = ::fstatat(fd, pszName, &target, 0) == 0 && S_ISDIR(target.st_mode);
            }
            pEntries->push_back({QByteArray(pszName), bDirectory});
        }
    }
}

// Reads a directory into its node: entries in name order, its identity, its descriptor.
void ReadNode(const std::shared_ptr<SShared>& pShared, const std::shared_ptr<SNode>& pNode, const SPlace& place)
{
    int nOpenErrno = 0;
    int nReadErrno = 0;
    bool bIdentified = false;
    struct stat st {};
    std::vector<SEntry> entries;
    std::shared_ptr<CDirectory> pDir;
    bool bNetwork = place.bNetwork;
    const int fd = place.OpenAt(O_RDONLY | O_DIRECTORY | O_NOCTTY);
    if (fd < 0) {
        nOpenErrno = errno;
    } else {
        pDir = std::make_shared<CDirectory>(fd);
        bIdentified = ::fstat(fd, &st) == 0;
        bNetwork = bIdentified ? IsOnNetwork(fd, st.st_dev) : IsOnNetwork(fd);
        nReadErrno = ReadEntries(fd, &entries);
    }
    SortByName(&entries);
    // On a local disk a look at a file takes microseconds, less than a task of its own would cost:
    // the directory's files are looked at here, one after another.
    std::vector<std::shared_ptr<SFileLook>> looks;
    if (pShared->bFileFacts && pDir && !bNetwork) {
        looks.resize(entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].bDirectory)
                continue;
            looks[i] = std::make_shared<SFileLook>();
            looks[i]->bReadable = ReadFileFactsAt(pDir->Fd(), entries[i].name.constData(), false, &looks[i]->facts);
            looks[i]->bDone = true;
        }
    }
    // Too many directories open: this one is opened again by its path when its turn comes.
    if (pDir && g_nOpenDirectories.load() > pShared->nMostOpenDirectories)
        pDir.reset();
    std::unique_lock<std::mutex> lock(pShared->mutex);
    if (pShared->bEnded)
        return;
    pNode->looks = std::move(looks);
    pNode->nOpenErrno = nOpenErrno;
    pNode->nReadErrno = nReadErrno;
    pNode->bIdentified = bIdentified;
    pNode->identity = {st.st_dev, st.st_ino};
    pNode->entries = std::move(entries);
    pNode->pDir = std::move(pDir);
    pNode->bNetwork = bNetwork;
    pNode->bRead = true;
    pShared->newlyRead.push_back(pNode);
    // The walk wakes to a free lock.
    lock.unlock();
    pShared->done.notify_one();
}

void LookAtFile(const std::shared_ptr<SShared>& pShared, const std::shared_ptr<SFileLook>& pLook, const SPlace& place)
{
    SFileFacts facts;
    const bool bReadable = place.pDir ? ReadFileFactsAt(place.pDir->Fd(), place.name.constData(), place.bNetwork, &facts)
                                      : ReadFileFacts(place.name, &facts);
    {
        std::lock_guard<std::mutex> lock(pShared->mutex);
        pLook->bReadable = bReadable;
        pLook->facts = facts;
        pLook->bDone = true;
    }
    pShared->done.notify_one();
}

class CWalk {
public:
    CWalk(const SWalkOptions& options, IWalkHandler& handler)
        : m_options(options), m_handler(handler), m_pShared(std::make_shared<SShared>()),
          m_pool(MostInFlight(options.nInFlight))
    {
        m_pShared->bFileFacts = options.bFileFacts;
        m_pShared->nMostOpenDirectories = MostOpenDirectories();
    }

    ~CWalk()
    {
        // Nodes read after the end hold nothing of the walk; those read before are let go.
        m_pool.Cancel();
        std::lock_guard<std::mutex> lock(m_pShared->mutex);
        m_pShared->bEnded = true;
        m_pShared->newlyRead.clear();
    }

    void Walk(const QByteArray& dir)
    {
        auto pRoot = std::make_shared<SNode>();
        Queue(pRoot->queued, EPriority::Now, [pShared = m_pShared, pRoot, dir] { ReadNode(pShared, pRoot, {nullptr, dir, true}); });
        if (!WaitFor([&] { return pRoot->bRead; }))
            return;
        if (pRoot->nOpenErrno != 0) {
            m_handler.UnreadableDirectory(dir, pRoot->nOpenErrno);
            return;
        }
        // The path of the entries; a root that ends in "/" ("/" itself) takes no second one.
        m_path = CollapseSeparators(dir);
        if (m_path.endsWith('/') && m_path.size() > 1)
            m_path.chop(1);
        if (!Enter(pRoot, dir))
            return;
        while (!m_stack.empty()) {
            if (m_handler.StopRequested())
                return;
            SFrame& frame = m_stack.back();
            SNode& node = *frame.pNode;
            if (frame.nNext == node.entries.size()) {
                m_path.truncate(frame.nParentPathLength);
                m_stack.pop_back();
                continue;
            }
            const size_t i = frame.nNext++;
            const SEntry& entry = node.entries[i];
            if (!entry.bDirectory) {
                FoundFile(node, i);
                continue;
            }
            std::shared_ptr<SNode> pChild = std::move(node.children[i]);
            if (!pChild)
                continue;
            if (!WaitFor([&] { return pChild->bRead; }))
                return;
            if (pChild->nOpenErrno != 0) {
                m_handler.UnreadableDirectory(ChildPath(entry.name), pChild->nOpenErrno);
                continue;
            }
            // The path grows in place: copying it at every level would cost the square of the depth.
            const qsizetype nParentPathLength = m_path.size();
            if (!m_path.endsWith('/'))
                m_path += '/';
            m_path += entry.name;
            if (!Enter(pChild, m_path))
                m_path.truncate(nParentPathLength);
            else
                m_stack.back().nParentPathLength = nParentPathLength;
        }
    }

private:
    using EPriority = CTaskPool::EPriority;

    struct SFrame {
        std::shared_ptr<SNode> pNode;
        size_t nNext = 0;
        qsizetype nParentPathLength = 0;
    };

    QByteArray ChildPath(const QByteArray& name) const
    {
        return m_path.endsWith('/') ? m_path + name : m_path + '/' + name;
    }

    void Queue(std::vector<std::shared_ptr<SOnce>>& queued, EPriority ePriority, std::function<void()> task)
    {
        auto pOnce = std::make_shared<SOnce>();
        pOnce->task = std::move(task);
        m_pool.Post([pOnce] { pOnce->Run(); }, ePriority);
        if (ePriority == EPriority::Ahead)
            queued.push_back(std::move(pOnce));
    }

    // Enters a directory that was read: once only, known by its identity.
    bool Enter(const std::shared_ptr<SNode>& pNode, const QByteArray& dir)
    {
        if (!pNode->bIdentified || !m_visited.insert(pNode->identity).second)
            return false;
        m_handler.EnterDirectory(dir);
        if (pNode->nReadErrno != 0)
            m_handler.UnreadableDirectory(dir, pNode->nReadErrno);
        // Its own entries are needed now; those of its sub-directories are worth having ahead.
        if (pNode->bStarted) {
            for (const std::shared_ptr<SOnce>& pOnce : pNode->queued) {
                // One already begun needs no thread of its own.
                if (!pOnce->bTaken.load())
                    m_pool.Post([pOnce] { pOnce->Run(); }, EPriority::Now);
            }
        } else {
            Start(*pNode, EPriority::Now);
        }
        pNode->queued.clear();
        for (const std::shared_ptr<SNode>& pChild : pNode->children) {
            if (!pChild)
                continue;
            pChild->bParentEntered = true;
            // What its reading found is looked at only once it is known, under the lock, to be there.
            bool bReadOpen;
            {
                std::lock_guard<std::mutex> lock(m_pShared->mutex);
                bReadOpen = pChild->bRead && pChild->pDir;
            }
            if (bReadOpen && !pChild->bStarted)
                Start(*pChild, EPriority::Ahead);
        }
        m_stack.push_back({pNode, 0, 0});
        return true;
    }

    // Queues the work on a directory's entries: reading its sub-directories, looking at its files.
    void Start(SNode& node, EPriority ePriority)
    {
        node.bStarted = true;
        node.children.resize(node.entries.size());
        // Files looked at as the directory was read need no task.
        const bool bLooked = !node.looks.empty();
        if (m_options.bFileFacts)
            node.looks.resize(node.entries.size());
        for (size_t i = 0; i < node.entries.size(); ++i) {
            const SEntry& entry = node.entries[i];
            // Without the directory open, the walk is at it: the path is known.
            const SPlace place{node.pDir, node.pDir ? entry.name : ChildPath(entry.name), node.bNetwork};
            if (entry.bDirectory) {
                if (!m_options.bSubFolders || entry.name.startsWith('.'))
                    continue;
                auto pChild = std::make_shared<SNode>();
                node.children[i] = pChild;
                Queue(node.queued, ePriority,
                      [pShared = m_pShared, pChild, place] { ReadNode(pShared, pChild, place); });
            } else if (m_options.bFileFacts && !bLooked) {
                auto pLook = std::make_shared<SFileLook>();
                node.looks[i] = pLook;
                Queue(node.queued, ePriority, [pShared = m_pShared, pLook, place] { LookAtFile(pShared, pLook, place); });
            }
        }
        // The tasks hold the directory as long as they need it.
        node.pDir.reset();
    }

    void FoundFile(SNode& node, size_t i)
    {
        const QByteArray path = ChildPath(node.entries[i].name);
        if (!m_options.bFileFacts) {
            m_handler.FoundFile(path, nullptr);
            return;
        }
        const std::shared_ptr<SFileLook> pLook = std::move(node.looks[i]);
        if (!WaitFor([&] { return pLook->bDone; }))
            return;
        m_handler.FoundFile(path, pLook->bReadable ? &pLook->facts : nullptr);
    }

    // Waits until ready() holds, queuing the work of directories read meanwhile; false when the
    // walk was told to stop.
    template <class Ready>
    bool WaitFor(Ready ready)
    {
        std::unique_lock<std::mutex> lock(m_pShared->mutex);
        for (;;) {
            std::vector<std::shared_ptr<SNode>> newlyRead;
            newlyRead.swap(m_pShared->newlyRead);
            if (!newlyRead.empty()) {
                lock.unlock();
                for (const std::shared_ptr<SNode>& pNode : newlyRead) {
                    // The sub-directories of an entered directory: their entries are next.
                    if (pNode->bParentEntered && !pNode->bStarted && pNode->pDir)
                        Start(*pNode, EPriority::Ahead);
                }
                lock.lock();
                continue;
            }
            if (ready())
                return true;
            lock.unlock();
            if (m_handler.StopRequested())
                return false;
            lock.lock();
            if (m_pShared->newlyRead.empty() && !ready())
                m_pShared->done.wait_for(lock, kStopPoll);
        }
    }

    SWalkOptions m_options;
    IWalkHandler& m_handler;
    std::shared_ptr<SShared> m_pShared;
    CTaskPool m_pool;
    std::vector<SFrame> m_stack;
    QByteArray m_path;
    std::set<std::pair<dev_t, ino_t>> m_visited;
};

}  // namespace

void ScanDirectory(const QByteArray& dir, const SWalkOptions& options, IWalkHandler& handler)
{
    if (dir.isEmpty())
        return;
    CWalk(options, handler).Walk(dir);
}

void ScanDirectory(const QByteArray& dir, bool bSubFolders, IWalkHandler& handler)
{
    SWalkOptions options;
    options.bSubFolders = bSubFolders;
    ScanDirectory(dir, options, handler);
}
