#include "CFileListDelegate.h"

#include "filelist/core/CFileListModel.h"

#include <QApplication>
#include <QStyle>

void CFileListDelegate::initStyleOption(QStyleOptionViewItem* pOption, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(pOption, index);
    if (!index.data(CFileListModel::WarningSignRole).toBool())
        return;
    static const QIcon warning = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    pOption->icon = warning;
    pOption->features |= QStyleOptionViewItem::HasDecoration;
    const int nSide = pOption->fontMetrics.height();
    pOption->decorationSize = QSize(nSide, nSide);
}
