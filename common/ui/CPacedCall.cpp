#include "CPacedCall.h"

CPacedCall::CPacedCall(std::function<void()> call, QObject* pParent, int nIntervalMs)
    : QObject(pParent), m_call(std::move(call)), m_nIntervalMs(nIntervalMs)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CPacedCall::RunNow);
}

void CPacedCall::Request()
{
    if (m_timer.isActive())
        return;
    const qint64 nSince = m_sinceRun.isValid() ? m_sinceRun.elapsed() : m_nIntervalMs;
    if (nSince >= m_nIntervalMs)
        RunNow();
    else
        m_timer.start(int(m_nIntervalMs - nSince));
}

void CPacedCall::RunNow()
{
    m_timer.stop();
    m_sinceRun.start();
    m_call();
}
