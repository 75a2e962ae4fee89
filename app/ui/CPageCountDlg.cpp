#include "CPageCountDlg.h"

#include "CSplashDlg.h"
#include "common/core/FileName.h"
#include "common/ui/CFillColumn.h"
#include "count/core/FileEngine.h"
#include "count/ui/CountRun.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/ui/AddFiles.h"
#include "filelist/ui/CFileListDelegate.h"
#include "filelist/ui/EditCommands.h"
#include "persist/ui/CPageProfileDlg.h"
#include "persist/ui/ListFiles.h"
#include "persist/ui/Reports.h"
#include "res/Version.h"
#include "support/core/Addresses.h"
#include "support/ui/CHyperLink.h"
#include "support/ui/HelpCommands.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// The average width of a letter, as the platform the window was first drawn for measured it.
double AverageCharWidth(const QFont& font)
{
    return QFontMetricsF(font).horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
           52;
}

// The list's column widths were drawn for the original's 8-point font, whose letters average 6
// pixels; a wider font widens them alike, so that a date still fits its column.
int ScaledColumnWidth(int nColumn, const QFont& font)
{
    return qRound(FileColumnWidth(nColumn) * AverageCharWidth(font) / 6);
}

constexpr int kSplashTimerInterval = 1;

}  // namespace

