#include "PersistTesting.h"
#include "common/core/FileName.h"
#include "support/UrlCatcher.h"

#include <QAbstractButton>

#include <cstdlib>
#include <ctime>

namespace {

const QString kCsvDialog = QStringLiteral("Export Files to CSV file");

SExpectedBox Question(const char* pszText, const char* pszCaption)
{
    return {QString::fromUtf8(pszCaption), QString::fromUtf8(pszText), QMessageBox::Yes | QMessageBox::No,
            QMessageBox::NoIcon};
}

const SExpectedBox kTotalQuestion = Question("Do you want to include page total count ?", "Export CSV Report");
const SExpectedBox kDone = OkBox(QStringLiteral("File Saved"), QStringLiteral("Done"));

class Reports : public CWindowTest {
protected:
    Reports()
    {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
};

struct SReportCase {
    const char* pszName;
    const char* pszAction;
    bool bHeader;
    bool bTotal;
    QByteArray bytes;
};

class ReportsAnswers : public Reports, public testing::WithParamInterface<SReportCase> {};

TEST_P(ReportsAnswers, GiveTheirBytes)
{
    // In use and counted; never counted; counted but not in use; more pages than 32 bits hold.
    dlg.GetModel()->AppendRows({ReportRow("/s/a.tif", true, 1024, 12), ReportRow("/s/b, \"c\".tif", true, 10, -1),
                                ReportRow("/s/d.tif", false, 30, 5), ReportRow("/s/Z\xc3\xbc.tif", true, 20, 5000000000LL)});
    const bool bCsv = qstrcmp(GetParam().pszAction, "actionCsvReport") == 0;
    const auto answer = [](bool bYes) { return bYes ? QMessageBox::Yes : QMessageBox::No; };
    CModalBoxes boxes;
    boxes.ExpectDialog(bCsv ? kCsvDialog : QStringLiteral("Export Files to TXT file"),
                       TypeName(dir.Path(QStringLiteral("report"))));   // the extension comes by itself
    boxes.Expect(Question("Do you want to include a description header ?", bCsv ? "CSV Report" : "Text Report"),
                 answer(GetParam().bHeader));
    boxes.Expect(kTotalQuestion, answer(GetParam().bTotal));
    boxes.Expect(kDone, QMessageBox::Ok);
    boxes.Expect(Question(bCsv ? "Do you want to open file now in excel ?" : "Do you want to open file now in notepad ?",
                          "Open File"),
                 QMessageBox::No);
    CUrlCatcher urls;
    Run(GetParam().pszAction, boxes);
    EXPECT_EQ(ReadAll(dir.Path(bCsv ? QStringLiteral("report.csv") : QStringLiteral("report.txt"))), GetParam().bytes);
    EXPECT_TRUE(urls.Urls().isEmpty());
}

const QByteArray kCsvRows = "/s/a.tif,1024,2010-01-02 03:04:05,2011-05-18 09:04:05,12\r\n"
                            "\"/s/b, \"\"c\"\".tif\",10,2010-01-02 03:04:05,2011-05-18 09:04:05,\r\n"
                            "/s/Z\xc3\xbc.tif,20,2010-01-02 03:04:05,2011-05-18 09:04:05,5000000000\r\n";
const QByteArray kTextRows = "12" + Blanks(8) + "/s/a.tif" + Blanks(52) + "\r\n" + Blanks(10) + "/s/b, \"c\".tif" +
                             Blanks(47) + "\r\n" + "5000000000/s/Z\xc3\xbc.tif" + Blanks(51) + "\r\n";
const QByteArray kTextTotal = "\r\n5000000012" + Blanks(60) + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReportsAnswers,
    testing::Values(
        SReportCase{"CsvHeaderAndTotal", "actionCsvReport", true, true,
                    "Filename,File Bytes,Created Time,Modified Time,Pages\r\n" + kCsvRows + ",,,,5000000012\r\n"},
        SReportCase{"CsvRowsOnly", "actionCsvReport", false, false, kCsvRows},
        SReportCase{"TextHeaderAndTotal", "actionTextReport", true, true,
                    "Pages" + Blanks(5) + "Filename" + Blanks(52) + "\r\n" + kTextRows + kTextTotal},
        SReportCase{"TextTotalOnly", "actionTextReport", false, true, kTextRows + kTextTotal}),
    [](const testing::TestParamInfo<SReportCase>& info) { return info.param.pszName; });

TEST_F(Reports, AnOlderReportStaysWholeUntilTheNewOneIsAndOpensOnYes)
{
    const QString strFile = dir.Write(QStringLiteral("old.csv"), "old report");
    QByteArray atQuestion;
    CModalBoxes boxes;
    boxes.ExpectDialog(kCsvDialog, TypeName(strFile));
    boxes.Expect({kCsvDialog, QStringLiteral("old.csv already exists.\nDo you want to replace it?"),
                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning},
                 QMessageBox::Yes);
    boxes.ExpectDialog(QStringLiteral("CSV Report"), [&](QWidget* pBox) {
        atQuestion = ReadAll(strFile);
        static_cast<QMessageBox*>(pBox)->button(QMessageBox::Yes)->click();
    });
    boxes.Expect(kTotalQuestion, QMessageBox::Yes);
    boxes.Expect(kDone, QMessageBox::Ok);
    boxes.Expect(Question("Do you want to open file now in excel ?", "Open File"), QMessageBox::Yes);
    CUrlCatcher urls;
    Run("actionCsvReport", boxes);
    EXPECT_EQ(atQuestion, "old report");
    // An empty list still gives the header and the total.
    EXPECT_EQ(ReadAll(strFile), "Filename,File Bytes,Created Time,Modified Time,Pages\r\n,,,,0\r\n");
    EXPECT_EQ(urls.Urls(), QList<QUrl>({FileUrl(strFile.toUtf8())}));
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList({"old.csv"}));
}

