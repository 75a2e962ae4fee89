// POSIX workers: processes forked by a small spawner process, one socket each. Messages either way
// are a header and bytes: requests and cancellations to a worker; parts and answers from it.
#include "WorkerProcesses.h"

#include "common/core/TaskPool.h"
#include "fs/FileFacts.h"

#include <QHash>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace {

// Requests a worker holds beyond those it works on, so that it never waits for the next: enough
// for about this long, at least one, at most many. Quick ones (a look at a file, a one-page file)
// need many ahead, or the parent and the worker wake each other once per request; long ones one,
// so that a long file never keeps in a busy worker what an idle one could do.
constexpr double kAheadSeconds = 0.005;
constexpr int kMostAhead = 128;
// How much a request's having waited in the kernel (a round trip to a share, a read from a disk)
// moves a worker's estimate of how much of its work waits.
constexpr double kWaitWeight = 0.2;
// A request no longer wanted that a worker has not answered in this long may be stuck in the
// kernel: the worker goes, and what else it holds goes to the others.
constexpr auto kLetGo = std::chrono::seconds(2);
// A worker's death costs the request it died on this many tries.
constexpr int kTries = 2;
// Workers that die before they say a word, one after another: processes do not work here.
constexpr int kMostSilentDeaths = 3;

enum class EMessage : qint32 {
    Request,    // to a worker
    Cancel,     // to a worker: the answer is no longer wanted
    Hello,      // from a worker: it has started (one that dies before it says so cannot start)
    Begun,      // from a worker, where the request asked for it: it began the request
    Part,       // from a worker: a part of the answer
    Done,       // from a worker: the answer
};

struct SHeader {
    qint64 nId;
    EMessage eKind;
    // Of a request: 1 when the worker is to say that it began it. Of an answer: 1 when its work
    // waited in the kernel.
    qint32 nFlag;
    qint64 nBytes;
};

// Sends or receives all of nBytes; false when the other side has gone. MSG_NOSIGNAL: a worker that
// died makes a send fail, not the sender die of SIGPIPE.
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

void AppendMessage(QByteArray* pMessages, qint64 nId, EMessage eKind, const QByteArray& bytes = QByteArray(),
                   bool bFlag = false)
{
    const SHeader header{nId, eKind, bFlag ? 1 : 0, bytes.size()};
    pMessages->append(reinterpret_cast<const char*>(&header), sizeof header);
    pMessages->append(bytes);
}

// In one piece: a system call, and a wake-up of the other side, per message.
bool SendMessage(int fd, qint64 nId, EMessage eKind, const QByteArray& bytes = QByteArray(), bool bFlag = false)
{
    QByteArray message;
    AppendMessage(&message, nId, eKind, bytes, bFlag);
    return SendAll(fd, message.constData(), size_t(message.size()));
}

// A worker's end of its socket, and the requests it works on, closed when the last task that
// answers over it is done.
struct SChannel {
    int fd;
    std::mutex mutex;
    QHash<qint64, std::shared_ptr<std::atomic<bool>>> cancelled;
    explicit SChannel(int fdWorker) : fd(fdWorker) {}
    ~SChannel() { ::close(fd); }
    bool Send(qint64 nId, EMessage eKind, const QByteArray& bytes = QByteArray())
    {
        std::lock_guard<std::mutex> lock(mutex);
        return SendMessage(fd, nId, eKind, bytes);
    }
};

class CReplySink : public IReplySink {
public:
    CReplySink(std::shared_ptr<SChannel> pChannel, qint64 nId, std::shared_ptr<std::atomic<bool>> pCancelled)
        : m_pChannel(std::move(pChannel)), m_nId(nId), m_pCancelled(std::move(pCancelled))
    {
    }
    void Part(const QByteArray& bytes) override
    {
        if (!Cancelled())
            m_pChannel->Send(m_nId, EMessage::Part, bytes);
    }
    bool Cancelled() const override { return m_pCancelled->load(); }

private:
    std::shared_ptr<SChannel> m_pChannel;
    qint64 m_nId;
    std::shared_ptr<std::atomic<bool>> m_pCancelled;
};

