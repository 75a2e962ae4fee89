#include "persist/core/TextReport.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

QByteArray Blanks(int n)
{
    return QByteArray(n, ' ');
}

TEST(TextReport, HeaderAndTotalLinesAreByteExact)
{
    EXPECT_EQ(TextHeaderLine(), "Pages" + Blanks(5) + "Filename" + Blanks(52) + "\r\n");
    EXPECT_EQ(TextHeaderLine().size(), 72);
    EXPECT_EQ(TextTotalLines(0), "\r\n0" + Blanks(60) + "\r\n");
    EXPECT_EQ(TextTotalLines(4294967296LL), "\r\n4294967296" + Blanks(60) + "\r\n");
}

TEST(TextReport, ColumnsArePaddedToTheirWidthInCharacters)
{
    const struct {
        QByteArray pages;
        QByteArray path;
        QByteArray line;
    } cases[] = {
        {"12", "/s/a.tif", "12" + Blanks(8) + "/s/a.tif" + Blanks(52) + "\r\n"},
        {"", "/s/a.tif", Blanks(10) + "/s/a.tif" + Blanks(52) + "\r\n"},                   // never counted
        {"1234567890", "/s/a.tif", "1234567890/s/a.tif" + Blanks(52) + "\r\n"},              // runs into the name
        {"7", "/" + QByteArray(59, 'n'), "7" + Blanks(9) + "/" + QByteArray(59, 'n') + "\r\n"},
        {"7", "/" + QByteArray(70, 'n'), "7" + Blanks(9) + "/" + QByteArray(70, 'n') + "\r\n"},  // written whole
        // Two bytes, one character each: the name keeps the column as an ASCII one would.
        {"3", "/Z\xc3\xbcrich.tif", "3" + Blanks(9) + "/Z\xc3\xbcrich.tif" + Blanks(49) + "\r\n"},
        {"3", "/caf\xe9.tif", "3" + Blanks(9) + "/caf\xe9.tif" + Blanks(51) + "\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextReportLine(c.pages, c.path), c.line) << c.path.constData();
}

TEST(TextReport, WriterWritesTheLinesOfTheRowsAndTheirTotal)
{
    FileRecord counted = MakeFileRecord("/s/a.tif", true, nullptr);
    counted.nPages = 12;
    const FileRecord uncounted = MakeFileRecord("/s/b.tif", true, nullptr);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        CTextReportWriter writer(&buffer);
        writer.WriteHeader();
        writer.WriteRow(counted);
        writer.WriteRow(uncounted);
        writer.WriteTotal();
        EXPECT_TRUE(writer.Flush());
    }
    EXPECT_EQ(buffer.data(), TextHeaderLine() + TextReportLine("12", "/s/a.tif") + TextReportLine("", "/s/b.tif") +
                                 "\r\n12" + Blanks(60) + "\r\n");
}

}  // namespace
