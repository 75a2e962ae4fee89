#include "persist/core/CsvReport.h"

#include <QBuffer>
#include <QDateTime>

#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

namespace {

FileRecord Rec(const QByteArray& path, qint64 nSize, qint64 nPages)
{
    FileRecord rec;
    rec.path = path;
    rec.nSize = nSize;
    rec.eStatus = EFileStatus::Done;
    rec.nPages = nPages;
    rec.nCreated = QDateTime(QDate(2010, 1, 2), QTime(3, 4, 5)).toSecsSinceEpoch();
    rec.nModified = QDateTime(QDate(2011, 5, 18), QTime(9, 4, 5)).toSecsSinceEpoch();
    return rec;
}

TEST(CsvReport, OnlyFieldsThatNeedItAreQuoted)
{
    const struct {
        QByteArray in;
        QByteArray out;
    } cases[] = {
        {"C:/scans/a.tif", "C:/scans/a.tif"},
        {"a, b.tif", "\"a, b.tif\""},
        {"say \"hi\".tif", "\"say \"\"hi\"\".tif\""},
        {"line\nbreak", "\"line\nbreak\""},
        {"cr\rhere", "\"cr\rhere\""},
        {"it's fine; really", "it's fine; really"},
        {"Gr\xc3\xb6\xc3\x9f" "e.tif", "Gr\xc3\xb6\xc3\x9f" "e.tif"},
        {"caf\xe9, \xff.tif", "\"caf\xe9, \xff.tif\""},      // a path's own bytes, quoted or not
        {QByteArray(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvField(c.in), c.out) << c.in.constData();
}

TEST(CsvReport, LinesAreByteExact)
{
    EXPECT_EQ(CsvHeaderLine(), QByteArray("Filename,File Bytes,Created Time,Modified Time,Pages\r\n"));
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(CsvRowLine(Rec("/scans/a.tif", 1024, 12)),
              QByteArray("/scans/a.tif,1024,2010-01-02 03:04:05,2011-05-18 09:04:05,12\r\n"));
    EXPECT_EQ(CsvRowLine(Rec("/scans/never counted.tif", 0, -1)),
              QByteArray("/scans/never counted.tif,0,2010-01-02 03:04:05,2011-05-18 09:04:05,\r\n"));
    EXPECT_EQ(CsvTotalLine(0), QByteArray(",,,,0\r\n"));
    EXPECT_EQ(CsvTotalLine(4294967296LL), QByteArray(",,,,4294967296\r\n"));
}

TEST(CsvReport, WriterSumsThePagesOfTheRowsItWrites)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CCsvReportWriter writer(&buffer);
    writer.WriteHeader();
    writer.WriteRow(Rec("/a, b.tif", 10, 12));
    writer.WriteRow(Rec("/c.tif", 20, -1));
    writer.WriteRow(Rec("/d.tif", 30, 5));
    writer.WriteTotal();
    writer.Flush();
    EXPECT_TRUE(writer.Ok());
    EXPECT_EQ(writer.Total(), 17);
    EXPECT_EQ(buffer.data(), QByteArray("Filename,File Bytes,Created Time,Modified Time,Pages\r\n"
                                        "\"/a, b.tif\",10,2010-01-02 03:04:05,2011-05-18 09:04:05,12\r\n"
                                        "/c.tif,20,2010-01-02 03:04:05,2011-05-18 09:04:05,\r\n"
                                        "/d.tif,30,2010-01-02 03:04:05,2011-05-18 09:04:05,5\r\n"
                                        ",,,,17\r\n"));
}

TEST(CsvReport, WriterNoticesAFailedWrite)
{
    QBuffer closed;     // never opened: every write fails
    CCsvReportWriter writer(&closed);
    writer.WriteHeader();
    EXPECT_FALSE(writer.Flush());
    EXPECT_FALSE(writer.Ok());
}

}  // namespace