// Where the calling thread's time goes: on a processor, and how often it gave the processor up
// of its own accord (to wait in the kernel: a read, a round trip to a share, a lock).
struct SThreadTimes {
    qint64 nWallUs = 0;
    qint64 nOnCpuUs = 0;
    long nVoluntarySwitches = 0;
};

SThreadTimes ThreadTimes()
{
    SThreadTimes times;
    times.nWallUs = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now().time_since_epoch()).count();
    struct rusage usage;
    if (::getrusage(RUSAGE_THREAD, &usage) == 0) {
        times.nOnCpuUs = qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 + usage.ru_utime.tv_usec +
                         usage.ru_stime.tv_usec;
        times.nVoluntarySwitches = usage.ru_nvcsw;
    }
    return times;
}

// Whether work done between two looks waited in the kernel at least as long as it computed: it
// gave the processor up of its own accord, and was off it as long as on it. (Off it without
// giving it up is a busy machine, not waiting; a brief wait for a lock is not long.)
bool WaitedMostly(const SThreadTimes& before, const SThreadTimes& after)
{
    const qint64 nOnCpu = after.nOnCpuUs - before.nOnCpuUs;
    const qint64 nOffCpu = (after.nWallUs - before.nWallUs) - nOnCpu;
    return after.nVoluntarySwitches != before.nVoluntarySwitches && nOffCpu >= nOnCpu;
}

// Works on the requests that come over fd, several at once, and answers each when done; returns
// when the other side ends or goes. Tasks still inside a request finish in the background.
void WorkerLoop(int fd, const RequestHandler& handler, int nThreads)
{
    CTaskPool pool(nThreads);
    const auto pChannel = std::make_shared<SChannel>(fd);
    pChannel->Send(-1, EMessage::Hello);
    SHeader header;
    while (ReceiveAll(fd, reinterpret_cast<char*>(&header), sizeof header) && header.nBytes >= 0) {
        QByteArray bytes(qsizetype(header.nBytes), Qt::Uninitialized);
        if (!ReceiveAll(fd, bytes.data(), size_t(bytes.size())))
            break;
        if (header.eKind == EMessage::Cancel) {
            std::lock_guard<std::mutex> lock(pChannel->mutex);
            if (const auto p = pChannel->cancelled.value(header.nId))
                p->store(true);
            continue;
        }
        if (header.eKind != EMessage::Request)
            break;
        auto pCancelled = std::make_shared<std::atomic<bool>>(false);
        {
            std::lock_guard<std::mutex> lock(pChannel->mutex);
            pChannel->cancelled.insert(header.nId, pCancelled);
        }
        pool.Post([pChannel, handler, nId = header.nId, request = std::move(bytes), pCancelled,
                   bSayBegun = header.nFlag != 0] {
            if (bSayBegun)
                pChannel->Send(nId, EMessage::Begun);
            CReplySink sink(pChannel, nId, pCancelled);
            const SThreadTimes before = ThreadTimes();
            QByteArray answer;
            try {
                answer = handler(request, sink);
            } catch (...) {
                // Out of memory or threads: the request is lost, the worker goes on.
                answer.clear();
            }
            const bool bWaited = WaitedMostly(before, ThreadTimes());
            std::lock_guard<std::mutex> lock(pChannel->mutex);
            pChannel->cancelled.remove(nId);
            SendMessage(pChannel->fd, nId, EMessage::Done, answer, bWaited);
        });
    }
}

[[noreturn]] void WorkerMain(int fd, pid_t parent, const RequestHandler& handler, int nThreads)
{
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    if (::getppid() != parent)
        ::_exit(0);
    // A worker that cannot go on (memory or threads ran out outside a request) ends without a
    // word of its own: standard error is the program's, and the parent names each file it held.
    std::set_terminate([] { ::_exit(1); });
    WorkerLoop(fd, handler, nThreads);
    // No destructor or exit handler of the parent's objects runs in a worker.
    ::_exit(0);
}

// Hands a descriptor over a socket with a number (errno when there is no descriptor).
bool SendDescriptor(int socket, int fd, int nError)
{
    iovec iov{&nError, sizeof nError};
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
    return n == ssize_t(sizeof nError);
}

