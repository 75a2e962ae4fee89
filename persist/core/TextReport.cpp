#include "TextReport.h"

#include "common/core/FileName.h"

#include <algorithm>

namespace {

constexpr int kPagesWidth = 10;
constexpr int kNameWidth = 60;

// "%-*s": the text, then blanks up to the width in characters.
void AppendPadded(QByteArray& line, const QByteArray& text, int nWidth)
{
    line += text;
    const int nChars = FileNameCharCount(text);
    if (nChars < nWidth)
        line.append(qsizetype(nWidth - nChars), ' ');
}

}  // namespace

QByteArray TextReportLine(const QByteArray& pages, const QByteArray& path)
{
    QByteArray line;
    line.reserve(kPagesWidth + std::max<qsizetype>(kNameWidth, path.size()) + 2);
    AppendPadded(line, pages, kPagesWidth);
    AppendPadded(line, path, kNameWidth);
    line += "\r\n";
    return line;
}

QByteArray TextHeaderLine()
{
    return TextReportLine("Pages", "Filename");
}

QByteArray TextRowLine(const FileRecord& rec)
{
    return TextReportLine(FileRecordBytes(rec, COL_PAGES), rec.path);
}

QByteArray TextTotalLines(qint64 nTotal)
{
    QByteArray lines = "\r\n" + QByteArray::number(nTotal);
    AppendPadded(lines, " ", kNameWidth);
    lines += "\r\n";
    return lines;
}
