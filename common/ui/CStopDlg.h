// A small modeless window of a long operation: one line of text, and Stop. The Processing and
// the Scan windows are both of this kind.
#pragma once

#include <QDialog>

class QLineEdit;

class CStopDlg : public QDialog {
    Q_OBJECT
public:
    // Built from dialog template nTemplate, whose edit nTextId shows the text; modeless over its
    // owner and shown at once.
    CStopDlg(int nTemplate, int nTextId, QWidget* pParent);

    void SetText(const QString& strText);
    QString GetText() const;
    // How far the operation is, where the window shows it.
    virtual void SetProgress(int nDone, int nTotal)
    {
        Q_UNUSED(nDone);
        Q_UNUSED(nTotal);
    }

    bool m_bStop = false;

signals:
    // Stop was pressed: the operation ends at once.
    void stopRequested();

public slots:
    // Stop: sets the flag, hides the window and tells the operation.
    void OnStop();
    void reject() override;

private:
    QLineEdit* m_editText = nullptr;
};
