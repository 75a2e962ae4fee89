#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

CTempDir::CTempDir()
{
    EXPECT_TRUE(m_dir.isValid());
}

QString CTempDir::Write(const QString& strRelative, const QByteArray& content)
{
    const QString strPath = Path(strRelative);
    QDir().mkpath(QFileInfo(strPath).absolutePath());
    QFile file(strPath);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(strPath);
    EXPECT_EQ(file.write(content), content.size());
    file.close();
    return strPath;
}

QString CTempDir::WriteSized(const QString& strRelative, qint64 nBytes)
{
    const QString strPath = Write(strRelative, QByteArray());
    QFile file(strPath);
    EXPECT_TRUE(file.resize(nBytes));
    return strPath;
}

QString CTempDir::MakeDir(const QString& strRelative)
{
    const QString strPath = Path(strRelative);
    EXPECT_TRUE(QDir().mkpath(strPath));
    return strPath;
}

bool CTempDir::SetTimes(const QString& strPath, const QDateTime& modified)
{
    const qint64 nMs = modified.toMSecsSinceEpoch();
    struct timespec times[2];
    times[0].tv_sec = time_t(nMs / 1000);
    times[0].tv_nsec = long(nMs % 1000) * 1000000L;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, QFile::encodeName(strPath).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}
