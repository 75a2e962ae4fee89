#include "FileDialogs.h"

#include "common/core/FileName.h"

#include <QFileDialog>

QByteArray AskFileName(QWidget* pOwner, EFileDialog eKind, const QString& strTitle, const QString& strSuffix)
{
    QFileDialog dialog(pOwner, strTitle);
    dialog.setObjectName(QStringLiteral("FileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Filters show their labels only, as on Windows; the patterns in brackets do the matching.
    // Files named on Windows ("LIST.LST") match too, and "All Files" means every file, not only
    // names with a dot as "*.*" would here.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters({QStringLiteral("*.%1 (*.%1 *.%2)").arg(strSuffix, strSuffix.toUpper()),
                           QStringLiteral("All Files *.* (*)")});
    dialog.setDefaultSuffix(strSuffix);
    if (eKind == EFileDialog::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted)
        return QByteArray();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QByteArray() : FileNameFromText(files.first());
}
