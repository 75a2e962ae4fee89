#include "filelist/core/FileRecord.h"
#include "support/TempDir.h"

#include <QDateTime>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QString LocalText(const QDateTime& t)
{
    return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString Text(const FileRecord& rec, int nColumn)
{
    return FileRecordText(rec, nColumn);
}

// A file's row: the path as given, the true size (64 bits), "Ready.", no pages, the file's times.
TEST(FileRecord, AFileGetsItsPathSizeReadyAndBothTimes)
{
    CTempDir dir;
    const struct {
        const char* pszName;
        qint64 nSize;
        const char* pszSize;
    } cases[] = {
        {"scan 1, page.tif", 1234, "1234"},
        {"empty.tif", 0, "0"},
        {"Größe \"quoted\", 'x' ü.tif", 2, "2"},
        {"big.tif", (qint64(5) << 30) + 7, "5368709127"},     // sparse: costs nothing
    };
    for (const auto& c : cases) {
        const QString strPath = dir.WriteSized(QString::fromUtf8(c.pszName), c.nSize);
        ASSERT_TRUE(CTempDir::SetTimes(strPath, QDateTime(QDate(2011, 5, 18), QTime(9, 4, 5))));
        const FileRecord rec = MakeFileRecord(strPath.toUtf8(), true);
        EXPECT_EQ(Text(rec, COL_USE), QStringLiteral("Yes"));
        EXPECT_EQ(Text(rec, COL_FILENAME), strPath);
        EXPECT_EQ(Text(rec, COL_FILESIZE), QLatin1String(c.pszSize));
        EXPECT_EQ(Text(rec, COL_STATUS), QStringLiteral("Ready."));
        EXPECT_EQ(Text(rec, COL_PAGES), QString());
        EXPECT_EQ(Text(rec, COL_MODIFIED), QStringLiteral("2011-05-18 09:04:05"));
        // Created is the birth time where the file system keeps one, else the last-write time.
        const QDateTime birth = QFileInfo(strPath).birthTime();
        EXPECT_EQ(Text(rec, COL_CREATED), birth.isValid() ? LocalText(birth) : Text(rec, COL_MODIFIED));
    }
}

TEST(FileRecord, ColumnTextsFollowTheTypedRow)
{
    FileRecord rec;
    rec.path = QByteArray("/scans/caf\xe9.tif");
    rec.nSize = 4096;
    rec.nPages = 12;
    rec.bInUse = false;
    const struct {
        EFileStatus eStatus;
        const char* pszText;
    } statuses[] = {{EFileStatus::Ready, "Ready."},       {EFileStatus::None, ""},
                    {EFileStatus::Processing, "Processing"}, {EFileStatus::Done, "Done"},
                    {EFileStatus::Invalid, "Invalid"},     {EFileStatus::ReadError, "Read Error"}};
    for (const auto& st : statuses) {
        rec.eStatus = st.eStatus;
        EXPECT_EQ(FileRecordBytes(rec, COL_STATUS), QByteArray(st.pszText));
    }
    EXPECT_EQ(FileRecordBytes(rec, COL_USE), QByteArray("No"));
    EXPECT_EQ(FileRecordBytes(rec, COL_PAGES), QByteArray("12"));
    // The path's bytes are kept; its text shows the foreign byte as the letter it most likely is.
    EXPECT_EQ(FileRecordBytes(rec, COL_FILENAME), QByteArray("/scans/caf\xe9.tif"));
    EXPECT_EQ(FileRecordText(rec, COL_FILENAME), QStringLiteral("/scans/café.tif"));
    rec.nPages = -1;
    EXPECT_EQ(FileRecordBytes(rec, COL_PAGES), QByteArray());
    rec.nPages = 0;
    EXPECT_EQ(FileRecordBytes(rec, COL_PAGES), QByteArray("0"));
}

TEST(FileRecord, UnopenablePathsGetZeroAndNoTimes)
{
    CTempDir dir;
    const QString strFifo = dir.Path(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);
    const QString strSocket = dir.Path(QStringLiteral("sock"));
    const int fdSocket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, QFile::encodeName(strSocket).constData(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(fdSocket, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const QString strLocked = dir.Write(QStringLiteral("locked.tif"), "II*\0");
    ::chmod(QFile::encodeName(strLocked).constData(), 0);
    const bool bRoot = ::geteuid() == 0;     // root opens any file

    const struct {
        QString strPath;
        bool bUnopenable;
    } cases[] = {
        {dir.Path(QStringLiteral("missing.tif")), true},
        {dir.Path(QString()), true},            // the directory itself
        {QStringLiteral("/dev/null"), true},    // a device
        {strFifo, true},                        // never blocks on a FIFO without a writer
        {strSocket, true},
        {strLocked, !bRoot},
        {QString(), true},
        {dir.Path(QStringLiteral("locked.tif")) + QChar(0) + QStringLiteral("x"), true},  // would name another file
    };
    for (const auto& c : cases) {
        const FileRecord rec = MakeFileRecord(c.strPath.toUtf8(), false);
        EXPECT_EQ(Text(rec, COL_USE), QStringLiteral("No"));
        EXPECT_EQ(Text(rec, COL_FILENAME), c.strPath);
        EXPECT_EQ(Text(rec, COL_STATUS), QStringLiteral("Ready.")) << qPrintable(c.strPath);
        if (c.bUnopenable) {
            EXPECT_EQ(Text(rec, COL_FILESIZE), QStringLiteral("0")) << qPrintable(c.strPath);
            EXPECT_EQ(Text(rec, COL_CREATED), QString()) << qPrintable(c.strPath);
            EXPECT_EQ(Text(rec, COL_MODIFIED), QString()) << qPrintable(c.strPath);
        }
    }
    ::close(fdSocket);
}

TEST(FileRecord, DateTextIsFixedWidthLocalTime)
{
    // Times are shown in the machine's zone; fix it for this test.
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const struct {
        qint64 nSecs;
        const char* pszText;
    } cases[] = {
        {1305709445, "2011-05-18 09:04:05"},
        {0, "1970-01-01 00:00:00"},
        {-86400 * 365, "1969-01-01 00:00:00"},     // before 1970
        {-2208988800LL, "1900-01-01 00:00:00"},
        {253402300799LL, "9999-12-31 23:59:59"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.nSecs), QString::fromLatin1(c.pszText)) << c.nSecs;
    // A time the calendar cannot hold gives no text instead of stopping the program.
    EXPECT_EQ(FormatDateTime(std::numeric_limits<qint64>::max()), QString());

    // The same instant in another zone shows another text.
    ::setenv("TZ", "Asia/Tokyo", 1);
    ::tzset();
    EXPECT_EQ(FormatDateTime(1305709445), QStringLiteral("2011-05-18 18:04:05"));
    ::unsetenv("TZ");
    ::tzset();
}

TEST(FileRecord, KeepsItsPageProfileAndNotesApartFromEachOther)
{
    const SPageClass a4{EPaper::A4, EColour::Bilevel, 300};
    const SPageClass a3{EPaper::A3, EColour::Colour, 200};
    CPageSummary one;
    one.Add(a4, 7);
    CPageSummary mixed = one;
    mixed.Add(a3, 2);
    // A summary of one class that does not cover every page counted is kept as it is.
    CPageSummary part;
    part.Add(a3, 3);
    const QString strNote = QStringLiteral("Counted 7 pages; the file is damaged after page 7.");
    for (const CPageSummary& summary : {one, mixed, part, CPageSummary()}) {
        FileRecord rec;
        rec.nPages = summary == mixed ? 9 : 7;
        rec.SetPageSummary(summary);
        EXPECT_EQ(rec.PageSummary(), summary) << qPrintable(PageSummaryWords(summary));
        EXPECT_EQ(rec.PagesNote(), QString());
        rec.SetPagesNote(strNote);
        rec.SetStatusNote(QStringLiteral("Permission denied"));
        FileRecord copy = rec;
        copy.SetPagesNote(QString());
        copy.SetStatusNote(QString());
        copy.SetPageSummary(CPageSummary());
        // The copy changed alone.
        EXPECT_EQ(rec.PagesNote(), strNote);
        EXPECT_EQ(rec.StatusNote(), QStringLiteral("Permission denied"));
        EXPECT_EQ(rec.PageSummary(), summary);
        EXPECT_TRUE(copy.PageSummary().IsEmpty());
        EXPECT_FALSE(copy == rec);
        copy.SetPagesNote(strNote);
        copy.SetStatusNote(QStringLiteral("Permission denied"));
        EXPECT_EQ(copy == rec, summary.IsEmpty());
    }
}

}  // namespace
