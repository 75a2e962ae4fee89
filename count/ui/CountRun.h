// The count run behind "&Count files in list".
#pragma once

class CPageCountDlg;

// Counts every row in use that is not counted yet (every row in use after "Yes" to the re-run
// question), writes each row's status and pages, and keeps the pages total.
void RunCountFiles(CPageCountDlg& dlg);
