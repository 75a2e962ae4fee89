// The Open and Save dialogs of list files and reports: the platform's file dialog in Qt's own form
// (the same on every desktop, and within reach of the tests), filtered on one extension or on
// all files, with that extension added to a name typed without one.
#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

enum class EFileDialog { Open, Save };

// Shows the dialog; the chosen path's bytes, or empty on Cancel. strSuffix is the extension in
// lower case ("lst"): the first filter is "*." + strSuffix, the second "All Files *.*". The Save
// dialog asks before an existing file is replaced.
QByteArray AskFileName(QWidget* pOwner, EFileDialog eKind, const QString& strTitle, const QString& strSuffix);
