// Resource identifiers: dialogs, controls, menus, accelerators, commands, strings, bitmaps.
#pragma once

// Dialog templates
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_PAGECOUNT_DIALOG = 102;
constexpr int IDD_PROCESSING = 131;
constexpr int IDD_SCAN = 132;
constexpr int IDD_SPLASH = 134;

// Menus, accelerators, icon, bitmap
constexpr int IDR_MAINFRAME = 128;      // application icon
constexpr int IDR_MENU_MAIN = 129;
constexpr int IDR_MENU_ROW = 130;
constexpr int IDR_ACCELERATOR = 133;
constexpr int IDB_SPLASH = 138;

// Strings
constexpr int IDS_ABOUTBOX = 101;

// Controls of the main window
constexpr int IDC_COUNT_FILES = 1000;
constexpr int IDC_FILE_LIST = 1002;
constexpr int IDC_SUB_FOLDERS = 1003;
constexpr int IDC_CLOSE = 1004;
constexpr int IDC_ITEMS = 1005;
constexpr int IDC_ITEMS_LABEL = 1006;
constexpr int IDC_PAGES = 1012;
constexpr int IDC_PAGES_LABEL = 1013;
constexpr int IDC_WEBSITE = 1016;

// Controls of the Processing and Scan dialogs
constexpr int IDC_PROCESSING_FILE = 1007;
constexpr int IDC_PROCESSING_PROGRESS = 1008;
constexpr int IDC_STOP = 1009;
constexpr int IDC_SCAN_DIRECTORY = 1011;

// Controls of the About box
constexpr int IDC_ABOUT_HOMEPAGE = 1014;
constexpr int IDC_ABOUT_EMAIL = 1015;

// The platform's id of a dialog's OK button
constexpr int IDOK = 1;

// Controls without an identifier of their own
constexpr int IDC_STATIC = -1;

// Commands
constexpr int IDM_ABOUTBOX = 0x0010;
constexpr int ID_FILE_SCANDIRECTORIES = 32771;
constexpr int ID_FILE_EXIT = 32772;
constexpr int ID_ACTION_DELETE = 32773;
constexpr int ID_ACTION_OPEN = 32774;
constexpr int ID_ACTION_SELECTALL = 32775;
constexpr int ID_ACTION_CLEARALL = 32776;
constexpr int ID_REPORTS_CSV = 32777;
constexpr int ID_REPORTS_TEXT = 32778;
constexpr int ID_FILTER_REMOVENONTIF = 32779;
constexpr int ID_SORT_FILENAME = 32780;
constexpr int ID_SORT_FILESIZE = 32781;
constexpr int ID_SORT_STATUS = 32783;
constexpr int ID_SORT_PAGECOUNT = 32784;
constexpr int ID_SORT_USE = 32785;
constexpr int ID_ACTION_RESETCOUNT = 32786;
constexpr int ID_ACCEL_DELETE = 32787;
constexpr int ID_ACTION_RESETALL = 32788;
constexpr int ID_FILE_LOADLIST = 32789;
constexpr int ID_FILE_SAVELIST = 32790;
constexpr int ID_FILE_SAVELISTAS = 32791;
constexpr int ID_FILE_APPENDLIST = 32792;
constexpr int ID_HELP_WEBSITE = 32796;
constexpr int ID_HELP_EMAIL = 32798;
constexpr int ID_HELP_HTMLHELP = 32799;
constexpr int ID_ROW_MOVEUP = 32800;
constexpr int ID_ROW_MOVEDOWN = 32801;
constexpr int ID_ACTION_MOVEUP = 32802;
constexpr int ID_ACTION_MOVEDOWN = 32803;
constexpr int ID_ACCEL_MOVEUP = 32804;
constexpr int ID_ACCEL_MOVEDOWN = 32805;
constexpr int ID_SORT_CREATED = 32806;
constexpr int ID_SORT_MODIFIED = 32808;
constexpr int ID_REPORTS_PROFILE = 32809;
constexpr int ID_REPORTS_PROFILEWINDOW = 32810;
constexpr int ID_REPORTS_SUMMARY = 32811;
constexpr int ID_REPORTS_AUDIT = 32812;
