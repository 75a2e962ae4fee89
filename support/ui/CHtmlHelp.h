// The program's way to its help viewer: it binds to the help collection at the first call and
// keeps it, or remembers why there is none, so that a missing help costs one look only. The
// installed collection is only ever read: the help window works on the user's own copy of it.
#pragma once

#include <QPointer>
#include <QString>

class CHelpWindow;
class QWidget;

class CHtmlHelpLoader {
public:
    // Bare file names are looked for next to the executable, in the installed data folder and in
    // the current folder; empty folders mean the running program's own. The user's copy of the
    // collection goes to strCopyDir, by default "help" in the user's cache folder.
    explicit CHtmlHelpLoader(const QString& strExeDir = QString(), const QString& strCurrentDir = QString(),
                             const QString& strCopyDir = QString());

    // Shows the help file at a page of its help folder ("counting.html"; the main page when
    // empty). Returns the help window, or null when there is no help (a box over pOwner says so
    // and why).
    CHelpWindow* HtmlHelp(QWidget* pOwner, const QString& strFile, const QString& strTopic = QString());

    int BindAttempts() const { return m_nBindAttempts; }
    // The collection the help window opens (the user's copy), and why there is none.
    QString CollectionPath() const { return m_strCollection; }
    QString FailureReason() const { return m_strFailure; }

    // The loader of the running program.
    static CHtmlHelpLoader& Instance();

private:
    bool Bind(const QString& strFile);

    enum EBinding { BIND_NOT_TRIED, BIND_DONE, BIND_FAILED };
    EBinding m_eBinding = BIND_NOT_TRIED;
    int m_nBindAttempts = 0;
    QString m_strExeDir;
    QString m_strCurrentDir;
    QString m_strCopyDir;
    QString m_strCollection;
    QString m_strFailure;
    QPointer<CHelpWindow> m_pWindow;
};

// The user's copy of a help collection in strCopyDir: the collection and the documentation files
// beside it, made again whenever the collection's path, size or time differ from those the copy
// was made from. Returns the copy's collection, or an empty string with the reason in *pError.
QString UserHelpCopy(const QString& strCollection, const QString& strCopyDir, QString* pError);
