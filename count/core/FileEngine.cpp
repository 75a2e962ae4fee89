#include "FileEngine.h"

#include "FileRequests.h"

#include <QSocketNotifier>

namespace {

std::shared_ptr<CWorkerSpawner>& ProgramSpawner()
{
    static std::shared_ptr<CWorkerSpawner> pSpawner;
    return pSpawner;
}

}  // namespace

CFileEngine::CFileEngine(std::shared_ptr<CWorkerSpawner> pSpawner, const SWorkerSettings& settings, QObject* pParent)
    : QObject(pParent), m_workers(std::move(pSpawner), settings)
{
}

CFileEngine::~CFileEngine() = default;

quint64 CFileEngine::Submit(IFileWorkClient* pClient, const QByteArray& request)
{
    const qint64 nId = m_workers.Submit(request);
    m_clients.insert(nId, pClient);
    // Requests go out together when the loop comes back: one system call for many.
    RequestPump();
    return quint64(nId);
}

void CFileEngine::Cancel(quint64 nTicket)
{
    if (m_clients.remove(qint64(nTicket))) {
        m_workers.Cancel(qint64(nTicket));
        RequestPump();
    }
}

void CFileEngine::RequestPump()
{
    if (m_bPumpRequested)
        return;
    m_bPumpRequested = true;
    QMetaObject::invokeMethod(this, &CFileEngine::Pump, Qt::QueuedConnection);
}

void CFileEngine::Pump()
{
    m_bPumpRequested = false;
    for (const SWorkEvent& event : m_workers.Pump()) {
        // A client hears of its requests until they are answered or it cancels them, also from
        // inside its own handling of an earlier event.
        IFileWorkClient* pClient = m_clients.value(event.nId);
        if (!pClient)
            continue;
        switch (event.eKind) {
        case SWorkEvent::EKind::Begun:
            pClient->WorkBegun(quint64(event.nId));
            break;
        case SWorkEvent::EKind::Part:
            pClient->WorkPart(quint64(event.nId), event.bytes);
            break;
        case SWorkEvent::EKind::Done:
            m_clients.remove(event.nId);
            pClient->WorkDone(quint64(event.nId), event.bytes);
            break;
        }
    }
    // The workers' sockets, as they are now: a worker may have died or come since.
    const QVector<int> fds = m_workers.Descriptors();
    for (auto it = m_notifiers.begin(); it != m_notifiers.end();) {
        if (!fds.contains(it.key())) {
            // It may be the one whose signal brought us here.
            it.value()->setEnabled(false);
            it.value()->deleteLater();
            it = m_notifiers.erase(it);
        } else {
            ++it;
        }
    }
    for (const int fd : fds) {
        if (m_notifiers.contains(fd))
            continue;
        auto* pNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(pNotifier, &QSocketNotifier::activated, this, &CFileEngine::Pump);
        m_notifiers.insert(fd, pNotifier);
    }
}

CFileEngine& CFileEngine::Instance()
{
    static CFileEngine* pEngine = [] {
        ForkSpawner();
        return new CFileEngine(ProgramSpawner());
    }();
    return *pEngine;
}

void CFileEngine::ForkSpawner()
{
    if (!ProgramSpawner())
        ProgramSpawner() = CWorkerSpawner::Fork(AnswerFileRequest);
}
