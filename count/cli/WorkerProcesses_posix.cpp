// POSIX workers: processes forked by a small spawner process, one socket each. The parent hands out
// items a few at a time and knows at every moment which items each worker holds, so a worker's
// death loses nothing but the one item it died on (which gets one more try elsewhere).
//
// The spawner is forked when the workers object is made, before the caller starts threads: a worker
// forked later from a process with threads could inherit a lock that one of them held. Workers are
// the spawner's children; each dies with the spawner, and the spawner with this process.
#include "WorkerProcesses.h"

#include "common/core/TaskPool.h"
#include "filelist/core/FileFacts.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// Items a worker holds beyond those it has begun: enough for about this long, at least a few, at
// most many. Short files need many ahead, or the worker waits for the next between them; long ones
// few, or one worker holds what an idle one could count.
constexpr double kAheadSeconds = 0.005;
constexpr int kLeastAhead = 2;
constexpr int kMostAhead = 16;
// A worker's death costs the item it died on this many tries.
constexpr int kTries = 2;
// Items taken from the queue and not yet handed back, at most: memory stays flat behind a slow one.
constexpr size_t kWindow = 8192;
// How often the caller's tick runs while nothing happens.
constexpr int kTickMs = 100;

// Sends or receives all of nBytes over a worker's socket; false when the other side has gone.
// MSG_NOSIGNAL: a worker that died makes a send fail, not the sender die of SIGPIPE.
template <class Buffer, class Transfer>
bool TransferAll(int fd, Buffer* p, size_t nBytes, Transfer transfer)
{
    while (nBytes > 0) {
        const ssize_t n = transfer(fd, p, nBytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        nBytes -= size_t(n);
    }
    return true;
}

bool SendAll(int fd, const char* p, size_t nBytes)
{
    return TransferAll(fd, p, nBytes, [](int s, const char* q, size_t n) { return ::send(s, q, n, MSG_NOSIGNAL); });
}

bool ReceiveAll(int fd, char* p, size_t nBytes)
{
    return TransferAll(fd, p, nBytes, [](int s, char* q, size_t n) { return ::recv(s, q, n, 0); });
}

// A message either way: the item's number and its bytes (the item, or its result); from a worker,
// -1 bytes say that it has begun the item; to a worker, item -1 ends it.
struct SHeader {
    qint64 nIndex;
    qint64 nBytes;
};

void AppendMessage(QByteArray* pMessages, qint64 nIndex, const QByteArray& bytes)
{
    const SHeader header{nIndex, bytes.size()};
    pMessages->append(reinterpret_cast<const char*>(&header), sizeof header);
    pMessages->append(bytes);
}

// In one piece: a system call, and a wake-up of the other side, per message.
bool SendMessage(int fd, qint64 nIndex, const QByteArray& bytes)
{
    QByteArray message;
    AppendMessage(&message, nIndex, bytes);
    return SendAll(fd, message.constData(), size_t(message.size()));
}

using WorkPtr = std::shared_ptr<const CWorkerProcesses::Work>;

// A worker's end of its socket, closed when the last task that answers over it is done.
struct SChannel {
    int fd;
    std::mutex sending;
    ~SChannel() { ::close(fd); }
};

// Works on the items that come over fd, several at once, and sends each result back when done;
// returns when the other side ends or goes. Tasks still inside an item finish in the background.
void WorkerLoop(int fd, const WorkPtr& pWork, int nThreads)
{
    CTaskPool pool(nThreads);
    const auto pChannel = std::make_shared<SChannel>();
    pChannel->fd = fd;
    SHeader header;
    while (ReceiveAll(fd, reinterpret_cast<char*>(&header), sizeof header) && header.nIndex >= 0 &&
           header.nBytes >= 0) {
        QByteArray item(qsizetype(header.nBytes), Qt::Uninitialized);
        if (!ReceiveAll(fd, item.data(), size_t(item.size())))
            break;
        pool.Post([pChannel, pWork, nIndex = header.nIndex, item] {
            {
                // Should the worker die now, this item is one that may have killed it.
                std::lock_guard<std::mutex> lock(pChannel->sending);
                const SHeader begun{nIndex, -1};
                SendAll(pChannel->fd, reinterpret_cast<const char*>(&begun), sizeof begun);
            }
            const QByteArray result = (*pWork)(item);
            std::lock_guard<std::mutex> lock(pChannel->sending);
            SendMessage(pChannel->fd, nIndex, result);
        });
    }
}

[[noreturn]] void WorkerMain(int fd, pid_t parent, const WorkPtr& pWork, int nThreads)
{
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    if (::getppid() != parent)
        ::_exit(0);
    WorkerLoop(fd, pWork, nThreads);
    // No destructor or exit handler of the parent's objects runs in a worker.
    ::_exit(0);
}

// Hands a descriptor over a socket (none when fd < 0).
bool SendDescriptor(int socket, int fd)
{
    char byte = fd >= 0 ? 'W' : '-';
    iovec iov{&byte, 1};
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (fd >= 0) {
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        cmsghdr* pHeader = CMSG_FIRSTHDR(&msg);
        pHeader->cmsg_level = SOL_SOCKET;
        pHeader->cmsg_type = SCM_RIGHTS;
        pHeader->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(pHeader), &fd, sizeof fd);
    }
    ssize_t n;
    do {
        n = ::sendmsg(socket, &msg, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n == 1;
}

// The descriptor handed over, or -1.
int ReceiveDescriptor(int socket)
{
    char byte = 0;
    iovec iov{&byte, 1};
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t n;
    do {
        n = ::recvmsg(socket, &msg, MSG_CMSG_CLOEXEC);
    } while (n < 0 && errno == EINTR);
    if (n != 1 || byte != 'W')
        return -1;
    const cmsghdr* pHeader = CMSG_FIRSTHDR(&msg);
    if (!pHeader || pHeader->cmsg_type != SCM_RIGHTS)
        return -1;
    int fd;
    std::memcpy(&fd, CMSG_DATA(pHeader), sizeof fd);
    return fd;
}

// The spawner: makes a worker whenever it is asked and hands back the socket to it.
[[noreturn]] void SpawnerMain(int fd, pid_t parent, const WorkPtr& pWork, int nThreads, int nSlots)
{
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    if (::getppid() != parent)
        ::_exit(0);
    // This process was forked from one that may have had threads (a test's, say): what they held
    // stays behind, and the workers start clean.
    ResetProcessorSlotsAfterFork(nSlots);
    ForgetFileSystemStateAfterFork();
    // The results are handed back in order: a short file counted between the turns of a long one
    // would wait for it all the same.
    SetTakingTurns(false);
    // Workers that end are reaped by the system.
    ::signal(SIGCHLD, SIG_IGN);
    const pid_t self = ::getpid();
    char request;
    while (ReceiveAll(fd, &request, 1)) {
        int pair[2];
        int nHandOver = -1;
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(fd);
                ::close(pair[0]);
                WorkerMain(pair[1], self, pWork, nThreads);
            }
            ::close(pair[1]);
            if (pid > 0)
                nHandOver = pair[0];
            else
                ::close(pair[0]);
        }
        const bool bSent = SendDescriptor(fd, nHandOver);
        if (nHandOver >= 0)
            ::close(nHandOver);
        if (!bSent)
            break;
    }
    ::_exit(0);
}

