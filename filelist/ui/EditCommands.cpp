#include "EditCommands.h"

#include "common/core/FileName.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/core/SortOrder.h"

#include <QCursor>
#include <QDesktopServices>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableView>
#include <QUrl>

#include <algorithm>

namespace {

// Which rows are selected, found in one pass over the selection's ranges.
QVector<bool> SelectedMask(const SListHost& host)
{
    QVector<bool> picked(host.pModel->GetRowCount(), false);
    for (const QItemSelectionRange& range : host.pView->selectionModel()->selection()) {
        for (int r = std::max(range.top(), 0); r <= range.bottom() && r < int(picked.size()); ++r)
            picked[r] = true;
    }
    return picked;
}

int FirstSelectedRow(const SListHost& host)
{
    const QItemSelection selection = host.pView->selectionModel()->selection();
    int nFirst = -1;
    for (const QItemSelectionRange& range : selection) {
        if (nFirst < 0 || range.top() < nFirst)
            nFirst = range.top();
    }
    return nFirst;
}

void SelectAndFocus(const SListHost& host, int nRow)
{
    QItemSelectionModel* pSelection = host.pView->selectionModel();
    const QModelIndex index = host.pModel->index(nRow, 0);
    pSelection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    pSelection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

}  // namespace

void SelectAllRows(const SListHost& host)
{
    const int nRows = host.pModel->GetRowCount();
    if (nRows == 0)
        return;
    QItemSelectionModel* pSelection = host.pView->selectionModel();
    // One range for all rows: a selection of a hundred thousand rows costs no more than one of ten.
    pSelection->select(QItemSelection(host.pModel->index(0, 0), host.pModel->index(nRows - 1, FILE_COLUMN_COUNT - 1)),
                       QItemSelectionModel::ClearAndSelect);
    pSelection->setCurrentIndex(host.pModel->index(nRows - 1, 0), QItemSelectionModel::NoUpdate);
}

void ClearAllRows(const SListHost& host)
{
    host.pModel->Clear();
}

void ResetAllPageCounts(const SListHost& host)
{
    host.pModel->ResetPagesTotal();
    host.pModel->ClearPages();
}

void ResetSelectedCounts(const SListHost& host)
{
    const QVector<bool> picked = SelectedMask(host);
    host.pModel->ClearPages([&picked](int r) { return picked[r]; });
}

void DeleteSelectedRows(const SListHost& host)
{
    const QVector<bool> picked = SelectedMask(host);
    host.pModel->RemoveRowsIf([&picked](int r, const FileRecord&) { return picked[r]; });
}

void OpenSelectedFiles(const SListHost& host)
{
    const QVector<bool> picked = SelectedMask(host);
    for (int r = 0; r < int(picked.size()); ++r) {
        if (picked[r])
            QDesktopServices::openUrl(FileUrl(host.pModel->GetRecord(r).path));
    }
}

void MoveSelectedRow(const SListHost& host, int nStep)
{
    const int nRow = FirstSelectedRow(host);
    host.pView->selectionModel()->clearSelection();
    const int nRows = host.pModel->GetRowCount();
    const int nTo = nRow + nStep;
    if (nRow < 0 || nRows < 2 || nTo < 0 || nTo >= nRows)
        return;
    host.pModel->SwapRows(nRow, nTo);
    SelectAndFocus(host, nTo);
}

void ToggleRowUse(const SListHost& host)
{
    const int nRow = FirstSelectedRow(host);
    if (nRow < 0)
        return;
    const bool bInUse = host.pModel->GetRecord(nRow).bInUse;
    host.pModel->SetUse(nRow, !bInUse, bInUse ? EFileStatus::None : EFileStatus::Ready);
}

void ShowRowMenu(const SListHost& host, QMenu* pMenu)
{
    if (FirstSelectedRow(host) < 0)
        return;
    pMenu->exec(QCursor::pos());
    host.pView->viewport()->update();
}

void SortRows(const SListHost& host, int nColumn)
{
    if (nColumn < 0 || nColumn >= FILE_COLUMN_COUNT || host.pModel->GetRowCount() < 2)
        return;
    // Each text is read once; the comparisons work on the copies.
    host.pModel->Reorder(QuickSortOrder(host.pModel->ColumnBytes(nColumn)));
}
