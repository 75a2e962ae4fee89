// Message boxes of the program: a box without a caption of its own carries the application's name.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

QMessageBox::StandardButton AppMessageBox(QWidget* pOwner, const QString& strText, const QString& strCaption,
                                          QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                          QMessageBox::Icon eIcon = QMessageBox::NoIcon,
                                          QMessageBox::StandardButton eDefault = QMessageBox::NoButton,
                                          const QString& strInformative = QString());
