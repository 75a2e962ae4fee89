#include "CFileListModel.h"

#include "fs/FileFacts.h"
#include "common/core/FileName.h"

#include <QPair>
#include <QStringList>

#include <utility>

namespace {

// A path longer than any file system takes (a list file can hold one) is shown by its beginning and
// end only: the view makes its text at every paint. The row keeps every byte.
constexpr qsizetype kShownPathBytes = 16 * 1024;

QString ShownPath(const QByteArray& path)
{
    if (path.size() <= kShownPathBytes)
        return DisplayFileName(path);
    return DisplayFileName(path.left(kShownPathBytes / 2)) + QStringLiteral(" \u2026 ") +
           DisplayFileName(path.right(kShownPathBytes / 2));
}

// The Pages cell's tool tip: the note on a short count, then the profile; none without either.
QVariant PagesToolTip(const FileRecord& rec)
{
    QStringList lines;
    const QString strNote = rec.PagesNote();
    if (!strNote.isEmpty())
        lines.append(strNote);
    const QString strProfile = PageSummaryWords(rec.PageSummary());
    if (!strProfile.isEmpty())
        lines.append(strProfile);
    return lines.isEmpty() ? QVariant() : QVariant(lines.join(u'\n'));
}

// Beyond this many separate ranges a reset costs the views less than one notification per range.
constexpr int kMaxRemovalRanges = 64;

}  // namespace

CFileListModel::CFileListModel(QObject* pParent) : QAbstractTableModel(pParent) {}

int CFileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CFileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FILE_COLUMN_COUNT;
}

QVariant CFileListModel::data(const QModelIndex& index, int nRole) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()) || index.column() >= FILE_COLUMN_COUNT)
        return QVariant();
    const FileRecord& rec = m_rows.at(index.row());
    switch (nRole) {
    case Qt::DisplayRole:
        return index.column() == COL_FILENAME ? ShownPath(rec.path) : FileRecordText(rec, index.column());
    case Qt::ToolTipRole:
        // The whole text of a cell that may not fit; why a short count is short and what the pages
        // are; where else the file is listed, by the path there (rows have no numbers on screen).
        if (index.column() == COL_PAGES)
            return PagesToolTip(rec);
        if (index.column() == COL_STATUS && !rec.StatusNote().isEmpty())
            return rec.StatusNote();
        if (index.column() == COL_FILENAME) {
            const int nOther = AlsoListedIn(index.row());
            if (nOther < 0)
                return ShownPath(rec.path);
            const QByteArray& other = m_rows.at(nOther).path;
            return ShownPath(rec.path) + (other == rec.path ? QStringLiteral("\nAlso listed in another row")
                                                            : QStringLiteral("\nAlso listed as ") + ShownPath(other));
        }
        return QVariant();
    case WarningSignRole:
        if (index.column() == COL_FILENAME)
            return AlsoListedIn(index.row()) >= 0;
        if (index.column() == COL_STATUS)
            return !rec.StatusNote().isEmpty();
        return index.column() == COL_PAGES && !rec.PagesNote().isEmpty();
    default:
        return QVariant();
    }
}

QVariant CFileListModel::headerData(int nSection, Qt::Orientation eOrientation, int nRole) const
{
    if (eOrientation == Qt::Horizontal && nRole == Qt::DisplayRole)
        return FileColumnHeading(nSection);
    return QAbstractTableModel::headerData(nSection, eOrientation, nRole);
}

bool CFileListModel::removeRows(int nRow, int nCount, const QModelIndex& parent)
{
    if (parent.isValid() || nCount <= 0 || nRow < 0 || nRow + nCount > int(m_rows.size()))
        return false;
    beginRemoveRows(QModelIndex(), nRow, nRow + nCount - 1);
    m_rows.remove(nRow, nCount);
    InvalidateIds();
    endRemoveRows();
    return true;
}

QString CFileListModel::GetText(int nRow, int nColumn) const
{
    if (nRow < 0 || nRow >= int(m_rows.size()) || nColumn < 0 || nColumn >= FILE_COLUMN_COUNT)
        return QString();
    return FileRecordText(m_rows.at(nRow), nColumn);
}

