// The commands of the Help menu and the About item, for the main window's handlers.
#pragma once

#include <QString>

class QWidget;

// "Go to Website Homepage": opens the home page as the links do; the result is not looked at.
void RunHelpWebsite();

// "Email Bug/Suggestion/Comments": opens the mail program with a message to the support address
// whose body carries a report of the machine. Nothing is reported when no mail program answers.
void RunSupportEmail(QWidget* pOwner);

// "&HTML Help" and F1: shows the help window at a window's page of the help (the main page when
// empty). Without a help collection a box says why, and only the first time is it looked for.
void RunHtmlHelp(QWidget* pOwner, const QString& strTopic = QString());

// "&About Pagewick...": the About box with its two links, run modally.
void RunAboutBox(QWidget* pOwner);
