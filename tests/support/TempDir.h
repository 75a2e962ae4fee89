// A temporary directory for the files a test needs, with chosen contents, sizes and times.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

class CTempDir {
public:
    CTempDir();
    // Removes the tree, names that are not UTF-8 included (which QDir could not name).
    ~CTempDir();

    QString Path() const { return m_dir.path(); }
    QString Path(const QString& strRelative) const { return m_dir.filePath(strRelative); }

    // Writes a file (creating missing directories) and returns its path.
    QString Write(const QString& strRelative, const QByteArray& content);
    // A file of exactly nBytes (sparse, so large sizes cost nothing).
    QString WriteSized(const QString& strRelative, qint64 nBytes);
    QString MakeDir(const QString& strRelative);
    // A file whose name is any bytes (creating missing directories); returns its path's bytes.
    QByteArray WriteRaw(const QByteArray& relative, const QByteArray& content);
    // The directory's path as bytes.
    QByteArray Bytes() const { return m_dir.path().toUtf8(); }
    // Sets the last-access and last-write times of a path.
    static bool SetTimes(const QString& strPath, const QDateTime& modified);

private:
    QTemporaryDir m_dir;
};
