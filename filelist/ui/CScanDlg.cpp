#include "CScanDlg.h"

#include "res/resource.h"

CScanDlg::CScanDlg(QWidget* pParent) : CStopDlg(IDD_SCAN, IDC_SCAN_DIRECTORY, pParent) {}
