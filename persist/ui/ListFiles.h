// The list-file commands of the File menu: Load, Append, Save and SaveAs File List.
#pragma once

#include "common/ui/ListHost.h"

// Load File List (bAppend false) and Append File List: asks for a list file, then (for Load)
// empties the list and reads the file's rows into it. Returns once the file is open; the rows come
// in the window's event loop.
void RunLoadList(const SListHost& host, bool bAppend);

// Save File List (to the current list path, or "default.lst") and SaveAs File List (to a path the
// user chooses, which becomes the current one).
void RunSaveList(const SListHost& host, bool bSaveAs);
