#include "CPageCountApp.h"

#include "CPageCountDlg.h"
#include "res/Version.h"
#include "support/core/Addresses.h"
#include "support/core/HelpFile.h"

QList<QByteArray> StartFilesFromArguments(int argc, char** argv)
{
    QList<QByteArray> files;
    for (int i = 1; i < argc; ++i)
        files.append(QByteArray(argv[i]));
    return files;
}

CPageCountApp::CPageCountApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // The caption of every message box without one of its own.
    setApplicationName(QStringLiteral("Pagewick"));
    setApplicationVersion(QStringLiteral(PAGEWICK_VERSION));
    // The desktop finds the entry, the icon and the name of the program's windows by this id.
    setDesktopFileName(QLatin1String(kApplicationId));
    setQuitOnLastWindowClosed(false);
    // QApplication has taken its own options out of argv; the paths keep their bytes.
    m_startFiles = StartFilesFromArguments(argc, argv);
}

bool CPageCountApp::InitInstance(bool bShowSplash)
{
    // A bare name: the help viewer looks for it next to the program, in its installed data folder
    // and in the current directory.
    m_strHelpFilePath = QString::fromLatin1(kHelpCollectionName);
    CPageCountDlg dlg(nullptr, bShowSplash);
    dlg.AddStartFiles(m_startFiles);
    dlg.exec();
    return false;
}