// The descriptor handed over, or -1 with errno.
int ReceiveDescriptor(int socket)
{
    int nError = 0;
    iovec iov{&nError, sizeof nError};
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
    const cmsghdr* pHeader = CMSG_FIRSTHDR(&msg);
    if (n != ssize_t(sizeof nError) || !pHeader || pHeader->cmsg_type != SCM_RIGHTS) {
        errno = n == ssize_t(sizeof nError) && nError != 0 ? nError : EPIPE;
        return -1;
    }
    int fd;
    std::memcpy(&fd, CMSG_DATA(pHeader), sizeof fd);
    return fd;
}

// The spawner: makes a worker whenever it is asked and hands back the socket to it.
[[noreturn]] void SpawnerMain(int fd, pid_t parent, const RequestHandler& handler)
{
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    if (::getppid() != parent)
        ::_exit(0);
    // This process may have been forked from one with threads (a test's): what they held stays
    // behind, and the workers start clean.
    ForgetFileSystemStateAfterFork();
    // Workers that end are reaped by the system.
    ::signal(SIGCHLD, SIG_IGN);
    const pid_t self = ::getpid();
    int nThreads;
    while (ReceiveAll(fd, reinterpret_cast<char*>(&nThreads), sizeof nThreads)) {
        int pair[2];
        int nHandOver = -1;
        int nError = 0;
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) == 0) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(fd);
                ::close(pair[0]);
                WorkerMain(pair[1], self, handler, nThreads);
            }
            nError = errno;
            ::close(pair[1]);
            if (pid > 0)
                nHandOver = pair[0];
            else
                ::close(pair[0]);
        } else {
            nError = errno;
        }
        const bool bSent = SendDescriptor(fd, nHandOver, nHandOver >= 0 ? 0 : nError);
        if (nHandOver >= 0)
            ::close(nHandOver);
        if (!bSent)
            break;
    }
    ::_exit(0);
}

QString Reason(int nErrno)
{
    return QString::fromLocal8Bit(std::strerror(nErrno));
}

}  // namespace

std::shared_ptr<CWorkerSpawner> CWorkerSpawner::Fork(RequestHandler handler)
{
    std::shared_ptr<CWorkerSpawner> pSpawner(new CWorkerSpawner);
    pSpawner->m_handler = std::move(handler);
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        pSpawner->m_nForkErrno = errno;
        return pSpawner;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pair[0]);
        SpawnerMain(pair[1], parent, pSpawner->m_handler);
    }
    ::close(pair[1]);
    if (pid < 0) {
        pSpawner->m_nForkErrno = errno;
        ::close(pair[0]);
        return pSpawner;
    }
    pSpawner->m_pid = pid;
    pSpawner->m_fd = pair[0];
    return pSpawner;
}

std::shared_ptr<CWorkerSpawner> CWorkerSpawner::InThisProcess(RequestHandler handler)
{
    std::shared_ptr<CWorkerSpawner> pSpawner(new CWorkerSpawner);
    pSpawner->m_handler = std::move(handler);
    return pSpawner;
}

CWorkerSpawner::~CWorkerSpawner()
{
    if (m_pid > 0) {
        // Its workers die with it.
        ::close(m_fd);
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

int CWorkerSpawner::Spawn(int nThreads)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fd < 0) {
        errno = m_nForkErrno;
        return -1;
    }
    if (!SendAll(m_fd, reinterpret_cast<const char*>(&nThreads), sizeof nThreads)) {
        errno = EPIPE;
        return -1;
    }
    return ReceiveDescriptor(m_fd);
}

struct CWorkerProcesses::SState {
    struct SItem {
        QByteArray request;
        int nTries = 0;
        bool bParts = false;    // parts went out: it cannot start again elsewhere
        bool bSent = false;     // a worker holds it
        bool bBegun = false;    // the worker holding it alone said it began it
    };

