#include "Menus.h"

#include "resource.h"

#include <iterator>

namespace {

#define POPUP(text, items) {text, items, int(std::size(items))}

const SMenuItem kFile[] = {
    {"&Scan Directories for Files", ID_FILE_SCANDIRECTORIES},
    {nullptr, 0},
    {"Load File List", ID_FILE_LOADLIST},
    {"Append File List", ID_FILE_APPENDLIST},
    {nullptr, 0},
    {"Save File List", ID_FILE_SAVELIST},
    {"SaveAs File List", ID_FILE_SAVELISTAS},
    {nullptr, 0},
    {"&Exit", ID_FILE_EXIT},
};
const SMenuItem kFilter[] = {
    {"Remove Non TIF Files From List", ID_FILTER_REMOVENONTIF},
};
const SMenuItem kAction[] = {
    {"&Select All", ID_ACTION_SELECTALL},
    {"&Clear All", ID_ACTION_CLEARALL},
    {"Reset All Page Counts", ID_ACTION_RESETALL},
    {nullptr, 0},
    {"&Reset Count (Selected)", ID_ACTION_RESETCOUNT},
    {"&Delete (Selected)\tDELETE", ID_ACTION_DELETE},
    {nullptr, 0},
    {"&Open", ID_ACTION_OPEN},
    {nullptr, 0},
    {"Move Up\ta", ID_ACTION_MOVEUP},
    {"Move Down\tz", ID_ACTION_MOVEDOWN},
};
const SMenuItem kSort[] = {
    {"Sort By Use", ID_SORT_USE},
    {"Sort By Filename", ID_SORT_FILENAME},
    {"Sort By Filesize", ID_SORT_FILESIZE},
    {"&Sort By Status", ID_SORT_STATUS},
    {"Sort By Page Count", ID_SORT_PAGECOUNT},
    {"Sort By Created Date", ID_SORT_CREATED},
    {"Sort By Modified Date", ID_SORT_MODIFIED},
};
const SMenuItem kReports[] = {
    {"&Generate CSV Report", ID_REPORTS_CSV},
    {"&Generate Text Report", ID_REPORTS_TEXT},
    {"Generate &Page Profile Report", ID_REPORTS_PROFILE},
    {"Generate &Folder Summary Report", ID_REPORTS_SUMMARY},
    {"Generate &Audit Report", ID_REPORTS_AUDIT},
    {nullptr, 0},
    {"Page Pro&file", ID_REPORTS_PROFILEWINDOW},
};
const SMenuItem kHelp[] = {
    {"Go to Website Homepage", ID_HELP_WEBSITE},
    {"&HTML Help", ID_HELP_HTMLHELP},
    {nullptr, 0},
    {"Email Bug/Suggestion/Comments", ID_HELP_EMAIL},
};
const SMenuPopup kMainPopups[] = {
    POPUP("&File", kFile),     POPUP("F&ilter", kFilter),   POPUP("&Action", kAction),
    POPUP("&Sort", kSort),     POPUP("&Reports", kReports), POPUP("&Help", kHelp),
};

const SMenuItem kRowOptions[] = {
    {"&Move Up\ta", ID_ROW_MOVEUP},
    {"Move Down\tz", ID_ROW_MOVEDOWN},
    {nullptr, 0},
    {"&Open", ID_ACTION_OPEN},
    {nullptr, 0},
    {"&Reset Count", ID_ACTION_RESETCOUNT},
    {"&Delete", ID_ACTION_DELETE},
};
const SMenuPopup kRowPopups[] = {POPUP("Options", kRowOptions)};

const SMenu kMenus[] = {
    {IDR_MENU_MAIN, kMainPopups, int(std::size(kMainPopups))},
    {IDR_MENU_ROW, kRowPopups, int(std::size(kRowPopups))},
};

const SAccelerator kAccelerators[] = {
    {Qt::Key_A, Qt::ControlModifier, ID_ACCEL_MOVEUP},
    {Qt::Key_Delete, Qt::NoModifier, ID_ACCEL_DELETE},
    {Qt::Key_Z, Qt::ControlModifier, ID_ACCEL_MOVEDOWN},
};

struct SStringEntry {
    int nId;
    const char* pszText;
};

const SStringEntry kStrings[] = {
    {IDS_ABOUTBOX, "&About Pagewick..."},
    {ID_FILE_SCANDIRECTORIES, "Scan directories for Files"},
    {ID_FILE_EXIT, "Exit the program"},
    {ID_ACTION_DELETE, "Delete the selected files from the list"},
    {ID_ACTION_OPEN, "Open the selected files"},
    {ID_ACTION_SELECTALL, "Select all files in the list"},
    {ID_ACTION_CLEARALL, "Remove all files from the list"},
    {ID_REPORTS_CSV, "Export the list as a CSV report"},
    {ID_REPORTS_TEXT, "Export the list as a text report"},
    {ID_FILTER_REMOVENONTIF, "Remove non TIF files from the list"},
    {ID_SORT_FILENAME, "Sort the list by file name"},
    {ID_SORT_FILESIZE, "Sort the list by file size"},
    {ID_SORT_STATUS, "Sort the list by status"},
    {ID_SORT_PAGECOUNT, "Sort the list by page count"},
    {ID_SORT_USE, "Sort the list by use"},
    {ID_ACTION_RESETCOUNT, "Reset the page count of the selected files"},
    {ID_ACTION_RESETALL, "Reset All Page Counts"},
    {ID_FILE_LOADLIST, "Load a file list"},
    {ID_FILE_SAVELIST, "Save the file list"},
    {ID_FILE_SAVELISTAS, "Save the file list under a new name"},
    {ID_FILE_APPENDLIST, "Append a file list"},
    {ID_HELP_WEBSITE, "Go to the website homepage"},
    {ID_HELP_EMAIL, "Email a bug report, suggestion or comment"},
    {ID_HELP_HTMLHELP, "Show the help"},
    {ID_ACTION_MOVEUP, "Move the selected file up"},
    {ID_ACTION_MOVEDOWN, "Move the selected file down"},
    {ID_SORT_CREATED, "Sort the list by created date"},
    {ID_SORT_MODIFIED, "Sort the list by modified date"},
    {ID_REPORTS_PROFILE, "Export the pages of the list by paper, colour and resolution as a CSV report"},
    {ID_REPORTS_PROFILEWINDOW, "Show the pages of the list by paper, colour and resolution"},
    {ID_REPORTS_SUMMARY, "Export the files, pages and problems of each folder as a CSV report"},
    {ID_REPORTS_AUDIT, "Export every file with its status and the reason for it as a CSV report"},
};

}  // namespace

const SMenu* FindMenu(int nId)
{
    for (const SMenu& m : kMenus) {
        if (m.nId == nId)
            return &m;
    }
    return nullptr;
}

const SAccelerator* Accelerators(int* pnCount)
{
    *pnCount = int(std::size(kAccelerators));
    return kAccelerators;
}

QString LoadString(int nId)
{
    for (const SStringEntry& s : kStrings) {
        if (s.nId == nId)
            return QString::fromUtf8(s.pszText);
    }
    return QString();
}
