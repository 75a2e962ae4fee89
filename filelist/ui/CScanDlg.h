// The small window of a directory scan: the directory being read, and Stop.
#pragma once

#include "common/ui/CStopDlg.h"

class CScanDlg : public CStopDlg {
    Q_OBJECT
public:
    explicit CScanDlg(QWidget* pParent);

    void SetDirectory(const QString& strDirectory) { SetText(strDirectory); }
    QString GetDirectory() const { return GetText(); }
};