CPageCountDlg::CPageCountDlg(QWidget* pParent, bool bShowSplash) : QDialog(pParent)
{
    setWindowTitle(QStringLiteral("Pagewick v" PAGEWICK_VERSION "  -= By Quorbel =-"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/images/pagewick.png")));
    setAcceptDrops(true);

    m_pModel = new CFileListModel(this);
    m_host.pModel = m_pModel;
    m_host.pOwner = this;
    m_host.pOperations = &m_operations;
    m_host.pListPath = this;
    m_host.pWork = &CFileEngine::Instance();

    BuildControls();
    BuildMenus();
    SetupListView();
    FollowFont();
    ShowTotals();

    // The first size is the original window's: 359 x 175 dialog units below the menu, a unit being
    // a quarter of the font's average letter wide and an eighth of its height high.
    const QSize first(qRound(359 * AverageCharWidth(font()) / 4),
                      qRound(175 * QFontMetricsF(font()).height() / 8) + m_pMenuBar->sizeHint().height());
    QSize room = first;
    if (const QScreen* pScreen = screen())
        room = pScreen->availableGeometry().size();
    resize(first.boundedTo(room).expandedTo(minimumSizeHint()));

    if (bShowSplash)
        m_nSplashTimer = startTimer(kSplashTimerInterval);
}

CPageCountDlg::~CPageCountDlg() = default;

QAction* CPageCountDlg::AddCommand(const char* pszName, const char* pszText, const char* pszStatusTip,
                                   const std::function<void()>& run, const QKeySequence& shortcut)
{
    auto* pAction = new QAction(QString::fromUtf8(pszText), this);
    pAction->setObjectName(QLatin1String(pszName));
    pAction->setStatusTip(QString::fromUtf8(pszStatusTip));
    pAction->setShortcut(shortcut);
    connect(pAction, &QAction::triggered, this, run);
    // Its key works wherever the focus is in the window.
    addAction(pAction);
    return pAction;
}

void CPageCountDlg::BuildControls()
{
    // In the original's order, which is the order of the Tab key. Neither button is the default:
    // Enter presses the one that has the focus.
    m_btnCount = new QPushButton(QStringLiteral("&Count files in list"), this);
    m_btnCount->setObjectName(QStringLiteral("countButton"));
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("fileList"));
    m_list->setAccessibleName(QStringLiteral("File list"));
    m_host.pView = m_list;
    auto* pDrop = new QLabel(QStringLiteral("Drag & Drop files into list below"), this);
    m_checkSubFolders = new QCheckBox(QStringLiteral("Scan Includes Sub Folders"), this);
    m_checkSubFolders->setObjectName(QStringLiteral("subFolders"));
    m_checkSubFolders->setLayoutDirection(Qt::RightToLeft);    // the text left of the box
    m_btnClose = new QPushButton(QStringLiteral("&Close"), this);
    m_btnClose->setObjectName(QStringLiteral("closeButton"));
    for (QPushButton* pButton : {m_btnCount, m_btnClose})
        pButton->setAutoDefault(false);
    m_editItems = new QLineEdit(this);
    m_editItems->setObjectName(QStringLiteral("itemsField"));
    m_editItems->setAccessibleName(QStringLiteral("Items"));
    auto* pItemsLabel = new QLabel(QStringLiteral("Items:"), this);
    pItemsLabel->setBuddy(m_editItems);
    auto* pPagesLabel = new QLabel(QStringLiteral("Pages:"), this);
    m_editPages = new QLineEdit(this);
    m_editPages->setObjectName(QStringLiteral("pagesField"));
    m_editPages->setAccessibleName(QStringLiteral("Pages"));
    pPagesLabel->setBuddy(m_editPages);
    for (QLineEdit* pEdit : {m_editItems, m_editPages})
        pEdit->setReadOnly(true);
    auto* pLink = new CHyperLink(QStringLiteral("Go to Quorbel Website"), this);
    pLink->setObjectName(QStringLiteral("websiteLink"));
    pLink->SetLinkUrl(QString::fromLatin1(kHomePageUrl));
    pLink->SetUnderlined(true);

    // The hint stands in the middle above the list, the box at its right; below the list the
    // totals at the left, the count button in the middle, Close at the right, and the link under
    // the totals, on a line of its own.
    auto* pLayout = new QVBoxLayout(this);
    m_pMenuBar = new QMenuBar(this);
    m_pMenuBar->setObjectName(QStringLiteral("menuBar"));
    m_pMenuBar->setNativeMenuBar(false);
    pLayout->setMenuBar(m_pMenuBar);
    auto* pTop = new QGridLayout;
    pTop->addWidget(pDrop, 0, 1, Qt::AlignCenter);
    pTop->addWidget(m_checkSubFolders, 0, 2, Qt::AlignRight);
    pTop->setColumnStretch(0, 1);
    pTop->setColumnStretch(2, 1);
    pLayout->addLayout(pTop);
    pLayout->addWidget(m_list, 1);
    auto* pTotals = new QHBoxLayout;
    for (QWidget* pPart : std::initializer_list<QWidget*>{pItemsLabel, m_editItems, pPagesLabel, m_editPages})
        pTotals->addWidget(pPart);
    pTotals->insertSpacing(2, fontMetrics().averageCharWidth() * 2);
    pTotals->addStretch();
    auto* pBottom = new QGridLayout;
    pBottom->addLayout(pTotals, 0, 0, Qt::AlignLeft);
    pBottom->addWidget(m_btnCount, 0, 1);
    pBottom->addWidget(m_btnClose, 0, 2, Qt::AlignRight);
    pBottom->addWidget(pLink, 1, 0, 1, 3, Qt::AlignLeft);
    pBottom->setColumnStretch(0, 1);
    pBottom->setColumnStretch(2, 1);
    pLayout->addLayout(pBottom);
}

void CPageCountDlg::BuildMenus()
{
    const auto sortBy = [this](int nColumn) { return [this, nColumn] { SortRows(m_host, nColumn); }; };
    const auto report = [this](void (*run)(const SListHost&)) { return [this, run] { run(m_host); }; };

    QAction* pCount = AddCommand("actionCountFiles", "&Count files in list", "", [this] { RunCountFiles(m_host); });
    QAction* pScan = AddCommand("actionScanDirectories", "&Scan Directories for Files", "Scan directories for Files",
                                [this] { RunScanDirectories(m_host, [this] { return SubFolders(); }); });
    QAction* pLoad = AddCommand("actionLoadList", "Load File List", "Load a file list",
                                [this] { RunLoadList(m_host, false); });
    QAction* pAppend = AddCommand("actionAppendList", "Append File List", "Append a file list",
                                  [this] { RunLoadList(m_host, true); });
    QAction* pSave = AddCommand("actionSaveList", "Save File List", "Save the file list",
                                [this] { RunSaveList(m_host, false); });
    QAction* pSaveAs = AddCommand("actionSaveListAs", "SaveAs File List", "Save the file list under a new name",
                                  [this] { RunSaveList(m_host, true); });
    QAction* pExit = AddCommand("actionExit", "&Exit", "Exit the program", [this] { done(QDialog::Accepted); });
    QAction* pFilter = AddCommand("actionRemoveNonTiff", "Remove Non TIF Files From List",
                                  "Remove non TIF files from the list", [this] { RunRemoveNonTiffFiles(m_host); });
    QAction* pSelectAll = AddCommand("actionSelectAll", "&Select All", "Select all files in the list",
                                     [this] { SelectAllRows(m_host); });
    QAction* pClearAll = AddCommand("actionClearAll", "&Clear All", "Remove all files from the list",
                                    [this] { ClearAllRows(m_host); });
    QAction* pResetAll = AddCommand("actionResetAllCounts", "Reset All Page Counts", "Reset All Page Counts",
                                    [this] { ResetAllPageCounts(m_host); });
    QAction* pResetCount = AddCommand("actionResetCount", "&Reset Count (Selected)",
                                      "Reset the page count of the selected files",
                                      [this] { ResetSelectedCounts(m_host); });
    QAction* pDelete = AddCommand("actionDelete", "&Delete (Selected)", "Delete the selected files from the list",
                                  [this] { DeleteSelectedRows(m_host); }, QKeySequence(Qt::Key_Delete));
    QAction* pOpen = AddCommand("actionOpen", "&Open", "Open the selected files", [this] { OpenSelectedFiles(m_host); });
    // Ctrl+A moves a row up, as it always has; Select All has no key.
    QAction* pMoveUp = AddCommand("actionMoveUp", "Move Up", "Move the selected file up",
                                  [this] { MoveSelectedRow(m_host, -1); }, QKeySequence(Qt::CTRL | Qt::Key_A));
    QAction* pMoveDown = AddCommand("actionMoveDown", "Move Down", "Move the selected file down",
                                    [this] { MoveSelectedRow(m_host, +1); }, QKeySequence(Qt::CTRL | Qt::Key_Z));
    const QList<QAction*> sorts = {
        AddCommand("actionSortByUse", "Sort By Use", "Sort the list by use", sortBy(COL_USE)),
        AddCommand("actionSortByFilename", "Sort By Filename", "Sort the list by file name", sortBy(COL_FILENAME)),
        AddCommand("actionSortByFilesize", "Sort By Filesize", "Sort the list by file size", sortBy(COL_FILESIZE)),
        AddCommand("actionSortByStatus", "&Sort By Status", "Sort the list by status", sortBy(COL_STATUS)),
        AddCommand("actionSortByPageCount", "Sort By Page Count", "Sort the list by page count", sortBy(COL_PAGES)),
        AddCommand("actionSortByCreated", "Sort By Created Date", "Sort the list by created date", sortBy(COL_CREATED)),
        AddCommand("actionSortByModified", "Sort By Modified Date", "Sort the list by modified date",
                   sortBy(COL_MODIFIED)),
    };
    QAction* pCsv = AddCommand("actionCsvReport", "&Generate CSV Report", "Export the list as a CSV report",
                               report(RunCsvReport));
    QAction* pText = AddCommand("actionTextReport", "&Generate Text Report", "Export the list as a text report",
                                report(RunTextReport));
    QAction* pProfile = AddCommand("actionProfileReport", "Generate &Page Profile Report",
                                   "Export the pages of the list by paper, colour and resolution as a CSV report",
                                   report(RunProfileReport));
    QAction* pSummary = AddCommand("actionFolderSummaryReport", "Generate &Folder Summary Report",
                                   "Export the files, pages and problems of each folder as a CSV report",
                                   report(RunFolderSummaryReport));
    QAction* pAudit = AddCommand("actionAuditReport", "Generate &Audit Report",
                                 "Export every file with its status and the reason for it as a CSV report",
                                 report(RunAuditReport));
    QAction* pProfileWindow = AddCommand("actionPageProfile", "Page Pro&file",
                                         "Show the pages of the list by paper, colour and resolution",
                                         report(RunPageProfile));
    QAction* pWebsite = AddCommand("actionWebsite", "Go to Website Homepage", "Go to the website homepage",
                                   [] { RunHelpWebsite(); });
    QAction* pHelp = AddCommand("actionHtmlHelp", "&HTML Help", "Show the help", [this] { RunHtmlHelp(this); },
                                QKeySequence::HelpContents);
    QAction* pEmail = AddCommand("actionSupportEmail", "Email Bug/Suggestion/Comments",
                                 "Email a bug report, suggestion or comment", [this] { RunSupportEmail(this); });
    QAction* pAbout = AddCommand("actionAbout", "&About Pagewick...", "", [this] { RunAboutBox(this); });

    const auto addMenu = [this](const char* pszName, const char* pszText, const QList<QAction*>& items) {
        QMenu* pMenu = m_pMenuBar->addMenu(QString::fromUtf8(pszText));
        pMenu->setObjectName(QLatin1String(pszName));
        for (QAction* pItem : items) {
            if (pItem)
                pMenu->addAction(pItem);
            else
                pMenu->addSeparator();
        }
    };
    addMenu("menuFile", "&File", {pScan, nullptr, pLoad, pAppend, nullptr, pSave, pSaveAs, nullptr, pExit});
    addMenu("menuFilter", "F&ilter", {pFilter});
    addMenu("menuAction", "&Action",
            {pSelectAll, pClearAll, pResetAll, nullptr, pResetCount, pDelete, nullptr, pOpen, nullptr, pMoveUp, pMoveDown});
    addMenu("menuSort", "&Sort", sorts);
    addMenu("menuReports", "&Reports", {pCsv, pText, pProfile, pSummary, pAudit, nullptr, pProfileWindow});
    // This platform has no window menu of its own to extend: About ends the Help menu.
    addMenu("menuHelp", "&Help", {pWebsite, pHelp, nullptr, pEmail, nullptr, pAbout});

    // The row menu says the commands in words of its own.
    m_pRowMenu = new QMenu(QStringLiteral("Options"), this);
    m_pRowMenu->setObjectName(QStringLiteral("rowMenu"));
    const std::pair<const char*, QAction*> rowItems[] = {
        {"&Move Up", pMoveUp}, {"Move Down", pMoveDown}, {nullptr, nullptr}, {"&Open", pOpen},
        {nullptr, nullptr},    {"&Reset Count", pResetCount}, {"&Delete", pDelete},
    };
    for (const auto& [pszText, pCommand] : rowItems) {
        if (pszText)
            connect(m_pRowMenu->addAction(QString::fromUtf8(pszText)), &QAction::triggered, pCommand, &QAction::trigger);
        else
            m_pRowMenu->addSeparator();
    }

    // The long operations, and the commands that would start one inside another, wait while one runs.
    auto* pLongOperations = new QActionGroup(this);
    pLongOperations->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    for (QAction* pAction : {pCount, pScan, pLoad, pAppend, pFilter})
        pLongOperations->addAction(pAction);
    connect(&m_operations, &CLongOperations::changed, pLongOperations,
            [pLongOperations](ELongOperation eNow) { pLongOperations->setEnabled(eNow == ELongOperation::None); });

    connect(m_btnCount, &QPushButton::clicked, pCount, &QAction::trigger);
    connect(pCount, &QAction::enabledChanged, m_btnCount, &QPushButton::setEnabled);
    connect(m_btnClose, &QPushButton::clicked, pExit, &QAction::trigger);
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
    QHeaderView* pHeader = m_list->horizontalHeader();
    pHeader->setSectionsMovable(true);
    pHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pHeader->setSectionResizeMode(QHeaderView::Interactive);
    pHeader->setStretchLastSection(false);
    pHeader->setSectionsClickable(true);
    pHeader->setHighlightSections(false);
    for (int c = 0; c < FILE_COLUMN_COUNT; ++c)
        m_list->setColumnWidth(c, ScaledColumnWidth(c, m_list->font()));
    // A window wider than its first size shows more of the file names instead of empty space.
    new CFillColumn(m_list, COL_FILENAME, m_list->columnWidth(COL_FILENAME));

    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, &CPageCountDlg::ShowTotalsSoon);
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, &CPageCountDlg::ShowTotalsSoon);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &CPageCountDlg::ShowTotalsSoon);
    connect(m_pModel, &CFileListModel::pagesTotalChanged, this, &CPageCountDlg::ShowTotalsSoon);
    // As an operation begins or ends, the totals are brought up to date at once.
    connect(&m_operations, &CLongOperations::changed, &m_showTotals, &CPacedCall::RunNow);
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this] { ToggleRowUse(m_host); });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this] { ShowRowMenu(m_host, m_pRowMenu); });
    connect(pHeader, &QHeaderView::sectionClicked, this, [this](int nColumn) { SortRows(m_host, nColumn); });
}

