#include "ProfileReport.h"

#include "CsvReport.h"
#include "filelist/core/CFileListModel.h"

#include <array>
#include <charconv>
#include <functional>
#include <map>

namespace {

QByteArray DpiField(const SPageClass& cls)
{
    return cls.nDpi ? QByteArray::number(cls.nDpi) : QByteArray();
}

QByteArray ClassLines(const QByteArray& name, const CPageSummary& summary)
{
    QByteArray lines;
    for (const SClassPages& c : summary.Classes())
        lines += CsvLine({name, PaperName(c.cls.ePaper), ColourName(c.cls.eColour), DpiField(c.cls),
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

// A table of the totals: rows by a key of the class (in ascending order), columns by colour.
SProfileTable MakeTable(const QString& strCorner, const CPageSummary& totals,
                        const std::function<int(const SPageClass&)>& rowKey,
                        const std::function<QString(int)>& rowName)
{
    std::map<int, std::array<qint64, kColourCount>> byRow;
    std::array<bool, kColourCount> used{};
    for (const SClassPages& c : totals.Classes()) {
        auto it = byRow.try_emplace(rowKey(c.cls)).first;
        it->second[size_t(c.cls.eColour)] += c.nPages;
        used[size_t(c.cls.eColour)] = true;
    }
    SProfileTable table;
    table.strCorner = strCorner;
    for (int k = 0; k < kColourCount; ++k) {
        if (used[size_t(k)])
            table.columns.append(QString::fromLatin1(ColourName(EColour(k))));
    }
    table.columns.append(QStringLiteral("Total"));
    QVector<qint64> sums(table.columns.size(), 0);
    for (const auto& [nKey, pages] : byRow) {
        table.rows.append(rowName(nKey));
        QVector<qint64> cells;
        qint64 nRowSum = 0;
        for (int k = 0; k < kColourCount; ++k) {
            if (!used[size_t(k)])
                continue;
            sums[cells.size()] += pages[size_t(k)];
            cells.append(pages[size_t(k)]);
            nRowSum += pages[size_t(k)];
        }
        cells.append(nRowSum);
        sums.last() += nRowSum;
        table.cells.append(cells);
    }
    table.rows.append(QStringLiteral("Total"));
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
    for (int i = 0; i < model.GetRowCount(); ++i) {
        const FileRecord& rec = model.GetRecord(i);
        if (!rec.bInUse) {
            ++profile.nRowsNotInUse;
        } else if (rec.nPages < 0) {
            ++profile.nRowsNotCounted;
        } else {
            ++profile.nCountedRows;
            profile.totals.Add(rec.PageSummary());
        }
    }
    return profile;
}

SProfileTable PaperColourTable(const CPageSummary& totals)
{
    return MakeTable(
        QStringLiteral("Paper"), totals, [](const SPageClass& cls) { return int(cls.ePaper); },
        [](int nKey) { return QString::fromLatin1(PaperName(EPaper(nKey))); });
}

SProfileTable DpiColourTable(const CPageSummary& totals)
{
    // An unknown resolution sorts after every known one.
    constexpr int kUnknownKey = 1 << 16;
    return MakeTable(
        QStringLiteral("DPI"), totals, [](const SPageClass& cls) { return cls.nDpi ? int(cls.nDpi) : kUnknownKey; },
        [](int nKey) { return nKey == kUnknownKey ? QStringLiteral("Unknown") : QString::number(nKey); });
}

QString ProfileTablesText(const QVector<SProfileTable>& tables)
{
    QStringList blocks;
    for (const SProfileTable& table : tables) {
        QString str = table.strCorner + u'\t' + table.columns.join(u'\t') + u'\n';
        for (int r = 0; r < int(table.rows.size()); ++r) {
            str += table.rows[r];
            for (qint64 n : table.cells[r])
                str += u'\t' + QString::number(n);
            str += u'\n';
        }
        blocks.append(str);
    }
    return blocks.join(u'\n');
}
