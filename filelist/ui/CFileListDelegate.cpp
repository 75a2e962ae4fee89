#include "CFileListDelegate.h"

#include "filelist/core/CFileListModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QStyle>
#include <QTextLayout>
#include <QToolTip>

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

bool CFileListDelegate::helpEvent(QHelpEvent* pEvent, QAbstractItemView* pView, const QStyleOptionViewItem& option,
                                  const QModelIndex& index)
{
    if (pEvent->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(pEvent, pView, option, index);
    const QString strTip = index.data(Qt::ToolTipRole).toString();
    if (strTip.isEmpty()) {
        QToolTip::hideText();
        pEvent->ignore();
        return true;
    }
    QToolTip::showText(pEvent->globalPos(), WrapToolTip(strTip, QToolTip::font(), kMaxToolTipWidth), pView,
                       option.rect);
    return true;
}

QString WrapToolTip(const QString& strText, const QFont& font, int nMaxWidth)
{
    QStringList lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& strLine : strText.split(u'\n')) {
        QTextLayout layout(strLine, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(nMaxWidth);
            lines.append(strLine.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
    }
    return lines.join(u'\n');
}