    struct SWorker {
        int fd = -1;
        std::vector<qint64> held;   // requests sent and not yet answered nor cancelled
        // Requests cancelled while it worked on them, and when: answers to them go nowhere.
        std::vector<std::pair<qint64, std::chrono::steady_clock::time_point>> abandoned;
        // How much of its work waits in the kernel, lately (0: none, it computes; 1: all, a share):
        // as many requests are worked on at once as keep it busy.
        double dWaiting = 1;
        double dSecondsEach = 0;    // between its answers, lately
        std::chrono::steady_clock::time_point lastDone;
        bool bHeard = false;        // it has sent something
        bool bAlone = false;        // it holds one request that a dead worker held with others
        bool bRetiring = false;     // takes nothing new; closed once it holds nothing
        QByteArray pending;         // bytes of a message not yet whole
    };

    std::shared_ptr<CWorkerSpawner> pSpawner;
    int nWorkers = 1;
    int nInFlight = kFilesInFlight;
    bool bProcesses = true;
    bool bInline = false;           // no thread either: requests are done in Pump
    int nSilentDeaths = 0;
    QString strInProcess;

    qint64 nNextId = 0;
    QHash<qint64, SItem> items;
    std::deque<qint64> toSend;
    std::deque<qint64> alone;       // held by a dead worker with others: each goes alone
    std::vector<SWorker> workers;
    std::vector<SWorkEvent> events;

    ~SState()
    {
        for (SWorker& w : workers)
            ::close(w.fd);
    }

    int ThreadsEach() const { return std::max(1, (nInFlight + nWorkers - 1) / nWorkers); }

    void FallBack(const QString& strWhy)
    {
        if (bProcesses)
            strInProcess = strWhy;
        bProcesses = false;
    }

