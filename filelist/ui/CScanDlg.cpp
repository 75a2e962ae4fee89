#include "CScanDlg.h"

CScanDlg::CScanDlg(QWidget* pParent) : CStopDlg(QStringLiteral("Scan"), QStringLiteral("Directory:"), 45, pParent) {}
