// The small window that shows which file is being counted, the run's progress, and Stop.
#pragma once

#include "common/ui/CStopDlg.h"

class QProgressBar;

class CProcessingDlg : public CStopDlg {
    Q_OBJECT
public:
    explicit CProcessingDlg(QWidget* pParent);

    void SetFile(const QString& strFile) { SetText(strFile); }
    QString GetFile() const { return GetText(); }
    // Rows visited of all rows.
    void SetProgress(int nDone, int nTotal);

private:
    QProgressBar* m_progress = nullptr;
};
