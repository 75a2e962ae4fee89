#include "CPageCountDlg.h"

#include "CSplashDlg.h"
#include "app/core/MainLayout.h"
#include "common/core/FileName.h"
#include "common/ui/AccessibleMenuItem.h"
#include "common/ui/AppMessageBox.h"
#include "common/ui/CFillColumn.h"
#include "common/ui/DialogBuilder.h"
#include "count/ui/CountRun.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/ui/AddFiles.h"
#include "filelist/ui/CFileListDelegate.h"
#include "filelist/ui/EditCommands.h"
#include "persist/ui/CPageProfileDlg.h"
#include "persist/ui/ListFiles.h"
#include "persist/ui/Reports.h"
#include "res/Menus.h"
#include "res/Version.h"
#include "res/resource.h"
#include "support/core/Addresses.h"
#include "support/core/HelpFile.h"
#include "support/ui/CHyperLink.h"
#include "support/ui/HelpCommands.h"

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

#include <algorithm>
#include <iterator>

namespace {

struct SCommandEntry {
    int nId;
    void (CPageCountDlg::*pfnHandler)();
};

const SCommandEntry kMessageMap[] = {
    {IDM_ABOUTBOX, &CPageCountDlg::OnSysCommand},
    {IDC_COUNT_FILES, &CPageCountDlg::OnCountFiles},
    {ID_FILE_EXIT, &CPageCountDlg::OnExit},
    {IDC_CLOSE, &CPageCountDlg::OnExit},
    {ID_FILE_SCANDIRECTORIES, &CPageCountDlg::OnFileScanDirectories},
    {ID_ACTION_OPEN, &CPageCountDlg::OpenSelected},
    {ID_ACTION_DELETE, &CPageCountDlg::DeleteSelected},
    {ID_ACCEL_DELETE, &CPageCountDlg::DeleteSelected},
    {ID_ACTION_SELECTALL, &CPageCountDlg::SelectAll},
    {ID_ACTION_CLEARALL, &CPageCountDlg::ClearAll},
    {ID_ACTION_RESETCOUNT, &CPageCountDlg::ResetCountSelected},
    {ID_ACTION_RESETALL, &CPageCountDlg::ResetAllCounts},
    {ID_ROW_MOVEUP, &CPageCountDlg::MoveSelectedUp},
    {ID_ROW_MOVEDOWN, &CPageCountDlg::MoveSelectedDown},
    {ID_ACTION_MOVEUP, &CPageCountDlg::MoveSelectedUp},
    {ID_ACTION_MOVEDOWN, &CPageCountDlg::MoveSelectedDown},
    {ID_ACCEL_MOVEUP, &CPageCountDlg::MoveSelectedUp},
    {ID_ACCEL_MOVEDOWN, &CPageCountDlg::MoveSelectedDown},
    {ID_FILTER_REMOVENONTIF, &CPageCountDlg::RemoveNonTiffFiles},
    {ID_SORT_FILENAME, &CPageCountDlg::OnSortByFilename},
    {ID_SORT_FILESIZE, &CPageCountDlg::OnSortByFilesize},
    {ID_SORT_STATUS, &CPageCountDlg::OnSortByStatus},
    {ID_SORT_PAGECOUNT, &CPageCountDlg::OnSortByPageCount},
    {ID_SORT_USE, &CPageCountDlg::OnSortByUse},
    {ID_SORT_CREATED, &CPageCountDlg::OnSortByCreated},
    {ID_SORT_MODIFIED, &CPageCountDlg::OnSortByModified},
    {ID_FILE_LOADLIST, &CPageCountDlg::OnFileLoadList},
    {ID_FILE_APPENDLIST, &CPageCountDlg::OnFileAppendList},
    {ID_FILE_SAVELIST, &CPageCountDlg::OnFileSaveList},
    {ID_FILE_SAVELISTAS, &CPageCountDlg::OnFileSaveListAs},
    {ID_HELP_WEBSITE, &CPageCountDlg::OnHelpWebsite},
    {ID_HELP_EMAIL, &CPageCountDlg::OnHelpEmail},
    {ID_REPORTS_CSV, &CPageCountDlg::OnReportsCsv},
    {ID_REPORTS_TEXT, &CPageCountDlg::OnReportsText},
    {ID_REPORTS_PROFILE, &CPageCountDlg::OnReportsProfile},
    {ID_REPORTS_PROFILEWINDOW, &CPageCountDlg::OnReportsProfileWindow},
    {ID_REPORTS_SUMMARY, &CPageCountDlg::OnReportsSummary},
    {ID_REPORTS_AUDIT, &CPageCountDlg::OnReportsAudit},
    {ID_HELP_HTMLHELP, &CPageCountDlg::OnHelp},
};

// The long operations, and the commands that would start one inside another: disabled while one runs.
const int kLongOperationCommands[] = {IDC_COUNT_FILES, ID_FILE_SCANDIRECTORIES, ID_FILE_LOADLIST,
                                      ID_FILE_APPENDLIST, ID_FILTER_REMOVENONTIF};


// The main window's help context: its template's id above the dialogs' base.
constexpr quint32 kMainWindowHelpContext = kHelpContextDialogBase + IDD_PAGECOUNT_DIALOG;

template <size_t N>
bool Contains(const int (&ids)[N], int nId)
{
    return std::find(std::begin(ids), std::end(ids), nId) != std::end(ids);
}

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
    // The template's size is the smallest the window gets: below it the count button would slide
    // under the Pages field.
    const QSize client = DialogClientSize(*pTemplate);
    resize(client.width(), client.height() + m_pMenuBar->sizeHint().height());
    setMinimumSize(size());

