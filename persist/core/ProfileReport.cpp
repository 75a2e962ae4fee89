#include "ProfileReport.h"

#include "BillingReports.h"
#include "CsvReport.h"
#include "filelist/core/CFileListModel.h"

#include <QSet>

#include <array>
#include <charconv>
#include <map>

namespace {

QByteArray ClassLines(const QByteArray& name, const CPageSummary& summary)
{
    QByteArray lines;
    for (const SClassPages& c : summary.Classes())
        lines += CsvLine({name, PaperName(c.cls.ePaper), ColourName(c.cls.eColour), DpiText(c.cls),
                          QByteArray::number(c.nPages)});
    return lines;
}

// The shortest decimal that reads back as the same float, never in exponent form.
QByteArray FloatField(float f)
{
    char sz[64];
    const auto result = std::to_chars(sz, sz + sizeof sz, f, std::chars_format::fixed);
    return result.ec == std::errc() ? QByteArray(sz, int(result.ptr - sz)) : QByteArray::number(double(f), 'g', 9);
}

// A table of the totals against the colours, its rows the classes without their colour and
// without what the table does not show (paper, resolution), in their fixed order.
SProfileTable MakeTable(const CPageSummary& totals, bool bPaper, bool bDpi)
{
    std::map<SPageClass, std::array<qint64, kColourCount>> byRow;
    for (const SClassPages& c : totals.Classes()) {
        const SPageClass row(bPaper ? c.cls.ePaper : EPaper::Unknown, EColour::Unknown, bDpi ? c.cls.nXDpi : 0,
                             bDpi ? c.cls.nYDpi : 0);
        byRow[row][size_t(c.cls.eColour)] += c.nPages;
    }
    SProfileTable table;
    if (bPaper)
        table.corner.append(QStringLiteral("Paper"));
    if (bDpi)
        table.corner.append(QStringLiteral("DPI"));
    for (int k = 0; k < kColourCount; ++k)
        table.columns.append(QString::fromLatin1(ColourName(EColour(k))));
    table.columns.append(QStringLiteral("Total"));
    QVector<qint64> sums(kColourCount + 1, 0);
    for (const auto& [row, pages] : byRow) {
        QStringList labels;
        if (bPaper)
            labels.append(QString::fromLatin1(PaperName(row.ePaper)));
        if (bDpi)
            labels.append(row.HasDpi() ? QString::fromLatin1(DpiText(row)) : QStringLiteral("Unknown"));
        table.rows.append(labels);
        QVector<qint64> cells(pages.begin(), pages.end());
        cells.append(0);
        for (int k = 0; k < kColourCount; ++k) {
            cells.last() += cells[k];
            sums[k] += cells[k];
        }
        sums.last() += cells.last();
        table.cells.append(cells);
    }
    QStringList total{QStringLiteral("Total")};
    while (total.size() < table.corner.size())
        total.append(QString());
    table.rows.append(total);
    table.cells.append(sums);
    return table;
}

}  // namespace

QByteArray ProfileHeaderLine()
{
    return CsvLine({"Filename", "Paper", "Colour", "DPI", "Pages"});
}

QByteArray ProfileFileLines(const QByteArray& path, const CPageSummary& summary)
{
    return ClassLines(path, summary);
}

QByteArray ProfileTotalLines(const CPageSummary& totals)
{
    return ClassLines("Total", totals);
}

QByteArray ProfileReportBytes(const QVector<SProfiledFile>& files)
{
    QByteArray bytes = ProfileHeaderLine();
    CPageSummary totals;
    for (const SProfiledFile& file : files) {
        bytes += ProfileFileLines(file.path, file.summary);
        totals.Add(file.summary);
    }
    return bytes + ProfileTotalLines(totals);
}

void CProfileReportWriter::WriteRow(const FileRecord& rec)
{
    const CPageSummary summary = rec.PageSummary();
    m_totals.Add(summary);
    WriteRowLine(ProfileFileLines(rec.path, summary), rec.nPages);
}

QByteArray CProfileReportWriter::RowLine(const FileRecord& rec) const
{
    return ProfileFileLines(rec.path, rec.PageSummary());
}

namespace {

// The columns of the per-page report, in their order.
const QByteArrayList& PageCsvColumns()
{
    static const QByteArrayList columns = {"Filename", "Page", "Width", "Length", "XResolution", "YResolution",
                                           "ResolutionUnit", "Paper", "Colour", "BitsPerSample", "SamplesPerPixel",
                                           "Compression", "Photometric"};
    return columns;
}

}  // namespace

QByteArray PageCsvHeaderLine()
{
    return CsvLine(PageCsvColumns());
}

QByteArray PageCsvLine(const QByteArray& path, int nPage, const SPageRecord& page)
{
    const SPageClass cls = ClassifyPage(page);
    return CsvLine({path, QByteArray::number(nPage), QByteArray::number(page.nWidth),
                    QByteArray::number(page.nLength),
                    page.bHasXResolution ? FloatField(page.fXResolution) : QByteArray(),
                    page.bHasYResolution ? FloatField(page.fYResolution) : QByteArray(),
                    ResolutionUnitName(page.nResolutionUnit), PaperName(cls.ePaper), ColourName(cls.eColour),
                    QByteArray::number(page.nBitsPerSample), QByteArray::number(page.nSamplesPerPixel),
                    CompressionName(page.nCompression),
                    page.bHasPhotometric ? PhotometricName(page.nPhotometric) : QByteArray()});
}

QByteArray PageCsvTotalLine(qint64 nPages)
{
    QByteArrayList fields(PageCsvColumns().size());
    fields[1] = QByteArray::number(nPages);
    return CsvLine(fields);
}

SListProfile ProfileOfList(const CFileListModel& model)
{
    SListProfile profile;
    QSet<QByteArray> folders;
    for (int i = 0; i < model.GetRowCount(); ++i) {
        const FileRecord& rec = model.GetRecord(i);
        if (!rec.bInUse) {
            ++profile.nRowsNotInUse;
        } else if (rec.nPages < 0) {
            ++profile.nRowsNotCounted;
        } else {
            ++profile.nCountedRows;
            profile.totals.Add(rec.PageSummary());
            const QByteArray folder = FolderOf(rec.path);
            if (!folders.contains(folder)) {
                folders.insert(folder);
                profile.folders.append(folder);
            }
        }
    }
    return profile;
}

SProfileTable PaperColourTable(const CPageSummary& totals)
{
    return MakeTable(totals, true, false);
}

SProfileTable DpiColourTable(const CPageSummary& totals)
{
    return MakeTable(totals, false, true);
}

SProfileTable PaperDpiColourTable(const CPageSummary& totals)
{
    return MakeTable(totals, true, true);
}

QString ProfileTablesText(const QVector<SProfileTable>& tables)
{
    QStringList blocks;
    for (const SProfileTable& table : tables) {
        QString str = (table.corner + table.columns).join(u'\t') + u'\n';
        for (int r = 0; r < int(table.rows.size()); ++r) {
            str += table.rows[r].join(u'\t');
            for (qint64 n : table.cells[r])
                str += u'\t' + QString::number(n);
            str += u'\n';
        }
        blocks.append(str);
    }
    return blocks.join(u'\n');
}
