#include "common/core/TaskPool.h"
#include "fs/DirectoryWalker.h"
#include "fs/FileFacts.h"
#include "support/TempDir.h"
#include "support/Waiting.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>

#include <functional>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers' runtime (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

class CRecorder : public IWalkHandler {
public:
    int nStopAfter = -1;
    QList<QByteArray> files;
    QList<QByteArray> dirs;
    QList<QByteArray> unreadable;

    bool StopRequested() override { return nStopAfter >= 0 && int(files.size()) >= nStopAfter; }
    void EnterDirectory(const QByteArray& dir) override { dirs << dir; }
    void FoundFile(const QByteArray& path, const SFileFacts*) override { files << path; }
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

// The bytes the program holds from the allocator: glibc's main arena, where the walking thread's
// nodes and tasks live, or a sanitizer's own allocator.
size_t BytesInUse()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

// A walk stopped as it enters a folder lets go of all it made: also of the sub-folders read while
// it was entering, whose own work was queued at the stop.
TEST(DirectoryWalkerStop, AHundredStoppedWalksHoldNoMoreMemoryOrDescriptors)
{
    CTempDir dir;
    for (int b = 0; b < 8; ++b) {
        for (int c = 0; c < 40; ++c)
            dir.Write(QStringLiteral("a/b%1/c%2/f.tif").arg(b).arg(c), "II*");
    }
    class CStopInA : public CRecorder {
    public:
        bool StopRequested() override { return bStop; }
        void EnterDirectory(const QByteArray& path) override
        {
            // Its sub-folders, read ahead meanwhile, are there to be started as it is entered.
            bStop = path.endsWith("/a");
            if (bStop)
                QThread::msleep(10);
        }
        bool bStop = false;
    };
    const auto stoppedWalk = [&] {
        CStopInA rec;
        ScanDirectory(dir.Bytes(), true, rec);
        ASSERT_TRUE(rec.bStop);
    };
    const auto descriptors = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
    stoppedWalk();      // what a first walk keeps for good (the file systems it met) is not counted
    ASSERT_TRUE(WaitUntil([] { return BusyWorkerThreads() == 0; }));
    const size_t nBytes = BytesInUse();
    const uint nDescriptors = descriptors();
    for (int i = 0; i < 100; ++i)
        stoppedWalk();
    // Once the walks' threads are out of their tasks (a thread may be on its way into one).
    EXPECT_TRUE(WaitUntil([&] { return BusyWorkerThreads() == 0 && descriptors() <= nDescriptors; }))
        << descriptors() << " descriptors open, " << nDescriptors << " before";
    EXPECT_LT(BytesInUse(), nBytes + 256 * 1024);
}

TEST_F(DirectoryWalker, DoubledSeparatorsAreCollapsedInListedPaths)
{
    const struct {
        const char* pszRoot;
        bool bSubFolders;
    } cases[] = {{"//sub/", false}, {"/sub//", true}, {"//sub///", true}};
    for (const auto& c : cases) {
        CRecorder rec;
        ScanDirectory(dir.Bytes() + c.pszRoot, c.bSubFolders, rec);
        QList<QByteArray> expected;
        if (c.bSubFolders)
            expected << dir.Bytes() + "/sub/deeper/deep.tif";
        expected << dir.Bytes() + "/sub/inner.tif";
        EXPECT_EQ(rec.files.mid(0, expected.size()), expected) << c.pszRoot;
        // Below sub, the link back to the top is walked as sub/root: one separator at every joint.
        for (const QByteArray& path : rec.files)
            EXPECT_FALSE(path.mid(1).contains("//")) << path.constData();
    }
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

// The walk reads and looks at files many at once: whatever that order, the handler hears of the
// tree exactly as a walk of one file at a time does.
TEST(DirectoryWalkerShapes, ManyInFlightGiveTheOrderAndFactsOfOneAtATime)
{
    struct SShape {
        const char* pszName;
        std::function<void(CTempDir&)> make;
        int nFiles;
    };
    const SShape shapes[] = {
        {"Wide",
         [](CTempDir& d) {
             for (int i = 0; i < 40; ++i) {
                 for (int f = 0; f < 15; ++f)
                     d.Write(QStringLiteral("w%1/f%2.tif").arg(i).arg(f), QByteArray(f + 1, 'x'));
             }
         },
         600},
        {"DeepWithFilesAtEveryLevel",
         [](CTempDir& d) {
             QString strPath;
             for (int i = 0; i < 150; ++i) {
                 strPath += QStringLiteral("l%1/").arg(i % 7);
                 d.Write(strPath + QStringLiteral("a.tif"), QByteArray(i + 1, 'a'));
                 d.Write(strPath + QStringLiteral("z.tif"), "z");
             }
         },
         300},
        {"FilesBetweenFoldersHiddenAndLinked",
         [](CTempDir& d) {
             for (int i = 0; i < 20; ++i) {
                 const QString strTop = QStringLiteral("m%1").arg(i, 2, 10, QLatin1Char('0'));
                 d.Write(strTop + QStringLiteral(".tif"), "II*");
                 d.Write(strTop + QStringLiteral("/B.tif"), QByteArray(i, 'b'));
                 d.Write(strTop + QStringLiteral("/a/deep/c.tif"), "c");
                 d.Write(strTop + QStringLiteral("/.hidden/never.tif"), "n");
                 QFile::link(d.Path(QStringLiteral("m00")), d.Path(strTop + QStringLiteral("/back")));
             }
         },
         60},
    };
    for (const SShape& shape : shapes) {
        CTempDir dir;
        shape.make(dir);
        QList<QStringList> heard;
        for (const int nInFlight : {1, 32}) {
            class CFacts : public CRecorder {
            public:
                void FoundFile(const QByteArray& path, const SFileFacts* pFacts) override
                {
                    CRecorder::FoundFile(path, pFacts);
                    lines << QString::fromUtf8(path) + u' ' + QString::number(pFacts ? pFacts->nSize : -1);
                }
                void EnterDirectory(const QByteArray& path) override { lines << QString::fromUtf8(path); }
                QStringList lines;
            } rec;
            SWalkOptions options;
            options.bSubFolders = true;
            options.bFileFacts = true;
            options.nInFlight = nInFlight;
            ScanDirectory(dir.Bytes(), options, rec);
            EXPECT_EQ(rec.files.size(), shape.nFiles) << shape.pszName << " " << nInFlight;
            heard.append(rec.lines);
        }
        EXPECT_EQ(heard[0], heard[1]) << shape.pszName;
    }
}

// A chain of folders "d/d/d/..." below dir, each opened from its parent (no path could name them).
class CFolderChain {
public:
    CFolderChain(const QByteArray& dir, int nDepth) : m_top(::open(dir.constData(), O_RDONLY | O_DIRECTORY))
    {
        int fd = ::dup(m_top);
        for (int i = 0; i < nDepth && fd >= 0; ++i) {
            ::mkdirat(fd, "d", 0700);
            const int nNext = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = nNext;
        }
        m_bottom = fd;
    }
    // Removes the chain a level at a time from the top: what is below moves up under the other of
    // two names, and the emptied top goes (two calls a level, no deep path).
    ~CFolderChain()
    {
        ::unlinkat(m_bottom, "bottom.tif", 0);
        ::close(m_bottom);
        const char* const tops[] = {"d", "e"};
        const char* const belows[] = {"d/d", "e/d"};
        int n = 0;
        for (; ::renameat(m_top, belows[n], m_top, tops[1 - n]) == 0; n = 1 - n)
            ::unlinkat(m_top, tops[n], AT_REMOVEDIR);
        ::unlinkat(m_top, tops[n], AT_REMOVEDIR);
        ::close(m_top);
    }
    int Bottom() const { return m_bottom; }

private:
    int m_top;
    int m_bottom;
};

// Walked with its own stack, at a cost per level that does not grow with the depth.
TEST(DirectoryWalkerDepth, AChainOfAHundredThousandFoldersIsWalkedToTheBottomInOrder)
{
    constexpr int kDepth = 100000;
    // Made and removed a level at a time, half a million calls: in memory where the system keeps a file
    // system there, so that a busy disk does not decide the test's time.
    const QString strBase = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir dir(strBase + QStringLiteral("/Pagewick-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    const QByteArray top = dir.path().toUtf8();
    for (const QString& strName : {QStringLiteral("a.tif"), QStringLiteral("z.tif")}) {
        QFile file(dir.filePath(strName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("II*") == 3);
    }
    const CFolderChain chain(top, kDepth);
    const int fd = ::openat(chain.Bottom(), "bottom.tif", O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(::write(fd, "MM\0*", 4), 4);
    ::close(fd);
    QByteArray bottom = top;
    for (int i = 0; i < kDepth; ++i)
        bottom += "/d";
    bottom += "/bottom.tif";
    for (const bool bFacts : {false, true}) {
        // The folders are counted, not kept: their paths alone would fill the memory.
        class CFacts : public CRecorder {
        public:
            void EnterDirectory(const QByteArray&) override { ++nDirs; }
            void FoundFile(const QByteArray& path, const SFileFacts* pFacts) override
            {
                CRecorder::FoundFile(path, pFacts);
                sizes.append(pFacts ? pFacts->nSize : -1);
            }
            QList<qint64> sizes;
            int nDirs = 0;
        } rec;
        SWalkOptions options;
        options.bSubFolders = true;
        options.bFileFacts = bFacts;
        QElapsedTimer clock;
        clock.start();
        ScanDirectory(top, options, rec);
        EXPECT_LT(clock.elapsed(), 60000);
        EXPECT_TRUE(rec.unreadable.isEmpty());
        ASSERT_EQ(rec.files, QList<QByteArray>({top + "/a.tif", bottom, top + "/z.tif"}));
        EXPECT_EQ(rec.nDirs, kDepth + 1);
        EXPECT_EQ(rec.sizes, bFacts ? QList<qint64>({3, 4, 3}) : QList<qint64>({-1, -1, -1}));
    }
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

}  // namespace
