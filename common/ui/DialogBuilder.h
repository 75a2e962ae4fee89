// Builds the controls of a dialog template into widgets, converting dialog units to pixels with
// the dialog font's metrics as the template's platform does.
#pragma once

#include "res/DialogTemplates.h"

#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>

#include <functional>

class QWidget;

struct SDialogUnits {
    int cxChar;     // average character width of the dialog font
    int cyChar;     // character height of the dialog font
};

QFont DialogFont(const SDialogTemplate& t);
SDialogUnits DialogBaseUnits(const QFont& font);
QRect DialogUnitsToPixels(const SDialogUnits& units, int x, int y, int cx, int cy);
QSize DialogClientSize(const SDialogTemplate& t);

// A control's text as shown by a static control: "&&" becomes "&", a single "&" disappears.
QString StripMnemonic(const QString& strText);

using ControlFactory = std::function<QWidget*(const SControlTemplate&, QWidget*)>;

// Creates every control of the template as a child of pClient, in template order (which is the
// tab order), and sets the dialog font on pClient. Each control carries its id as object name and
// a readable accessible name. Factories replace the default widget for the ids they name.
void BuildDialogControls(QWidget* pClient, const SDialogTemplate& t,
                         const QHash<int, ControlFactory>& factories = {});

// The control with the given id under pParent, or null.
QWidget* FindControl(QWidget* pParent, int nId);

template <class T>
T* FindControlAs(QWidget* pParent, int nId)
{
    return qobject_cast<T*>(FindControl(pParent, nId));
}