struct SItem {
    QByteArray item;
    QByteArray result;
    int nTries = 0;
    bool bArrived = false;
};

struct SWorker {
    int fd = -1;
    std::thread local;          // a worker in this process, where none can be made
    std::vector<qint64> held;   // items sent and not yet answered
    double dSecondsEach = 0;    // between its results, lately
    std::chrono::steady_clock::time_point lastResult;
    std::vector<qint64> begun;  // those of them it has begun
    bool bAlone = false;        // it holds one item that a dead worker held with others
    QByteArray pending;         // bytes of a result not yet whole
};

}  // namespace

CItemQueue::CItemQueue(size_t nCapacity) : m_nCapacity(std::max<size_t>(1, nCapacity))
{
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        m_wake[0] = m_wake[1] = -1;
}

CItemQueue::~CItemQueue()
{
    for (int fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool CItemQueue::Push(QByteArray item)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_room.wait(lock, [this] { return m_bAbandoned || m_items.size() < m_nCapacity; });
    if (m_bAbandoned)
        return false;
    m_items.push_back(std::move(item));
    if (!m_bSignalled) {
        m_bSignalled = true;
        const char byte = 1;
        (void)!::write(m_wake[1], &byte, 1);
    }
    return true;
}

void CItemQueue::Close()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bClosed = true;
    if (!m_bSignalled) {
        m_bSignalled = true;
        const char byte = 1;
        (void)!::write(m_wake[1], &byte, 1);
    }
}

