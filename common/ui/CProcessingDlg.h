// The small window that shows which file is being counted, the run's progress, and Stop.
#pragma once

#include "CStopDlg.h"

class QProgressBar;

class CProcessingDlg : public CStopDlg {
    Q_OBJECT
public:
    // Captioned "Processing..." (a count), or with the name of the operation it shows.
    explicit CProcessingDlg(QWidget* pParent, const QString& strCaption = QString());

    void SetFile(const QString& strFile) { SetText(strFile); }
    QString GetFile() const { return GetText(); }
    // Rows visited of all rows.
    void SetProgress(int nDone, int nTotal) override;

private:
    QProgressBar* m_progress = nullptr;
};
