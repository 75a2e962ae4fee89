// The window's long operations (count run, scan, filter, list load), of which only one runs at a
// time. Each is an object of its own that runs in the window's event loop; this guard tells who
// runs, lets the window disable what must not start meanwhile, and stops a running one at once
// when the window ends.
#pragma once

#include <QObject>

enum class ELongOperation { None, CountRun, Scan, ListLoad, Filter };

class CLongOperations : public QObject {
    Q_OBJECT
public:
    explicit CLongOperations(QObject* pParent = nullptr) : QObject(pParent) {}

    // False (with a beep) while another one runs or the window is ending.
    bool Begin(ELongOperation eOperation);
    void End();
    ELongOperation Current() const { return m_eCurrent; }
    bool IsBusy() const { return m_eCurrent != ELongOperation::None; }

    // The window ends: the running operation is told to stop now, and nothing starts after it.
    void Close();
    bool IsClosing() const { return m_bClosing; }

signals:
    void changed(ELongOperation eNow);
    // A running operation stops at once when it hears this: no box, no question after it.
    void closing();

private:
    ELongOperation m_eCurrent = ELongOperation::None;
    bool m_bClosing = false;
};

// Holds the guard for as long as it lives, when it could be had.
class CLongOperationLock {
public:
    CLongOperationLock(CLongOperations& operations, ELongOperation eOperation)
        : m_operations(operations), m_bHeld(operations.Begin(eOperation))
    {
    }
    ~CLongOperationLock() { Release(); }
    CLongOperationLock(const CLongOperationLock&) = delete;
    CLongOperationLock& operator=(const CLongOperationLock&) = delete;

    bool Held() const { return m_bHeld; }
    void Release()
    {
        if (m_bHeld)
            m_operations.End();
        m_bHeld = false;
    }

private:
    CLongOperations& m_operations;
    bool m_bHeld;
};