bool CItemQueue::Take(std::deque<QByteArray>* pItems, size_t nMax)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    while (nMax-- > 0 && !m_items.empty()) {
        pItems->push_back(std::move(m_items.front()));
        m_items.pop_front();
    }
    m_room.notify_all();
    if (m_items.empty() && !m_bClosed && m_bSignalled) {
        char byte;
        while (::read(m_wake[0], &byte, 1) > 0) {
        }
        m_bSignalled = false;
    }
    return !(m_bClosed && m_items.empty());
}

void CItemQueue::Abandon()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bAbandoned = true;
    m_items.clear();
    m_room.notify_all();
}

struct CWorkerProcesses::SState {
    WorkPtr pWork;
    int nWorkers = 1;
    int nThreadsEach = 1;
    pid_t spawner = -1;
    int spawnerFd = -1;

    std::vector<SWorker> workers;
    std::deque<SItem> window;           // items from nFirst on, in the order taken
    qint64 nFirst = 0;
    std::deque<qint64> toSend;
    std::deque<qint64> alone;           // held by a dead worker with others: each goes alone
    bool bSourceOpen = true;
    bool bStopped = false;
    std::function<void(qint64, const QByteArray&)> onArrival;

    SItem& At(qint64 nIndex) { return window[size_t(nIndex - nFirst)]; }

    // A new worker: a process from the spawner, or, where none can be made, a thread here.
    bool StartWorker(bool bProcess)
    {
        SWorker w;
        if (bProcess) {
            const char request = 'S';
            if (spawnerFd < 0 || !SendAll(spawnerFd, &request, 1))
                return false;
            w.fd = ReceiveDescriptor(spawnerFd);
            if (w.fd < 0)
                return false;
        } else {
            int pair[2];
            if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
                return false;
            w.fd = pair[0];
            w.local = std::thread([fd = pair[1], pWork = pWork, nThreads = nThreadsEach * nWorkers] {
                WorkerLoop(fd, pWork, nThreads);
            });
        }
        workers.push_back(std::move(w));
        return true;
    }

    // Items go out together, in one system call and one wake-up of the worker.
    void Send(SWorker& w, const std::vector<qint64>& indexes)
    {
        QByteArray messages;
        for (const qint64 nIndex : indexes) {
            w.held.push_back(nIndex);
            AppendMessage(&messages, nIndex, At(nIndex).item);
        }
        // A worker that is dying takes nothing; its end will be read and what it held given out again.
        if (!messages.isEmpty())
            SendAll(w.fd, messages.constData(), size_t(messages.size()));
    }

