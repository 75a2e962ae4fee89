// A long operation of the window (a scan, a list load, the filter, a count) as an object: it starts,
// tells how far it is and what it is at, can be stopped at once keeping what it has done, and says
// when it has finished. Its logic lives in the core and is tested without a window and without
// waiting on time (SetClock, Tick); a window shows it (common/ui/CJobWindow).
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class CJob : public QObject {
    Q_OBJECT
public:
    // A file that has not answered for this long is named where the job's place is shown.
    static constexpr qint64 kNameWaitingMs = 10000;

    explicit CJob(QObject* pParent = nullptr);

    // Milliseconds of a steady clock; tests give one of their own.
    void SetClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    qint64 Now() const { return m_clock(); }

    void Start();
    // Ends the job at once, keeping what it has done; finished follows.
    void Stop();
    bool IsFinished() const { return m_bFinished; }
    bool WasStopped() const { return m_bStopped; }

    // What the job is at ("waiting 12 s for FILE" for a file that has not answered for long), and
    // how far it is: nDone of nTotal.
    QString Place() const;
    int DoneCount() const { return m_nDone; }
    int TotalCount() const { return m_nTotal; }

    // Looks at the time: what has waited long is shown. A timer calls it while the job runs.
    void Tick();

signals:
    void progressed();
    void finished();

protected:
    virtual void OnStart() = 0;
    // Stop: cancel what is still asked; the job then finishes.
    virtual void OnStop() = 0;
    virtual void OnTick() {}

    void SetPlace(const QString& strPlace);
    void SetProgress(int nDone, int nTotal);
    // The job has done all it had to (or was stopped): finished is emitted, once.
    void Finish();

    // A file a worker began: named once it has been waited for kNameWaitingMs.
    void NoteBegun(quint64 nTicket, const QByteArray& path);
    void NoteEnded(quint64 nTicket);

private:
    struct SBegun {
        QByteArray path;
        qint64 nAt;
    };

    std::function<qint64()> m_clock;
    QTimer m_tick;
    QString m_strPlace;
    QString m_strWaiting;
    QHash<quint64, SBegun> m_begun;
    int m_nDone = 0;
    int m_nTotal = 0;
    bool m_bStarted = false;
    bool m_bFinished = false;
    bool m_bStopped = false;
};
