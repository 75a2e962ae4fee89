// Work on files done by worker processes, each working on many requests at once: a request that
// crashes the code it runs (libtiff on a damaged file) costs that request, not the program, and a
// request stuck in the kernel (a share that stopped answering) keeps no thread of the program.
#pragma once

#include "common/core/FileWork.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <cerrno>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Runs in a worker, on one of its threads: the answer to a request. It must never be empty: an
// empty answer stands for a request that every worker that tried it died on.
using RequestHandler = std::function<QByteArray(const QByteArray& request, IReplySink& sink)>;

struct SWorkerSettings {
    int nWorkers = 0;       // processes; < 1: one per processor core
    int nInFlight = 0;      // requests worked on at once in all; < 1: kFilesInFlight
};

// What happened to a request.
struct SWorkEvent {
    enum class EKind { Begun, Part, Done };
    EKind eKind;
    qint64 nId;
    QByteArray bytes;       // a part, or the answer (empty: lost with the workers that tried it)
};

// The small process that makes the workers. It must be forked before the program starts any thread
// (a child forked from a process with threads could inherit a lock one of them held): the window
// forks it first thing in main. It runs handler in every worker it makes.
class CWorkerSpawner {
public:
    // Forks it now; where that fails the work will be done in this process.
    static std::shared_ptr<CWorkerSpawner> Fork(RequestHandler handler);
    // None: the work is done by threads of this process.
    static std::shared_ptr<CWorkerSpawner> InThisProcess(RequestHandler handler);
    ~CWorkerSpawner();

    // A socket to a new worker running nThreads threads, or -1.
    int Spawn(int nThreads);
    const RequestHandler& Handler() const { return m_handler; }
    bool CanSpawn() const { return m_fd >= 0; }
    // Why it could not be forked (errno), where it could not.
    int ForkError() const { return m_nForkErrno; }

private:
    CWorkerSpawner() = default;
    RequestHandler m_handler;
    std::mutex m_mutex;     // programs whose threads each have workers of their own ask one at a time
    int m_pid = -1;
    int m_fd = -1;
    int m_nForkErrno = ENOSYS;
};

// The parent's side: requests go to the workers a few at a time, so that none waits in a busy
// worker while another is idle, and the parent knows at every moment what each worker holds. A
// worker works on one request while its work computes (a local disk), and on as many as it has
// threads while its work waits for the kernel (a share's round trips): it tells, with each answer,
// whether the work waited. Beyond those it holds a few milliseconds of work ahead, so that quick
// requests do not cost a wake-up of each side apiece. A worker that dies loses nothing but the
// request it died on: what it may have begun goes to other workers one at a time, so that the next
// death tells which request kills; that one gets one more try and then comes back empty. Where no
// worker process can be made (no spawner, a process or thread limit), the work is done by threads
// of this process, or, where no thread can be started either, here, when Pump is called.
//
// Used from one thread; nothing here waits for a worker: Descriptors() tell when Pump has news.
class CWorkerProcesses {
public:
    CWorkerProcesses(std::shared_ptr<CWorkerSpawner> pSpawner, const SWorkerSettings& settings);
    // Workers that hold requests are closed; a worker stuck inside one ends when the kernel lets it.
    ~CWorkerProcesses();
    CWorkerProcesses(const CWorkerProcesses&) = delete;
    CWorkerProcesses& operator=(const CWorkerProcesses&) = delete;

    // A request's id: ids grow in the order submitted.
    qint64 Submit(QByteArray request);
    // No more news of the request. A worker inside it is told, takes nothing new, and is closed as
    // soon as what else it holds is answered: a request stuck in the kernel keeps no worker busy.
    void Cancel(qint64 nId);

    // What happened since the last call, reading what the workers sent without waiting.
    std::vector<SWorkEvent> Pump();
    // The descriptors that become readable when Pump has news.
    QVector<int> Descriptors() const;
    // Requests submitted and neither answered nor cancelled.
    int Outstanding() const;

    // Why the work is done in this process (once it is), for a program to say so once; empty while
    // worker processes do it.
    QString InProcessReason() const;

private:
    struct SState;
    std::unique_ptr<SState> m_pState;
};

// Waits until a worker has news or nTimeoutMs have passed (poll on Descriptors and extra).
void WaitForWork(const CWorkerProcesses& workers, int nTimeoutMs, int nExtraFd = -1);
