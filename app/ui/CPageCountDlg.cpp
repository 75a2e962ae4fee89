#include "CPageCountDlg.h"

#include "common/ui/AppMessageBox.h"
#include "CSplashDlg.h"
#include "common/ui/DialogBuilder.h"
#include "app/core/MainLayout.h"
#include "count/ui/CountRun.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/ui/AddFiles.h"
#include "res/Menus.h"
#include "res/resource.h"
#include "support/core/Addresses.h"
#include "support/ui/CHyperLink.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QWindow>

#include <iterator>

namespace {

const CPageCountDlg::SCommandEntry kMessageMap[] = {
    {IDM_ABOUTBOX, &CPageCountDlg::OnSysCommand, "OnSysCommand"},
    {IDC_COUNT_FILES, &CPageCountDlg::OnCountFiles, "OnCountFiles"},
    {ID_FILE_EXIT, &CPageCountDlg::OnExit, "OnExit"},
    {IDC_CLOSE, &CPageCountDlg::OnExit, "OnExit"},
    {ID_FILE_SCANDIRECTORIES, &CPageCountDlg::OnFileScanDirectories, "OnFileScanDirectories"},
    {ID_ACTION_OPEN, &CPageCountDlg::OpenSelected, "OpenSelected"},
    {ID_ACTION_DELETE, &CPageCountDlg::DeleteSelected, "DeleteSelected"},
    {ID_ACCEL_DELETE, &CPageCountDlg::DeleteSelected, "DeleteSelected"},
    {ID_ACTION_SELECTALL, &CPageCountDlg::SelectAll, "SelectAll"},
    {ID_ACTION_CLEARALL, &CPageCountDlg::ClearAll, "ClearAll"},
    {ID_ACTION_RESETCOUNT, &CPageCountDlg::ResetCountSelected, "ResetCountSelected"},
    {ID_ACTION_RESETALL, &CPageCountDlg::ResetAllCounts, "ResetAllCounts"},
    {ID_ROW_MOVEUP, &CPageCountDlg::MoveSelectedUp, "MoveSelectedUp"},
    {ID_ROW_MOVEDOWN, &CPageCountDlg::MoveSelectedDown, "MoveSelectedDown"},
    {ID_ACTION_MOVEUP, &CPageCountDlg::MoveSelectedUp, "MoveSelectedUp"},
    {ID_ACTION_MOVEDOWN, &CPageCountDlg::MoveSelectedDown, "MoveSelectedDown"},
    {ID_ACCEL_MOVEUP, &CPageCountDlg::MoveSelectedUp, "MoveSelectedUp"},
    {ID_ACCEL_MOVEDOWN, &CPageCountDlg::MoveSelectedDown, "MoveSelectedDown"},
    {ID_FILTER_REMOVENONTIF, &CPageCountDlg::RemoveNonTiffFiles, "RemoveNonTiffFiles"},
    {ID_SORT_FILENAME, &CPageCountDlg::OnSortByFilename, "OnSortByFilename"},
    {ID_SORT_FILESIZE, &CPageCountDlg::OnSortByFilesize, "OnSortByFilesize"},
    {ID_SORT_STATUS, &CPageCountDlg::OnSortByStatus, "OnSortByStatus"},
    {ID_SORT_PAGECOUNT, &CPageCountDlg::OnSortByPageCount, "OnSortByPageCount"},
    {ID_SORT_USE, &CPageCountDlg::OnSortByUse, "OnSortByUse"},
    {ID_SORT_CREATED, &CPageCountDlg::OnSortByCreated, "OnSortByCreated"},
    {ID_SORT_MODIFIED, &CPageCountDlg::OnSortByModified, "OnSortByModified"},
    {ID_FILE_LOADLIST, &CPageCountDlg::OnFileLoadList, "OnFileLoadList"},
    {ID_FILE_APPENDLIST, &CPageCountDlg::OnFileAppendList, "OnFileAppendList"},
    {ID_FILE_SAVELIST, &CPageCountDlg::OnFileSaveList, "OnFileSaveList"},
    {ID_FILE_SAVELISTAS, &CPageCountDlg::OnFileSaveListAs, "OnFileSaveListAs"},
    {ID_HELP_WEBSITE, &CPageCountDlg::OnHelpWebsite, "OnHelpWebsite"},
    {ID_HELP_EMAIL, &CPageCountDlg::OnHelpEmail, "OnHelpEmail"},
    {ID_REPORTS_CSV, &CPageCountDlg::OnReportsCsv, "OnReportsCsv"},
    {ID_REPORTS_TEXT, &CPageCountDlg::OnReportsText, "OnReportsText"},
    {ID_HELP_HTMLHELP, &CPageCountDlg::OnHelp, "OnHelp"},
};

constexpr int kSplashTimerInterval = 1;

}  // namespace

