// The program's help: the collection's name, where it is looked for, and its main page.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The help collection, named without a directory; the application keeps it as its help file.
inline const char kHelpCollectionName[] = "pagewick.qhc";
// The namespace and folder of the help pages inside the collection.
inline const char kHelpNamespace[] = "com.quorbel.pagewick";
inline const char kHelpFolder[] = "doc";

// The page of the main window, where the help opens unless a window asks for a page of its own.
QString MainHelpTopic();

// Where a help file is looked for, in order: an absolute path as it stands; a bare name next to
// the executable, in the installed data folder (<exe dir>/../share/pagewick) and in the current
// folder.
QStringList HelpFileCandidates(const QString& strFile, const QString& strExeDir, const QString& strCurrentDir);

// What ties a user's copy of the help to the collection it was made from: the collection's
// absolute path, its size and its time of change (ms since the epoch), one a line.
QByteArray HelpCopyStamp(const QString& strCollection, qint64 nSize, qint64 nModifiedMs);
