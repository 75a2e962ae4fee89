#include "BillingReports.h"

#include "CsvReport.h"
#include "filelist/core/CFileListModel.h"

#include <algorithm>

QByteArray FolderOf(const QByteArray& path)
{
    qsizetype nEnd = path.size();
    // A name's own trailing slashes, then the name, then the slashes before it.
    while (nEnd > 1 && path[nEnd - 1] == '/')
        --nEnd;
    while (nEnd > 0 && path[nEnd - 1] != '/')
        --nEnd;
    if (nEnd == 0)
        return ".";
    while (nEnd > 1 && path[nEnd - 1] == '/')
        --nEnd;
    return path.left(nEnd);
}

QByteArray FolderSummaryHeaderLine()
{
    return CsvLine({"Folder", "Files", "Pages", "Counted Short", "Not TIFF", "Unreadable"});
}

void CFolderSummaryWriter::WriteRow(const FileRecord& rec)
{
    const QByteArray folder = FolderOf(rec.path);
    auto it = m_folderAt.constFind(folder);
    if (it == m_folderAt.constEnd()) {
        it = m_folderAt.insert(folder, int(m_folders.size()));
        m_folders.append({folder});
    }
    SFolderSums& sums = m_folders[*it];
    ++sums.nFiles;
    sums.nPages += std::max<qint64>(rec.nPages, 0);
    sums.nShort += rec.PagesNote().isEmpty() ? 0 : 1;
    sums.nNotTiff += rec.eStatus == EFileStatus::Invalid ? 1 : 0;
    sums.nUnreadable += rec.eStatus == EFileStatus::ReadError ? 1 : 0;
}

QByteArray CFolderSummaryWriter::SumsLine(const SFolderSums& sums)
{
    return CsvLine({sums.folder, QByteArray::number(sums.nFiles), QByteArray::number(sums.nPages),
                    QByteArray::number(sums.nShort), QByteArray::number(sums.nNotTiff),
                    QByteArray::number(sums.nUnreadable)});
}

QByteArray CFolderSummaryWriter::TotalLines(qint64) const
{
    QByteArray lines;
    SFolderSums total{"Total"};
    for (const SFolderSums& sums : m_folders) {
        lines += SumsLine(sums);
        total.nFiles += sums.nFiles;
        total.nPages += sums.nPages;
        total.nShort += sums.nShort;
        total.nNotTiff += sums.nNotTiff;
        total.nUnreadable += sums.nUnreadable;
    }
    return lines + SumsLine(total);
}

QByteArray AuditHeaderLine()
{
    return CsvLine({"Filename", "File Bytes", "Created Time", "Modified Time", "Pages", "Status", "Note"});
}

QByteArray AuditNote(const FileRecord& rec, const QByteArray& alsoListedAs)
{
    QByteArrayList parts;
    if (!rec.PagesNote().isEmpty())
        parts.append(rec.PagesNote().toUtf8());
    if (rec.eStatus == EFileStatus::ReadError && !rec.StatusNote().isEmpty())
        parts.append(rec.StatusNote().toUtf8());
    if (!alsoListedAs.isEmpty())
        parts.append("also listed as " + alsoListedAs);
    return parts.join("; ");
}

QByteArray AuditRowLine(const FileRecord& rec, const QByteArray& alsoListedAs)
{
    const bool bCounted = rec.eStatus == EFileStatus::Done || rec.eStatus == EFileStatus::Invalid ||
                          rec.eStatus == EFileStatus::ReadError;
    return CsvLine(CsvRowFields(rec) << (bCounted ? FileRecordBytes(rec, COL_STATUS) : QByteArray())
                                     << AuditNote(rec, alsoListedAs));
}

void CAuditReportWriter::WriteListRow(const CFileListModel& model, int nRow)
{
    const FileRecord& rec = model.GetRecord(nRow);
    const int nOther = model.AlsoListedIn(nRow);
    WriteRowLine(AuditRowLine(rec, nOther >= 0 ? model.GetRecord(nOther).path : QByteArray()), rec.nPages);
}
