// What the CSV and the text report share: an optional header, one line per row in use, in list
// order, and an optional total of the pages of the rows written (64-bit). Each report says how its
// lines look.
#pragma once

#include "BlockWriter.h"
#include "filelist/core/FileRecord.h"

#include <QByteArray>

class CFileListModel;
class QIODevice;

class CReportWriter {
public:
    explicit CReportWriter(QIODevice* pDevice) : m_out(pDevice) {}
    virtual ~CReportWriter() = default;
    CReportWriter(const CReportWriter&) = delete;
    CReportWriter& operator=(const CReportWriter&) = delete;

    void WriteHeader();
    virtual void WriteRow(const FileRecord& rec);
    // A row of a list: by default the row alone (WriteRow).
    virtual void WriteListRow(const CFileListModel& model, int nRow);
    // A row line made elsewhere, with its page count (-1 for none).
    void WriteRowLine(const QByteArray& line, qint64 nPages);
    // Every row whose Use is "Yes", from the first.
    void WriteRowsInUse(const CFileListModel& model);
    void WriteTotal();
    // Hands what is buffered to the device; false once any write failed.
    bool Flush() { return m_out.Flush(); }
    qint64 Total() const { return m_nTotal; }
    // False once any write failed.
    bool Ok() const { return m_out.Ok(); }
    // Where the lines go, with the first failure and its reason.
    CBlockWriter& Output() { return m_out; }

protected:
    virtual QByteArray HeaderLine() const = 0;
    virtual QByteArray RowLine(const FileRecord& rec) const = 0;
    virtual QByteArray TotalLines(qint64 nTotal) const = 0;

private:
    CBlockWriter m_out;
    qint64 m_nTotal = 0;
};
