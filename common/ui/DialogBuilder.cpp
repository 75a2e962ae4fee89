#include "DialogBuilder.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include <algorithm>

namespace {

int MulDiv(int a, int b, int c)
{
    const qint64 p = qint64(a) * b;
    return int(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

QString AccessibleName(const SControlTemplate& c)
{
    if (c.pszAccessibleName)
        return QString::fromUtf8(c.pszAccessibleName);
    QString str = StripMnemonic(QString::fromUtf8(c.pszText));
    if (str.endsWith(u':'))
        str.chop(1);
    return str;
}

QWidget* CreateDefaultControl(const SControlTemplate& c, QWidget* pParent)
{
    const QString strText = QString::fromUtf8(c.pszText);
    switch (c.eKind) {
    case EControlKind::Static: {
        auto* pLabel = new QLabel(c.nStyle & CS_NOPREFIX ? strText : StripMnemonic(strText), pParent);
        // Static text sits at the top left of its rectangle, however tall the rectangle is.
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        pLabel->setTextFormat(Qt::PlainText);
        return pLabel;
    }
    case EControlKind::Edit: {
        auto* pEdit = new QLineEdit(pParent);
        pEdit->setReadOnly(c.nStyle & CS_READONLY);
        return pEdit;
    }
    case EControlKind::PushButton: {
        auto* pButton = new QPushButton(strText, pParent);
        // Enter is routed by the dialogs themselves; only the template's default button is default.
        pButton->setAutoDefault(false);
        pButton->setDefault(c.nStyle & CS_DEFPUSHBUTTON);
        return pButton;
    }
    case EControlKind::CheckBox: {
        auto* pCheck = new QCheckBox(strText, pParent);
        if (c.nStyle & CS_LEFTTEXT)
            pCheck->setLayoutDirection(Qt::RightToLeft);
        return pCheck;
    }
    case EControlKind::ListView:
        return new QTableView(pParent);
    case EControlKind::ProgressBar: {
        auto* pProgress = new QProgressBar(pParent);
        pProgress->setRange(0, 100);
        pProgress->setValue(0);
        pProgress->setTextVisible(false);
        return pProgress;
    }
    case EControlKind::Picture:
    case EControlKind::Icon: {
        auto* pLabel = new QLabel(pParent);
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (!strText.isEmpty())
            pLabel->setPixmap(QPixmap(strText));
        return pLabel;
    }
    }
    return nullptr;
}

}  // namespace

QFont DialogFont(const SDialogTemplate& t)
{
    // The templates were drawn for a face this platform does not have; a metric-compatible sans
    // keeps their texts inside their controls. Without one, the platform's default sans serves.
    static const bool bSubstituted = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                    QStringLiteral("Arial"), QStringLiteral("Helvetica")});
        return true;
    }();
    Q_UNUSED(bSubstituted);
    QFont font(QString::fromLatin1(t.pszFontFace));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(t.nFontPoints);
    return font;
}

SDialogUnits DialogBaseUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    const int cx = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return SDialogUnits{(cx / 26 + 1) / 2, fm.height()};
}

QRect DialogUnitsToPixels(const SDialogUnits& units, int x, int y, int cx, int cy)
{
    return QRect(MulDiv(x, units.cxChar, 4), MulDiv(y, units.cyChar, 8), MulDiv(cx, units.cxChar, 4),
                 MulDiv(cy, units.cyChar, 8));
}

QSize DialogClientSize(const SDialogTemplate& t)
{
    return DialogUnitsToPixels(DialogBaseUnits(DialogFont(t)), 0, 0, t.cx, t.cy).size();
}

QString StripMnemonic(const QString& strText)
{
    QString str;
    str.reserve(strText.size());
    for (int i = 0; i < int(strText.size()); ++i) {
        if (strText[i] == u'&') {
            if (i + 1 < int(strText.size()) && strText[i + 1] == u'&')
                str += u'&';
            ++i;
            if (i < int(strText.size()) && strText[i] != u'&')
                str += strText[i];
            continue;
        }
        str += strText[i];
    }
    return str;
}

void BuildDialogControls(QWidget* pClient, const SDialogTemplate& t, const QHash<int, ControlFactory>& factories)
{
    const QFont font = DialogFont(t);
    pClient->setFont(font);
    const SDialogUnits units = DialogBaseUnits(font);
    for (int i = 0; i < t.nControls; ++i) {
        const SControlTemplate& c = t.pControls[i];
        const auto it = factories.constFind(c.nId);
        QWidget* pControl = it != factories.constEnd() ? (*it)(c, pClient) : CreateDefaultControl(c, pClient);
        if (!pControl)
            continue;
        pControl->setObjectName(c.nId == -1 ? QString() : QString::number(c.nId));
        pControl->setAccessibleName(AccessibleName(c));
        pControl->setFocusPolicy(c.nStyle & CS_TABSTOP ? Qt::StrongFocus : Qt::NoFocus);
        QRect rc = DialogUnitsToPixels(units, c.x, c.y, c.cx, c.cy);
        // A static text or a check box is never cut short by a face or a style wider than the one
        // the template was drawn for; a check box with its text on the left keeps its box where
        // the template has it and grows to the left.
        if (c.eKind == EControlKind::Static || c.eKind == EControlKind::CheckBox) {
            const int cx = std::max(rc.width(), pControl->sizeHint().width());
            if (c.eKind == EControlKind::CheckBox && (c.nStyle & CS_LEFTTEXT))
                rc.setLeft(rc.right() + 1 - cx);
            else
                rc.setWidth(cx);
        }
        pControl->setGeometry(rc);
    }
}

QWidget* FindControl(QWidget* pParent, int nId)
{
    return pParent->findChild<QWidget*>(QString::number(nId));
}
