// The second way of opening an address when the desktop will not: the web browser that the
// freedesktop MIME associations register for web pages, started with its own command line.
#pragma once

#include <QString>
#include <QStringList>

// A browser's command line cut off at its placeholder: at the quoted placeholder ("%1", or one of
// the desktop's field codes "%u" "%U" "%f" "%F" in quotes) when there is one, else at the bare
// placeholder, else the whole line.
QString CutAtPlaceholder(const QString& strCommand);

// The program and arguments that open strUrl: the browser's line cut at its placeholder, split
// into words, and the address after them as one word of its own, as it stands.
QStringList BrowserArguments(const QString& strCommand, const QString& strUrl);

// Splits a command line into program and arguments as desktop entries quote them (blanks separate;
// double quotes group, with \" \` \$ \\ escaped inside); "%%" is a per cent sign and the remaining
// field codes are dropped.
QStringList SplitCommandLine(const QString& strLine);

// The desktop entries registered for a MIME type, most preferred first: the defaults and then the
// additions of every mimeapps.list in the desktop's order, then the installed programs' cache,
// without the removed associations.
QStringList MimeTypeHandlers(const QString& strMimeType);

// The file of a desktop entry found in the data directories' applications folders, or empty.
QString FindDesktopEntry(const QString& strId);

// The Exec line of a desktop entry with its value escapes resolved; empty when there is none.
QString DesktopEntryExec(const QString& strPath);

// Starts a program (the first word) with its arguments; LAUNCH_SUCCEEDED, or the code that says
// why the program did not start.
int StartProgram(const QStringList& args);

// Opens strUrl with the registered web browser. When no browser is registered, or its entry
// holds no command, nothing is started and nLookupFailure is returned.
int OpenWithRegisteredBrowser(const QString& strUrl, int nLookupFailure);
