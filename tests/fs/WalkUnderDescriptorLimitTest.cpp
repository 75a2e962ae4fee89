// The walk under a tight descriptor limit, as its two users meet it: pagewick-count's listing and a
// worker's answer to the window's scan. Every file is listed, in the walk's order, and no folder is
// taken for unreadable because the process had too many files open.
#include "common/core/FileWork.h"
#include "fs/FileFacts.h"
#include "fs/FileRequests.h"
#include "support/TempDir.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kDescriptors = 64;

// What a walk request answers, as the window reads it.
class CWalkTally : public IReplySink {
public:
    void Part(const QByteArray& bytes) override
    {
        QVector<SWalkEvent> events;
        bUnreadablePart = !ReadWalkPart(bytes, &events) || bUnreadablePart;
        for (const SWalkEvent& event : events) {
            if (event.eKind == SWalkEvent::EKind::File || event.eKind == SWalkEvent::EKind::UnreadableFile)
                files.append(event.path);
            nUnreadableFolders += event.eKind == SWalkEvent::EKind::UnreadableDirectory ? 1 : 0;
        }
    }
    bool Cancelled() const override { return false; }

    QList<QByteArray> files;
    int nUnreadableFolders = 0;
    bool bUnreadablePart = false;
};

// 400 folders of 15 files each (16 at the top, 24 below each of them) and 200 files beside them at
// the top: 6,200 files, far more folders than 64 descriptors can hold open.
class WalkUnderDescriptorLimit : public testing::Test {
protected:
    WalkUnderDescriptorLimit()
    {
        // Made in the walk's order: a folder's files ("f") before its sub-folders ("s").
        for (int t = 0; t < 16; ++t) {
            const QString strTop = QStringLiteral("d%1/").arg(t, 2, 10, QLatin1Char('0'));
            AddFolder(strTop);
            for (int s = 0; s < 24; ++s)
                AddFolder(strTop + QStringLiteral("s%1/").arg(s, 2, 10, QLatin1Char('0')));
        }
        for (int f = 0; f < 200; ++f)
            Add(QStringLiteral("f%1.tif").arg(f, 3, 10, QLatin1Char('0')));
    }
    void AddFolder(const QString& strFolder)
    {
        for (int f = 0; f < 15; ++f)
            Add(strFolder + QStringLiteral("f%1.tif").arg(f, 2, 10, QLatin1Char('0')));
    }
    void Add(const QString& strName) { expected.append(dir.Write(strName, "x").toUtf8()); }

    CTempDir dir;
    QList<QByteArray> expected;
};

TEST_F(WalkUnderDescriptorLimit, PagewickCountListsEveryFileInOrder)
{
    const auto run = [this](bool bLimited) {
        QProcess process;
        const QString strLimit = bLimited ? QStringLiteral("ulimit -n %1 && ").arg(kDescriptors) : QString();
        process.start(QStringLiteral("sh"), {QStringLiteral("-c"), strLimit + QStringLiteral("exec \"$0\" \"$@\""),
                                             QStringLiteral(PAGEWICK_COUNT_EXE), QStringLiteral("-r"), dir.Path()});
        EXPECT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitCode(), 0);
        const QByteArray err = process.readAllStandardError();
        EXPECT_FALSE(err.contains("Too many open files")) << err.constData();
        return process.readAllStandardOutput();
    };
    const QByteArray limited = run(true);
    QList<QByteArray> listed;
    for (const QByteArray& row : limited.split('\n')) {
        if (!row.isEmpty())
            listed.append(row.left(row.indexOf(',')));
    }
    EXPECT_EQ(listed.size(), expected.size());
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(limited, run(false));
}

// The window's scan: a worker process walks. Here the child of a fork lowers its own limit, after the
// file layer has seen the higher one, answers the request and tells what it listed.
TEST_F(WalkUnderDescriptorLimit, AWorkersWalkRequestListsEveryFileInOrder)
{
    ASSERT_GT(DescriptorLimit(), kDescriptors);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(pipeFds[0]);
        // A thread of the test's process may have held the file layer's locks at the fork.
        ForgetFileSystemStateAfterFork();
        const rlimit limit{kDescriptors, kDescriptors};
        QByteArray told = "no lower limit";
        if (::setrlimit(RLIMIT_NOFILE, &limit) == 0) {
            CWalkTally tally;
            QByteArray answer;
            AnswerFsRequest(WalkRequest(dir.Bytes(), true), tally, &answer);
            told = QByteArray::number(tally.files.size()) + (tally.files == expected ? " in order, " : " out of order, ") +
                   QByteArray::number(tally.nUnreadableFolders) + " unreadable folders, answer " + answer +
                   (tally.bUnreadablePart ? ", a part unreadable" : "");
        }
        const bool bWritten = ::write(pipeFds[1], told.constData(), size_t(told.size())) == told.size();
        ::_exit(bWritten ? 0 : 1);
    }
    ::close(pipeFds[1]);
    QByteArray told;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        told.append(buffer, n);
    ::close(pipeFds[0]);
    int nStatus = 0;
    ASSERT_EQ(::waitpid(pid, &nStatus, 0), pid);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << nStatus;
    EXPECT_EQ(told, "6200 in order, 0 unreadable folders, answer E");
}

}  // namespace
