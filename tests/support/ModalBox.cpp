#include "ModalBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>

#include <gtest/gtest.h>

namespace {

// Closes a modal window the way its own Esc or close box would.
void Dismiss(QWidget* pModal)
{
    if (auto* pDialog = qobject_cast<QDialog*>(pModal))
        pDialog->reject();
    else
        pModal->close();
}

// A message box's buttons as a set, for comparisons.
QMessageBox::StandardButtons ButtonsOf(const QMessageBox* pBox)
{
    QMessageBox::StandardButtons buttons;
    for (QAbstractButton* pButton : pBox->buttons())
        buttons |= pBox->standardButton(pButton);
    return buttons;
}

}  // namespace

CModalBoxes::CModalBoxes()
{
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &CModalBoxes::Poll);
    m_timer.start();
}

CModalBoxes::~CModalBoxes()
{
    for (const SPending& p : m_pending)
        ADD_FAILURE() << "expected box never came: " << qPrintable(p.bMessageBox ? p.box.strText : p.strDialogCaption);
}

void CModalBoxes::Expect(const SExpectedBox& box, QMessageBox::StandardButton eAnswer)
{
    m_pending.append(SPending{true, box, eAnswer, QString(), {}});
}

void CModalBoxes::ExpectDialog(const QString& strCaption, std::function<void(QWidget*)> answer)
{
    m_pending.append(SPending{false, SExpectedBox(), QMessageBox::NoButton, strCaption, std::move(answer)});
}

bool CModalBoxes::WaitAllAnswered(int nTimeoutMs)
{
    QDeadlineTimer deadline(nTimeoutMs);
    while (!m_pending.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return m_pending.isEmpty();
}

void CModalBoxes::Poll()
{
    QWidget* pModal = QApplication::activeModalWidget();
    if (!pModal || !pModal->isVisible() || pModal == m_pLastAnswered)
        return;
    auto* pBox = qobject_cast<QMessageBox*>(pModal);
    // Between a box that closes and the next one that opens, the window under them is the active
    // modal for a moment: a window that is not the one expected (of the wrong kind, or a dialog of
    // another caption) is given a second before it counts.
    const auto expectedNow = [&](const SPending& p) {
        return p.bMessageBox ? pBox != nullptr : pModal->windowTitle() == p.strDialogCaption;
    };
    if (!m_pending.isEmpty() && !expectedNow(m_pending.first())) {
        if (m_pMismatch != pModal) {
            m_pMismatch = pModal;
            m_mismatchClock.start();
            return;
        }
        if (m_mismatchClock.elapsed() < 1000)
            return;
    }
    m_pMismatch = nullptr;
    SSeenBox seen;
    seen.strClass = QString::fromLatin1(pModal->metaObject()->className());
    seen.strCaption = pModal->windowTitle();
    if (pBox) {
        seen.strText = pBox->text();
        seen.strInformative = pBox->informativeText();
        for (QAbstractButton* pButton : pBox->buttons())
            seen.buttons.append(pButton->text());
        seen.eIcon = pBox->icon();
    }
    m_seen.append(seen);
    m_pLastAnswered = pModal;

    if (m_pending.isEmpty()) {
        ADD_FAILURE() << "unexpected modal " << qPrintable(seen.strClass) << " \"" << qPrintable(seen.strCaption)
                      << "\": " << qPrintable(seen.strText);
        QTimer::singleShot(0, pModal, [pModal] { Dismiss(pModal); });
        return;
    }
    const SPending expected = m_pending.takeFirst();
    // Answers go out from an event of their own: an answer may open the next box, whose loop
    // must not run inside this timer's handler (the timer would not fire again until it ends).
    if (expected.bMessageBox) {
        if (!pBox) {
            ADD_FAILURE() << "expected a message box, got " << qPrintable(seen.strClass);
            QTimer::singleShot(0, pModal, [pModal] { Dismiss(pModal); });
            return;
        }
        EXPECT_EQ(seen.strCaption, expected.box.strCaption);
        EXPECT_EQ(seen.strText, expected.box.strText);
        EXPECT_EQ(ButtonsOf(pBox), expected.box.buttons) << qPrintable(seen.strText);
        EXPECT_EQ(seen.eIcon, expected.box.eIcon) << qPrintable(seen.strText);
        QAbstractButton* pAnswer = pBox->button(expected.eAnswer);
        if (!pAnswer)
            ADD_FAILURE() << "the box has no button for the answer";
        QTimer::singleShot(0, pBox, [pBox, pAnswer] {
            if (pAnswer)
                pAnswer->click();
            else
                pBox->reject();
        });
        return;
    }
    EXPECT_EQ(seen.strCaption, expected.strDialogCaption);
    const auto answer = expected.answerDialog;
    QTimer::singleShot(0, pModal, [pModal, answer] { answer(pModal); });
}

CModalCloser::CModalCloser()
{
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        QWidget* pModal = QApplication::activeModalWidget();
        if (!pModal || !pModal->isVisible())
            return;
        ++m_nClosed;
        Dismiss(pModal);
    });
    m_timer.start();
}
