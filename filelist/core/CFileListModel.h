// The file list: the only store of the rows. Each row is a typed FileRecord; the model makes the
// seven column texts from it.
#pragma once

#include "FileRecord.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QVector>

#include <functional>

class CFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // True on a cell that carries a warning sign, its tool tip saying why: the Pages cell of a row
    // whose count fell short, the Filename cell of a row whose file is listed in another row too.
    static constexpr int WarningSignRole = Qt::UserRole + 1;

    explicit CFileListModel(QObject* pParent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int nRole = Qt::DisplayRole) const override;
    QVariant headerData(int nSection, Qt::Orientation eOrientation, int nRole = Qt::DisplayRole) const override;
    bool removeRows(int nRow, int nCount, const QModelIndex& parent = QModelIndex()) override;

    int GetRowCount() const { return int(m_rows.size()); }
    const FileRecord& GetRecord(int nRow) const { return m_rows.at(nRow); }
    // A column's text as the list shows it; empty for a row or column that does not exist.
    QString GetText(int nRow, int nColumn) const;

    // Every row's text of one column as the sort compares them (FileRecordBytes), in row order.
    QVector<QByteArray> ColumnBytes(int nColumn) const;

    // The row with an identity, or -1 when it is gone.
    int FindRow(quint64 nId) const;

    // Changes of one row; each tells the views about the cells it changed.
    void SetUse(int nRow, bool bInUse, EFileStatus eStatus);
    void SetStatus(int nRow, EFileStatus eStatus);
    // A count's result: status, pages (-1 for none), the note on a short count and what the pages
    // are; with facts, the size, times and identity from the same look at the file.
    void SetCount(int nRow, EFileStatus eStatus, qint64 nPages, const QString& strNote = QString(),
                  const SFileFacts* pFacts = nullptr, const CPageSummary& summary = CPageSummary());
    // A count's result that joins the pages total: the row's pages replace those it had there.
    void SetCounted(int nRow, qint64 nPages, const QString& strNote, const SFileFacts* pFacts,
                    const CPageSummary& summary);
    // A row whose file could not be read, and why; with facts, the size and times that could be known.
    void SetReadError(int nRow, const QString& strWhy, const SFileFacts* pFacts = nullptr);
    // The size, times and identity of a row's file from a look at it; null: it cannot be read.
    void SetFacts(int nRow, const SFileFacts* pFacts);
    // The rows (by identity) whose files never answered are shown as files that cannot be read,
    // with one notification.
    void GiveUpFacts(const QVector<quint64>& rowIds);
    // Empties the Pages cells (and the profiles) of the rows for which pick is true (every row
    // without one), with one notification; the pages total goes down by those of their pages it
    // held, which are returned.
    qint64 ClearPages(const std::function<bool(int)>& pick = {});

    // The pages counted: each counted row's pages join it when they are counted, and leave it when
    // they are reset; rows deleted leave it as it is.
    qint64 PagesTotal() const { return m_nPages; }
    // The total becomes 0: it holds no row's pages any more.
    void ResetPagesTotal();

    // Appends rows at the end, all with one insertion notification.
    void AppendRows(QVector<FileRecord> rows);
    void AppendRow(FileRecord row);

    // Removes every row for which pred is true, keeping the order of the others. Few removals go
    // out as per-range notifications; many scattered ones as one reset, so that the views never do
    // a pass over all rows per range.
    int RemoveRowsIf(const std::function<bool(int, const FileRecord&)>& pred);
    void Clear();

    // Marks the rows in use that name a file another row in use names too (the same path, or the
    // same device and inode): each names one other such row. Returns how many files are listed
    // more than once.
    int MarkFilesListedTwice();
    // The row (0-based) that also lists a marked row's file, or -1.
    int AlsoListedIn(int nRow) const;

signals:
    void pagesTotalChanged(qint64 nPages);

public:
    // Exchanges two rows; persistent indexes (and with them selection and focus) go with them.
    void SwapRows(int nRowA, int nRowB);
    // Puts the rows in a new order: row i becomes the row that was at order[i]. Persistent indexes
    // go with their rows.
    void Reorder(const QVector<int>& order);

private:
    void EmitRowChanged(int nRow, int nFirstColumn, int nLastColumn);
    void InvalidateIds() { m_bIdsValid = false; }

    void SetPagesTotal(qint64 nPages);

    QVector<FileRecord> m_rows;
    qint64 m_nPages = 0;
    // Row identity to the identity of another row naming the same file; few rows have one.
    QHash<quint64, quint64> m_alsoListed;
    quint64 m_nNextId = 1;
    mutable QHash<quint64, int> m_rowOfId;
    mutable bool m_bIdsValid = true;
};