    // A new worker: a process from the spawner, or, where none can be made, a thread here.
    bool StartWorker()
    {
        SWorker w;
        if (bProcesses) {
            w.fd = pSpawner ? pSpawner->Spawn(ThreadsEach()) : -1;
            if (w.fd < 0)
                FallBack(pSpawner ? QStringLiteral("cannot make worker processes: %1").arg(Reason(errno))
                                  : QStringLiteral("cannot make worker processes"));
        }
        if (w.fd < 0) {
            // One worker of threads here does all the work.
            if (!workers.empty())
                return false;
            int pair[2];
            if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
                bInline = true;
                return false;
            }
            const RequestHandler handler = pSpawner ? pSpawner->Handler() : RequestHandler();
            if (!handler || !StartDetachedThread([fd = pair[1], handler, nThreads = nInFlight] {
                    WorkerLoop(fd, handler, nThreads);
                })) {
                ::close(pair[0]);
                ::close(pair[1]);
                bInline = true;
                return false;
            }
            w.fd = pair[0];
        }
        ::fcntl(w.fd, F_SETFL, ::fcntl(w.fd, F_GETFL) | O_NONBLOCK);
        workers.push_back(std::move(w));
        return true;
    }

    int LiveWorkers() const
    {
        return int(std::count_if(workers.begin(), workers.end(), [](const SWorker& w) { return !w.bRetiring; }));
    }

    void StartWorkersAsNeeded()
    {
        if (bInline || (toSend.empty() && alone.empty()))
            return;
        const int nWanted = bProcesses ? nWorkers : 1;
        while (LiveWorkers() < nWanted && !bInline) {
            if (!StartWorker())
                break;
        }
    }

    // Blocking sends: a worker reads what it is sent at once, however busy its threads are.
    void Send(SWorker& w, const std::vector<qint64>& ids)
    {
        QByteArray messages;
        for (const qint64 nId : ids) {
            w.held.push_back(nId);
            SItem& item = items[nId];
            item.bSent = true;
            item.bBegun = false;
            // Held alone, it is suspected of killing a worker: only a death after it began tells.
            AppendMessage(&messages, nId, EMessage::Request, item.request, w.bAlone);
            // A worker begins what it is sent at once, as it has threads for it.
            events.push_back({SWorkEvent::EKind::Begun, nId, {}});
        }
        // A worker that is dying takes nothing; its end will be read and what it held given out again.
        if (!messages.isEmpty()) {
            ::fcntl(w.fd, F_SETFL, ::fcntl(w.fd, F_GETFL) & ~O_NONBLOCK);
            SendAll(w.fd, messages.constData(), size_t(messages.size()));
            ::fcntl(w.fd, F_SETFL, ::fcntl(w.fd, F_GETFL) | O_NONBLOCK);
        }
    }

    // Tops up what a worker holds. A request that a dead worker held with others goes to a worker
    // holding nothing else; while one waits, the workers are not given more, so that one comes free.
    void Feed(SWorker& w)
    {
        if (w.bAlone || w.bRetiring)
            return;
        // Requests cancelled while they waited are passed over here.
        while (!alone.empty() && !items.contains(alone.front()))
            alone.pop_front();
        if (!alone.empty()) {
            if (w.held.empty()) {
                w.bAlone = true;   // before Send: the request asks to be told when it begins
                Send(w, {alone.front()});
                alone.pop_front();
            }
            return;
        }
        // Work that computes is best done one at a time per worker, a couple ahead; work that
        // waits (a share's round trips), many at once, up to the worker's threads. Either way, a
        // request queued in a busy worker could not go to an idle one (four long files would all
        // wait in the first worker).
        const int nAtOnce = 1 + int(std::lround(w.dWaiting * (ThreadsEach() - 1)));
        const int nAhead = w.dSecondsEach > 0 ? std::clamp(int(kAheadSeconds / w.dSecondsEach), 1, kMostAhead) : 1;
        std::vector<qint64> batch;
        while (int(w.held.size() + w.abandoned.size() + batch.size()) < nAtOnce + nAhead && !toSend.empty()) {
            if (items.contains(toSend.front()))
                batch.push_back(toSend.front());
            toSend.pop_front();
        }
        Send(w, batch);
    }

    // A worker's pace: the time since its last answers over the answers that came now (several
    // arrive together, read at once).
    static void TimeAnswers(SWorker& w, int nAnswers)
    {
        const auto now = std::chrono::steady_clock::now();
        if (w.lastDone.time_since_epoch().count() != 0) {
            const double dSeconds = std::chrono::duration<double>(now - w.lastDone).count() / nAnswers;
            w.dSecondsEach = w.dSecondsEach > 0 ? 0.8 * w.dSecondsEach + 0.2 * dSeconds : dSeconds;
        }
        w.lastDone = now;
    }

    static void Forget(SWorker& w, qint64 nId)
    {
        w.abandoned.erase(std::remove_if(w.abandoned.begin(), w.abandoned.end(),
                                         [nId](const auto& a) { return a.first == nId; }),
                          w.abandoned.end());
    }

    // A worker with a request that was given up long ago may be stuck in it: it takes nothing
    // new, and what it holds goes to the others (should it answer them all the same, its answers go
    // nowhere). A request that has sent parts cannot start again elsewhere: it stays, and the
    // worker goes once it has answered.
    void LetGoOfStuck(SWorker& w)
    {
        const auto now = std::chrono::steady_clock::now();
        if (w.bRetiring || std::none_of(w.abandoned.begin(), w.abandoned.end(),
                                        [&](const auto& a) { return now - a.second >= kLetGo; }))
            return;
        w.bRetiring = true;
        std::vector<qint64> kept;
        for (auto it = w.held.rbegin(); it != w.held.rend(); ++it) {
            SItem& item = items[*it];
            if (item.bParts) {
                kept.insert(kept.begin(), *it);
                continue;
            }
            SendMessage(w.fd, *it, EMessage::Cancel);
            item.bSent = false;
            toSend.push_front(*it);
        }
        w.held = std::move(kept);
    }

    static bool Erase(std::vector<qint64>& ids, qint64 nId)
    {
        const auto it = std::find(ids.begin(), ids.end(), nId);
        if (it == ids.end())
            return false;
        ids.erase(it);
        return true;
    }

    void Finish(qint64 nId, QByteArray answer)
    {
        items.remove(nId);
        events.push_back({SWorkEvent::EKind::Done, nId, std::move(answer)});
    }

    // Reads what a worker sent; false when it has gone.
    bool ReadFrom(SWorker& w)
    {
        // What a worker sent before it went is read all the same.
        bool bGone = false;
        for (;;) {
            char buffer[64 * 1024];
            const ssize_t n = ::recv(w.fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            if (n <= 0) {
                bGone = true;
                break;
            }
            w.bHeard = true;
            w.pending.append(buffer, n);
            if (n < qsizetype(sizeof buffer))
                break;
        }
        qsizetype nUsed = 0;
        int nAnswers = 0;
        SHeader header;
        while (w.pending.size() - nUsed >= qsizetype(sizeof header)) {
            std::memcpy(&header, w.pending.constData() + nUsed, sizeof header);
            if (w.pending.size() - nUsed - qsizetype(sizeof header) < header.nBytes)
                break;
            const QByteArray bytes = w.pending.mid(nUsed + qsizetype(sizeof header), qsizetype(header.nBytes));
            nUsed += qsizetype(sizeof header) + qsizetype(header.nBytes);
            // What a worker says of a request it no longer holds (cancelled, or given out again)
            // goes nowhere.
            if (std::find(w.held.begin(), w.held.end(), header.nId) == w.held.end()) {
                if (header.eKind == EMessage::Done)
                    Forget(w, header.nId);
                continue;
            }
            switch (header.eKind) {
            case EMessage::Begun:
                items[header.nId].bBegun = true;
                break;
            case EMessage::Part:
                items[header.nId].bParts = true;
                events.push_back({SWorkEvent::EKind::Part, header.nId, bytes});
                break;
            case EMessage::Done:
                Erase(w.held, header.nId);
                w.dWaiting += kWaitWeight * ((header.nFlag ? 1.0 : 0.0) - w.dWaiting);
                ++nAnswers;
                Finish(header.nId, bytes);
                break;
            default:
                break;
            }
        }
        w.pending.remove(0, nUsed);
        if (nAnswers > 0)
            TimeAnswers(w, nAnswers);
        if (w.held.empty())
            w.bAlone = false;
        return !bGone;
    }

    // A worker died: any request it held may have killed it, and each goes to another worker alone,
    // so that the next death tells which; one that has had its tries comes back empty. A worker
    // that dies before it begins the one request it holds alone (killed with the others, say) does
    // not cost that request a try.
    void Bury(size_t nWorker)
    {
        SWorker w = std::move(workers[nWorker]);
        workers.erase(workers.begin() + qsizetype(nWorker));
        ::close(w.fd);
        if (!w.bRetiring) {
            nSilentDeaths = w.bHeard ? 0 : nSilentDeaths + 1;
            if (nSilentDeaths >= kMostSilentDeaths)
                FallBack(QStringLiteral("worker processes die as they start"));
        }
        // A worker begins its requests in the order sent, as many at once as it has threads:
        // those held beyond that many cannot have begun, and go to the others as they are. (Fewer
        // may have begun, where threads were still busy with requests cancelled meanwhile; those
        // pay a try they may not owe, never the other way round.)
        const size_t nMayHaveBegun = size_t(ThreadsEach());
        for (size_t k = w.held.size(); k-- > 0;) {
            const qint64 nId = w.held[k];
            SItem& item = items[nId];
            item.bSent = false;
            if (k >= nMayHaveBegun || (w.bAlone && !item.bBegun)) {
                (w.bAlone ? alone : toSend).push_front(nId);
            } else if (item.bParts || ++item.nTries >= kTries) {
                Finish(nId, QByteArray());  // it could not be done
            } else {
                alone.push_front(nId);
            }
        }
    }

    // Requests are answered here where nothing else can do them.
    void RunInline()
    {
        class CPartsHere : public IReplySink {
        public:
            CPartsHere(std::vector<SWorkEvent>& events, qint64 nId) : m_events(events), m_nId(nId) {}
            void Part(const QByteArray& bytes) override
            {
                m_events.push_back({SWorkEvent::EKind::Part, m_nId, bytes});
            }
            bool Cancelled() const override { return false; }

        private:
            std::vector<SWorkEvent>& m_events;
            qint64 m_nId;
        };
        const RequestHandler handler = pSpawner ? pSpawner->Handler() : RequestHandler();
        while (!toSend.empty() || !alone.empty()) {
            std::deque<qint64>& queue = alone.empty() ? toSend : alone;
            const qint64 nId = queue.front();
            queue.pop_front();
            if (!items.contains(nId))
                continue;
            events.push_back({SWorkEvent::EKind::Begun, nId, {}});
            CPartsHere sink(events, nId);
            QByteArray answer;
            try {
                answer = handler ? handler(items[nId].request, sink) : QByteArray();
            } catch (...) {
                answer.clear();
            }
            Finish(nId, answer);
        }
    }
};

