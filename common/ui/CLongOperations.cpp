#include "CLongOperations.h"

#include <QApplication>

bool CLongOperations::Begin(ELongOperation eOperation)
{
    if (m_bClosing || m_eCurrent != ELongOperation::None) {
        // The window disables these commands meanwhile; a call that comes another way is refused aloud.
        if (!m_bClosing)
            QApplication::beep();
        return false;
    }
    m_eCurrent = eOperation;
    emit changed(m_eCurrent);
    return true;
}

void CLongOperations::End()
{
    if (m_eCurrent == ELongOperation::None)
        return;
    m_eCurrent = ELongOperation::None;
    emit changed(m_eCurrent);
}

void CLongOperations::Close()
{
    if (m_bClosing)
        return;
    m_bClosing = true;
    emit closing();
}
