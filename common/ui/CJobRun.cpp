#include "CJobRun.h"

CJobRun::CJobRun(CJob* pJob, std::unique_ptr<CLongOperationLock> pLock, CLongOperations& operations,
                 QObject* pParent, std::function<CStopDlg*()> makeWindow, int nWindowDelayMs,
                 std::function<void(const CJob&, bool)> ended)
    : QObject(pParent),
      m_pJob(pJob),
      m_pLock(std::move(pLock)),
      m_operations(operations),
      m_makeWindow(std::move(makeWindow)),
      m_ended(std::move(ended)),
      m_show([this] { Show(); }, this)
{
    m_pJob->setParent(this);
    m_windowDelay.setSingleShot(true);
    m_windowDelay.setInterval(nWindowDelayMs);
    connect(&m_windowDelay, &QTimer::timeout, this, &CJobRun::ShowWindow);
    connect(m_pJob, &CJob::progressed, &m_show, &CPacedCall::Request);
    connect(m_pJob, &CJob::finished, this, &CJobRun::Ended);
    connect(&m_operations, &CLongOperations::closing, this, [this] {
        m_bWindowEnding = true;
        m_pJob->Stop();
    });
}

CJobRun::~CJobRun()
{
    delete m_pWindow;
}

void CJobRun::Start()
{
    // A job that finishes at once may be followed by a box, whose loop deletes this run.
    const QPointer<CJobRun> pSelf(this);
    m_pJob->Start();
    if (!pSelf || !m_makeWindow || m_pJob->IsFinished())
        return;
    if (m_windowDelay.interval() <= 0)
        ShowWindow();
    else
        m_windowDelay.start();
}

void CJobRun::ShowWindow()
{
    if (m_pWindow || m_pJob->IsFinished())
        return;
    m_pWindow = m_makeWindow();
    connect(m_pWindow, &CStopDlg::stopRequested, m_pJob, &CJob::Stop);
    Show();
}

void CJobRun::Show()
{
    if (!m_pWindow)
        return;
    m_pWindow->SetText(m_pJob->Place());
    m_pWindow->SetProgress(m_pJob->DoneCount(), m_pJob->TotalCount());
}

void CJobRun::Ended()
{
    m_windowDelay.stop();
    delete m_pWindow;
    m_pLock.reset();
    // What follows (a box, a question) comes when the loop is back: the job told of its end from
    // inside the handling of a worker's answer, which a box's own loop must not run into again.
    const bool bAsked = !m_bWindowEnding && !m_operations.IsClosing();
    QMetaObject::invokeMethod(
        this,
        [this, bAsked] {
            if (m_ended)
                m_ended(*m_pJob, bAsked && !m_operations.IsClosing());
            deleteLater();
        },
        Qt::QueuedConnection);
}