CWorkerProcesses::CWorkerProcesses(std::shared_ptr<CWorkerSpawner> pSpawner, const SWorkerSettings& settings)
    : m_pState(new SState)
{
    SState& s = *m_pState;
    s.pSpawner = std::move(pSpawner);
    const int nCores = int(std::max(1u, std::thread::hardware_concurrency()));
    s.nWorkers = settings.nWorkers < 1 ? nCores : settings.nWorkers;
    s.nInFlight = std::min(settings.nInFlight < 1 ? kFilesInFlight : settings.nInFlight, kMaxFilesInFlight);
    if (!s.pSpawner || !s.pSpawner->Handler())
        s.FallBack(QStringLiteral("cannot make worker processes"));
    else if (!s.pSpawner->CanSpawn())
        s.FallBack(QStringLiteral("cannot make worker processes: %1").arg(Reason(s.pSpawner->ForkError())));
}

CWorkerProcesses::~CWorkerProcesses() = default;

qint64 CWorkerProcesses::Submit(QByteArray request)
{
    SState& s = *m_pState;
    const qint64 nId = s.nNextId++;
    s.items.insert(nId, {std::move(request), 0, false});
    s.toSend.push_back(nId);
    return nId;
}

void CWorkerProcesses::Cancel(qint64 nId)
{
    SState& s = *m_pState;
    const auto it = s.items.constFind(nId);
    if (it == s.items.constEnd())
        return;
    const bool bSent = it->bSent;
    s.items.erase(it);
    // One still waiting is passed over when its turn comes.
    if (!bSent)
        return;
    for (SState::SWorker& w : s.workers) {
        if (!SState::Erase(w.held, nId))
            continue;
        // The worker is told; should it not answer for long, it may be stuck in it (LetGoOfStuck).
        SendMessage(w.fd, nId, EMessage::Cancel);
        w.abandoned.emplace_back(nId, std::chrono::steady_clock::now());
        return;
    }
}