    m_host.pModel = m_pModel;
    m_host.pView = m_list;
    m_host.pOwner = this;
    m_host.pOperations = &m_operations;
    m_host.pPages = this;
    m_host.pListPath = this;
    connect(&m_operations, &CLongOperations::changed, this, &CPageCountDlg::UpdateCommandStates);

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
    // F1 asks for the window's help, as the help key does in every dialog of the platform.
    auto* pHelpKey = new QShortcut(QKeySequence::HelpContents, this);
    pHelpKey->setObjectName(QStringLiteral("help"));
    connect(pHelpKey, &QShortcut::activated, this, [this] { OnCommand(ID_HELP_HTMLHELP); });

    SetupListView();
    setAcceptDrops(true);

    m_linkWebsite->SetLinkUrl(QString::fromLatin1(kHomePageUrl));
    m_linkWebsite->SetUnderlined(true);
    // The layout lets the Items field reach into the link's line; the link stays on top, readable.
    m_linkWebsite->raise();
    // The labels stand on the text line of their fields.
    for (int nLabel : {IDC_ITEMS_LABEL, IDC_PAGES_LABEL}) {
        if (auto* pLabel = FindControlAs<QLabel>(m_pClient, nLabel))
            pLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    UpdateCommandStates();

    connect(m_btnCount, &QPushButton::clicked, this, [this] { OnCommand(IDC_COUNT_FILES); });
    connect(m_btnClose, &QPushButton::clicked, this, [this] { OnCommand(IDC_CLOSE); });

    if (m_bShowSplash)
        m_nSplashTimer = startTimer(kSplashTimerInterval);
}

void CPageCountDlg::BuildMenuBar()
{
    // Items show their shortcut after a tab; assistive technologies say the name and the key apart.
    InstallMenuItemAccessibility();
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
    // A long path keeps its file name in sight; the tool tip has the whole path.
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_list->setItemDelegate(new CFileListDelegate(m_list));
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
    // A window wider than its template shows more of the file names instead of empty space.
    new CFillColumn(m_list, COL_FILENAME, FileColumnWidth(COL_FILENAME));

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
        return;
    }
    // A field is written only when its text changes: long operations show their totals often.
    for (const auto& [pEdit, strText] : {std::pair{m_editItems, QString::number(m_nItems)},
                                         std::pair{m_editPages, QString::number(m_nPages)}}) {
        if (pEdit->text() != strText)
            pEdit->setText(strText);
    }
}

void CPageCountDlg::SetPagesTotal(qint64 nPages)
{
    m_nPages = nPages;
    UpdateData(false);
}

void CPageCountDlg::UpdateListTitle()
{
    setWindowTitle(QStringLiteral("Pagewick v" PAGEWICK_VERSION "  [") + DisplayFileName(m_strListPath) + u']');
}

void CPageCountDlg::AppendFileRow(const QByteArray& path, bool bInUse)
{
    m_pModel->AppendRow(MakeFileRecord(path, bInUse));
}

void CPageCountDlg::AddStartFiles(const QList<QByteArray>& paths)
{
    AddDroppedPaths(m_host, paths);
}

QList<int> CPageCountDlg::CommandIds()
{
    QList<int> ids;
    for (const SCommandEntry& e : kMessageMap)
        ids.append(e.nId);
    return ids;
}

