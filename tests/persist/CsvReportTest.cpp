#include "persist/core/CsvReport.h"

#include "PersistTesting.h"

#include <QBuffer>

#include <cstdlib>
#include <ctime>

namespace {

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

// Every line byte for byte: a field quoted where it must be, pages empty where never counted.
TEST(CsvReport, WriterSumsThePagesOfTheRowsItWrites)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CCsvReportWriter writer(&buffer);
    writer.WriteHeader();
    writer.WriteRow(ReportRow("/a, b.tif", true, 10, 12));
    writer.WriteRow(ReportRow("/c.tif", true, 20, -1));
    writer.WriteRow(ReportRow("/d.tif", true, 30, 5));
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
