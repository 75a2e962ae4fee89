// The application object: prepares the process, runs the main window, and ends with it.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QString>

// The files named on a command line after Qt has taken out its own options (argv[0] is the
// program), as bytes: what a file manager's "Open With" passes.
QList<QByteArray> StartFilesFromArguments(int argc, char** argv);

class CPageCountApp : public QApplication {
    Q_OBJECT
public:
    // Qt's own options are taken out of argv; what stays are the files to list.
    CPageCountApp(int& argc, char** argv);

    // Runs the main window, with the files named at start already listed, until it ends in any
    // way; returns false, as there is nothing to run after it.
    bool InitInstance(bool bShowSplash = true);

    QString GetHelpFilePath() const { return m_strHelpFilePath; }
    // The files named on the command line (as a file manager's "Open With" passes them), as bytes.
    const QList<QByteArray>& StartFiles() const { return m_startFiles; }

private:
    QString m_strHelpFilePath;
    QList<QByteArray> m_startFiles;
};
