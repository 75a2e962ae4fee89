// The file list: the only store of the rows, each held as its seven column texts.
#pragma once

#include "FileRecord.h"

#include <QAbstractTableModel>
#include <QVector>

#include <functional>

class CFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CFileListModel(QObject* pParent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int nRole = Qt::DisplayRole) const override;
    QVariant headerData(int nSection, Qt::Orientation eOrientation, int nRole = Qt::DisplayRole) const override;
    bool removeRows(int nRow, int nCount, const QModelIndex& parent = QModelIndex()) override;

    int GetRowCount() const { return int(m_rows.size()); }
    QString GetText(int nRow, int nColumn) const;
    void SetText(int nRow, int nColumn, const QString& strText);
    const FileRecord& GetRecord(int nRow) const { return m_rows.at(nRow); }

    // Appends rows at the end, all with one insertion notification.
    void AppendRows(QVector<FileRecord> rows);
    void AppendRow(FileRecord row);

    // Removes every row for which pred is true. Few removals go out as per-range notifications;
    // many scattered ones as one reset, so that the views never do a pass over all rows per range.
    int RemoveRowsIf(const std::function<bool(const FileRecord&)>& pred);
    void Clear();

private:
    QVector<FileRecord> m_rows;
};
