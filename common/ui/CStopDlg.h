// A small modeless window of a long operation: a labelled line of text, and Stop. The Processing
// and the Scan windows are both of this kind.
#pragma once

#include <QDialog>

class QLineEdit;
class QVBoxLayout;

class CStopDlg : public QDialog {
    Q_OBJECT
public:
    // Titled strCaption, its text labelled strLabel ("File:") in a field about nFieldChars
    // characters wide; modeless over its owner and shown at once.
    CStopDlg(const QString& strCaption, const QString& strLabel, int nFieldChars, QWidget* pParent);

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

protected:
    // Adds a line between the text and Stop.
    void AddLine(QWidget* pLine);

private:
    QVBoxLayout* m_pLayout = nullptr;
    QLineEdit* m_editText = nullptr;
};
