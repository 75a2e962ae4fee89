// The program's help: the collection's name, where it is looked for, and which topic answers each
// help context.
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

// Help requests: the kind a window passes (a context request), and the viewer's commands.
constexpr quint32 HELP_CONTEXT = 0x0001;
constexpr quint32 HH_DISPLAY_TOPIC = 0x0000;
constexpr quint32 HH_HELP_CONTEXT = 0x000F;

// A window's help context is this base plus its dialog template's id.
constexpr quint32 kHelpContextDialogBase = 0x20000;

// The page (file name inside the help folder) that answers a help context; the main window's page
// for a context no page is mapped to.
QString HelpTopicForContext(quint32 nContext);

// The page shown when the help opens without a context: the main window's.
QString MainHelpTopic();

// Where a help file is looked for, in order: an absolute path as it stands; a bare name next to
// the executable, in the installed data folder (<exe dir>/../share/pagewick) and in the current
// folder.
QStringList HelpFileCandidates(const QString& strFile, const QString& strExeDir, const QString& strCurrentDir);

// What ties a user's copy of the help to the collection it was made from: the collection's
// absolute path, its size and its time of change (ms since the epoch), one a line.
QByteArray HelpCopyStamp(const QString& strCollection, qint64 nSize, qint64 nModifiedMs);