    // Tops up what a worker holds. An item that a dead worker held with others goes to a worker
    // holding nothing else; while one waits, the workers are not given more, so that one comes free.
    void Feed(SWorker& w)
    {
        if (w.bAlone)
            return;
        if (!alone.empty()) {
            if (w.held.empty()) {
                w.bAlone = true;
                Send(w, {alone.front()});
                alone.pop_front();
            }
            return;
        }
        // A worker gets items as it begins them, a couple ahead: an item queued in a busy worker
        // could not go to an idle one (four long files would all wait in the first worker).
        const int nAhead = w.dSecondsEach > 0
                               ? std::clamp(int(kAheadSeconds / w.dSecondsEach), kLeastAhead, kMostAhead)
                               : kLeastAhead;
        std::vector<qint64> batch;
        while (int(w.held.size() + batch.size() - w.begun.size()) < nAhead && !toSend.empty()) {
            batch.push_back(toSend.front());
            toSend.pop_front();
        }
        Send(w, batch);
    }

    void FeedAll()
    {
        for (SWorker& w : workers)
            Feed(w);
    }

    void TakeItems(CItemQueue& items)
    {
        if (!bSourceOpen || window.size() >= kWindow)
            return;
        std::deque<QByteArray> taken;
        bSourceOpen = items.Take(&taken, kWindow - window.size());
        for (QByteArray& item : taken) {
            toSend.push_back(nFirst + qint64(window.size()));
            window.push_back({std::move(item), {}, 0, false});
        }
    }

    // Reads what a worker sent; false when it has gone.
    bool ReadFrom(SWorker& w)
    {
        char buffer[64 * 1024];
        const ssize_t n = ::recv(w.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return true;
        if (n <= 0)
            return false;
        w.pending.append(buffer, n);
        qsizetype nUsed = 0;
        SHeader header;
        while (w.pending.size() - nUsed >= qsizetype(sizeof header)) {
            std::memcpy(&header, w.pending.constData() + nUsed, sizeof header);
            if (header.nBytes < 0) {
                w.begun.push_back(header.nIndex);
                nUsed += qsizetype(sizeof header);
                continue;
            }
            if (w.pending.size() - nUsed - qsizetype(sizeof header) < header.nBytes)
                break;
            const auto held = std::find(w.held.begin(), w.held.end(), header.nIndex);
            if (held != w.held.end()) {
                w.held.erase(held);
                w.begun.erase(std::remove(w.begun.begin(), w.begun.end(), header.nIndex), w.begun.end());
                SItem& item = At(header.nIndex);
                item.result = w.pending.mid(nUsed + qsizetype(sizeof header), qsizetype(header.nBytes));
                item.bArrived = true;
                if (onArrival)
                    onArrival(header.nIndex, item.result);
                const auto now = std::chrono::steady_clock::now();
                if (w.lastResult.time_since_epoch().count() != 0) {
                    const double dSeconds = std::chrono::duration<double>(now - w.lastResult).count();
                    w.dSecondsEach = w.dSecondsEach > 0 ? 0.8 * w.dSecondsEach + 0.2 * dSeconds : dSeconds;
                }
                w.lastResult = now;
            }
            nUsed += qsizetype(sizeof header) + qsizetype(header.nBytes);
        }
        w.pending.remove(0, nUsed);
        if (w.held.empty())
            w.bAlone = false;
        return true;
    }

    // A worker died: the items it had begun may have killed it, and each goes to another worker
    // alone, so that the next death tells which; one that has had its tries comes back empty. The
    // items it had not begun go to the others as they are.
    void Bury(size_t nWorker)
    {
        SWorker w = std::move(workers[nWorker]);
        workers.erase(workers.begin() + qsizetype(nWorker));
        ::close(w.fd);
        for (auto it = w.held.rbegin(); it != w.held.rend(); ++it) {
            if (std::find(w.begun.begin(), w.begun.end(), *it) == w.begun.end()) {
                toSend.push_front(*it);
                continue;
            }
            SItem& item = At(*it);
            if (++item.nTries >= kTries) {
                item.bArrived = true;   // an empty result: it could not be done
                if (onArrival)
                    onArrival(*it, item.result);
                continue;
            }
            alone.push_front(*it);
        }
        if (!toSend.empty() || !alone.empty() || bSourceOpen)
            StartWorker(true);
    }

    void Deliver(const std::function<bool(qint64, const QByteArray&, const QByteArray&)>& onResult)
    {
        while (!bStopped && !window.empty() && window.front().bArrived) {
            if (!onResult(nFirst, window.front().item, window.front().result))
                bStopped = true;
            window.pop_front();
            ++nFirst;
        }
    }

    void EndWorkers()
    {
        for (SWorker& w : workers) {
            SendMessage(w.fd, -1, QByteArray());
            ::close(w.fd);
            if (w.local.joinable())
                w.local.join();
        }
        workers.clear();
    }
};

CWorkerProcesses::CWorkerProcesses(const SWorkerSettings& settings, Work work) : m_pState(new SState)
{
    SState& s = *m_pState;
    s.pWork = std::make_shared<const Work>(std::move(work));
    const int nCores = int(std::max(1u, std::thread::hardware_concurrency()));
    s.nWorkers = settings.nWorkers < 1 ? nCores : settings.nWorkers;
    const int nInFlight = std::min(settings.nInFlight < 1 ? kFilesInFlight : settings.nInFlight, kMaxFilesInFlight);
    s.nThreadsEach = std::max(1, (nInFlight + s.nWorkers - 1) / s.nWorkers);
    if (s.nWorkers <= 1)
        return;
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pair[0]);
        SpawnerMain(pair[1], parent, s.pWork, s.nThreadsEach, std::max(1, nCores / s.nWorkers));
    }
    ::close(pair[1]);
    if (pid < 0) {
        ::close(pair[0]);
        return;
    }
    s.spawner = pid;
    s.spawnerFd = pair[0];
}

