// A temporary directory for the files a test needs, with chosen contents, sizes and times.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

class CTempDir {
public:
    CTempDir();

    QString Path() const { return m_dir.path(); }
    QString Path(const QString& strRelative) const { return m_dir.filePath(strRelative); }

    // Writes a file (creating missing directories) and returns its path.
    QString Write(const QString& strRelative, const QByteArray& content);
    // A file of exactly nBytes (sparse, so large sizes cost nothing).
    QString WriteSized(const QString& strRelative, qint64 nBytes);
    QString MakeDir(const QString& strRelative);
    // Sets the last-access and last-write times of a path.
    static bool SetTimes(const QString& strPath, const QDateTime& modified);

private:
    QTemporaryDir m_dir;
};
