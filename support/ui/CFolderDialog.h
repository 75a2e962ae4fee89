// The folder chooser: a directory tree with an edit box above it. Choosing in the tree fills the
// box; what the box holds is checked on OK, and a missing folder may be created.
#pragma once

#include <QDialog>
#include <QString>

class QDialogButtonBox;
class QFileSystemModel;
class QLineEdit;
class QTreeView;

class CFolderDialog : public QDialog {
    Q_OBJECT
public:
    // An empty initial folder selects nothing.
    CFolderDialog(const QString& strCaption, const QString& strPrompt, const QString& strInitialFolder,
                  QWidget* pParent = nullptr);

    // 1 when a folder passed the checks, -1 when the chooser was cancelled or closed.
    int DoModal();
    // The folder accepted; meaningful only after DoModal returned 1.
    QString GetPath() const { return m_strPath; }

    // Checks a typed folder, asks to create a missing one and says what is wrong: 0 accepted,
    // -1 creation declined, 1 invalid, 2 cannot be created.
    static int ValidateFolder(QWidget* pOwner, const QString& strFolder);

public slots:
    void accept() override;

private:
    void OnEditChange();
    void OnSelectionChanged();

    QFileSystemModel* m_pModel = nullptr;
    QTreeView* m_tree = nullptr;
    QLineEdit* m_edit = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QString m_strPath;
    bool m_bAccepted = false;
};
