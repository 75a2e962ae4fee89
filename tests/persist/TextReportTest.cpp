#include "persist/core/TextReport.h"

#include "PersistTesting.h"

namespace {

TEST(TextReport, ColumnsArePaddedToTheirWidthInCharacters)
{
    const struct {
        QByteArray pages;
        QByteArray path;
        QByteArray line;
    } cases[] = {
        {"12", "/s/a.tif", "12" + Blanks(8) + "/s/a.tif" + Blanks(52) + "\r\n"},
        {"", "/s/a.tif", Blanks(10) + "/s/a.tif" + Blanks(52) + "\r\n"},                     // never counted
        {"1234567890", "/s/a.tif", "1234567890/s/a.tif" + Blanks(52) + "\r\n"},                // runs into the name
        {"7", "/" + QByteArray(59, 'n'), "7" + Blanks(9) + "/" + QByteArray(59, 'n') + "\r\n"},
        {"7", "/" + QByteArray(70, 'n'), "7" + Blanks(9) + "/" + QByteArray(70, 'n') + "\r\n"},  // written whole
        // One character of two bytes, one byte that is not UTF-8: each counts one.
        {"3", "/Z\xc3\xbcrich.tif", "3" + Blanks(9) + "/Z\xc3\xbcrich.tif" + Blanks(49) + "\r\n"},
        {"3", "/caf\xe9.tif", "3" + Blanks(9) + "/caf\xe9.tif" + Blanks(51) + "\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextReportLine(c.pages, c.path), c.line) << c.path.constData();
}

}  // namespace