void CPageCountDlg::FollowFont()
{
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    // The totals' fields hold eight digits: their width is the field's own for the 17 letters Qt
    // gives a line, less those letters, plus the digits.
    for (QLineEdit* pEdit : {m_editItems, m_editPages}) {
        const QFontMetrics fm = pEdit->fontMetrics();
        pEdit->setFixedWidth(pEdit->sizeHint().width() - 17 * fm.horizontalAdvance(u'x') +
                             8 * fm.horizontalAdvance(u'0'));
    }
}

void CPageCountDlg::changeEvent(QEvent* pEvent)
{
    QDialog::changeEvent(pEvent);
    // A font chosen on the desktop while the window is open.
    if (pEvent->type() == QEvent::FontChange && m_list)
        FollowFont();
}

int CPageCountDlg::ItemsTotal() const
{
    return m_pModel->GetRowCount();
}

qint64 CPageCountDlg::PagesTotal() const
{
    return m_pModel->PagesTotal();
}

void CPageCountDlg::ShowTotalsSoon()
{
    if (m_operations.IsBusy())
        m_showTotals.Request();
    else
        m_showTotals.RunNow();
}

void CPageCountDlg::ShowTotals()
{
    // A field is written only when its text changes: long operations show their totals often.
    for (const auto& [pEdit, strText] : {std::pair{m_editItems, QString::number(ItemsTotal())},
                                         std::pair{m_editPages, QString::number(PagesTotal())}}) {
        if (pEdit->text() != strText)
            pEdit->setText(strText);
    }
}

