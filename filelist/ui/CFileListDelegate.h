// Draws the list's cells and shows their tool tips: a warning sign beside the page count of a file
// that was counted short and beside the name of a file listed twice; a long tool tip in lines.
#pragma once

#include <QStyledItemDelegate>

class CFileListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Tool tips are never wider than this (a path of 300 characters would cross the screen).
    static constexpr int kMaxToolTipWidth = 600;

    bool helpEvent(QHelpEvent* pEvent, QAbstractItemView* pView, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* pOption, const QModelIndex& index) const override;
};

// Breaks every line of a text that is wider than nMaxWidth in this font into lines that are not,
// between words where it can, anywhere in a word where it must. Only line feeds are added.
QString WrapToolTip(const QString& strText, const QFont& font, int nMaxWidth);
