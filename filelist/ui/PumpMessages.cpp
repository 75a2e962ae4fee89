#include "PumpMessages.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

QElapsedTimer& LastPump()
{
    static QElapsedTimer timer;
    return timer;
}

}  // namespace

bool PumpDue()
{
    const QElapsedTimer& last = LastPump();
    return !last.isValid() || last.elapsed() >= kPumpIntervalMs;
}

void PumpMessages()
{
    if (PumpDue())
        PumpMessagesNow();
}

void PumpMessagesNow()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    LastPump().start();
}
