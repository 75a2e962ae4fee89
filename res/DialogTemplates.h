// Dialog templates as data: every control with its id, kind, text, place (dialog units) and style.
#pragma once

#include <QtGlobal>

enum class EControlKind { Static, Edit, PushButton, CheckBox, ListView, ProgressBar, Picture, Icon };

// Style bits of a control, as the templates give them.
enum EControlStyle : unsigned {
    CS_NONE = 0,
    CS_TABSTOP = 1u << 0,
    CS_READONLY = 1u << 1,
    CS_NUMBER = 1u << 2,        // digits only
    CS_AUTOHSCROLL = 1u << 3,
    CS_DEFPUSHBUTTON = 1u << 4,
    CS_LEFTTEXT = 1u << 5,      // check box text left of the box
    CS_BORDER = 1u << 6,
    CS_SHOWSELALWAYS = 1u << 7,
    CS_REPORT = 1u << 8,
    CS_NOPREFIX = 1u << 9,      // "&" is shown as it stands
};

struct SControlTemplate {
    int nId;                    // IDC_STATIC (-1) when the control has none
    EControlKind eKind;
    const char* pszText;        // UTF-8; "&" marks the mnemonic, "&&" shows one ampersand
    int x, y, cx, cy;           // dialog units
    unsigned nStyle;
    const char* pszAccessibleName;  // for controls whose own text does not name them; may be null
};

struct SDialogTemplate {
    int nId;
    const char* pszCaption;
    int cx, cy;                 // client size in dialog units
    const char* pszFontFace;
    int nFontPoints;
    const SControlTemplate* pControls;
    int nControls;
};

// The templates of the program, by dialog id; null for an unknown id.
const SDialogTemplate* FindDialogTemplate(int nId);
