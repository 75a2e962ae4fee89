#include "filelist/core/DirectoryWalker.h"
#include "filelist/core/FileFacts.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class CRecorder : public IWalkHandler {
public:
    int nStopAfter = -1;
    QList<QByteArray> files;
    QList<QByteArray> dirs;
    QList<QByteArray> unreadable;

    bool StopRequested() override { return nStopAfter >= 0 && int(files.size()) >= nStopAfter; }
    void EnterDirectory(const QByteArray& dir) override { dirs << dir; }
    void FoundFile(const QByteArray& path) override { files << path; }
    void UnreadableDirectory(const QByteArray& dir, int) override { unreadable << dir; }
};

class DirectoryWalker : public testing::Test {
protected:
    DirectoryWalker()
    {
        dir.Write(QStringLiteral("b file.tif"), "II*");
        dir.Write(QStringLiteral("a,comma.tif"), "MM");
        dir.Write(QStringLiteral(".hidden"), "x");
        dir.Write(QStringLiteral("Zebra.txt"), "z");
        dir.Write(QStringLiteral("zebra.txt"), "z");
        dir.Write(QStringLiteral("ünïcode.tif"), "II*");
        dir.Write(QStringLiteral("sub/inner.tif"), "II*");
        dir.Write(QStringLiteral("sub/deeper/deep.tif"), "II*");
        dir.Write(QStringLiteral(".git/objects.tif"), "II*");
        dir.Write(QStringLiteral(".cache/c.tif"), "II*");
        Link(QStringLiteral(".."), QStringLiteral("sub/deeper/loop"));     // leads back to sub
        Link(dir.Path(), QStringLiteral("sub/root"));                         // leads back to the top
        Link(QStringLiteral("b file.tif"), QStringLiteral("link.tif"));
        Link(QStringLiteral("nowhere.tif"), QStringLiteral("broken.tif"));
        ::mkfifo(QFile::encodeName(dir.Path(QStringLiteral("pipe"))).constData(), 0600);
    }
    void Link(const QString& strTarget, const QString& strName)
    {
        ASSERT_TRUE(QFile::link(strTarget, dir.Path(strName)));
    }
    QStringList Relative(const QList<QByteArray>& paths)
    {
        QStringList out;
        for (const QByteArray& p : paths)
            out << QString::fromUtf8(p.mid(dir.Bytes().size() + 1));
        return out;
    }

    CTempDir dir;
};

TEST_F(DirectoryWalker, WithoutSubFoldersListsOnlyTheFilesOfTheDirectory)
{
    CRecorder rec;
    ScanDirectory(dir.Bytes(), false, rec);
    // Name order without regard to case: "Zebra" after "pipe", "ü" after "z".
    EXPECT_EQ(Relative(rec.files), QStringList({".hidden", "a,comma.tif", "b file.tif", "broken.tif", "link.tif",
                                                "pipe", "Zebra.txt", "zebra.txt", "ünïcode.tif"}));
    EXPECT_EQ(rec.dirs, QList<QByteArray>({dir.Bytes()}));
}

TEST_F(DirectoryWalker, WithSubFoldersGoesDepthFirstAndEntersEachDirectoryOnce)
{
    CRecorder rec;
    ScanDirectory(dir.Bytes(), true, rec);
    EXPECT_EQ(Relative(rec.files),
              QStringList({".hidden", "a,comma.tif", "b file.tif", "broken.tif", "link.tif", "pipe",
                           "sub/deeper/deep.tif", "sub/inner.tif", "Zebra.txt", "zebra.txt", "ünïcode.tif"}));
    // Never .git or .cache, and never again through the links back to sub and to the top.
    EXPECT_EQ(Relative(rec.dirs), QStringList({"", "sub", "sub/deeper"}));
}

TEST_F(DirectoryWalker, StopEndsTheWholeWalkKeepingWhatWasFound)
{
    CRecorder rec;
    rec.nStopAfter = 3;
    ScanDirectory(dir.Bytes(), true, rec);
    EXPECT_EQ(Relative(rec.files), QStringList({".hidden", "a,comma.tif", "b file.tif"}));
}

TEST_F(DirectoryWalker, DoubledSeparatorsAreCollapsedInListedPaths)
{
    CRecorder rec;
    ScanDirectory(dir.Bytes() + "//sub/", false, rec);
    EXPECT_EQ(rec.files, QList<QByteArray>({dir.Bytes() + "/sub/inner.tif"}));
}

TEST_F(DirectoryWalker, UnreadableOrMissingDirectoryIsReportedAndSkipped)
{
    CRecorder rec;
    ScanDirectory(dir.Bytes() + "/missing", true, rec);
    EXPECT_TRUE(rec.files.isEmpty());
    EXPECT_EQ(rec.unreadable, QList<QByteArray>({dir.Bytes() + "/missing"}));
    CRecorder none;
    ScanDirectory(QByteArray(), true, none);
    EXPECT_TRUE(none.unreadable.isEmpty() && none.files.isEmpty());
}