std::vector<SWorkEvent> CWorkerProcesses::Pump()
{
    SState& s = *m_pState;
    for (size_t k = s.workers.size(); k-- > 0;) {
        if (!s.ReadFrom(s.workers[k]))
            s.Bury(k);
    }
    // A retiring worker goes as soon as it holds nothing that is still wanted.
    for (size_t k = s.workers.size(); k-- > 0;) {
        s.LetGoOfStuck(s.workers[k]);
        if (s.workers[k].bRetiring && s.workers[k].held.empty()) {
            ::close(s.workers[k].fd);
            s.workers.erase(s.workers.begin() + qsizetype(k));
        }
    }
    s.StartWorkersAsNeeded();
    for (SState::SWorker& w : s.workers)
        s.Feed(w);
    if (s.bInline)
        s.RunInline();
    std::vector<SWorkEvent> events;
    events.swap(s.events);
    return events;
}

QVector<int> CWorkerProcesses::Descriptors() const
{
    QVector<int> fds;
    for (const SState::SWorker& w : m_pState->workers)
        fds.append(w.fd);
    return fds;
}

int CWorkerProcesses::Outstanding() const
{
    return int(m_pState->items.size());
}

QString CWorkerProcesses::InProcessReason() const
{
    return m_pState->bProcesses ? QString() : m_pState->strInProcess;
}

void WaitForWork(const CWorkerProcesses& workers, int nTimeoutMs, int nExtraFd)
{
    std::vector<pollfd> fds;
    for (const int fd : workers.Descriptors())
        fds.push_back({fd, POLLIN, 0});
    if (nExtraFd >= 0)
        fds.push_back({nExtraFd, POLLIN, 0});
    ::poll(fds.data(), nfds_t(fds.size()), nTimeoutMs);
}
