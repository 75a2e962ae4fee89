#include "FileSizeLimit.h"
#include "app/ui/CPageCountDlg.h"
#include "common/core/FileName.h"
#include "filelist/core/CFileListModel.h"
#include "res/resource.h"
#include "support/ModalBox.h"
#include "support/TempDir.h"
#include "support/UrlCatcher.h"
#include "support/Waiting.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QDialog>
#include <QLineEdit>
#include <QMenuBar>

#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

namespace {

const QString kCsvDialog = QStringLiteral("Export Files to CSV file");
const QString kTextDialog = QStringLiteral("Export Files to TXT file");

std::function<void(QWidget*)> TypeName(const QString& strName)
{
    return [strName](QWidget* pDialog) {
        pDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(strName);
        static_cast<QDialog*>(pDialog)->accept();
    };
}

SExpectedBox Question(const char* pszText, const char* pszCaption)
{
    return {QString::fromUtf8(pszCaption), QString::fromUtf8(pszText), QMessageBox::Yes | QMessageBox::No,
            QMessageBox::NoIcon};
}

const SExpectedBox kDone{QStringLiteral("File Saved"), QStringLiteral("Done"), QMessageBox::Ok, QMessageBox::NoIcon};

QByteArray Blanks(int n)
{
    return QByteArray(n, ' ');
}

QByteArray ReadAll(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

FileRecord Row(const QByteArray& path, bool bInUse, qint64 nSize, qint64 nPages)
{
    FileRecord rec = MakeFileRecord(path, bInUse, nullptr);
    rec.nSize = nSize;
    rec.nPages = nPages;
    rec.eStatus = nPages >= 0 ? EFileStatus::Done : EFileStatus::Ready;
    rec.nCreated = QDateTime(QDate(2010, 1, 2), QTime(3, 4, 5), Qt::UTC).toSecsSinceEpoch();
    rec.nModified = QDateTime(QDate(2011, 5, 18), QTime(9, 4, 5), Qt::UTC).toSecsSinceEpoch();
    return rec;
}

class Reports : public testing::Test {
protected:
    Reports() : dlg(nullptr, false)
    {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        dlg.show();
    }
    void FillList()
    {
        // In use and counted; in use and never counted; counted but not in use; more pages than 32 bits hold.
        dlg.GetModel()->AppendRows({Row("/s/a.tif", true, 1024, 12), Row("/s/b, \"c\".tif", true, 10, -1),
                                    Row("/s/d.tif", false, 30, 5), Row("/s/Z\xc3\xbc.tif", true, 20, 3000000000LL)});
    }
    void Run(int nId, CModalBoxes& boxes)
    {
        dlg.GetMenuBar()->findChild<QAction*>(QString::number(nId))->trigger();
        EXPECT_TRUE(boxes.WaitAllAnswered());
    }

    CTempDir dir;
    CPageCountDlg dlg;
};

struct SReportCase {
    const char* pszName;
    int nCommand;
    bool bHeader;
    bool bTotal;
    QByteArray bytes;
};

class ReportsAnswers : public Reports, public testing::WithParamInterface<SReportCase> {};

TEST_P(ReportsAnswers, GiveTheirBytes)
{
    FillList();
    const bool bCsv = GetParam().nCommand == ID_REPORTS_CSV;
    const QString strPath = dir.Path(QStringLiteral("report"));     // the extension comes by itself
    const QString strFile = strPath + (bCsv ? QStringLiteral(".csv") : QStringLiteral(".txt"));
    const auto answer = [](bool bYes) { return bYes ? QMessageBox::Yes : QMessageBox::No; };
    CModalBoxes boxes;
    boxes.ExpectDialog(bCsv ? kCsvDialog : kTextDialog, TypeName(strPath));
    boxes.Expect(Question("Do you want to include a description header ?", bCsv ? "CSV Report" : "Text Report"),
                 answer(GetParam().bHeader));
    boxes.Expect(Question("Do you want to include page total count ?", "Export CSV Report"), answer(GetParam().bTotal));
    boxes.Expect(kDone, QMessageBox::Ok);
    boxes.Expect(Question(bCsv ? "Do you want to open file now in excel ?" : "Do you want to open file now in notepad ?",
                          "Open File"),
                 QMessageBox::No);
    CUrlCatcher urls;
    Run(GetParam().nCommand, boxes);
    EXPECT_EQ(ReadAll(strFile), GetParam().bytes);
    EXPECT_TRUE(urls.Urls().isEmpty());
}

const QByteArray kCsvRows = "/s/a.tif,1024,2010-01-02 03:04:05,2011-05-18 09:04:05,12\r\n"
                            "\"/s/b, \"\"c\"\".tif\",10,2010-01-02 03:04:05,2011-05-18 09:04:05,\r\n"
                            "/s/Z\xc3\xbc.tif,20,2010-01-02 03:04:05,2011-05-18 09:04:05,3000000000\r\n";
const QByteArray kTextRows = "12" + Blanks(8) + "/s/a.tif" + Blanks(52) + "\r\n" +
                             Blanks(10) + "/s/b, \"c\".tif" + Blanks(47) + "\r\n" +
                             "3000000000/s/Z\xc3\xbc.tif" + Blanks(51) + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReportsAnswers,
    testing::Values(
        SReportCase{"CsvHeaderAndTotal", ID_REPORTS_CSV, true, true,
                    "Filename,File Bytes,Created Time,Modified Time,Pages\r\n" + kCsvRows + ",,,,3000000012\r\n"},
        SReportCase{"CsvRowsOnly", ID_REPORTS_CSV, false, false, kCsvRows},
        SReportCase{"TextHeaderAndTotal", ID_REPORTS_TEXT, true, true,
                    "Pages" + Blanks(5) + "Filename" + Blanks(52) + "\r\n" + kTextRows + "\r\n3000000012" +
                        Blanks(60) + "\r\n"},
        SReportCase{"TextTotalOnly", ID_REPORTS_TEXT, false, true, kTextRows + "\r\n3000000012" + Blanks(60) + "\r\n"}),
    [](const testing::TestParamInfo<SReportCase>& info) { return info.param.pszName; });

TEST_F(Reports, AnExistingFileIsEmptiedBeforeTheQuestionsAndOpensOnYes)
{
    const QString strFile = dir.Write(QStringLiteral("old.txt"), "old report");
    qint64 nSizeAtQuestion = -1;
    CModalBoxes boxes;
    boxes.ExpectDialog(kTextDialog, TypeName(strFile));
    boxes.Expect({kTextDialog, QStringLiteral("old.txt already exists.\nDo you want to replace it?"),
                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning},
                 QMessageBox::Yes);
    boxes.ExpectDialog(QStringLiteral("Text Report"), [&](QWidget* pBox) {
        nSizeAtQuestion = QFileInfo(strFile).size();
        static_cast<QMessageBox*>(pBox)->button(QMessageBox::Yes)->click();
    });
    boxes.Expect(Question("Do you want to include page total count ?", "Export CSV Report"), QMessageBox::Yes);
    boxes.Expect(kDone, QMessageBox::Ok);
    boxes.Expect(Question("Do you want to open file now in notepad ?", "Open File"), QMessageBox::Yes);
    CUrlCatcher urls;
    Run(ID_REPORTS_TEXT, boxes);
    EXPECT_EQ(nSizeAtQuestion, 0);
    // An empty list still gives the header and the total.
    EXPECT_EQ(ReadAll(strFile), "Pages" + Blanks(5) + "Filename" + Blanks(52) + "\r\n\r\n0" + Blanks(60) + "\r\n");
    EXPECT_EQ(urls.Urls(), QList<QUrl>({FileUrl(strFile.toUtf8())}));
}

TEST_F(Reports, AFileThatCannotBeWrittenSaysSoAndNeverDone)
{
    const QString strNowhere = dir.Write(QStringLiteral("file"), "x") + QStringLiteral("/report.csv");
    const SExpectedBox cantWrite{QStringLiteral("File Report Error"), QStringLiteral("Can't write to ") + strNowhere,
                                 QMessageBox::Ok, QMessageBox::NoIcon};
    CModalBoxes boxes;
    boxes.ExpectDialog(kCsvDialog, TypeName(strNowhere));
    boxes.Expect(cantWrite, QMessageBox::Ok);   // no question after it
    Run(ID_REPORTS_CSV, boxes);
    EXPECT_EQ(boxes.Seen().size(), 2);

    // The disk fills up while the rows are written.
    QVector<FileRecord> rows;
    for (int i = 0; i < 20000; ++i)
        rows.append(Row("/scans/page" + QByteArray::number(i) + ".tif", true, 100, 1));
    dlg.GetModel()->AppendRows(rows);
    const QString strFull = dir.Path(QStringLiteral("full.csv"));
    const CFileSizeLimit limit(64 * 1024);
    boxes.ExpectDialog(kCsvDialog, TypeName(strFull));
    boxes.Expect(Question("Do you want to include a description header ?", "CSV Report"), QMessageBox::Yes);
    boxes.Expect(Question("Do you want to include page total count ?", "Export CSV Report"), QMessageBox::Yes);
    boxes.Expect({QStringLiteral("File Report Error"), QStringLiteral("Can't write to ") + strFull, QMessageBox::Ok,
                  QMessageBox::NoIcon},
                 QMessageBox::Ok);
    Run(ID_REPORTS_CSV, boxes);
    EXPECT_EQ(boxes.Seen().size(), 6);
}

}  // namespace
