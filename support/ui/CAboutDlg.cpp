#include "CAboutDlg.h"

#include "CHyperLink.h"
#include "common/ui/DialogBuilder.h"
#include "res/resource.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace {

// The platform's id of a dialog's OK button, as the template gives it.
constexpr int kIdOk = 1;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent)
{
    const SDialogTemplate* pTemplate = FindDialogTemplate(IDD_ABOUTBOX);
    setObjectName(QString::number(IDD_ABOUTBOX));
    setWindowTitle(QString::fromUtf8(pTemplate->pszCaption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/images/pagewick.png")));

    const ControlFactory makeLink = [](const SControlTemplate& c, QWidget* pParent) -> QWidget* {
        return new CHyperLink(QString::fromUtf8(c.pszText), pParent);
    };
    BuildDialogControls(this, *pTemplate, {{IDC_ABOUT_HOMEPAGE, makeLink}, {IDC_ABOUT_EMAIL, makeLink}});
    setFixedSize(DialogClientSize(*pTemplate));

    // The icon fills its place in the template, however large the picture is drawn.
    for (QLabel* pLabel : findChildren<QLabel*>()) {
        if (!pLabel->pixmap().isNull()) {
            pLabel->setPixmap(pLabel->pixmap().scaled(pLabel->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
            pLabel->setAccessibleName(QStringLiteral("Pagewick"));
        }
    }

    m_linkHomePage = FindControlAs<CHyperLink>(this, IDC_ABOUT_HOMEPAGE);
    m_linkEmail = FindControlAs<CHyperLink>(this, IDC_ABOUT_EMAIL);
    if (auto* pOk = FindControlAs<QPushButton>(this, kIdOk))
        connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
}
