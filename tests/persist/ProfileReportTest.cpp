#include "PersistTesting.h"
#include "persist/core/ProfileReport.h"
#include "persist/ui/CPageProfileDlg.h"
#include "support/UrlCatcher.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <tiff.h>

namespace {

const SPageClass kA4Bilevel300{EPaper::A4, EColour::Bilevel, 300};
const SPageClass kA3Colour200{EPaper::A3, EColour::Colour, 200};
const SPageClass kLetterGrey300{EPaper::Letter, EColour::Greyscale, 300};
const SPageClass kUnknown{};
const SPageClass kFaxReduced{EPaper::Reduced, EColour::Bilevel, 204, 98};

CPageSummary Summary(std::initializer_list<std::pair<SPageClass, qint64>> classes)
{
    CPageSummary summary;
    for (const auto& [cls, nPages] : classes)
        summary.Add(cls, nPages);
    return summary;
}

// A small list: mixed pages; a name to quote; a row not in use; one never counted; one that is
// neither sized nor coloured.
struct SRow {
    QByteArray path;
    bool bInUse;
    CPageSummary summary;   // empty: never counted
};
const SRow kRows[] = {
    {"/s/a.tif", true, Summary({{kA4Bilevel300, 10}, {kA3Colour200, 2}})},
    {"/s/b, \"c\".tif", true, Summary({{kA4Bilevel300, 3}})},
    {"/s/d.tif", false, Summary({{kLetterGrey300, 5}})},
    {"/s/never.tif", true, CPageSummary()},
    {"/t/Z\xc3\xbc.tif", true, Summary({{kUnknown, 1}, {kFaxReduced, 2}})},
};

const QByteArray kReport = "Filename,Paper,Colour,DPI,Pages\r\n"
                           "/s/a.tif,A3,Colour,200,2\r\n"
                           "/s/a.tif,A4,Bilevel,300,10\r\n"
                           "\"/s/b, \"\"c\"\".tif\",A4,Bilevel,300,3\r\n"
                           "/t/Z\xc3\xbc.tif,Unknown,Unknown,,1\r\n"
                           "/t/Z\xc3\xbc.tif,Reduced,Bilevel,204x98,2\r\n"
                           "Total,A3,Colour,200,2\r\n"
                           "Total,A4,Bilevel,300,13\r\n"
                           "Total,Unknown,Unknown,,1\r\n"
                           "Total,Reduced,Bilevel,204x98,2\r\n";

// Every colour has its column, whether it has pages or not.
const QString kTablesText = QStringLiteral("Paper\tBilevel\tGreyscale\tColour\tUnknown\tTotal\n"
                                           "A3\t0\t0\t2\t0\t2\n"
                                           "A4\t13\t0\t0\t0\t13\n"
                                           "Unknown\t0\t0\t0\t1\t1\n"
                                           "Reduced\t2\t0\t0\t0\t2\n"
                                           "Total\t15\t0\t2\t1\t18\n"
                                           "\n"
                                           "DPI\tBilevel\tGreyscale\tColour\tUnknown\tTotal\n"
                                           "200\t0\t0\t2\t0\t2\n"
                                           "204x98\t2\t0\t0\t0\t2\n"
                                           "300\t13\t0\t0\t0\t13\n"
                                           "Unknown\t0\t0\t0\t1\t1\n"
                                           "Total\t15\t0\t2\t1\t18\n"
                                           "\n"
                                           "Paper\tDPI\tBilevel\tGreyscale\tColour\tUnknown\tTotal\n"
                                           "A3\t200\t0\t0\t2\t0\t2\n"
                                           "A4\t300\t13\t0\t0\t0\t13\n"
                                           "Unknown\tUnknown\t0\t0\t0\t1\t1\n"
                                           "Reduced\t204x98\t2\t0\t0\t0\t2\n"
                                           "Total\t\t15\t0\t2\t1\t18\n");

void AddRows(CFileListModel& model)
{
    for (const SRow& row : kRows) {
        model.AppendRow(MakeFileRecord(row.path, row.bInUse, nullptr));
        if (!row.summary.IsEmpty())
            model.SetCount(model.GetRowCount() - 1, EFileStatus::Done, row.summary.Pages(), QString(), nullptr,
                           row.summary);
    }
}

TEST(ProfileReport, BytesOfAListAndOfItsFilesAreTheSame)
{
    QVector<SProfiledFile> files;
    for (const SRow& row : kRows) {
        if (row.bInUse)
            files.append({row.path, row.summary});
    }
    EXPECT_EQ(ProfileReportBytes(files), kReport);
    EXPECT_EQ(ProfileReportBytes({}), QByteArray("Filename,Paper,Colour,DPI,Pages\r\n"));
    // Nothing counted: the window's tables keep their columns, and hold the sums alone.
    EXPECT_EQ(ProfileTablesText({PaperColourTable(CPageSummary()), PaperDpiColourTable(CPageSummary())}),
              QStringLiteral("Paper\tBilevel\tGreyscale\tColour\tUnknown\tTotal\n"
                             "Total\t0\t0\t0\t0\t0\n"
                             "\n"
                             "Paper\tDPI\tBilevel\tGreyscale\tColour\tUnknown\tTotal\n"
                             "Total\t\t0\t0\t0\t0\t0\n"));
}

TEST(ProfileReport, PageLinesAreByteExact)
{
    EXPECT_EQ(PageCsvHeaderLine(), QByteArray("Filename,Page,Width,Length,XResolution,YResolution,ResolutionUnit,"
                                              "Paper,Colour,BitsPerSample,SamplesPerPixel,Compression,Photometric\r\n"));
    SPageRecord letter;
    letter.nWidth = 2550;
    letter.nLength = 3300;
    letter.fXResolution = letter.fYResolution = 118.11f;
    letter.bHasXResolution = letter.bHasYResolution = true;
    letter.nResolutionUnit = RESUNIT_CENTIMETER;
    letter.nCompression = COMPRESSION_PACKBITS;
    letter.nPhotometric = PHOTOMETRIC_YCBCR;
    letter.bHasPhotometric = true;
    EXPECT_EQ(PageCsvLine("/s/a, b.tif", 3, letter),
              QByteArray("\"/s/a, b.tif\",3,2550,3300,118.11,118.11,cm,Letter,Colour,1,1,PackBits,YCbCr\r\n"));
    // Tags a page does not have stay empty; the defaults stand where TIFF has them; a code libtiff
    // has no name for is its number.
    EXPECT_EQ(PageCsvLine("/s/\xff.tif", 12, SPageRecord()),
              QByteArray("/s/\xff.tif,12,0,0,,,inch,Unknown,Bilevel,1,1,None,\r\n"));
    letter.nCompression = 32770;
    letter.nPhotometric = 7;
    EXPECT_TRUE(PageCsvLine("f", 1, letter).endsWith(",32770,7\r\n"));
    // The total stands under Page, in a line of as many fields as the header.
    EXPECT_EQ(PageCsvTotalLine(61000), QByteArray(",61000,,,,,,,,,,,\r\n"));
}

class ProfileWindow : public CWindowTest {
protected:
    ProfileWindow() { AddRows(*dlg.GetModel()); }
};

TEST_F(ProfileWindow, TheReportAsksNothingButWhereToAndWhetherToOpenIt)
{
    CModalBoxes boxes;
    boxes.ExpectDialog(QStringLiteral("Export Page Profile to CSV file"), TypeName(dir.Path(QStringLiteral("profile"))));
    boxes.Expect(OkBox(QStringLiteral("File Saved"), QStringLiteral("Done")), QMessageBox::Ok);
    boxes.Expect({QStringLiteral("Open File"), QStringLiteral("Do you want to open file now in excel ?"),
                  QMessageBox::Yes | QMessageBox::No, QMessageBox::NoIcon},
                 QMessageBox::No);
    CUrlCatcher urls;
    Run("actionProfileReport", boxes);
    EXPECT_EQ(ReadAll(dir.Path(QStringLiteral("profile.csv"))), kReport);
    EXPECT_TRUE(urls.Urls().isEmpty());
    // A file that cannot be written gets the reports' failure box.
    const QString strNowhere = dir.Write(QStringLiteral("file"), "x") + QStringLiteral("/profile.csv");
    boxes.ExpectDialog(QStringLiteral("Export Page Profile to CSV file"), TypeName(strNowhere));
    boxes.Expect(FailureBox(QStringLiteral("File Report Error"), "Can't write to " + strNowhere), QMessageBox::Ok);
    Run("actionProfileReport", boxes);
    EXPECT_EQ(boxes.Seen().last().strInformative, QStringLiteral("Not a directory"));
}

TEST_F(ProfileWindow, ShowsTheTablesCopiesThemAndSavesThemAsPdf)
{
    QApplication::clipboard()->clear();
    QStringList paperRows;
    QString strCounted;
    QString strLeftOut;
    QString strCopied;
    QStringList heading;
    CModalBoxes boxes;
    boxes.ExpectDialog(QStringLiteral("Page Profile"), [&](QWidget* pWindow) {
        for (const char* pszName : {"ListFile", "Folders", "Date"})
            heading << pWindow->findChild<QLabel*>(QString::fromLatin1(pszName))->text();
        auto* pPaper = pWindow->findChild<QTableWidget*>(QStringLiteral("PaperTable"));
        for (int r = 0; pPaper && r < pPaper->rowCount(); ++r)
            paperRows << pPaper->item(r, 0)->text() + u' ' + pPaper->item(r, pPaper->columnCount() - 1)->text();
        strCounted = pWindow->findChild<QLabel*>(QStringLiteral("Counted"))->text();
        strLeftOut = pWindow->findChild<QLabel*>(QStringLiteral("LeftOut"))->text();
        QTest::keyClick(pWindow, Qt::Key_C, Qt::ControlModifier);
        strCopied = QApplication::clipboard()->text();
        // Saved where it can be, and where it cannot.
        pWindow->findChild<QPushButton*>(QStringLiteral("SaveAsPdf"))->click();
        pWindow->findChild<QPushButton*>(QStringLiteral("SaveAsPdf"))->click();
        static_cast<QDialog*>(pWindow)->reject();
    });
    boxes.ExpectDialog(QStringLiteral("Save Page Profile as PDF"), TypeName(dir.Path(QStringLiteral("profile"))));
    boxes.Expect(OkBox(QStringLiteral("File Saved"), QStringLiteral("Done")), QMessageBox::Ok);
    const QString strNowhere = dir.Write(QStringLiteral("file"), "x") + QStringLiteral("/profile.pdf");
    boxes.ExpectDialog(QStringLiteral("Save Page Profile as PDF"), TypeName(strNowhere));
    boxes.Expect(FailureBox(QStringLiteral("File Report Error"), "Can't write to " + strNowhere), QMessageBox::Ok);
    Run("actionPageProfile", boxes);
    EXPECT_EQ(paperRows, QStringList({"A3 2", "A4 13", "Unknown 1", "Reduced 2", "Total 18"}));
    // The list is not saved; its counted files lie in two folders; made just now.
    ASSERT_EQ(heading.size(), 3);
    EXPECT_EQ(heading.mid(0, 2), QStringList({"Untitled", "/s\n/t"}));
    const QDateTime when = QDateTime::fromString(heading[2], QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    EXPECT_LE(std::abs(when.secsTo(QDateTime::currentDateTime())), 60) << qPrintable(heading[2]);
    EXPECT_EQ(strCounted, QStringLiteral("18 pages in 3 counted files."));
    EXPECT_EQ(strLeftOut, QStringLiteral("Left out: 1 row not in use, 1 row in use but not counted."));
    EXPECT_EQ(strCopied, kTablesText);
    EXPECT_TRUE(ReadAll(dir.Path(QStringLiteral("profile.pdf"))).startsWith("%PDF-"));
}

}  // namespace

