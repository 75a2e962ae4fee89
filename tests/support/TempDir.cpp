#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <dirent.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

CTempDir::CTempDir()
{
    EXPECT_TRUE(m_dir.isValid());
}

namespace {

// Removes a directory tree by descriptors: names of any bytes, trees of any depth.
void RemoveTreeAt(int nParent, const char* pszName)
{
    int fd = ::openat(nParent, pszName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) {
        // A test may have taken the rights away from a folder; it goes all the same.
        if (::fchmodat(nParent, pszName, 0700, 0) == 0)
            fd = ::openat(nParent, pszName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (fd < 0) {
        ::unlinkat(nParent, pszName, 0);
        return;
    }
    DIR* pDir = ::fdopendir(fd);
    while (const dirent* pEntry = ::readdir(pDir)) {
        if (std::strcmp(pEntry->d_name, ".") == 0 || std::strcmp(pEntry->d_name, "..") == 0)
            continue;
        if (pEntry->d_type == DT_DIR)
            RemoveTreeAt(fd, pEntry->d_name);
        else
            ::unlinkat(fd, pEntry->d_name, 0);
    }
    ::closedir(pDir);
    ::unlinkat(nParent, pszName, AT_REMOVEDIR);
}

}  // namespace

CTempDir::~CTempDir()
{
    ::chmod(Bytes().constData(), 0700);
    RemoveTreeAt(AT_FDCWD, Bytes().constData());
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

QByteArray CTempDir::WriteRaw(const QByteArray& relative, const QByteArray& content)
{
    const QByteArray path = Bytes() + '/' + relative;
    // Each directory on the way, by bytes: QDir would take the names as text.
    for (qsizetype n = path.indexOf('/', Bytes().size() + 1); n > 0; n = path.indexOf('/', n + 1))
        ::mkdir(path.left(n).constData(), 0700);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    EXPECT_GE(fd, 0) << path.constData();
    if (fd >= 0) {
        EXPECT_EQ(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
        ::close(fd);
    }
    return path;
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
