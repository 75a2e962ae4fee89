// Draws the list's cells: a warning sign beside the page count of a file that was counted short.
#pragma once

#include <QStyledItemDelegate>

class CFileListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* pOption, const QModelIndex& index) const override;
};
