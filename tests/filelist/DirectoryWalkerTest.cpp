#include "filelist/core/DirectoryWalker.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class CRecorder : public IWalkHandler {
public:
    int nStopAfter = -1;
    QStringList files;
    QStringList dirs;
    QStringList unreadable;

    bool StopRequested() override { return nStopAfter >= 0 && int(files.size()) >= nStopAfter; }
    void EnterDirectory(const QString& strDir) override { dirs << strDir; }
    void FoundFile(const QString& strPath) override { files << strPath; }
    void UnreadableDirectory(const QString& strDir) override { unreadable << strDir; }
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
    QStringList Relative(const QStringList& paths)
    {
        QStringList out;
        for (const QString& p : paths)
            out << p.mid(dir.Path().size() + 1);
        return out;
    }

    CTempDir dir;
};

TEST_F(DirectoryWalker, WithoutSubFoldersListsOnlyTheFilesOfTheDirectory)
{
    CRecorder rec;
    ScanDirectory(dir.Path(), false, rec);
    // Name order without regard to case: "Zebra" after "pipe", "ü" after "z".
    EXPECT_EQ(Relative(rec.files), QStringList({".hidden", "a,comma.tif", "b file.tif", "broken.tif", "link.tif",
                                                "pipe", "Zebra.txt", "zebra.txt", "ünïcode.tif"}));
    EXPECT_EQ(rec.dirs, QStringList({dir.Path()}));
}

TEST_F(DirectoryWalker, WithSubFoldersGoesDepthFirstAndEntersEachDirectoryOnce)
{
    CRecorder rec;
    ScanDirectory(dir.Path(), true, rec);
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
    ScanDirectory(dir.Path(), true, rec);
    EXPECT_EQ(Relative(rec.files), QStringList({".hidden", "a,comma.tif", "b file.tif"}));
}

TEST_F(DirectoryWalker, DoubledSeparatorsAreCollapsedInListedPaths)
{
    CRecorder rec;
    ScanDirectory(dir.Path() + QStringLiteral("//sub/"), false, rec);
    EXPECT_EQ(rec.files, QStringList({dir.Path() + QStringLiteral("/sub/inner.tif")}));
}

TEST_F(DirectoryWalker, UnreadableOrMissingDirectoryIsReportedAndSkipped)
{
    CRecorder rec;
    ScanDirectory(dir.Path(QStringLiteral("missing")), true, rec);
    EXPECT_TRUE(rec.files.isEmpty());
    EXPECT_EQ(rec.unreadable, QStringList({dir.Path(QStringLiteral("missing"))}));
    CRecorder none;
    ScanDirectory(QString(), true, none);
    EXPECT_TRUE(none.unreadable.isEmpty() && none.files.isEmpty());
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
    };
    for (const auto& c : cases)
        EXPECT_EQ(JoinScanPath(QString::fromUtf8(c.pszDir), QString::fromUtf8(c.pszName)), QString::fromUtf8(c.pszPath));
}

}  // namespace
