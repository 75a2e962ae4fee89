#include "AppMessageBox.h"

#include <QCoreApplication>
#include <QLabel>

QMessageBox::StandardButton AppMessageBox(QWidget* pOwner, const QString& strText, const QString& strCaption,
                                          QMessageBox::StandardButtons buttons, QMessageBox::Icon eIcon,
                                          QMessageBox::StandardButton eDefault, const QString& strInformative)
{
    QMessageBox box(eIcon, strCaption.isEmpty() ? QCoreApplication::applicationName() : strCaption, strText,
                    buttons, pOwner);
    box.setTextFormat(Qt::PlainText);
    if (!strInformative.isEmpty()) {
        box.setInformativeText(strInformative);
        // Qt takes the informative text for rich text when it looks like some, and a path or a
        // library's message may: plain, like the text. The box's text format does not reach it.
        if (auto* pLabel = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
            pLabel->setTextFormat(Qt::PlainText);
    }
    if (eDefault != QMessageBox::NoButton)
        box.setDefaultButton(eDefault);
    // Esc answers the box the way its platform does: Cancel, else No, else the only button.
    if (buttons & QMessageBox::Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    else if (buttons & QMessageBox::No)
        box.setEscapeButton(QMessageBox::No);
    return QMessageBox::StandardButton(box.exec());
}
