// Runs an action from a timer as soon as a condition holds. Timers keep firing inside the nested
// loops of modal boxes and long operations, so this reaches into a running command.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class CWhen : public QObject {
    Q_OBJECT
public:
    CWhen(std::function<bool()> condition, std::function<void()> action, int nIntervalMs = 2)
        : m_condition(std::move(condition)), m_action(std::move(action))
    {
        m_timer.setInterval(nIntervalMs);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (m_bDone || !m_condition())
                return;
            m_bDone = true;
            m_timer.stop();
            m_action();
        });
        m_timer.start();
    }
    bool Done() const { return m_bDone; }

private:
    QTimer m_timer;
    std::function<bool()> m_condition;
    std::function<void()> m_action;
    bool m_bDone = false;
};

// Runs events until the condition holds or the time is up; the condition's last answer.
// It sleeps between events, so the workers of the operation it waits for have the cores.
inline bool WaitUntil(const std::function<bool()>& condition, int nTimeoutMs = 10000)
{
    QDeadlineTimer deadline(nTimeoutMs);
    QTimer wake;    // looks at the condition now and then even when no event comes
    wake.start(5);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return condition();
}
