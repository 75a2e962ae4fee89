#include "app/ui/CPageCountDlg.h"
#include "app/ui/CSplashDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The splash runs its own modal loop inside the main window's timer handler, so it is watched
// from a timer, which keeps firing inside that loop.
struct SSplashWatch {
    QTimer timer;
    QElapsedTimer clock;
    QPointer<CSplashDlg> pSplash;
    int nAppearances = 0;
    qint64 nShownAt = -1;
    qint64 nGoneAt = -1;
    bool bWindowVisibleFirst = false;
    QSize size;
    QSize pictureSize;
    bool bFrameless = false;
    std::function<void(CSplashDlg*)> onShown;

    SSplashWatch()
    {
        clock.start();
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] {
            auto* pModal = qobject_cast<CSplashDlg*>(QApplication::activeModalWidget());
            if (pModal && pModal != pSplash) {
                pSplash = pModal;
                ++nAppearances;
                nShownAt = clock.elapsed();
                size = pModal->size();
                if (const QLabel* pPicture = pModal->findChild<QLabel*>())
                    pictureSize = pPicture->pixmap().size();
                bFrameless = pModal->windowFlags() & Qt::FramelessWindowHint;
                if (QWidget* pOwner = pModal->parentWidget())
                    bWindowVisibleFirst = pOwner->isVisible();
                if (onShown)
                    onShown(pModal);
            } else if (!pModal && nShownAt >= 0 && nGoneAt < 0) {
                nGoneAt = clock.elapsed();
            }
        });
        timer.start();
    }
};

TEST(Splash, ShowsOnceAfterTheWindowAndClosesByItsTimer)
{
    SSplashWatch watch;
    CPageCountDlg dlg(nullptr, true);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.nGoneAt >= 0; }, 6000));
    QTest::qWait(300);
    EXPECT_EQ(watch.nAppearances, 1);
    EXPECT_TRUE(watch.bWindowVisibleFirst);
    EXPECT_EQ(watch.size, QSize(250, 250));
    EXPECT_EQ(watch.pictureSize, QSize(250, 250));
    EXPECT_TRUE(watch.bFrameless);
    const qint64 nShownMs = watch.nGoneAt - watch.nShownAt;
    EXPECT_GE(nShownMs, CSplashDlg::kShowMs - 200);
    EXPECT_LT(nShownMs, CSplashDlg::kShowMs + 1500);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.IsClosing());
}

TEST(Splash, EscClosesItAtOnceAndTheWindowWorks)
{
    SSplashWatch watch;
    watch.onShown = [](CSplashDlg* pSplash) { QTest::keyClick(pSplash, Qt::Key_Escape); };
    CPageCountDlg dlg(nullptr, true);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.nGoneAt >= 0; }, 6000));
    EXPECT_LT(watch.nGoneAt - watch.nShownAt, 500);
    EXPECT_EQ(watch.nAppearances, 1);
    EXPECT_FALSE(dlg.IsClosing());
    dlg.AppendFileRow("/nonexistent", true);
    EXPECT_EQ(dlg.ItemsTotal(), 1);
}

TEST(Splash, NotShownWhenTheWindowIsToldSo)
{
    SSplashWatch watch;
    CPageCountDlg dlg(nullptr, false);
    dlg.show();
    QTest::qWait(300);
    EXPECT_EQ(watch.nAppearances, 0);
}

}  // namespace