TEST_F(Reports, AFileThatCannotBeWrittenSaysWhyAndNeverDone)
{
    const QString strNowhere = dir.Write(QStringLiteral("file"), "x") + QStringLiteral("/report.csv");
    CModalBoxes boxes;
    boxes.ExpectDialog(kCsvDialog, TypeName(strNowhere));
    boxes.Expect(FailureBox(QStringLiteral("File Report Error"), "Can't write to " + strNowhere), QMessageBox::Ok);
    Run("actionCsvReport", boxes);     // and no question after it
    // The disk fills up while the rows are written: the older report of that name stays whole.
    dlg.GetModel()->AppendRows(QVector<FileRecord>(20000, ReportRow("/scans/a-page-of-a-long-list.tif", true, 100, 1)));
    const QString strFull = dir.Write(QStringLiteral("full.txt"), "old report");
    const CFileSizeLimit limit(64 * 1024);
    const QString strTextDialog = QStringLiteral("Export Files to TXT file");
    boxes.ExpectDialog(strTextDialog, TypeName(strFull));
    boxes.Expect({strTextDialog, QStringLiteral("full.txt already exists.\nDo you want to replace it?"),
                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning},
                 QMessageBox::Yes);
    boxes.Expect(Question("Do you want to include a description header ?", "Text Report"), QMessageBox::Yes);
    boxes.Expect(kTotalQuestion, QMessageBox::Yes);
    boxes.Expect(FailureBox(QStringLiteral("File Report Error"), "Can't write to " + strFull), QMessageBox::Ok);
    Run("actionTextReport", boxes);
    EXPECT_EQ(boxes.Seen().size(), 7);
    EXPECT_EQ(Informatives(boxes), QStringList({"Not a directory", "", "", "", "File too large"}));
    EXPECT_EQ(ReadAll(strFull), "old report");
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList({"file", "full.txt"}));     // no temporary file
}

}  // namespace
