#include "filelist/ui/PumpMessages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class CCountingWidget : public QWidget {
public:
    int nPaints = 0;
    int nEvents = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++nPaints; }
    void customEvent(QEvent*) override { ++nEvents; }
};

const QEvent::Type kRowEvent = QEvent::Type(QEvent::User + 1);

TEST(PumpMessages, DrainsEverythingWaiting)
{
    CCountingWidget w;
    PumpMessagesNow();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::postEvent(&w, new QEvent(kRowEvent));
    PumpMessagesNow();
    EXPECT_EQ(w.nEvents, 3);
}

TEST(PumpMessages, ALoopThatPumpsPerRowRepaintsAtMostSixtyTimesASecond)
{
    CCountingWidget w;
    w.resize(100, 100);
    w.show();
    PumpMessagesNow();
    w.nPaints = 0;
    QElapsedTimer clock;
    clock.start();
    int nRows = 0;
    while (clock.elapsed() < 300) {
        // A row changes, the widget asks for a repaint, the loop pumps.
        ++nRows;
        QCoreApplication::postEvent(&w, new QEvent(kRowEvent));
        w.update();
        PumpMessages();
    }
    PumpMessagesNow();
    const qint64 nMs = clock.elapsed();
    EXPECT_GT(nRows, 1000);
    EXPECT_EQ(w.nEvents, nRows);    // nothing is lost, only grouped
    EXPECT_GE(w.nPaints, 3);        // the window stays alive
    EXPECT_LE(w.nPaints, int(nMs / kPumpIntervalMs) + 3);
}

}  // namespace
