// The program's way to its help viewer: it binds to the help collection at the first call and
// keeps it, or remembers that there is none, so that a missing help costs one look only.
#pragma once

#include <QPointer>
#include <QString>
#include <QtGlobal>

class CHelpWindow;
class QWidget;

class CHtmlHelpLoader {
public:
    // Bare file names are looked for next to the executable, in the installed data folder and in
    // the current folder; empty folders mean the running program's own.
    explicit CHtmlHelpLoader(const QString& strExeDir = QString(), const QString& strCurrentDir = QString());

    // Shows the help file: HH_HELP_CONTEXT opens the topic of the context nData, HH_DISPLAY_TOPIC
    // the main topic. Returns the help window, or null when there is no help or the command is
    // not one of these.
    CHelpWindow* HtmlHelp(QWidget* pOwner, const QString& strFile, quint32 nCommand, quintptr nData);

    int BindAttempts() const { return m_nBindAttempts; }
    QString CollectionPath() const { return m_strCollection; }

    // The loader of the running program.
    static CHtmlHelpLoader& Instance();

private:
    bool Bind(const QString& strFile);

    enum EBinding { BIND_NOT_TRIED, BIND_DONE, BIND_FAILED };
    EBinding m_eBinding = BIND_NOT_TRIED;
    int m_nBindAttempts = 0;
    QString m_strExeDir;
    QString m_strCurrentDir;
    QString m_strCollection;
    QPointer<CHelpWindow> m_pWindow;
};

// A collection in a folder the user may not write to is copied to the user's cache folder, with
// its documentation still found where it was installed: the full-text search keeps its index
// next to the collection. Returns the collection to open.
QString WritableHelpCollection(const QString& strCollection, const QString& strCacheDir);
// Copies a collection to strCopy (replacing it) so that its documentation is still found where it
// was; false when the collection cannot be read or the copy not written.
bool CopyHelpCollection(const QString& strCollection, const QString& strCopy);
