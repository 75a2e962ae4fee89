// The small window of a directory scan: the directory being read, and Stop.
#pragma once

#include <QDialog>

class QLineEdit;

class CScanDlg : public QDialog {
    Q_OBJECT
public:
    // Created modeless over its owner and shown at once.
    explicit CScanDlg(QWidget* pParent);

    void SetDirectory(const QString& strDirectory);
    QString GetDirectory() const;

    bool m_bStop = false;

public slots:
    void OnStop();
    void reject() override;

private:
    QLineEdit* m_editDirectory = nullptr;
};