CWorkerProcesses::~CWorkerProcesses()
{
    SState& s = *m_pState;
    for (SWorker& w : s.workers) {
        ::close(w.fd);
        if (w.local.joinable())
            w.local.join();
    }
    if (s.spawner > 0) {
        // Its workers die with it.
        ::close(s.spawnerFd);
        ::kill(s.spawner, SIGKILL);
        ::waitpid(s.spawner, nullptr, 0);
    }
}

bool CWorkerProcesses::Run(CItemQueue& items,
                           const std::function<bool(qint64, const QByteArray&, const QByteArray&)>& onResult,
                           const std::function<void()>& tick,
                           const std::function<void(qint64, const QByteArray&)>& onArrival)
{
    SState& s = *m_pState;
    s.onArrival = onArrival;
    const bool bProcesses = s.spawner > 0;
    for (int i = 0; i < (bProcesses ? s.nWorkers : 1); ++i) {
        if (!s.StartWorker(bProcesses))
            break;
    }
    if (s.workers.empty() && !s.StartWorker(false))
        return false;
    for (;;) {
        s.TakeItems(items);
        s.FeedAll();
        s.Deliver(onResult);
        if (s.bStopped) {
            items.Abandon();
            return false;
        }
        if (!s.bSourceOpen && s.window.empty())
            break;
        if (s.workers.empty() && !s.StartWorker(false))
            return false;
        std::vector<pollfd> fds;
        for (const SWorker& w : s.workers)
            fds.push_back({w.fd, POLLIN, 0});
        const bool bWantItems = s.bSourceOpen && s.window.size() < kWindow;
        if (bWantItems)
            fds.push_back({items.WakeFd(), POLLIN, 0});
        const int nReady = ::poll(fds.data(), nfds_t(fds.size()), kTickMs);
        if (nReady < 0 && errno != EINTR)
            return false;
        if (tick)
            tick();
        for (size_t k = s.workers.size(); k-- > 0;) {
            if (fds[k].revents & (POLLIN | POLLHUP | POLLERR)) {
                if (!s.ReadFrom(s.workers[k]))
                    s.Bury(k);
            }
        }
    }
    s.EndWorkers();
    return true;
}
