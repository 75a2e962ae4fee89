// A job of the core run under the window: it holds the long-operation guard while it runs, shows
// itself in a small window with Stop (at once, or after a moment for a job that is mostly quick),
// at the pace of the screen, and stops at once, asking nothing, when the window ends.
#pragma once

#include "CLongOperations.h"
#include "CPacedCall.h"
#include "CStopDlg.h"
#include "common/core/Job.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class CJobRun : public QObject {
    Q_OBJECT
public:
    // The run owns the job (a child) and the lock; makeWindow makes its window, shown after
    // nWindowDelayMs (0: at once, null: no window). ended runs once the job has finished: bAsked
    // false when the window's end stopped it, and nothing may be asked any more.
    CJobRun(CJob* pJob, std::unique_ptr<CLongOperationLock> pLock, CLongOperations& operations, QObject* pParent,
            std::function<CStopDlg*()> makeWindow, int nWindowDelayMs,
            std::function<void(const CJob& job, bool bAsked)> ended);
    ~CJobRun() override;

    // Starts the job (which may finish at once).
    void Start();
    CJob* Job() const { return m_pJob; }
    CStopDlg* Window() const { return m_pWindow; }

private:
    void ShowWindow();
    void Show();
    void Ended();

    CJob* m_pJob;
    std::unique_ptr<CLongOperationLock> m_pLock;
    CLongOperations& m_operations;
    std::function<CStopDlg*()> m_makeWindow;
    std::function<void(const CJob&, bool)> m_ended;
    QPointer<CStopDlg> m_pWindow;
    QTimer m_windowDelay;
    CPacedCall m_show;
    bool m_bWindowEnding = false;
};
