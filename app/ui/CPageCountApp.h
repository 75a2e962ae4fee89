// The application object: prepares the process, runs the main window, and ends with it.
#pragma once

#include <QApplication>
#include <QString>

class CPageCountApp : public QApplication {
    Q_OBJECT
public:
    CPageCountApp(int& argc, char** argv);

    // Runs the main window until it ends in any way; returns false, as there is nothing to run after it.
    bool InitInstance(bool bShowSplash = true);

    QString GetHelpFilePath() const { return m_strHelpFilePath; }

private:
    QString m_strHelpFilePath;
};
