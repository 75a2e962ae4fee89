#include "DialogTemplates.h"

#include "resource.h"
#include "res/Version.h"

#include <iterator>
#include <string>

namespace {

const SControlTemplate kMainControls[] = {
    {IDC_COUNT_FILES, EControlKind::PushButton, "&Count files in list", 141, 154, 76, 14, CS_TABSTOP, nullptr},
    {IDC_FILE_LIST, EControlKind::ListView, "", 0, 16, 358, 128,
     CS_REPORT | CS_SHOWSELALWAYS | CS_BORDER | CS_TABSTOP, "File list"},
    {IDC_STATIC, EControlKind::Static, "Drag && Drop files into list below", 122, 5, 98, 8, CS_NONE, nullptr},
    {IDC_SUB_FOLDERS, EControlKind::CheckBox, "Scan Includes Sub Folders", 256, 5, 101, 10,
     CS_LEFTTEXT | CS_TABSTOP, nullptr},
    {IDC_CLOSE, EControlKind::PushButton, "&Close", 308, 154, 49, 14, CS_TABSTOP, nullptr},
    {IDC_ITEMS, EControlKind::Edit, "", 26, 153, 30, 12, CS_READONLY | CS_NUMBER | CS_AUTOHSCROLL | CS_TABSTOP,
     "Items"},
    {IDC_ITEMS_LABEL, EControlKind::Static, "Items:", 3, 153, 20, 8, CS_NONE, nullptr},
    {IDC_PAGES_LABEL, EControlKind::Static, "Pages:", 65, 153, 23, 8, CS_NONE, nullptr},
    {IDC_PAGES, EControlKind::Edit, "", 91, 153, 29, 12, CS_READONLY | CS_NUMBER | CS_AUTOHSCROLL | CS_TABSTOP,
     "Pages"},
    {IDC_WEBSITE, EControlKind::Static, "Go to Quorbel Website", 4, 167, 104, 8, CS_NONE, nullptr},
};

const SControlTemplate kProcessingControls[] = {
    {IDC_STATIC, EControlKind::Static, "File:", 3, 2, 14, 8, CS_NONE, nullptr},
    {IDC_PROCESSING_FILE, EControlKind::Edit, "", 21, 2, 149, 12, CS_READONLY | CS_AUTOHSCROLL | CS_TABSTOP,
     "File"},
    {IDC_PROCESSING_PROGRESS, EControlKind::ProgressBar, "", 3, 18, 168, 10, CS_BORDER, "Progress"},
    {IDC_STOP, EControlKind::PushButton, "&Stop", 62, 33, 50, 14, CS_DEFPUSHBUTTON | CS_TABSTOP, nullptr},
};

const SControlTemplate kScanControls[] = {
    {IDC_STATIC, EControlKind::Static, "Directory:", 5, 9, 31, 8, CS_NONE, nullptr},
    {IDC_SCAN_DIRECTORY, EControlKind::Edit, "", 39, 10, 178, 12, CS_READONLY | CS_AUTOHSCROLL | CS_TABSTOP,
     "Directory"},
    {IDC_STOP, EControlKind::PushButton, "&Stop", 86, 28, 50, 14, CS_DEFPUSHBUTTON | CS_TABSTOP, nullptr},
};

const SControlTemplate kSplashControls[] = {
    {IDC_STATIC, EControlKind::Picture, "", 0, 0, 167, 154, CS_NONE, "Pagewick"},
};

const SControlTemplate kAboutControls[] = {
    {IDC_STATIC, EControlKind::Icon, ":/images/pagewick.png", 11, 17, 21, 20, CS_NONE, "Pagewick"},
    {IDC_STATIC, EControlKind::Static, "Pagewick v" PAGEWICK_VERSION, 40, 10, 119, 8, CS_NOPREFIX, nullptr},
    {IDC_STATIC, EControlKind::Static, "Copyright (C) Quorbel. All rights reserved.", 40, 25, 151, 8, CS_NONE,
     nullptr},
    {IDOK, EControlKind::PushButton, "OK", 178, 7, 50, 14, CS_DEFPUSHBUTTON | CS_TABSTOP, nullptr},
    // The links' texts are the maker's addresses; the box puts them in (CAboutDlg).
    {IDC_ABOUT_HOMEPAGE, EControlKind::Static, "", 41, 40, 134, 8, CS_NOPREFIX, "Home page"},
    {IDC_ABOUT_EMAIL, EControlKind::Static, "", 41, 55, 138, 8, CS_NOPREFIX, "Support e-mail"},
};

const SDialogTemplate kTemplates[] = {
    {IDD_ABOUTBOX, "About Pagewick", 235, 73, "MS Sans Serif", 8, kAboutControls, int(std::size(kAboutControls))},
    {IDD_PAGECOUNT_DIALOG, "Pagewick v" PAGEWICK_VERSION "  -= By Quorbel =-", 359, 175, "MS Sans Serif", 8, kMainControls,
     int(std::size(kMainControls))},
    {IDD_PROCESSING, "Processing...", 174, 49, "MS Sans Serif", 8, kProcessingControls,
     int(std::size(kProcessingControls))},
    {IDD_SCAN, "Scan", 224, 45, "MS Sans Serif", 8, kScanControls, int(std::size(kScanControls))},
    {IDD_SPLASH, "", 167, 154, "MS Sans Serif", 8, kSplashControls, int(std::size(kSplashControls))},
};

}  // namespace

const SDialogTemplate* FindDialogTemplate(int nId)
{
    for (const SDialogTemplate& t : kTemplates) {
        if (t.nId == nId)
            return &t;
    }
    return nullptr;
}
