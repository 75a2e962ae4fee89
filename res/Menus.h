// Menus, the accelerator table and the string table, as data.
#pragma once

#include <QString>
#include <Qt>

struct SMenuItem {
    const char* pszText;        // null for a separator; "\t" separates the shortcut text
    int nId;
};

struct SMenuPopup {
    const char* pszText;
    const SMenuItem* pItems;
    int nItems;
};

struct SMenu {
    int nId;
    const SMenuPopup* pPopups;
    int nPopups;
};

struct SAccelerator {
    Qt::Key eKey;
    Qt::KeyboardModifiers eModifiers;
    int nCommand;
};

// Menu 129 (main window's menu bar) and 130 (the list's row menu); null for an unknown id.
const SMenu* FindMenu(int nId);

// Accelerator table 133.
const SAccelerator* Accelerators(int* pnCount);

// The string table entry of an id, empty when there is none.
QString LoadString(int nId);
