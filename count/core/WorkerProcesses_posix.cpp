// POSIX workers: forked processes claim items through a counter in shared memory and send their
// results through a pipe each, in batches: [index][length][bytes]...
#include "WorkerProcesses.h"

#include <poll.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int kFlushBytes = 16 * 1024;

bool WriteAll(int fd, const char* p, size_t nBytes)
{
    while (nBytes > 0) {
        const ssize_t n = ::write(fd, p, nBytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        nBytes -= size_t(n);
    }
    return true;
}

[[noreturn]] void WorkerMain(int nItems, std::atomic<int>* pNext, int fd, const std::function<QByteArray(int)>& work)
{
    QByteArray batch;
    for (;;) {
        const int i = pNext->fetch_add(1);
        if (i >= nItems)
            break;
        const QByteArray result = work(i);
        const qint32 header[2] = {i, qint32(result.size())};
        batch.append(reinterpret_cast<const char*>(header), sizeof header);
        batch.append(result);
        if (batch.size() >= kFlushBytes) {
            if (!WriteAll(fd, batch.constData(), size_t(batch.size())))
                ::_exit(1);
            batch.clear();
        }
    }
    WriteAll(fd, batch.constData(), size_t(batch.size()));
    // No destructor or exit handler of the parent's objects runs in a worker.
    ::_exit(0);
}

// Runs one item in a process of its own; empty when that process dies too.
QByteArray RunAlone(int nItem, const std::function<QByteArray(int)>& work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return QByteArray();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const QByteArray result = work(nItem);
        ::_exit(WriteAll(fds[1], result.constData(), size_t(result.size())) ? 0 : 1);
    }
    ::close(fds[1]);
    QByteArray result;
    char buffer[4096];
    ssize_t n;
    while (pid > 0 && ((n = ::read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))) {
        if (n > 0)
            result.append(buffer, n);
    }
    ::close(fds[0]);
    int nStatus = 0;
    if (pid > 0)
        ::waitpid(pid, &nStatus, 0);
    return pid > 0 && WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0 ? result : QByteArray();
}

void RunHere(int nItems, const std::function<QByteArray(int)>& work,
             const std::function<void(int, const QByteArray&)>& onResult)
{
    for (int i = 0; i < nItems; ++i)
        onResult(i, work(i));
}

}  // namespace

void RunInWorkerProcesses(int nItems, int nWorkers, const std::function<QByteArray(int)>& work,
                          const std::function<void(int, const QByteArray&)>& onResult)
{
    if (nWorkers < 1)
        nWorkers = int(std::max(1u, std::thread::hardware_concurrency()));
    nWorkers = std::min(nWorkers, nItems);
    void* pShared = nWorkers > 1 ? ::mmap(nullptr, sizeof(std::atomic<int>), PROT_READ | PROT_WRITE,
                                          MAP_SHARED | MAP_ANONYMOUS, -1, 0)
                                 : MAP_FAILED;
    if (pShared == MAP_FAILED) {
        RunHere(nItems, work, onResult);
        return;
    }
    auto* pNext = new (pShared) std::atomic<int>(0);

    struct SWorker {
        pid_t pid;
        int fd;
        QByteArray pending;
    };
    std::vector<SWorker> workers;
    for (int w = 0; w < nWorkers; ++w) {
        int fds[2];
        if (::pipe(fds) != 0)
            break;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            for (const SWorker& other : workers)
                ::close(other.fd);
            WorkerMain(nItems, pNext, fds[1], work);
        }
        ::close(fds[1]);
        if (pid < 0) {
            ::close(fds[0]);
            break;
        }
        workers.push_back({pid, fds[0], QByteArray()});
    }

    // Results arrive in any order and leave in the order of the items.
    std::vector<QByteArray> results(static_cast<size_t>(nItems));
    std::vector<bool> arrived(static_cast<size_t>(nItems), false);
    int nNextOut = 0;
    const auto deliver = [&] {
        while (nNextOut < nItems && arrived[size_t(nNextOut)]) {
            onResult(nNextOut, results[size_t(nNextOut)]);
            results[size_t(nNextOut)] = QByteArray();
            ++nNextOut;
        }
    };
    std::vector<pollfd> fds;
    for (const SWorker& worker : workers)
        fds.push_back({worker.fd, POLLIN, 0});
    int nOpen = int(workers.size());
    char buffer[64 * 1024];
    while (nOpen > 0) {
        if (::poll(fds.data(), nfds_t(fds.size()), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (size_t w = 0; w < fds.size(); ++w) {
            if (fds[w].fd < 0 || !(fds[w].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::read(fds[w].fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ::close(fds[w].fd);
                fds[w].fd = -1;
                --nOpen;
                continue;
            }
            QByteArray& pending = workers[w].pending;
            pending.append(buffer, n);
            qsizetype nUsed = 0;
            qint32 header[2];
            while (pending.size() - nUsed >= qsizetype(sizeof header)) {
                std::memcpy(header, pending.constData() + nUsed, sizeof header);
                if (pending.size() - nUsed - qsizetype(sizeof header) < header[1])
                    break;
                if (header[0] >= 0 && header[0] < nItems) {
                    results[size_t(header[0])] = pending.mid(nUsed + qsizetype(sizeof header), header[1]);
                    arrived[size_t(header[0])] = true;
                }
                nUsed += qsizetype(sizeof header) + header[1];
            }
            pending.remove(0, nUsed);
            deliver();
        }
    }
    for (const SWorker& worker : workers)
        ::waitpid(worker.pid, nullptr, 0);
    ::munmap(pShared, sizeof(std::atomic<int>));

    // Items no worker answered for: a worker died, taking its item and its unsent results along.
    // Each is tried again in a process of its own, so only the item that kills its worker is lost.
    for (; nNextOut < nItems; ++nNextOut) {
        if (workers.empty())
            onResult(nNextOut, work(nNextOut));
        else if (arrived[size_t(nNextOut)])
            onResult(nNextOut, results[size_t(nNextOut)]);
        else
            onResult(nNextOut, RunAlone(nNextOut, work));
    }
}
