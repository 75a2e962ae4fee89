#include "Job.h"

#include "FileName.h"

#include <QElapsedTimer>

namespace {

constexpr int kTickMs = 100;

qint64 SteadyMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock.elapsed();
}

}  // namespace

CJob::CJob(QObject* pParent) : QObject(pParent), m_clock(SteadyMs)
{
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &CJob::Tick);
}

void CJob::Start()
{
    if (m_bStarted)
        return;
    m_bStarted = true;
    m_tick.start();
    OnStart();
}

void CJob::Stop()
{
    if (m_bFinished)
        return;
    m_bStopped = true;
    OnStop();
    Finish();
}

QString CJob::Place() const
{
    return m_strWaiting.isEmpty() ? m_strPlace : m_strWaiting;
}

void CJob::Tick()
{
    if (m_bFinished)
        return;
    OnTick();
    // The file waited for longest, once it has waited long.
    const qint64 nNow = Now();
    const SBegun* pOldest = nullptr;
    for (const SBegun& begun : m_begun) {
        if (!pOldest || begun.nAt < pOldest->nAt)
            pOldest = &begun;
    }
    QString strWaiting;
    if (pOldest && nNow - pOldest->nAt >= kNameWaitingMs) {
        strWaiting = QStringLiteral("waiting %1 s for %2")
                         .arg((nNow - pOldest->nAt) / 1000)
                         .arg(DisplayFileName(pOldest->path));
    }
    if (strWaiting != m_strWaiting) {
        m_strWaiting = strWaiting;
        emit progressed();
    }
}

void CJob::SetPlace(const QString& strPlace)
{
    if (strPlace == m_strPlace)
        return;
    m_strPlace = strPlace;
    emit progressed();
}

void CJob::SetProgress(int nDone, int nTotal)
{
    if (nDone == m_nDone && nTotal == m_nTotal)
        return;
    m_nDone = nDone;
    m_nTotal = nTotal;
    emit progressed();
}

void CJob::Finish()
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    m_tick.stop();
    m_begun.clear();
    emit finished();
}

void CJob::NoteBegun(quint64 nTicket, const QByteArray& path)
{
    m_begun.insert(nTicket, {path, Now()});
}

void CJob::NoteEnded(quint64 nTicket)
{
    m_begun.remove(nTicket);
}
