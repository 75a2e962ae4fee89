#include "persist/core/CsvReport.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

FileRecord Rec(const QString& strPath, const char* pszSize, const char* pszPages)
{
    FileRecord rec;
    rec[COL_USE] = QStringLiteral("Yes");
    rec[COL_FILENAME] = strPath;
    rec[COL_FILESIZE] = QString::fromLatin1(pszSize);
    rec[COL_STATUS] = QStringLiteral("Done");
    rec[COL_PAGES] = QString::fromLatin1(pszPages);
    rec[COL_CREATED] = QStringLiteral("2010-01-02 03:04:05");
    rec[COL_MODIFIED] = QStringLiteral("2011-05-18 09:04:05");
    return rec;
}

TEST(CsvReport, OnlyFieldsThatNeedItAreQuoted)
{
    const struct {
        QString strIn;
        QByteArray out;
    } cases[] = {
        {QStringLiteral("C:/scans/a.tif"), "C:/scans/a.tif"},
        {QStringLiteral("a, b.tif"), "\"a, b.tif\""},
        {QStringLiteral("say \"hi\".tif"), "\"say \"\"hi\"\".tif\""},
        {QStringLiteral("line\nbreak"), "\"line\nbreak\""},
        {QStringLiteral("cr\rhere"), "\"cr\rhere\""},
        {QStringLiteral("it's fine; really"), "it's fine; really"},
        {QStringLiteral("Größe.tif"), "Gr\xc3\xb6\xc3\x9f" "e.tif"},
        {QString(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvField(c.strIn), c.out) << qPrintable(c.strIn);
}

TEST(CsvReport, LinesAreByteExact)
{
    EXPECT_EQ(CsvHeaderLine(), QByteArray("Filename,File Bytes,Created Time,Modified Time,Pages\r\n"));
    EXPECT_EQ(CsvRowLine(Rec(QStringLiteral("/scans/a.tif"), "1024", "12")),
              QByteArray("/scans/a.tif,1024,2010-01-02 03:04:05,2011-05-18 09:04:05,12\r\n"));
    EXPECT_EQ(CsvRowLine(Rec(QStringLiteral("/scans/never counted.tif"), "0", "")),
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
    writer.WriteRow(Rec(QStringLiteral("/a, b.tif"), "10", "12"));
    writer.WriteRow(Rec(QStringLiteral("/c.tif"), "20", ""));
    writer.WriteRow(Rec(QStringLiteral("/d.tif"), "30", "5x"));
    writer.WriteTotal();
    EXPECT_TRUE(writer.Ok());
    EXPECT_EQ(writer.Total(), 17);
    EXPECT_EQ(buffer.data(), QByteArray("Filename,File Bytes,Created Time,Modified Time,Pages\r\n"
                                        "\"/a, b.tif\",10,2010-01-02 03:04:05,2011-05-18 09:04:05,12\r\n"
                                        "/c.tif,20,2010-01-02 03:04:05,2011-05-18 09:04:05,\r\n"
                                        "/d.tif,30,2010-01-02 03:04:05,2011-05-18 09:04:05,5x\r\n"
                                        ",,,,17\r\n"));
}

TEST(CsvReport, WriterNoticesAFailedWrite)
{
    QBuffer closed;     // never opened: every write fails
    CCsvReportWriter writer(&closed);
    writer.WriteHeader();
    EXPECT_FALSE(writer.Ok());
}

}  // namespace