void CPageCountDlg::UpdateCommandStates()
{
    const bool bIdle = !m_operations.IsBusy();
    const auto enabled = [bIdle](int nId) { return bIdle || !Contains(kLongOperationCommands, nId); };
    for (QAction* pAction : m_pMenuBar->findChildren<QAction*>()) {
        bool bIsId = false;
        const int nId = pAction->data().toInt(&bIsId);
        if (bIsId && nId != 0)
            pAction->setEnabled(enabled(nId));
    }
    for (QShortcut* pShortcut : findChildren<QShortcut*>()) {
        bool bIsId = false;
        const int nId = pShortcut->objectName().toInt(&bIsId);
        if (bIsId)
            pShortcut->setEnabled(enabled(nId));
    }
    m_btnCount->setEnabled(enabled(IDC_COUNT_FILES));
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
    if (IsClosing())
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
    // A running operation stops now, asking nothing; its workers are not waited for.
    m_operations.Close();
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
    UpdateData(true);
    RunCountFiles(m_host);
}

void CPageCountDlg::OnDropFiles(const QList<QUrl>& urls)
{
    RunDropFiles(m_host, urls);
}

void CPageCountDlg::OnFileScanDirectories()
{
    RunScanDirectories(m_host, [this] {
        UpdateData(true);
        return m_bSubFolders != 0;
    });
}

void CPageCountDlg::RemoveNonTiffFiles()
{
    RunRemoveNonTiffFiles(m_host);
}

void CPageCountDlg::OpenSelected()
{
    OpenSelectedFiles(m_host);
}

void CPageCountDlg::DeleteSelected()
{
    DeleteSelectedRows(m_host);
}

void CPageCountDlg::SelectAll()
{
    SelectAllRows(m_host);
}

void CPageCountDlg::ClearAll()
{
    ClearAllRows(m_host);
}

void CPageCountDlg::ResetCountSelected()
{
    ResetSelectedCounts(m_host);
}

void CPageCountDlg::ResetAllCounts()
{
    ResetAllPageCounts(m_host);
}

void CPageCountDlg::MoveSelectedUp()
{
    MoveSelectedRow(m_host, -1);
}

void CPageCountDlg::MoveSelectedDown()
{
    MoveSelectedRow(m_host, +1);
}

void CPageCountDlg::ToggleUse()
{
    ToggleRowUse(m_host);
}

void CPageCountDlg::ShowRowMenu()
{
    ::ShowRowMenu(m_host, [this](int nId) { OnCommand(nId); });
}

void CPageCountDlg::SortByColumn(int nColumn)
{
    SortRows(m_host, nColumn);
}

void CPageCountDlg::OnSortByUse()
{
    SortByColumn(COL_USE);
}

void CPageCountDlg::OnSortByFilename()
{
    SortByColumn(COL_FILENAME);
}

void CPageCountDlg::OnSortByFilesize()
{
    SortByColumn(COL_FILESIZE);
}

void CPageCountDlg::OnSortByStatus()
{
    SortByColumn(COL_STATUS);
}

void CPageCountDlg::OnSortByPageCount()
{
    SortByColumn(COL_PAGES);
}

void CPageCountDlg::OnSortByCreated()
{
    SortByColumn(COL_CREATED);
}

void CPageCountDlg::OnSortByModified()
{
    SortByColumn(COL_MODIFIED);
}

void CPageCountDlg::OnSysCommand()
{
    RunAboutBox(this);
}

void CPageCountDlg::OnHelpWebsite()
{
    RunHelpWebsite(m_linkWebsite);
}

void CPageCountDlg::OnHelpEmail()
{
    RunSupportEmail(this);
}

void CPageCountDlg::OnHelp()
{
    RunHtmlHelp(this, kMainWindowHelpContext);
}

void CPageCountDlg::OnFileLoadList()
{
    RunLoadList(m_host, false);
}

void CPageCountDlg::OnFileAppendList()
{
    RunLoadList(m_host, true);
}

void CPageCountDlg::OnFileSaveList()
{
    RunSaveList(m_host, false);
}

void CPageCountDlg::OnFileSaveListAs()
{
    RunSaveList(m_host, true);
}

void CPageCountDlg::OnReportsCsv()
{
    RunCsvReport(m_host);
}

void CPageCountDlg::OnReportsText()
{
    RunTextReport(m_host);
}

void CPageCountDlg::OnReportsProfile()
{
    RunProfileReport(m_host);
}

void CPageCountDlg::OnReportsProfileWindow()
{
    RunPageProfile(m_host);
}

void CPageCountDlg::OnReportsSummary()
{
    RunFolderSummaryReport(m_host);
}

void CPageCountDlg::OnReportsAudit()
{
    RunAuditReport(m_host);
}