bool CPageCountDlg::SubFolders() const
{
    return m_checkSubFolders->isChecked();
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

void CPageCountDlg::done(int nResult)
{
    // A running operation stops now, asking nothing; its workers are not waited for.
    m_operations.Close();
    QDialog::done(nResult);
}

void CPageCountDlg::keyPressEvent(QKeyEvent* pEvent)
{
    // Neither Enter nor Esc ends this window, which would throw the list away: Enter presses the
    // button that has the focus, and Esc does nothing.
    const Qt::KeyboardModifiers eModifiers = pEvent->modifiers() & ~Qt::KeypadModifier;
    if (eModifiers == Qt::NoModifier && (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter)) {
        if (auto* pButton = qobject_cast<QPushButton*>(focusWidget()))
            pButton->click();
        return;
    }
    if (pEvent->matches(QKeySequence::Cancel)) {
        pEvent->ignore();
        return;
    }
    QDialog::keyPressEvent(pEvent);
}

void CPageCountDlg::closeEvent(QCloseEvent* pEvent)
{
    done(QDialog::Accepted);
    pEvent->accept();
}

void CPageCountDlg::timerEvent(QTimerEvent* pEvent)
{
    if (pEvent->timerId() != m_nSplashTimer)
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
    RunDropFiles(m_host, pEvent->mimeData()->urls());
}
