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

void PumpMessages()
{
    QElapsedTimer& last = LastPump();
    if (last.isValid() && last.elapsed() < kPumpIntervalMs)
        return;
    PumpMessagesNow();
}

void PumpMessagesNow()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    LastPump().start();
}
