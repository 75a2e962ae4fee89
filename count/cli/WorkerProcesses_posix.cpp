// POSIX workers: forked processes, one socket each. The parent hands out item numbers a few at a
// time and knows at every moment which items each worker holds, so a worker's death loses nothing
// but the one item it died on (which gets one more try elsewhere).
#include "WorkerProcesses.h"

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
#include <cstring>
#include <deque>
#include <thread>
#include <vector>

namespace {

// Items a worker holds at once: enough to hide the hand-over, few enough to share out well.
constexpr int kInFlight = 8;
// A worker's death costs the item it died on this many tries.
constexpr int kTries = 2;

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

[[noreturn]] void WorkerMain(int fd, pid_t parent, const std::function<QByteArray(int)>& work)
{
#ifdef __linux__
    // However the parent ends (a signal to it alone included), its workers end with it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    if (::getppid() != parent)
        ::_exit(0);
    qint32 nItem;
    while (ReceiveAll(fd, reinterpret_cast<char*>(&nItem), sizeof nItem) && nItem >= 0) {
        const QByteArray result = work(nItem);
        const qint32 header[2] = {nItem, qint32(result.size())};
        if (!SendAll(fd, reinterpret_cast<const char*>(header), sizeof header) ||
            !SendAll(fd, result.constData(), size_t(result.size())))
            break;
    }
    // No destructor or exit handler of the parent's objects runs in a worker.
    ::_exit(0);
}

struct SWorker {
    pid_t pid = -1;
    int fd = -1;
    std::deque<int> held;       // items sent and not yet answered, in the order sent
    QByteArray pending;         // bytes of a result not yet whole
};

class CDispatcher {
public:
    CDispatcher(int nItems, const std::function<QByteArray(int)>& work,
                const std::function<bool(int, const QByteArray&)>& onResult)
        : m_nItems(nItems), m_work(work), m_onResult(onResult), m_results(size_t(nItems)),
          m_arrived(size_t(nItems), false), m_tries(size_t(nItems), 0)
    {
        for (int i = 0; i < nItems; ++i)
            m_queue.push_back(i);
    }

    ~CDispatcher()
    {
        for (SWorker& w : m_workers)
            EndWorker(w, true);
    }

    bool Run(int nWorkers)
    {
        for (int i = 0; i < nWorkers; ++i) {
            if (!StartWorker())
                break;
        }
        if (m_workers.empty())
            return RunHere();
        while (m_nNextOut < m_nItems) {
            if (m_bStopped)
                return false;
            std::vector<pollfd> fds;
            for (const SWorker& w : m_workers)
                fds.push_back({w.fd, POLLIN, 0});
            if (fds.empty()) {
                // No worker could be made: what is left runs here.
                return RunHere();
            }
            if (::poll(fds.data(), nfds_t(fds.size()), -1) < 0) {
                if (errno == EINTR)
                    continue;
                return RunHere();
            }
            for (size_t k = 0; k < fds.size(); ++k) {
                if (fds[k].revents & (POLLIN | POLLHUP | POLLERR))
                    ReadFrom(fds[k].fd);
            }
            Reap();
        }
        return !m_bStopped;
    }

private:
    bool StartWorker()
    {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
            return false;
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            for (const SWorker& other : m_workers)
                ::close(other.fd);
            WorkerMain(fds[1], parent, m_work);
        }
        ::close(fds[1]);
        if (pid < 0) {
            ::close(fds[0]);
            return false;
        }
        SWorker w;
        w.pid = pid;
        w.fd = fds[0];
        m_workers.push_back(std::move(w));
        Feed(m_workers.back());
        return true;
    }

    // Tops up what a worker holds from the queue.
    void Feed(SWorker& w)
    {
        while (int(w.held.size()) < kInFlight && !m_queue.empty()) {
            const qint32 nItem = m_queue.front();
            if (!SendAll(w.fd, reinterpret_cast<const char*>(&nItem), sizeof nItem))
                return;     // it is dying; its end will be read
            m_queue.pop_front();
            w.held.push_back(nItem);
        }
    }

