// The About box: the program's icon, name and version, a notice, and two links, the home page and
// the support address.
#pragma once

#include <QDialog>

class CHyperLink;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* pParent = nullptr);

    CHyperLink* m_linkHomePage = nullptr;
    CHyperLink* m_linkEmail = nullptr;
};
