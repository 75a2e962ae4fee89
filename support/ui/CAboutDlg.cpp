#include "CAboutDlg.h"

#include "CHyperLink.h"
#include "res/Version.h"
#include "support/core/Addresses.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent)
{
    setWindowTitle(QStringLiteral("About Pagewick"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const QIcon icon(QStringLiteral(":/images/pagewick.png"));
    setWindowIcon(icon);

    // The icon beside the texts, two and a half lines high; OK at the top right.
    auto* pLayout = new QHBoxLayout(this);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);
    auto* pIcon = new QLabel(this);
    const int nIconSide = fontMetrics().height() * 5 / 2;
    pIcon->setPixmap(icon.pixmap(nIconSide, nIconSide));
    pIcon->setAccessibleName(QStringLiteral("Pagewick"));
    pLayout->addWidget(pIcon, 0, Qt::AlignTop);

    auto* pTexts = new QVBoxLayout;
    for (const QString& strText : {QStringLiteral("Pagewick v" PAGEWICK_VERSION),
                                   QStringLiteral("Copyright (C) Quorbel. All rights reserved.")}) {
        auto* pLabel = new QLabel(strText, this);
        pLabel->setTextFormat(Qt::PlainText);
        pTexts->addWidget(pLabel);
    }
    // The links show the maker's addresses: the home page, and "email: " with the support address.
    m_linkHomePage = new CHyperLink(QString::fromLatin1(kHomePageUrl), this);
    m_linkHomePage->setObjectName(QStringLiteral("homePageLink"));
    m_linkEmail = new CHyperLink(QStringLiteral("email: ") + QLatin1String(kSupportEmail), this);
    m_linkEmail->setObjectName(QStringLiteral("emailLink"));
    for (CHyperLink* pLink : {m_linkHomePage, m_linkEmail})
        pTexts->addWidget(pLink, 0, Qt::AlignLeft);
    pLayout->addLayout(pTexts);

    auto* pOk = new QPushButton(QStringLiteral("OK"), this);
    pOk->setObjectName(QStringLiteral("okButton"));
    pOk->setDefault(true);
    pLayout->addWidget(pOk, 0, Qt::AlignTop);
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
}
