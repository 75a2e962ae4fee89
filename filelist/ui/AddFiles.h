// Adding files to the list: dropped files (and files named on the command line), the directory
// scan, and the non-TIFF filter.
#pragma once

#include "common/ui/ListHost.h"

#include <QByteArray>
#include <QList>
#include <QUrl>

#include <functional>

// Appends a row for every dropped file, in the drop's order; directories and items that no
// longer exist are skipped without a message.
void RunDropFiles(const SListHost& host, const QList<QUrl>& urls);
// The same for paths given as bytes (the command line).
void AddDroppedPaths(const SListHost& host, const QList<QByteArray>& paths);

// Asks for a directory, scans it under the Scan window (sub-directories too when readSubFolders,
// asked when the chooser returns, says so), then offers to remove the files that are not TIFF.
// Returns at once after the chooser; the scan goes on in the window's event loop.
void RunScanDirectories(const SListHost& host, const std::function<bool()>& readSubFolders);

// Removes every row whose file fails the TIFF signature test and says how many went. Returns at
// once; the files are tested on every core.
void RunRemoveNonTiffFiles(const SListHost& host);
