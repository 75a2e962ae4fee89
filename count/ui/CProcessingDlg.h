// The small window that shows which file is being counted, the run's progress, and Stop.
#pragma once

#include <QDialog>

class QLineEdit;
class QProgressBar;
class QPushButton;

class CProcessingDlg : public QDialog {
    Q_OBJECT
public:
    // Created modeless over its owner and shown at once.
    explicit CProcessingDlg(QWidget* pParent);

    void SetFile(const QString& strFile);
    QString GetFile() const;
    // Rows visited of all rows.
    void SetProgress(int nDone, int nTotal);

    bool m_bStop = false;

public slots:
    void OnStop();
    void reject() override;

private:
    QLineEdit* m_editFile = nullptr;
    QProgressBar* m_progress = nullptr;
};