CPageCountDlg::CPageCountDlg(QWidget* pParent, bool bShowSplash) : QDialog(pParent), m_bShowSplash(bShowSplash)
{
    const SDialogTemplate* pTemplate = FindDialogTemplate(IDD_PAGECOUNT_DIALOG);
    setObjectName(QString::number(IDD_PAGECOUNT_DIALOG));
    setWindowTitle(QString::fromUtf8(pTemplate->pszCaption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/images/pagewick.png")));

    m_pModel = new CFileListModel(this);
    m_pMenuBar = new QMenuBar(this);
    m_pMenuBar->setObjectName(QString::number(IDR_MENU_MAIN));
    m_pMenuBar->setNativeMenuBar(false);
    m_pClient = new QWidget(this);
    m_pClient->setObjectName(QStringLiteral("client"));

    QHash<int, ControlFactory> factories;
    factories.insert(IDC_WEBSITE, [](const SControlTemplate& c, QWidget* pParent) -> QWidget* {
        return new CHyperLink(QString::fromUtf8(c.pszText), pParent);
    });
    BuildDialogControls(m_pClient, *pTemplate, factories);

    m_btnCount = FindControlAs<QPushButton>(m_pClient, IDC_COUNT_FILES);
    m_list = FindControlAs<QTableView>(m_pClient, IDC_FILE_LIST);
    m_checkSubFolders = FindControlAs<QCheckBox>(m_pClient, IDC_SUB_FOLDERS);
    m_btnClose = FindControlAs<QPushButton>(m_pClient, IDC_CLOSE);
    m_editItems = FindControlAs<QLineEdit>(m_pClient, IDC_ITEMS);
    m_editPages = FindControlAs<QLineEdit>(m_pClient, IDC_PAGES);
    m_linkWebsite = FindControlAs<CHyperLink>(m_pClient, IDC_WEBSITE);

    BuildMenuBar();
    const QSize client = DialogClientSize(*pTemplate);
    resize(client.width(), client.height() + m_pMenuBar->sizeHint().height());
    setMinimumSize(360, 240);

    OnInitDialog();
}

CPageCountDlg::~CPageCountDlg() = default;

void CPageCountDlg::OnInitDialog()
{
    UpdateData(false);

    int nAccelerators = 0;
    const SAccelerator* pAccelerators = Accelerators(&nAccelerators);
    for (int i = 0; i < nAccelerators; ++i) {
        const SAccelerator& a = pAccelerators[i];
        auto* pShortcut = new QShortcut(QKeySequence(a.eModifiers | a.eKey), this);
        pShortcut->setObjectName(QString::number(a.nCommand));
        pShortcut->setContext(Qt::WindowShortcut);
        const int nCommand = a.nCommand;
        connect(pShortcut, &QShortcut::activated, this, [this, nCommand] { OnCommand(nCommand); });
    }

    SetupListView();
    setAcceptDrops(true);

    m_linkWebsite->SetLinkUrl(QString::fromLatin1(kHomePageUrl));
    m_linkWebsite->SetUnderlined(true);

    connect(m_btnCount, &QPushButton::clicked, this, [this] { OnCommand(IDC_COUNT_FILES); });
    connect(m_btnClose, &QPushButton::clicked, this, [this] { OnCommand(IDC_CLOSE); });

    if (m_bShowSplash)
        m_nSplashTimer = startTimer(kSplashTimerInterval);
}

void CPageCountDlg::BuildMenuBar()
{
    const SMenu* pMenu = FindMenu(IDR_MENU_MAIN);
    for (int p = 0; p < pMenu->nPopups; ++p) {
        const SMenuPopup& popup = pMenu->pPopups[p];
        QMenu* pPopup = m_pMenuBar->addMenu(QString::fromUtf8(popup.pszText));
        pPopup->setObjectName(StripMnemonic(QString::fromUtf8(popup.pszText)));
        for (int i = 0; i < popup.nItems; ++i) {
            const SMenuItem& item = popup.pItems[i];
            if (!item.pszText) {
                pPopup->addSeparator();
                continue;
            }
            QAction* pAction = pPopup->addAction(QString::fromUtf8(item.pszText));
            pAction->setObjectName(QString::number(item.nId));
            pAction->setData(item.nId);
            pAction->setStatusTip(LoadString(item.nId));
            const int nId = item.nId;
            connect(pAction, &QAction::triggered, this, [this, nId] { OnCommand(nId); });
        }
    }
    // This platform has no window menu of its own to extend: the About item ends the Help menu.
    const QString strAbout = LoadString(IDS_ABOUTBOX);
    const QList<QAction*> popups = m_pMenuBar->actions();
    if (!strAbout.isEmpty() && !popups.isEmpty() && popups.last()->menu()) {
        QMenu* pHelp = popups.last()->menu();
        pHelp->addSeparator();
        QAction* pAbout = pHelp->addAction(strAbout);
        pAbout->setObjectName(QString::number(IDM_ABOUTBOX));
        pAbout->setData(IDM_ABOUTBOX);
        connect(pAbout, &QAction::triggered, this, [this] { OnCommand(IDM_ABOUTBOX); });
    }
}

void CPageCountDlg::SetupListView()
{
    m_list->setModel(m_pModel);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    m_list->setCornerButtonEnabled(false);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->verticalHeader()->hide();
    // Fixed row heights: a view that measured its rows would pass over all of them per change.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    QHeaderView* pHeader = m_list->horizontalHeader();
    pHeader->setSectionsMovable(true);
    pHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pHeader->setSectionResizeMode(QHeaderView::Interactive);
    pHeader->setStretchLastSection(false);
    pHeader->setSectionsClickable(true);
    pHeader->setHighlightSections(false);
    for (int c = 0; c < m_pModel->columnCount(); ++c)
        m_list->setColumnWidth(c, FileColumnWidth(c));

    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, &CPageCountDlg::OnListInsertItem);
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, &CPageCountDlg::OnListDeleteItem);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &CPageCountDlg::OnListDeleteItem);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &CPageCountDlg::ToggleUse);
    connect(m_list, &QWidget::customContextMenuRequested, this, &CPageCountDlg::ShowRowMenu);
    connect(pHeader, &QHeaderView::sectionClicked, this, &CPageCountDlg::SortByColumn);
}

