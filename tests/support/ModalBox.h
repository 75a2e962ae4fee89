// Answers the modal boxes and dialogs that an action opens, checking each against what the test
// expects. Queue the expectations, run the action (it blocks inside the box's own loop), then
// check that every expectation was met. A box that nobody expected fails the test and is closed,
// so a test never hangs on it.
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

struct SSeenBox {
    QString strClass;       // class name of the modal widget
    QString strCaption;
    QString strText;        // a message box's text; empty for other dialogs
    QString strInformative; // a message box's informative text, below its text
    QStringList buttons;    // a message box's button texts, in order of appearance
    QMessageBox::Icon eIcon = QMessageBox::NoIcon;
};

struct SExpectedBox {
    QString strCaption;
    QString strText;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::Icon eIcon = QMessageBox::NoIcon;
};

class CModalBoxes : public QObject {
    Q_OBJECT
public:
    CModalBoxes();
    ~CModalBoxes() override;

    // The next message box must look like `box`; it is answered with `eAnswer`.
    void Expect(const SExpectedBox& box, QMessageBox::StandardButton eAnswer);
    // The next modal widget (any dialog) is handed to `answer`, which must close it.
    void ExpectDialog(const QString& strCaption, std::function<void(QWidget*)> answer);

    bool AllAnswered() const { return m_pending.isEmpty(); }
    const QList<SSeenBox>& Seen() const { return m_seen; }

    // Runs events until every expectation was answered or the time is up.
    bool WaitAllAnswered(int nTimeoutMs = 5000);

private:
    struct SPending {
        bool bMessageBox;
        SExpectedBox box;
        QMessageBox::StandardButton eAnswer;
        QString strDialogCaption;
        std::function<void(QWidget*)> answerDialog;
    };
    void Poll();

    QTimer m_timer;
    QList<SPending> m_pending;
    QList<SSeenBox> m_seen;
    QPointer<QWidget> m_pLastAnswered;
    QPointer<QWidget> m_pMismatch;
    QElapsedTimer m_mismatchClock;
};

// Dismisses every modal box or dialog that comes up while it lives, for tests that only need an
// action to run through.
class CModalCloser : public QObject {
    Q_OBJECT
public:
    CModalCloser();
    int Closed() const { return m_nClosed; }

private:
    QTimer m_timer;
    int m_nClosed = 0;
};
