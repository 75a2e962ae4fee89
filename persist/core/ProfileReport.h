// The page profile as a bureau prices it, as text: the Page Profile report, the per-page lines of
// the command line, and the tables of the Page Profile window. Classes come in their fixed order
// (tiff/PageProfile.h); CSV lines are quoted as the CSV report quotes them, end in CR LF
// and take a path's own bytes.
#pragma once

#include "ReportWriter.h"
#include "filelist/core/FileRecord.h"
#include "tiff/PageProfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

class CFileListModel;

// ---- the Page Profile report: "Filename,Paper,Colour,DPI,Pages" ----------------------------------

QByteArray ProfileHeaderLine();
// One line per class of the file's pages (none for a file without pages); DPI is empty where the
// resolution is unknown.
QByteArray ProfileFileLines(const QByteArray& path, const CPageSummary& summary);
// One line per class of the totals, with "Total" as its file name.
QByteArray ProfileTotalLines(const CPageSummary& totals);

struct SProfiledFile {
    QByteArray path;
    CPageSummary summary;
};
// The whole report of these files in their order: the header, each file's lines, the totals.
QByteArray ProfileReportBytes(const QVector<SProfiledFile>& files);

// The report's writer for the rows in use: it always writes its header and its totals, which are
// what the report is for; the totals are those of the rows it wrote.
class CProfileReportWriter : public CReportWriter {
public:
    explicit CProfileReportWriter(QIODevice* pDevice) : CReportWriter(pDevice) {}
    void WriteRow(const FileRecord& rec) override;

protected:
    QByteArray HeaderLine() const override { return ProfileHeaderLine(); }
    QByteArray RowLine(const FileRecord& rec) const override;
    QByteArray TotalLines(qint64) const override { return ProfileTotalLines(m_totals); }

private:
    CPageSummary m_totals;
};

// ---- per page: "Filename,Page,Width,Length,XResolution,YResolution,ResolutionUnit,Paper,Colour,
// BitsPerSample,SamplesPerPixel,Compression,Photometric" ------------------------------------------

QByteArray PageCsvHeaderLine();
// Page nPage (from 1) of a file: the numbers as libtiff gives them (a resolution as the shortest
// decimal that is the same float; empty when the page has none), the unit as "none", "inch" or
// "cm", the page's paper and colour, and the compression and photometric interpretation by name
// (the latter empty when the page has none).
QByteArray PageCsvLine(const QByteArray& path, int nPage, const SPageRecord& page);
// The last line: the pages in all in the Page column, every other field empty (as the CSV
// report's total line has its total under Pages).
QByteArray PageCsvTotalLine(qint64 nPages);

// ---- the list's profile, as the Page Profile window shows it -------------------------------------

struct SListProfile {
    CPageSummary totals;        // of the counted rows in use
    int nCountedRows = 0;       // rows in use with a count
    int nRowsNotInUse = 0;
    int nRowsNotCounted = 0;    // in use, without a count
    QList<QByteArray> folders;  // of the counted rows in use (FolderOf), in the order they first appear
};
SListProfile ProfileOfList(const CFileListModel& model);

// A table of page counts against the colours, with a sum per row and per column. The columns are
// always the four colours, then "Total"; the rows only the classes that have pages, in their fixed
// order, then "Total".
struct SProfileTable {
    QStringList corner;         // the headings of the rows' labels: "Paper"; "DPI"; "Paper", "DPI"
    QStringList columns;        // "Bilevel", "Greyscale", "Colour", "Unknown", "Total"
    QVector<QStringList> rows;  // the labels of each row ("A4", "204x196"), the last ("Total") padded
    QVector<QVector<qint64>> cells;     // [row][column], sums included
};
SProfileTable PaperColourTable(const CPageSummary& totals);
SProfileTable DpiColourTable(const CPageSummary& totals);
SProfileTable PaperDpiColourTable(const CPageSummary& totals);
// The tables as tab-separated text, a line per row after a line of headings, an empty line
// between tables.
QString ProfileTablesText(const QVector<SProfileTable>& tables);
