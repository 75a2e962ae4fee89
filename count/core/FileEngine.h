// The worker processes as the window's jobs use them: requests go out from the window's thread and
// their news comes back in its event loop, read from the workers' sockets as they become readable.
// The window's thread never waits for a worker, nor for the file system.
#pragma once

#include "WorkerProcesses.h"
#include "common/core/FileWork.h"

#include <QHash>
#include <QObject>

#include <memory>

class QSocketNotifier;

class CFileEngine : public QObject, public IFileWork {
    Q_OBJECT
public:
    CFileEngine(std::shared_ptr<CWorkerSpawner> pSpawner, const SWorkerSettings& settings = {},
                QObject* pParent = nullptr);
    ~CFileEngine() override;

    quint64 Submit(IFileWorkClient* pClient, const QByteArray& request) override;
    void Cancel(quint64 nTicket) override;
    // Requests not yet answered nor cancelled.
    int Outstanding() const { return int(m_clients.size()); }

    // The program's engine, whose spawner ForkSpawner made (or makes now, when it was not called).
    static CFileEngine& Instance();
    // Forks the spawner of the program's workers: first thing in main, before any thread starts.
    static void ForkSpawner();

private:
    void RequestPump();
    void Pump();

    CWorkerProcesses m_workers;
    QHash<qint64, IFileWorkClient*> m_clients;
    QHash<int, QSocketNotifier*> m_notifiers;
    bool m_bPumpRequested = false;
};
