// Runs a function at most once per interval however often it is asked for, so that work arriving
// in a flood (rows of a scan, results of a count) reaches the screen at most about 60 times a second.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class CPacedCall : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 16;

    CPacedCall(std::function<void()> call, QObject* pParent, int nIntervalMs = kIntervalMs);

    // Runs the call now when the last run is at least an interval ago, else once when it is due.
    void Request();
    // Runs it now, whatever the pace.
    void RunNow();

private:
    std::function<void()> m_call;
    int m_nIntervalMs;
    QElapsedTimer m_sinceRun;
    QTimer m_timer;
};
