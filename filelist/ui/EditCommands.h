// The commands that edit the list: selecting, clearing, resetting counts, deleting, opening,
// moving a row, switching a row's use, the row menu, and sorting by a column.
#pragma once

#include "common/ui/ListHost.h"

class QMenu;

// Selects every row; the last one gets the focus.
void SelectAllRows(const SListHost& host);
// Empties the list; the pages total keeps its value.
void ClearAllRows(const SListHost& host);
// The pages total becomes 0 and every Pages cell empty; statuses stay.
void ResetAllPageCounts(const SListHost& host);
// Lowers the pages total by the pages of each selected row and empties their cells.
void ResetSelectedCounts(const SListHost& host);
// Removes the selected rows; the others keep their order.
void DeleteSelectedRows(const SListHost& host);
// Asks the desktop to open each selected file with its program, topmost first; a failure is not
// reported.
void OpenSelectedFiles(const SListHost& host);
// Moves the first selected row one place up (nStep -1) or down (+1): the other rows lose their
// selection; at the ends nothing moves and the selection is cleared.
void MoveSelectedRow(const SListHost& host, int nStep);
// Switches the first selected row between in use ("Ready.") and out of use (empty status).
void ToggleRowUse(const SListHost& host);
// With a row selected, shows the row menu at the mouse; its items run their commands.
void ShowRowMenu(const SListHost& host, QMenu* pMenu);
// Sorts the rows by one column's texts; selection and focus go with their rows.
void SortRows(const SListHost& host, int nColumn);
