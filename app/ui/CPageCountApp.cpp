#include "CPageCountApp.h"

#include "CPageCountDlg.h"
#include "res/Version.h"
#include "support/core/Addresses.h"
#include "support/core/HelpFile.h"

CPageCountApp::CPageCountApp(int& argc, char** argv, const QList<QByteArray>& startFiles)
    : QApplication(argc, argv), m_startFiles(startFiles)
{
    // The caption of every message box without one of its own.
    setApplicationName(QStringLiteral("Pagewick"));
    setApplicationVersion(QStringLiteral(PAGEWICK_VERSION));
    // The desktop finds the entry, the icon and the name of the program's windows by this id.
    setDesktopFileName(QLatin1String(kApplicationId));
    setQuitOnLastWindowClosed(false);
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
