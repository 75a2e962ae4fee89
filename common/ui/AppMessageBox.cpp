#include "AppMessageBox.h"

#include <QCoreApplication>

QMessageBox::StandardButton AppMessageBox(QWidget* pOwner, const QString& strText, const QString& strCaption,
                                          QMessageBox::StandardButtons buttons, QMessageBox::Icon eIcon,
                                          QMessageBox::StandardButton eDefault, const QString& strInformative)
{
    QMessageBox box(eIcon, strCaption.isEmpty() ? QCoreApplication::applicationName() : strCaption, strText,
                    buttons, pOwner);
    box.setTextFormat(Qt::PlainText);
    if (!strInformative.isEmpty())
        box.setInformativeText(strInformative);
    if (eDefault != QMessageBox::NoButton)
        box.setDefaultButton(eDefault);
    // Esc answers the box the way its platform does: Cancel, else No, else the only button.
    if (buttons & QMessageBox::Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    else if (buttons & QMessageBox::No)
        box.setEscapeButton(QMessageBox::No);
    return QMessageBox::StandardButton(box.exec());
}
