#include "CFolderDialog.h"

#include "common/ui/AppMessageBox.h"
#include "support/core/FolderPath.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

CFolderDialog::CFolderDialog(const QString& strCaption, const QString& strPrompt, const QString& strInitialFolder,
                             QWidget* pParent)
    : QDialog(pParent)
{
    setObjectName(QStringLiteral("FolderDialog"));
    setWindowTitle(strCaption);
    auto* pLayout = new QVBoxLayout(this);
    auto* pPrompt = new QLabel(strPrompt, this);
    pLayout->addWidget(pPrompt);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("folderEdit"));
    m_edit->setAccessibleName(QStringLiteral("Folder"));
    pLayout->addWidget(m_edit);

    m_pModel = new QFileSystemModel(this);
    m_pModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_pModel->setRootPath(QString());
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("folderTree"));
    m_tree->setAccessibleName(QStringLiteral("Folders"));
    m_tree->setModel(m_pModel);
    m_tree->setHeaderHidden(true);
    for (int c = 1; c < m_pModel->columnCount(); ++c)
        m_tree->hideColumn(c);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    pLayout->addWidget(m_tree, 1);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    m_buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    pLayout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CFolderDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CFolderDialog::reject);
    connect(m_edit, &QLineEdit::textChanged, this, &CFolderDialog::OnEditChange);
    // Only a folder the user selects fills the box: the tree also moves its current item by
    // itself (on focus, or as folders load), which must not overwrite what was typed.
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CFolderDialog::OnSelectionChanged);

    // The home folder is shown open, so the user starts near his files; an initial folder, when
    // given, is selected.
    const QModelIndex home = m_pModel->index(QDir::homePath());
    m_tree->expand(home);
    m_tree->scrollTo(home);
    if (!strInitialFolder.isEmpty()) {
        const QModelIndex initial = m_pModel->index(strInitialFolder);
        if (initial.isValid())
            m_tree->setCurrentIndex(initial);
        m_edit->setText(strInitialFolder);
    }
    OnEditChange();
    m_edit->setFocus();
    // Room for a long path, and for a tree several levels deep.
    resize(fontMetrics().averageCharWidth() * 60, fontMetrics().lineSpacing() * 28);
}

int CFolderDialog::DoModal()
{
    m_bAccepted = false;
    exec();
    return m_bAccepted ? 1 : -1;
}

void CFolderDialog::OnEditChange()
{
    if (m_bAccepted)
        return;     // the accepted folder stays what it was
    m_strPath = m_edit->text();
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_strPath.isEmpty());
}

void CFolderDialog::OnSelectionChanged()
{
    const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    // Setting the text runs OnEditChange, which enables OK.
    m_edit->setText(m_pModel->filePath(selected.first()));
}

void CFolderDialog::accept()
{
    m_strPath = m_edit->text();
    if (ValidateFolder(this, m_strPath) != 0) {
        m_edit->setFocus();
        return;
    }
    m_bAccepted = true;
    QDialog::accept();
}

int CFolderDialog::ValidateFolder(QWidget* pOwner, const QString& strFolder)
{
    int nResult = CheckOrCreateFolderPath(strFolder, true);
    if (nResult == FOLDER_GOOD) {
        if (FolderExists(strFolder))
            return 0;
        const QString strAsk =
            QStringLiteral("The folder:\n\n%1\n\ndoes not exist. Do you want the folder to be created?").arg(strFolder);
        if (AppMessageBox(pOwner, strAsk, QString(), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question) !=
            QMessageBox::Yes)
            return -1;
        nResult = CheckOrCreateFolderPath(strFolder, false);
        if (nResult == FOLDER_GOOD)
            return 0;
    }
    const QString strText = nResult == FOLDER_INVALID
                                ? QStringLiteral("The folder:\n\n%1\n\nis invalid. Please reenter.")
                                : QStringLiteral("The folder:\n\n%1\n\ncan not be created. Please double check.");
    AppMessageBox(pOwner, strText.arg(strFolder), QString(), QMessageBox::Ok, QMessageBox::Warning);
    return nResult;
}
