// The text report: an optional header, one line per row in use, optional total lines, all made with
// "%-10s%-60s\r\n": the Pages text and the path, each left-aligned and padded with blanks to its
// width, a longer text written whole. A width counts characters, as the single-byte code page of
// the Windows version counted bytes, so a name in UTF-8 keeps the columns where an ASCII name keeps
// them, and an ASCII report is byte for byte the Windows version's.
#pragma once

#include "ReportWriter.h"
#include "filelist/core/FileRecord.h"

#include <QByteArray>

// One "%-10s%-60s\r\n" line: the Pages text (ASCII) and a path (its own bytes).
QByteArray TextReportLine(const QByteArray& pages, const QByteArray& path);
QByteArray TextHeaderLine();
QByteArray TextRowLine(const FileRecord& rec);
// "\r\n%ld%-60s\r\n" with the total and a text of one blank: an empty line, then the total
// followed by 60 blanks.
QByteArray TextTotalLines(qint64 nTotal);

class CTextReportWriter : public CReportWriter {
public:
    explicit CTextReportWriter(QIODevice* pDevice) : CReportWriter(pDevice) {}

protected:
    QByteArray HeaderLine() const override { return TextHeaderLine(); }
    QByteArray RowLine(const FileRecord& rec) const override { return TextRowLine(rec); }
    QByteArray TotalLines(qint64 nTotal) const override { return TextTotalLines(nTotal); }
};
