// Adding files to the list: dropped files, and the directory scan.
#pragma once

#include <QList>
#include <QUrl>

class CPageCountDlg;

// Appends a row for every dropped file, in the drop's order; directories and items that no
// longer exist are skipped without a message.
void RunDropFiles(CPageCountDlg& dlg, const QList<QUrl>& urls);

// Asks for a directory, scans it (and its sub-directories when the box is ticked) under the Scan
// dialog, then offers to remove the files that are not TIFF.
void RunScanDirectories(CPageCountDlg& dlg);

// Removes every row whose file fails the TIFF signature test and says how many went.
void RunRemoveNonTiffFiles(CPageCountDlg& dlg);