void CPageCountDlg::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        m_bSubFolders = m_checkSubFolders->isChecked() ? 1 : 0;
        m_nItems = m_editItems->text().toInt();
        m_nPages = m_editPages->text().toLongLong();
    } else {
        m_editItems->setText(QString::number(m_nItems));
        m_editPages->setText(QString::number(m_nPages));
    }
}

void CPageCountDlg::AppendFileRow(const QString& strPath, const QString& strUse)
{
    m_pModel->AppendRow(MakeFileRecord(strPath, strUse));
}

const CPageCountDlg::SCommandEntry* CPageCountDlg::CommandMap(int* pnCount)
{
    *pnCount = int(std::size(kMessageMap));
    return kMessageMap;
}

QString CPageCountDlg::HandlerName(int nId)
{
    for (const SCommandEntry& e : kMessageMap) {
        if (e.nId == nId)
            return QString::fromLatin1(e.pszHandler);
    }
    return QString();
}

bool CPageCountDlg::OnCommand(int nId)
{
    for (const SCommandEntry& e : kMessageMap) {
        if (e.nId == nId) {
            emit commandDispatched(nId);
            (this->*e.pfnHandler)();
            return true;
        }
    }
    return false;
}

bool CPageCountDlg::BeginLongOperation(ELongOperation eOperation)
{
    if (m_bClosing || m_eLongOperation != ELongOperation::None)
        return false;
    m_eLongOperation = eOperation;
    return true;
}

void CPageCountDlg::EndLongOperation()
{
    m_eLongOperation = ELongOperation::None;
}

CLongOperation::CLongOperation(CPageCountDlg& dlg, ELongOperation eOperation)
    : m_dlg(dlg), m_bStarted(dlg.BeginLongOperation(eOperation))
{
    if (!m_bStarted)
        QApplication::beep();
}

CLongOperation::~CLongOperation()
{
    if (m_bStarted)
        m_dlg.EndLongOperation();
}

void CPageCountDlg::OnListInsertItem()
{
    m_nItems = m_pModel->GetRowCount();
    UpdateData(false);
}

void CPageCountDlg::OnListDeleteItem()
{
    m_nItems = m_pModel->GetRowCount();
    UpdateData(false);
}

