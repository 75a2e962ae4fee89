// The reports a bureau bills by and its customer checks the bill by: the folder summary (files,
// pages and problems of each folder, a folder being a job of scans) and the audit report (every
// row in use with its status and why). The window and pagewick-count both write them through these
// writers from a list, so both give the same bytes. Lines are CSV as the CSV report writes them:
// CR LF, quoted where a field needs it, a path's own bytes. Both always carry their header; the
// summary always ends with its total.
#pragma once

#include "ReportWriter.h"
#include "filelist/core/FileRecord.h"

#include <QByteArray>
#include <QHash>
#include <QVector>

// The folder a path lies in, as dirname(1) gives it: the path before its last "/" without the
// slashes that end it, "/" for a path in the root, "." for a bare name.
QByteArray FolderOf(const QByteArray& path);

// ---- "Folder,Files,Pages,Counted Short,Not TIFF,Unreadable" ------------------------------------

QByteArray FolderSummaryHeaderLine();

// A line per folder that holds rows in use, in the order the folders first appear, then "Total":
// the rows, the sum of their pages, the rows counted short, "Invalid" and "Read Error".
class CFolderSummaryWriter : public CReportWriter {
public:
    explicit CFolderSummaryWriter(QIODevice* pDevice) : CReportWriter(pDevice) {}
    // Adds the row to its folder; the folders' lines come with the total.
    void WriteRow(const FileRecord& rec) override;

protected:
    QByteArray HeaderLine() const override { return FolderSummaryHeaderLine(); }
    QByteArray RowLine(const FileRecord&) const override { return QByteArray(); }
    QByteArray TotalLines(qint64 nTotal) const override;

private:
    struct SFolderSums {
        QByteArray folder;
        qint64 nFiles = 0;
        qint64 nPages = 0;
        qint64 nShort = 0;
        qint64 nNotTiff = 0;
        qint64 nUnreadable = 0;
    };
    static QByteArray SumsLine(const SFolderSums& sums);

    QVector<SFolderSums> m_folders;
    QHash<QByteArray, int> m_folderAt;
};

// ---- "Filename,File Bytes,Created Time,Modified Time,Pages,Status,Note" -------------------------

QByteArray AuditHeaderLine();
// Why a row has its status and pages, in plain words, "; " between: the short count's reason, the
// reason a "Read Error" row's file could not be read, "also listed as PATH" for a row whose file
// another row lists too (alsoListedAs, that row's path; empty for none).
QByteArray AuditNote(const FileRecord& rec, const QByteArray& alsoListedAs);
// The CSV report's five fields of the row, its status ("Done", "Invalid", "Read Error"; empty for a
// row not counted) and the note.
QByteArray AuditRowLine(const FileRecord& rec, const QByteArray& alsoListedAs);

// The audit report of the rows in use; it has no total line (the folder summary has the sums).
class CAuditReportWriter : public CReportWriter {
public:
    explicit CAuditReportWriter(QIODevice* pDevice) : CReportWriter(pDevice) {}
    // With the path of the row that lists the same file, as the list has marked it.
    void WriteListRow(const CFileListModel& model, int nRow) override;

protected:
    QByteArray HeaderLine() const override { return AuditHeaderLine(); }
    QByteArray RowLine(const FileRecord& rec) const override { return AuditRowLine(rec, QByteArray()); }
    QByteArray TotalLines(qint64) const override { return QByteArray(); }
};