QVector<QByteArray> CFileListModel::ColumnBytes(int nColumn) const
{
    QVector<QByteArray> texts;
    texts.reserve(m_rows.size());
    for (const FileRecord& rec : m_rows)
        texts.append(FileRecordBytes(rec, nColumn));
    return texts;
}

int CFileListModel::FindRow(quint64 nId) const
{
    if (!m_bIdsValid) {
        m_rowOfId.clear();
        m_rowOfId.reserve(m_rows.size());
        for (int i = 0; i < int(m_rows.size()); ++i)
            m_rowOfId.insert(m_rows.at(i).nId, i);
        m_bIdsValid = true;
    }
    return m_rowOfId.value(nId, -1);
}

void CFileListModel::EmitRowChanged(int nRow, int nFirstColumn, int nLastColumn)
{
    emit dataChanged(index(nRow, nFirstColumn), index(nRow, nLastColumn), {Qt::DisplayRole});
}

void CFileListModel::SetUse(int nRow, bool bInUse, EFileStatus eStatus)
{
    if (nRow < 0 || nRow >= int(m_rows.size()))
        return;
    FileRecord& rec = m_rows[nRow];
    rec.bInUse = bInUse;
    rec.eStatus = eStatus;
    EmitRowChanged(nRow, COL_USE, COL_STATUS);
}

void CFileListModel::SetStatus(int nRow, EFileStatus eStatus)
{
    if (nRow < 0 || nRow >= int(m_rows.size()) || m_rows.at(nRow).eStatus == eStatus)
        return;
    m_rows[nRow].eStatus = eStatus;
    EmitRowChanged(nRow, COL_STATUS, COL_STATUS);
}

void CFileListModel::SetCount(int nRow, EFileStatus eStatus, qint64 nPages, const QString& strNote,
                              const SFileFacts* pFacts, const CPageSummary& summary)
{
    if (nRow < 0 || nRow >= int(m_rows.size()))
        return;
    FileRecord& rec = m_rows[nRow];
    rec.eStatus = eStatus;
    rec.nPages = nPages;
    rec.SetPagesNote(strNote);
    rec.SetStatusNote(QString());
    rec.SetPageSummary(summary);
    if (pFacts)
        SetFileFacts(&rec, *pFacts);
    EmitRowChanged(nRow, pFacts ? COL_FILESIZE : COL_STATUS, pFacts ? COL_MODIFIED : COL_PAGES);
}

void CFileListModel::SetCounted(int nRow, qint64 nPages, const QString& strNote, const SFileFacts* pFacts,
                                const CPageSummary& summary)
{
    if (nRow < 0 || nRow >= int(m_rows.size()))
        return;
    FileRecord& rec = m_rows[nRow];
    qint64 nTotal = m_nPages;
    if (rec.bPagesInTotal && rec.nPages > 0)
        nTotal -= rec.nPages;
    rec.bPagesInTotal = true;
    SetCount(nRow, EFileStatus::Done, nPages, strNote, pFacts, summary);
    SetPagesTotal(nTotal + std::max<qint64>(nPages, 0));
}

void CFileListModel::SetReadError(int nRow, const QString& strWhy, const SFileFacts* pFacts)
{
    if (nRow < 0 || nRow >= int(m_rows.size()))
        return;
    SetCount(nRow, EFileStatus::ReadError, -1, QString(), pFacts);
    m_rows[nRow].SetStatusNote(strWhy);
}

void CFileListModel::SetFacts(int nRow, const SFileFacts* pFacts)
{
    if (nRow < 0 || nRow >= int(m_rows.size()))
        return;
    FileRecord& rec = m_rows[nRow];
    if (pFacts) {
        SetFileFacts(&rec, *pFacts);
    } else {
        rec.nSize = -1;
        rec.nDevice = rec.nInode = 0;
    }
    EmitRowChanged(nRow, COL_FILESIZE, COL_MODIFIED);
}

