// Rules for a folder typed into the folder chooser. An absolute path starts at "/" and its
// components are separated by "/". Names that a Windows share could not hold are refused too, so
// that a list made here stays usable there.
#pragma once

#include <QString>

enum EFolderCheck {
    FOLDER_GOOD = 0,
    FOLDER_INVALID = 1,
    FOLDER_CANNOT_CREATE = 2,
};

// Whether a text may serve as one directory name: not empty, no blank, tab or full stop at
// either end, none of " * / : < > ? \ |.
bool IsValidFolderName(const QString& strName);

// Checks an absolute folder path component by component; in create mode also creates every
// missing level, outermost first (levels created before a failure stay).
EFolderCheck CheckOrCreateFolderPath(const QString& strPath, bool bCheckOnly);

// Whether the path names an existing directory.
bool FolderExists(const QString& strPath);
