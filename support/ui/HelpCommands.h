// The commands of the Help menu and the About item, for the main window's handlers.
#pragma once

#include <QtGlobal>

class CHyperLink;
class QWidget;

// "Go to Website Homepage": opens the home page through the main window's link; the result is
// not looked at.
void RunHelpWebsite(CHyperLink* pLink);

// "Email Bug/Suggestion/Comments": opens the mail program with a message to the support address
// whose body carries a report of the machine. Nothing is reported when no mail program answers.
void RunSupportEmail(QWidget* pOwner);

// The main window's help routine: shows the help at a help context (0x20066 for the main
// window). Without a help collection it does nothing, and looks for one only the first time.
void RunHtmlHelp(QWidget* pOwner, quint32 nContext);

// "&About Pagewick...": the About box with its two links, run modally.
void RunAboutBox(QWidget* pOwner);