void CFileListModel::GiveUpFacts(const QVector<quint64>& rowIds)
{
    int nFirst = -1;
    int nLast = -1;
    for (const quint64 nId : rowIds) {
        const int nRow = FindRow(nId);
        if (nRow < 0 || m_rows.at(nRow).nSize != kSizeNotKnownYet)
            continue;
        m_rows[nRow].nSize = -1;
        nFirst = nFirst < 0 ? nRow : std::min(nFirst, nRow);
        nLast = std::max(nLast, nRow);
    }
    if (nFirst >= 0)
        emit dataChanged(index(nFirst, COL_FILESIZE), index(nLast, COL_MODIFIED), {Qt::DisplayRole});
}

void CFileListModel::SetPagesTotal(qint64 nPages)
{
    // Never below nothing: a total that held no pages of a row is not lowered by them.
    nPages = std::max<qint64>(nPages, 0);
    if (nPages == m_nPages)
        return;
    m_nPages = nPages;
    emit pagesTotalChanged(m_nPages);
}

void CFileListModel::ResetPagesTotal()
{
    for (FileRecord& rec : m_rows)
        rec.bPagesInTotal = false;
    SetPagesTotal(0);
}

int CFileListModel::MarkFilesListedTwice()
{
    const QHash<quint64, quint64> before = std::exchange(m_alsoListed, {});
    QHash<QByteArray, int> firstByPath;
    QHash<QPair<quint64, quint64>, int> firstByFile;
    int nFiles = 0;
    for (int i = 0; i < int(m_rows.size()); ++i) {
        const FileRecord& rec = m_rows.at(i);
        if (!rec.bInUse)
            continue;
        const QPair<quint64, quint64> file(rec.nDevice, rec.nInode);
        const bool bKnown = rec.nInode != 0;
        int nFirst = firstByPath.value(rec.path, -1);
        if (bKnown) {
            const int nByFile = firstByFile.value(file, -1);
            if (nFirst < 0 || (nByFile >= 0 && nByFile < nFirst))
                nFirst = nByFile;
        }
        if (nFirst < 0) {
            firstByPath.insert(rec.path, i);
            if (bKnown)
                firstByFile.insert(file, i);
            continue;
        }
        const quint64 nFirstId = m_rows.at(nFirst).nId;
        m_alsoListed.insert(rec.nId, nFirstId);
        if (!m_alsoListed.contains(nFirstId)) {
            m_alsoListed.insert(nFirstId, rec.nId);
            ++nFiles;
        }
        firstByPath.insert(rec.path, nFirst);
        if (bKnown && !firstByFile.contains(file))
            firstByFile.insert(file, nFirst);
    }
    // Only the Filename cells whose mark came or went change.
    for (int i = 0; i < int(m_rows.size()); ++i) {
        const quint64 nId = m_rows.at(i).nId;
        if (before.value(nId) != m_alsoListed.value(nId))
            EmitRowChanged(i, COL_FILENAME, COL_FILENAME);
    }
    return nFiles;
}

int CFileListModel::AlsoListedIn(int nRow) const
{
    if (m_alsoListed.isEmpty() || nRow < 0 || nRow >= int(m_rows.size()))
        return -1;
    const auto it = m_alsoListed.constFind(m_rows.at(nRow).nId);
    return it == m_alsoListed.constEnd() ? -1 : FindRow(*it);
}

qint64 CFileListModel::ClearPages(const std::function<bool(int)>& pick)
{
    qint64 nSum = 0;
    int nFirst = -1;
    int nLast = -1;
    for (int i = 0; i < int(m_rows.size()); ++i) {
        if (pick && !pick(i))
            continue;
        FileRecord& rec = m_rows[i];
        if (rec.nPages > 0 && rec.bPagesInTotal)
            nSum += rec.nPages;
        rec.bPagesInTotal = false;
        if (rec.nPages < 0 && rec.PagesNote().isEmpty())
            continue;
        rec.nPages = -1;
        rec.SetPagesNote(QString());
        rec.SetPageSummary(CPageSummary());
        if (nFirst < 0)
            nFirst = i;
        nLast = i;
    }
    if (nFirst >= 0)
        emit dataChanged(index(nFirst, COL_PAGES), index(nLast, COL_PAGES), {Qt::DisplayRole});
    SetPagesTotal(m_nPages - nSum);
    return nSum;
}