    void ReadFrom(int fd)
    {
        auto it = std::find_if(m_workers.begin(), m_workers.end(), [fd](const SWorker& w) { return w.fd == fd; });
        if (it == m_workers.end())
            return;
        SWorker& w = *it;
        char buffer[64 * 1024];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (n <= 0) {
            m_dead.push_back(fd);
            return;
        }
        w.pending.append(buffer, n);
        qsizetype nUsed = 0;
        qint32 header[2];
        while (w.pending.size() - nUsed >= qsizetype(sizeof header)) {
            std::memcpy(header, w.pending.constData() + nUsed, sizeof header);
            if (w.pending.size() - nUsed - qsizetype(sizeof header) < header[1])
                break;
            const int nItem = header[0];
            if (nItem >= 0 && nItem < m_nItems && !m_arrived[size_t(nItem)]) {
                m_results[size_t(nItem)] = w.pending.mid(nUsed + qsizetype(sizeof header), header[1]);
                m_arrived[size_t(nItem)] = true;
            }
            auto held = std::find(w.held.begin(), w.held.end(), nItem);
            if (held != w.held.end())
                w.held.erase(held);
            nUsed += qsizetype(sizeof header) + header[1];
        }
        w.pending.remove(0, nUsed);
        Feed(w);
        Deliver();
    }

    // Workers that died: what they held goes back to the others.
    void Reap()
    {
        for (int fd : m_dead) {
            auto it = std::find_if(m_workers.begin(), m_workers.end(), [fd](const SWorker& w) { return w.fd == fd; });
            if (it == m_workers.end())
                continue;
            SWorker w = std::move(*it);
            m_workers.erase(it);
            EndWorker(w, false);
            // A worker takes its items in the order sent: the first it held is the one it died on.
            for (size_t k = w.held.size(); k-- > 0;) {
                const int nItem = w.held[k];
                if (m_arrived[size_t(nItem)])
                    continue;
                if (k == 0 && ++m_tries[size_t(nItem)] >= kTries) {
                    m_arrived[size_t(nItem)] = true;    // an empty result: it could not be done
                    continue;
                }
                m_queue.push_front(nItem);
            }
            if (!m_queue.empty())
                StartWorker();
            for (SWorker& other : m_workers)
                Feed(other);
        }
        m_dead.clear();
        Deliver();
    }

    void Deliver()
    {
        while (!m_bStopped && m_nNextOut < m_nItems && m_arrived[size_t(m_nNextOut)]) {
            if (!m_onResult(m_nNextOut, m_results[size_t(m_nNextOut)]))
                m_bStopped = true;
            m_results[size_t(m_nNextOut)] = QByteArray();
            ++m_nNextOut;
        }
    }

    static void EndWorker(SWorker& w, bool bKill)
    {
        if (w.fd >= 0) {
            if (!bKill) {
                const qint32 nEnd = -1;
                SendAll(w.fd, reinterpret_cast<const char*>(&nEnd), sizeof nEnd);
            }
            ::close(w.fd);
            w.fd = -1;
        }
        if (w.pid > 0) {
            if (bKill)
                ::kill(w.pid, SIGKILL);
            ::waitpid(w.pid, nullptr, 0);
            w.pid = -1;
        }
    }

    bool RunHere()
    {
        while (!m_bStopped && m_nNextOut < m_nItems) {
            if (!m_arrived[size_t(m_nNextOut)]) {
                m_results[size_t(m_nNextOut)] = m_work(m_nNextOut);
                m_arrived[size_t(m_nNextOut)] = true;
            }
            Deliver();
        }
        return !m_bStopped;
    }

    int m_nItems;
    const std::function<QByteArray(int)>& m_work;
    const std::function<bool(int, const QByteArray&)>& m_onResult;
    std::vector<QByteArray> m_results;
    std::vector<bool> m_arrived;
    std::vector<int> m_tries;
    std::deque<int> m_queue;
    std::vector<SWorker> m_workers;
    std::vector<int> m_dead;
    int m_nNextOut = 0;
    bool m_bStopped = false;
};

}  // namespace

bool RunInWorkerProcesses(int nItems, int nWorkers, const std::function<QByteArray(int)>& work,
                          const std::function<bool(int, const QByteArray&)>& onResult)
{
    if (nWorkers < 1)
        nWorkers = int(std::max(1u, std::thread::hardware_concurrency()));
    nWorkers = std::min(nWorkers, nItems);
    CDispatcher dispatcher(nItems, work, onResult);
    if (nWorkers <= 1) {
        // One worker: no process is worth making.
        for (int i = 0; i < nItems; ++i) {
            if (!onResult(i, work(i)))
                return false;
        }
        return true;
    }
    return dispatcher.Run(nWorkers);
}
