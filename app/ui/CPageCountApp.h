// The application object: prepares the process, runs the main window, and ends with it.
#pragma once

#include "app/core/CommandLine.h"     // StartFilesFromArguments: the files it is given

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QString>

class CPageCountApp : public QApplication {
    Q_OBJECT
public:
    // argv holds Qt's own options only (ParseStartCommand has parted them from the files), so no
    // file is ever read as one of them; startFiles are the files to list, as bytes.
    CPageCountApp(int& argc, char** argv, const QList<QByteArray>& startFiles);

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