void CFileListModel::AppendRows(QVector<FileRecord> rows)
{
    if (rows.isEmpty())
        return;
    const int nFirst = int(m_rows.size());
    for (int i = 0; i < int(rows.size()); ++i) {
        rows[i].nId = m_nNextId++;
        if (m_bIdsValid)
            m_rowOfId.insert(rows[i].nId, nFirst + i);
    }
    beginInsertRows(QModelIndex(), nFirst, nFirst + int(rows.size()) - 1);
    if (m_rows.isEmpty())
        m_rows = std::move(rows);
    else
        m_rows.append(rows);
    endInsertRows();
}

void CFileListModel::AppendRow(FileRecord row)
{
    AppendRows({std::move(row)});
}

int CFileListModel::RemoveRowsIf(const std::function<bool(int, const FileRecord&)>& pred)
{
    // Decide first, so the predicate sees every row once and the notifications come after.
    QVector<int> gone;
    for (int i = 0; i < int(m_rows.size()); ++i) {
        if (pred(i, m_rows.at(i)))
            gone.append(i);
    }
    if (gone.isEmpty())
        return 0;
    int nRanges = 1;
    for (int k = 1; k < int(gone.size()); ++k) {
        if (gone[k] != gone[k - 1] + 1)
            ++nRanges;
    }
    if (nRanges > kMaxRemovalRanges) {
        beginResetModel();
        QVector<FileRecord> kept;
        kept.reserve(m_rows.size() - gone.size());
        int g = 0;
        for (int i = 0; i < int(m_rows.size()); ++i) {
            if (g < int(gone.size()) && gone[g] == i)
                ++g;
            else
                kept.append(std::move(m_rows[i]));
        }
        m_rows = std::move(kept);
        InvalidateIds();
        endResetModel();
    } else {
        // From the bottom up, so the earlier indexes stay right.
        int k = int(gone.size()) - 1;
        while (k >= 0) {
            int nFirst = k;
            while (nFirst > 0 && gone[nFirst - 1] == gone[nFirst] - 1)
                --nFirst;
            removeRows(gone[nFirst], k - nFirst + 1);
            k = nFirst - 1;
        }
    }
    return int(gone.size());
}

void CFileListModel::Clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    InvalidateIds();
    endResetModel();
}

void CFileListModel::SwapRows(int nRowA, int nRowB)
{
    const int nRows = int(m_rows.size());
    if (nRowA == nRowB || nRowA < 0 || nRowB < 0 || nRowA >= nRows || nRowB >= nRows)
        return;
    QVector<int> order(nRows);
    for (int i = 0; i < nRows; ++i)
        order[i] = i;
    std::swap(order[nRowA], order[nRowB]);
    // Only the two rows change places; the layout change tells the views and moves their indexes.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList from;
    QModelIndexList to;
    for (const QModelIndex& i : persistent) {
        if (i.row() == nRowA || i.row() == nRowB) {
            from.append(i);
            to.append(index(i.row() == nRowA ? nRowB : nRowA, i.column()));
        }
    }
    changePersistentIndexList(from, to);
    std::swap(m_rows[nRowA], m_rows[nRowB]);
    InvalidateIds();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CFileListModel::Reorder(const QVector<int>& order)
{
    const int nRows = int(m_rows.size());
    if (int(order.size()) != nRows)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QVector<int> newRowOf(nRows);
    for (int i = 0; i < nRows; ++i)
        newRowOf[order[i]] = i;
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& i : from)
        to.append(i.row() < nRows ? index(newRowOf[i.row()], i.column()) : QModelIndex());
    changePersistentIndexList(from, to);
    QVector<FileRecord> rows;
    rows.reserve(nRows);
    for (int i = 0; i < nRows; ++i)
        rows.append(std::move(m_rows[order[i]]));
    m_rows = std::move(rows);
    InvalidateIds();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
