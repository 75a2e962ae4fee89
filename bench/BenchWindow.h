// What the window benchmarks share: a shown main window on the offscreen platform, its event loop
// run until a condition holds, the modal windows it opens handed to a function as they appear, and
// a count of a widget's paints.
#pragma once

#include "app/ui/CPageCountDlg.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs body on a shown main window of an offscreen application.
inline int WithWindow(int argc, char** argv, const std::function<int(CPageCountDlg&)>& body)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pagewick"));
    CPageCountDlg dlg(nullptr, false);
    dlg.show();
    return body(dlg);
}

// Runs a command of the window, as its menu item or key does, by its action's object name.
inline void Trigger(CPageCountDlg& dlg, const char* pszAction)
{
    dlg.findChild<QAction*>(QLatin1String(pszAction))->trigger();
}

// Runs the window's event loop until done() says so (or a minute has passed). It sleeps while
// nothing happens, as the program's own loop does: a loop that polled would take a core's share
// from the workers being measured.
inline void RunUntil(const std::function<bool()>& done)
{
    QElapsedTimer limit;
    limit.start();
    QTimer wake;    // looks at done() now and then even when no event comes
    wake.start(50);
    while (!done() && limit.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Hands every modal window that comes up to onModal, checking every millisecond.
class CModalWatch : public QObject {
public:
    // Hears of every modal window as it is shown, without polling: a timer that woke the event
    // loop every millisecond would take its share of the cores from the workers it measures.
    explicit CModalWatch(std::function<void(QWidget*)> onModal) : m_onModal(std::move(onModal))
    {
        qApp->installEventFilter(this);
    }
    ~CModalWatch() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* pObject, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Show && pObject->isWidgetType()) {
            auto* pWidget = static_cast<QWidget*>(pObject);
            if (pWidget->isWindow() && pWidget->isModal()) {
                // Answered once the window is up and its own loop runs.
                QTimer::singleShot(0, pWidget, [this, pWidget] {
                    if (QApplication::activeModalWidget() == pWidget)
                        m_onModal(pWidget);
                });
            }
        }
        return false;
    }

private:
    std::function<void(QWidget*)> m_onModal;
};

// Counts the paints of a widget.
class CPaintCounter : public QObject {
public:
    int nPaints = 0;
    bool eventFilter(QObject*, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Paint)
            ++nPaints;
        return false;
    }
};

