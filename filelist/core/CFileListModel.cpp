#include "CFileListModel.h"

namespace {

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
    if (nRole == Qt::DisplayRole || (nRole == Qt::ToolTipRole && index.column() == COL_FILENAME))
        return m_rows.at(index.row())[index.column()];
    return QVariant();
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
    endRemoveRows();
    return true;
}

QString CFileListModel::GetText(int nRow, int nColumn) const
{
    if (nRow < 0 || nRow >= int(m_rows.size()) || nColumn < 0 || nColumn >= FILE_COLUMN_COUNT)
        return QString();
    return m_rows.at(nRow)[nColumn];
}

void CFileListModel::SetText(int nRow, int nColumn, const QString& strText)
{
    if (nRow < 0 || nRow >= int(m_rows.size()) || nColumn < 0 || nColumn >= FILE_COLUMN_COUNT)
        return;
    QString& strCell = m_rows[nRow][nColumn];
    if (strCell == strText)
        return;
    strCell = strText;
    const QModelIndex cell = index(nRow, nColumn);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void CFileListModel::AppendRows(QVector<FileRecord> rows)
{
    if (rows.isEmpty())
        return;
    const int nFirst = int(m_rows.size());
    beginInsertRows(QModelIndex(), nFirst, nFirst + int(rows.size()) - 1);
    if (m_rows.isEmpty())
        m_rows = std::move(rows);
    else
        m_rows.append(rows);
    endInsertRows();
}

void CFileListModel::AppendRow(FileRecord row)
{
    const int nRow = int(m_rows.size());
    beginInsertRows(QModelIndex(), nRow, nRow);
    m_rows.append(std::move(row));
    endInsertRows();
}

int CFileListModel::RemoveRowsIf(const std::function<bool(const FileRecord&)>& pred)
{
    // Decide first, so the predicate sees every row once and the notifications come after.
    QVector<int> gone;
    for (int i = 0; i < int(m_rows.size()); ++i) {
        if (pred(m_rows.at(i)))
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
    endResetModel();
}