TEST(DirectoryWalkerNames, NamesThatAreNotUtf8AreListedWithTheirOwnBytes)
{
    CTempDir dir;
    // Latin-1 letters, a lone continuation byte, a sequence cut short, and valid UTF-8.
    const QList<QByteArray> names = {"caf\xe9.tif", "bad\xff\xfename.tif", "lone\x80.tif", "cut\xc3.tif",
                                     "Z\xc3\xbcrich.tif"};
    for (const QByteArray& name : names)
        dir.WriteRaw("d/" + name, QByteArray("II*\0", 4));
    CRecorder rec;
    ScanDirectory(dir.Bytes() + "/d", false, rec);
    ASSERT_EQ(rec.files.size(), names.size());
    for (const QByteArray& name : names) {
        const QByteArray path = dir.Bytes() + "/d/" + name;
        EXPECT_TRUE(rec.files.contains(path)) << path.toHex().constData();
        // The bytes reach the file: its real size and times.
        SFileFacts facts;
        EXPECT_TRUE(ReadFileFacts(path, &facts)) << path.toHex().constData();
        EXPECT_EQ(facts.nSize, 4);
    }
}

TEST(DirectoryWalkerDepth, ATreeDeeperThanThePathLimitIsWalkedToTheBottom)
{
    CTempDir dir;
    // Thirty levels of 200-character names: far past what one system call takes.
    QByteArray path = dir.Bytes();
    for (int i = 0; i < 30; ++i) {
        path += '/' + QByteArray(200, char('a' + i % 26));
        ASSERT_EQ(::mkdir(path.constData(), 0700) == 0 || errno == ENAMETOOLONG, true);
        if (path.size() >= PATH_MAX) {
            // mkdir by the whole path fails from here on: make the rest from the parent's descriptor.
            QByteArray leaf;
            const int nParent = OpenParent(path, &leaf);
            ASSERT_GE(nParent, 0);
            ::mkdirat(nParent, leaf.constData(), 0700);
            CloseParent(nParent);
        }
    }
    const QByteArray file = path + "/bottom.tif";
    // Made from its parent's descriptor, with a mode: O_CREAT without one leaves the file's mode to
    // chance (and a fortified build stops the program).
    QByteArray leaf;
    const int nParent = OpenParent(file, &leaf);
    ASSERT_GE(nParent, 0);
    const int fd = ::openat(nParent, leaf.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    CloseParent(nParent);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "MM\0*", 4), 4);
    ::close(fd);
    ASSERT_GT(file.size(), 6000);

    CRecorder rec;
    ScanDirectory(dir.Bytes(), true, rec);
    EXPECT_TRUE(rec.unreadable.isEmpty());
    ASSERT_EQ(rec.files, QList<QByteArray>({file}));
    SFileFacts facts;
    EXPECT_TRUE(ReadFileFacts(file, &facts));
    EXPECT_EQ(facts.nSize, 4);
    EXPECT_EQ(PathKind(file), EPathKind::Other);
    EXPECT_EQ(PathKind(path), EPathKind::Directory);
}

TEST(DirectoryWalkerErrors, ADirectoryThatCannotBeReadIsNamedAndTheRestWalked)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every directory";
    CTempDir dir;
    dir.Write(QStringLiteral("open/a.tif"), "II*");
    dir.Write(QStringLiteral("shut/b.tif"), "II*");
    ::chmod((dir.Bytes() + "/shut").constData(), 0);
    CRecorder rec;
    ScanDirectory(dir.Bytes(), true, rec);
    ::chmod((dir.Bytes() + "/shut").constData(), 0700);
    EXPECT_EQ(rec.files, QList<QByteArray>({dir.Bytes() + "/open/a.tif"}));
    EXPECT_EQ(rec.unreadable, QList<QByteArray>({dir.Bytes() + "/shut"}));
}

TEST(JoinScanPath, CollapsesRunsOfSeparators)
{
    const struct {
        const char* pszDir;
        const char* pszName;
        const char* pszPath;
    } cases[] = {
        {"/", "a.tif", "/a.tif"},
        {"/scans", "a.tif", "/scans/a.tif"},
        {"/scans/", "a.tif", "/scans/a.tif"},
        {"//scans///x", "a.tif", "/scans/x/a.tif"},
        {"relative", "b c.tif", "relative/b c.tif"},
        {"/l\xe9gal", "\xff.tif", "/l\xe9gal/\xff.tif"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JoinScanPath(c.pszDir, c.pszName), QByteArray(c.pszPath));
}

}  // namespace
