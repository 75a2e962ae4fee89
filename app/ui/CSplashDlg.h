// The picture shown over the main window for three seconds at every start.
#pragma once

#include <QDialog>

class CSplashDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSplashDlg(QWidget* pParent = nullptr);

    static constexpr int kShowMs = 3000;

protected:
    void showEvent(QShowEvent* pEvent) override;
    void timerEvent(QTimerEvent* pEvent) override;

private:
    int m_nTimer = 0;
};
