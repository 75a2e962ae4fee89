#include "CAboutDlg.h"

#include "CHyperLink.h"
#include "common/ui/DialogBuilder.h"
#include "res/resource.h"
#include "support/core/Addresses.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent)
{
    const SDialogTemplate* pTemplate = FindDialogTemplate(IDD_ABOUTBOX);
    setObjectName(QString::number(IDD_ABOUTBOX));
    setWindowTitle(QString::fromUtf8(pTemplate->pszCaption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/images/pagewick.png")));

    // The links show the maker's addresses: the home page, and "email: " with the support address.
    const ControlFactory makeLink = [](const SControlTemplate& c, QWidget* pParent) -> QWidget* {
        const QString strText = c.nId == IDC_ABOUT_HOMEPAGE ? QString::fromLatin1(kHomePageUrl)
                                                              : QStringLiteral("email: ") + QLatin1String(kSupportEmail);
        return new CHyperLink(strText, pParent);
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
    if (auto* pOk = FindControlAs<QPushButton>(this, IDOK))
        connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
}