void CPageCountDlg::OnSize()
{
    const int nMenuHeight = m_pMenuBar->sizeHint().height();
    m_pMenuBar->setGeometry(0, 0, width(), nMenuHeight);
    m_pClient->setGeometry(0, nMenuHeight, width(), std::max(0, height() - nMenuHeight));
    const int nLinkHeight = m_linkWebsite->fontMetrics().height() + 2;
    for (const SControlPlace& place : MainWindowLayout(m_pClient->width(), m_pClient->height(), nLinkHeight)) {
        if (QWidget* pControl = FindControl(m_pClient, place.nId))
            pControl->setGeometry(place.rc);
    }
}

void CPageCountDlg::OnTimer(int nIdEvent)
{
    if (nIdEvent != m_nSplashTimer)
        return;
    // The splash belongs over a window the user can already see.
    if (!windowHandle() || !windowHandle()->isExposed())
        return;
    killTimer(m_nSplashTimer);
    m_nSplashTimer = 0;
    if (m_bClosing)
        return;
    CSplashDlg splash(this);
    splash.exec();
}

void CPageCountDlg::OnExit()
{
    done(QDialog::Accepted);
}

void CPageCountDlg::accept()
{
    UpdateData(true);
    QDialog::accept();
}

void CPageCountDlg::done(int nResult)
{
    m_bClosing = true;
    QDialog::done(nResult);
}

void CPageCountDlg::resizeEvent(QResizeEvent* pEvent)
{
    QDialog::resizeEvent(pEvent);
    OnSize();
}

void CPageCountDlg::keyPressEvent(QKeyEvent* pEvent)
{
    const bool bPlain = pEvent->modifiers() == Qt::NoModifier ||
                        (pEvent->modifiers() == Qt::KeypadModifier && pEvent->key() == Qt::Key_Enter);
    if (bPlain && (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter)) {
        // A focused push button takes Enter; anywhere else Enter is OK and ends the window.
        if (auto* pButton = qobject_cast<QPushButton*>(focusWidget())) {
            pButton->click();
            return;
        }
        accept();
        return;
    }
    QDialog::keyPressEvent(pEvent);
}

void CPageCountDlg::closeEvent(QCloseEvent* pEvent)
{
    OnExit();
    pEvent->accept();
}

void CPageCountDlg::timerEvent(QTimerEvent* pEvent)
{
    OnTimer(pEvent->timerId());
}

void CPageCountDlg::dragEnterEvent(QDragEnterEvent* pEvent)
{
    if (pEvent->mimeData()->hasUrls())
        pEvent->acceptProposedAction();
}

void CPageCountDlg::dropEvent(QDropEvent* pEvent)
{
    if (!pEvent->mimeData()->hasUrls())
        return;
    pEvent->acceptProposedAction();
    OnDropFiles(pEvent->mimeData()->urls());
}

void CPageCountDlg::OnCountFiles()
{
    RunCountFiles(*this);
}

void CPageCountDlg::OnDropFiles(const QList<QUrl>& urls)
{
    RunDropFiles(*this, urls);
}

void CPageCountDlg::OnFileScanDirectories()
{
    RunScanDirectories(*this);
}

void CPageCountDlg::RemoveNonTiffFiles()
{
    RunRemoveNonTiffFiles(*this);
}

// Handlers whose subsystems are still to come do nothing yet.
void CPageCountDlg::OnSysCommand() {}
void CPageCountDlg::OpenSelected() {}
void CPageCountDlg::DeleteSelected() {}
void CPageCountDlg::SelectAll() {}
void CPageCountDlg::ClearAll() {}
void CPageCountDlg::ResetCountSelected() {}
void CPageCountDlg::ResetAllCounts() {}
void CPageCountDlg::MoveSelectedUp() {}
void CPageCountDlg::MoveSelectedDown() {}
void CPageCountDlg::ToggleUse() {}
void CPageCountDlg::ShowRowMenu() {}
void CPageCountDlg::SortByColumn(int) {}
void CPageCountDlg::OnSortByUse() {}
void CPageCountDlg::OnSortByFilename() {}
void CPageCountDlg::OnSortByFilesize() {}
void CPageCountDlg::OnSortByStatus() {}
void CPageCountDlg::OnSortByPageCount() {}
void CPageCountDlg::OnSortByCreated() {}
void CPageCountDlg::OnSortByModified() {}
void CPageCountDlg::OnFileLoadList() {}
void CPageCountDlg::OnFileAppendList() {}
void CPageCountDlg::OnFileSaveList() {}
void CPageCountDlg::OnFileSaveListAs() {}
void CPageCountDlg::OnHelpWebsite() {}
void CPageCountDlg::OnHelpEmail() {}
void CPageCountDlg::OnHelp() {}
void CPageCountDlg::OnReportsCsv() {}
void CPageCountDlg::OnReportsText() {}
