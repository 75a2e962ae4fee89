#include "app/core/MainLayout.h"
#include "app/ui/CPageCountDlg.h"
#include "common/ui/DialogBuilder.h"
#include "filelist/core/CFileListModel.h"
#include "res/DialogTemplates.h"
#include "res/Menus.h"
#include "res/resource.h"
#include "support/ModalBox.h"
#include "support/TempDir.h"
#include "support/UrlCatcher.h"
#include "support/core/Addresses.h"
#include "support/ui/CHelpWindow.h"
#include "support/ui/CHyperLink.h"
#include "common/ui/CStopDlg.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class MainWindow : public testing::Test {
protected:
    MainWindow() : dlg(nullptr, false) {}

    template <class T>
    T* Control(int nId)
    {
        T* p = FindControlAs<T>(dlg.GetClient(), nId);
        EXPECT_NE(p, nullptr) << nId;
        return p;
    }
    QString Items() { return Control<QLineEdit>(IDC_ITEMS)->text(); }
    QString Pages() { return Control<QLineEdit>(IDC_PAGES)->text(); }

    CPageCountDlg dlg;
};

TEST_F(MainWindow, StartsWithEmptyListZeroTotalsAndClearBox)
{
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Pagewick v1.02  -= By Quorbel =-"));
    EXPECT_EQ(Items(), QStringLiteral("0"));
    EXPECT_EQ(Pages(), QStringLiteral("0"));
    EXPECT_TRUE(Control<QLineEdit>(IDC_ITEMS)->isReadOnly());
    EXPECT_TRUE(Control<QLineEdit>(IDC_PAGES)->isReadOnly());
    QCheckBox* pCheck = Control<QCheckBox>(IDC_SUB_FOLDERS);
    EXPECT_EQ(pCheck->text(), QStringLiteral("Scan Includes Sub Folders"));
    EXPECT_FALSE(pCheck->isChecked());
    EXPECT_EQ(Control<QPushButton>(IDC_COUNT_FILES)->text(), QStringLiteral("&Count files in list"));
    EXPECT_EQ(Control<QPushButton>(IDC_CLOSE)->text(), QStringLiteral("&Close"));
    EXPECT_FALSE(Control<QPushButton>(IDC_COUNT_FILES)->isDefault());
    EXPECT_FALSE(Control<QPushButton>(IDC_CLOSE)->isDefault());
    EXPECT_EQ(Control<QLabel>(IDC_ITEMS_LABEL)->text(), QStringLiteral("Items:"));
    EXPECT_EQ(Control<QLabel>(IDC_PAGES_LABEL)->text(), QStringLiteral("Pages:"));
    CHyperLink* pLink = Control<CHyperLink>(IDC_WEBSITE);
    EXPECT_EQ(pLink->text(), QStringLiteral("Go to Quorbel Website"));
    EXPECT_TRUE(pLink->font().underline());
    EXPECT_FALSE(pLink->GetLinkUrl().isEmpty());

    QStringList labels;
    for (QLabel* pLabel : dlg.GetClient()->findChildren<QLabel*>())
        labels << pLabel->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("Drag & Drop files into list below"))) << qPrintable(labels.join('|'));
}

TEST_F(MainWindow, ControlsCarryIdsAndReadableNames)
{
    const struct {
        int nId;
        const char* pszName;
    } expected[] = {
        {IDC_COUNT_FILES, "Count files in list"}, {IDC_FILE_LIST, "File list"},
        {IDC_SUB_FOLDERS, "Scan Includes Sub Folders"}, {IDC_CLOSE, "Close"},
        {IDC_ITEMS, "Items"}, {IDC_ITEMS_LABEL, "Items"}, {IDC_PAGES, "Pages"},
        {IDC_PAGES_LABEL, "Pages"}, {IDC_WEBSITE, "Go to Quorbel Website"},
    };
    for (const auto& e : expected) {
        QWidget* pControl = FindControl(dlg.GetClient(), e.nId);
        ASSERT_NE(pControl, nullptr) << e.nId;
        EXPECT_EQ(pControl->accessibleName(), QString::fromUtf8(e.pszName)) << e.nId;
    }
}

TEST_F(MainWindow, ListHasSevenColumnsAtTheirWidthsWithGridAndRowSelection)
{
    QTableView* pList = dlg.GetListView();
    const struct {
        const char* pszHeading;
        int nWidth;
    } columns[] = {{"Use", 45},     {"Filename", 260}, {"FileSize", 70}, {"Status", 90},
                   {"Pages", 75},   {"Created", 120},  {"Modified", 120}};
    ASSERT_EQ(pList->model()->columnCount(), 7);
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(pList->model()->headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(columns[c].pszHeading));
        EXPECT_EQ(pList->columnWidth(c), columns[c].nWidth) << c;
    }
    EXPECT_TRUE(pList->showGrid());
    EXPECT_TRUE(pList->horizontalHeader()->sectionsMovable());
    EXPECT_EQ(pList->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(pList->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(pList->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(pList->verticalHeader()->isVisible());
    EXPECT_EQ(pList->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
}

// The menu bar as the user sees it: pop-ups, items with their shortcut texts, separators, ids.
struct SMenuLine {
    const char* pszPopup;
    const char* pszText;    // null: separator
    int nId;
};

const SMenuLine kMenuTree[] = {
    {"&File", "&Scan Directories for Files", 32771}, {"&File", nullptr, 0},
    {"&File", "Load File List", 32789},              {"&File", "Append File List", 32792},
    {"&File", nullptr, 0},                           {"&File", "Save File List", 32790},
    {"&File", "SaveAs File List", 32791},            {"&File", nullptr, 0},
    {"&File", "&Exit", 32772},
    {"F&ilter", "Remove Non TIF Files From List", 32779},
    {"&Action", "&Select All", 32775},               {"&Action", "&Clear All", 32776},
    {"&Action", "Reset All Page Counts", 32788},     {"&Action", nullptr, 0},
    {"&Action", "&Reset Count (Selected)", 32786},   {"&Action", "&Delete (Selected)\tDELETE", 32773},
    {"&Action", nullptr, 0},                         {"&Action", "&Open", 32774},
    {"&Action", nullptr, 0},                         {"&Action", "Move Up\ta", 32802},
    {"&Action", "Move Down\tz", 32803},
    {"&Sort", "Sort By Use", 32785},                 {"&Sort", "Sort By Filename", 32780},
    {"&Sort", "Sort By Filesize", 32781},            {"&Sort", "&Sort By Status", 32783},
    {"&Sort", "Sort By Page Count", 32784},          {"&Sort", "Sort By Created Date", 32806},
    {"&Sort", "Sort By Modified Date", 32808},
    {"&Reports", "&Generate CSV Report", 32777},     {"&Reports", "&Generate Text Report", 32778},
    {"&Reports", "Generate &Page Profile Report", 32809},
    {"&Reports", "Generate &Folder Summary Report", 32811}, {"&Reports", "Generate &Audit Report", 32812},
    {"&Reports", nullptr, 0},                        {"&Reports", "Page Pro&file", 32810},
    {"&Help", "Go to Website Homepage", 32796},      {"&Help", "&HTML Help", 32799},
    {"&Help", nullptr, 0},                           {"&Help", "Email Bug/Suggestion/Comments", 32798},
    {"&Help", nullptr, 0},                           {"&Help", "&About Pagewick...", 16},
};

TEST_F(MainWindow, MenuBarHasEveryPopupItemSeparatorAndId)
{
    QList<SMenuLine> actual;
    QList<QByteArray> keep;
    for (QAction* pPopupAction : dlg.GetMenuBar()->actions()) {
        keep << pPopupAction->text().toUtf8();
        const char* pszPopup = keep.last().constData();
        for (QAction* pItem : pPopupAction->menu()->actions()) {
            if (pItem->isSeparator()) {
                actual.append({pszPopup, nullptr, 0});
                continue;
            }
            keep << pItem->text().toUtf8();
            actual.append({pszPopup, keep.last().constData(), pItem->data().toInt()});
        }
    }
    ASSERT_EQ(actual.size(), int(std::size(kMenuTree)));
    for (int i = 0; i < actual.size(); ++i) {
        const SMenuLine& want = kMenuTree[i];
        EXPECT_STREQ(actual[i].pszPopup, want.pszPopup) << i;
        if (!want.pszText) {
            EXPECT_EQ(actual[i].pszText, nullptr) << i << " should be a separator";
            continue;
        }
        ASSERT_NE(actual[i].pszText, nullptr) << i;
        EXPECT_STREQ(actual[i].pszText, want.pszText) << i;
        EXPECT_EQ(actual[i].nId, want.nId) << i;
    }
}

TEST_F(MainWindow, EveryMenuItemIsEnabledAndReachesItsCommand)
{
    CModalCloser closer;    // whatever box or chooser a command opens is dismissed
    QSignalSpy spy(&dlg, &CPageCountDlg::commandDispatched);
    for (const SMenuLine& line : kMenuTree) {
        // Exit ends the window; it has a test of its own.
        if (!line.pszText || line.nId == ID_FILE_EXIT)
            continue;
        QAction* pAction = dlg.GetMenuBar()->findChild<QAction*>(QString::number(line.nId));
        ASSERT_NE(pAction, nullptr) << line.nId;
        // Every command is there: nothing is disabled while the window is idle.
        ASSERT_TRUE(pAction->isEnabled()) << line.nId;
        pAction->trigger();
        // Long operations run on in the window's loop: let them end before the next item.
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.Operations().IsBusy(), 5000);
        ASSERT_FALSE(spy.isEmpty()) << line.nId;
        EXPECT_EQ(spy.takeFirst().at(0).toInt(), line.nId);
        EXPECT_TRUE(spy.isEmpty()) << line.nId;
        spy.clear();
    }
    EXPECT_FALSE(dlg.IsClosing());
}

TEST(MessageMap, EveryIdOfTheMenusKeysAndButtonsHasACommand)
{
    QSet<int> ids = {IDC_COUNT_FILES, IDC_CLOSE, IDM_ABOUTBOX};
    for (int nMenu : {IDR_MENU_MAIN, IDR_MENU_ROW}) {
        const SMenu* pMenu = FindMenu(nMenu);
        for (int p = 0; p < pMenu->nPopups; ++p) {
            for (int i = 0; i < pMenu->pPopups[p].nItems; ++i) {
                if (pMenu->pPopups[p].pItems[i].pszText)
                    ids.insert(pMenu->pPopups[p].pItems[i].nId);
            }
        }
    }
    int nAccelerators = 0;
    const SAccelerator* pAccelerators = Accelerators(&nAccelerators);
    for (int i = 0; i < nAccelerators; ++i)
        ids.insert(pAccelerators[i].nCommand);
    const QList<int> commands = CPageCountDlg::CommandIds();
    EXPECT_EQ(QSet<int>(commands.begin(), commands.end()), ids);
    CPageCountDlg dlg(nullptr, false);
    EXPECT_FALSE(dlg.OnCommand(4711));
}

struct SKeyCase {
    Qt::Key eKey;
    Qt::KeyboardModifiers eModifiers;
    int nCommand;
};

void PrintTo(const SKeyCase& c, std::ostream* pOut)
{
    *pOut << c.nCommand;
}

class MainWindowAccelerators : public MainWindow, public testing::WithParamInterface<SKeyCase> {};

TEST_P(MainWindowAccelerators, KeyRoutesToItsCommand)
{
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    dlg.activateWindow();
    dlg.GetListView()->setFocus();
    QSignalSpy spy(&dlg, &CPageCountDlg::commandDispatched);
    QTest::keyClick(dlg.GetListView(), GetParam().eKey, GetParam().eModifiers);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), GetParam().nCommand);
    EXPECT_TRUE(dlg.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Table, MainWindowAccelerators,
                         testing::Values(SKeyCase{Qt::Key_A, Qt::ControlModifier, ID_ACCEL_MOVEUP},
                                         SKeyCase{Qt::Key_Delete, Qt::NoModifier, ID_ACCEL_DELETE},
                                         SKeyCase{Qt::Key_Z, Qt::ControlModifier, ID_ACCEL_MOVEDOWN}));

// Every way of ending the window ends its modal loop, which is what ends the program.
enum class EEnding { ExitCommand, CloseButton, CloseBox, EnterKey, EscKey, EnterOnField };

class MainWindowEnding : public testing::TestWithParam<EEnding> {};

TEST_P(MainWindowEnding, EndsTheModalLoop)
{
    CPageCountDlg dlg(nullptr, false);
    bool bTriggered = false;
    QTimer::singleShot(0, &dlg, [&] {
        bTriggered = true;
        switch (GetParam()) {
        case EEnding::ExitCommand:
            dlg.GetMenuBar()->findChild<QAction*>(QString::number(ID_FILE_EXIT))->trigger();
            break;
        case EEnding::CloseButton:
            QTest::mouseClick(FindControl(dlg.GetClient(), IDC_CLOSE), Qt::LeftButton);
            break;
        case EEnding::CloseBox:
            dlg.close();
            break;
        case EEnding::EnterKey:
            dlg.GetListView()->setFocus();
            QTest::keyClick(dlg.GetListView(), Qt::Key_Return);
            break;
        case EEnding::EscKey:
            dlg.GetListView()->setFocus();
            QTest::keyClick(dlg.GetListView(), Qt::Key_Escape);
            break;
        case EEnding::EnterOnField:
            FindControl(dlg.GetClient(), IDC_ITEMS)->setFocus();
            QTest::keyClick(FindControl(dlg.GetClient(), IDC_ITEMS), Qt::Key_Enter, Qt::KeypadModifier);
            break;
        }
    });
    // A safety net, so a way that fails to end the loop fails the test instead of hanging it.
    QTimer::singleShot(5000, &dlg, [&] { dlg.QDialog::done(99); });
    const int nResult = dlg.exec();
    EXPECT_TRUE(bTriggered);
    EXPECT_NE(nResult, 99);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(dlg.IsClosing());
}

INSTANTIATE_TEST_SUITE_P(EveryWay, MainWindowEnding,
                         testing::Values(EEnding::ExitCommand, EEnding::CloseButton, EEnding::CloseBox,
                                         EEnding::EnterKey, EEnding::EscKey, EEnding::EnterOnField));

TEST_F(MainWindow, EnterOnTheCountButtonPressesItInsteadOfEnding)
{
    dlg.show();
    QSignalSpy spy(&dlg, &CPageCountDlg::commandDispatched);
    QPushButton* pCount = Control<QPushButton>(IDC_COUNT_FILES);
    pCount->setFocus();
    CModalCloser closer;    // an empty list's count run ends with its box
    QTest::keyClick(pCount, Qt::Key_Return);
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), IDC_COUNT_FILES);
    EXPECT_FALSE(dlg.IsClosing());
}

TEST_F(MainWindow, LayoutFollowsTheTableAtEverySize)
{
    dlg.show();
    const QRect checkBefore = Control<QCheckBox>(IDC_SUB_FOLDERS)->geometry();
    for (const QSize size : {QSize(640, 480), QSize(1000, 700)}) {
        dlg.resize(size);
        QCoreApplication::processEvents();
        ASSERT_EQ(dlg.size(), size);
        QWidget* pClient = dlg.GetClient();
        EXPECT_EQ(pClient->width(), size.width());
        EXPECT_EQ(pClient->y() + pClient->height(), size.height());
        const int nLinkHeight = Control<CHyperLink>(IDC_WEBSITE)->height();
        for (const SControlPlace& p : MainWindowLayout(pClient->width(), pClient->height(), nLinkHeight))
            EXPECT_EQ(FindControl(pClient, p.nId)->geometry(), p.rc) << p.nId << " at " << size.width();
        const QRect count = Control<QPushButton>(IDC_COUNT_FILES)->geometry();
        EXPECT_LE(std::abs(count.center().x() - (pClient->width() + 8) / 2), 1);
        EXPECT_EQ(Control<QCheckBox>(IDC_SUB_FOLDERS)->geometry(), checkBefore);
        // The link's underlined text fits in its height.
        EXPECT_GE(nLinkHeight, Control<CHyperLink>(IDC_WEBSITE)->fontMetrics().height());
    }
}

TEST_F(MainWindow, LayoutAlsoHoldsForAWindowAtTheTopOfTheScreen)
{
    dlg.show();
    dlg.move(0, 0);
    dlg.resize(700, 500);
    QCoreApplication::processEvents();
    QWidget* pClient = dlg.GetClient();
    EXPECT_EQ(Control<QTableView>(IDC_FILE_LIST)->geometry(), QRect(0, 25, 700, pClient->height() + 46 - 115));
}

TEST_F(MainWindow, ItemsFollowsInsertsAndDeletesWhilePagesStays)
{
    CTempDir dir;
    const QString strA = dir.Write(QStringLiteral("a.tif"), "II*\0");
    dlg.SetPagesTotal(7);
    dlg.AppendFileRow(strA.toUtf8(), true);
    dlg.AppendFileRow(strA.toUtf8(), true);
    dlg.AppendFileRow(dir.Path(QStringLiteral("missing.tif")).toUtf8(), true);
    EXPECT_EQ(Items(), QStringLiteral("3"));
    // The same path twice gives two identical rows.
    EXPECT_EQ(dlg.GetModel()->GetRecord(0), dlg.GetModel()->GetRecord(1));
    EXPECT_EQ(dlg.ItemsTotal(), 3);
    dlg.GetModel()->removeRows(0, 2);
    EXPECT_EQ(Items(), QStringLiteral("1"));
    EXPECT_EQ(Pages(), QStringLiteral("7"));
    dlg.GetModel()->AppendRows({MakeFileRecord(strA.toUtf8(), false), MakeFileRecord(strA.toUtf8(), true)});
    EXPECT_EQ(Items(), QStringLiteral("3"));
    dlg.GetModel()->Clear();
    EXPECT_EQ(Items(), QStringLiteral("0"));
    EXPECT_EQ(Pages(), QStringLiteral("7"));
}

TEST_F(MainWindow, WritingTheTotalsKeepsTheSubFolderTick)
{
    Control<QCheckBox>(IDC_SUB_FOLDERS)->setChecked(true);
    dlg.AppendFileRow("/nonexistent/x.tif", true);
    dlg.UpdateData(false);
    EXPECT_TRUE(Control<QCheckBox>(IDC_SUB_FOLDERS)->isChecked());
    dlg.UpdateData(true);
    EXPECT_TRUE(dlg.SubFolders());
}

TEST_F(MainWindow, WebsiteLinkOpensTheHomePage)
{
    dlg.show();
    CUrlCatcher catcher;
    CHyperLink* pLink = Control<CHyperLink>(IDC_WEBSITE);
    EXPECT_EQ(pLink->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(pLink->toolTip(), pLink->GetLinkUrl());
    QTest::mouseClick(pLink, Qt::LeftButton);
    ASSERT_EQ(catcher.Urls().size(), 1);
    EXPECT_EQ(catcher.Urls().first(), QUrl(pLink->GetLinkUrl()));
    EXPECT_TRUE(pLink->GetVisitedState());
}

// Items with a shortcut after a tab are announced by their name, the shortcut apart, while the
// menu still shows both; pressing them there runs their command.
TEST_F(MainWindow, MenuItemsAreAnnouncedWithoutTheirShortcutText)
{
    dlg.show();
    const struct {
        int nId;
        const char* pszName;
        const char* pszKey;
    } items[] = {{ID_ACTION_DELETE, "Delete (Selected)", "DELETE"},
                 {ID_ACTION_MOVEUP, "Move Up", "a"},
                 {ID_ACTION_MOVEDOWN, "Move Down", "z"}};
    QMenu* pMenu = dlg.GetMenuBar()->findChild<QMenu*>(QStringLiteral("Action"));
    ASSERT_NE(pMenu, nullptr);
    QAccessibleInterface* pMenuIface = QAccessible::queryAccessibleInterface(pMenu);
    ASSERT_EQ(pMenuIface->childCount(), int(pMenu->actions().size()));
    for (const auto& item : items) {
        QAction* pAction = pMenu->findChild<QAction*>(QString::number(item.nId));
        ASSERT_NE(pAction, nullptr) << item.nId;
        QAccessibleInterface* pItem = pMenuIface->child(int(pMenu->actions().indexOf(pAction)));
        ASSERT_NE(pItem, nullptr) << item.nId;
        EXPECT_EQ(pItem->role(), QAccessible::MenuItem);
        EXPECT_EQ(pItem->text(QAccessible::Name), QString::fromUtf8(item.pszName));
        EXPECT_EQ(pItem->text(QAccessible::Accelerator), QString::fromUtf8(item.pszKey));
        EXPECT_EQ(pItem->parent()->object(), pMenu);
        EXPECT_EQ(pAction->text().section(u'\t', 1), QString::fromUtf8(item.pszKey)) << "the menu still shows the key";
    }
    QSignalSpy dispatched(&dlg, &CPageCountDlg::commandDispatched);
    QAccessibleInterface* pMoveUp =
        pMenuIface->child(int(pMenu->actions().indexOf(pMenu->findChild<QAction*>(QString::number(ID_ACTION_MOVEUP)))));
    pMoveUp->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(dispatched.size(), 1);
    EXPECT_EQ(dispatched.first().first().toInt(), ID_ACTION_MOVEUP);
}

// A window wider than its template gives its extra width to the file names; the other columns keep
// theirs, and a column the user has sized keeps the user's width.
TEST_F(MainWindow, FilenameColumnTakesTheWidthOfAWiderWindow)
{
    dlg.show();
    QTableView* pList = dlg.GetListView();
    QHeaderView* pHeader = pList->horizontalHeader();
    const auto widths = [pList] {
        QList<int> cx;
        for (int c = 0; c < FILE_COLUMN_COUNT; ++c)
            cx << pList->columnWidth(c);
        return cx;
    };
    const QList<int> base = widths();
    EXPECT_EQ(base[COL_FILENAME], 260);
    const auto grow = [&](const QSize& size) {
        dlg.resize(size);
        QCoreApplication::processEvents();
    };
    grow(QSize(1400, 600));
    QList<int> wide = widths();
    EXPECT_EQ(pHeader->length(), pList->viewport()->width()) << "neither empty space nor a hidden column";
    EXPECT_GT(wide[COL_FILENAME], 260 + 500);
    wide[COL_FILENAME] = base[COL_FILENAME];
    EXPECT_EQ(wide, base);
    grow(dlg.minimumSize());
    EXPECT_EQ(widths(), base);

    // A dragged column keeps its width; the file names take the rest.
    grow(QSize(1400, 600));
    pHeader->resizeSection(COL_STATUS, 150);
    EXPECT_EQ(pList->columnWidth(COL_STATUS), 150);
    EXPECT_EQ(pHeader->length(), pList->viewport()->width());
    // The file names' own column, once dragged, keeps the user's width at every size.
    pHeader->resizeSection(COL_FILENAME, 300);
    grow(QSize(1600, 700));
    EXPECT_EQ(pList->columnWidth(COL_FILENAME), 300);
    EXPECT_EQ(pList->columnWidth(COL_STATUS), 150);
}

TEST_F(MainWindow, ListExposesItsCellsToAccessibility)
{
    dlg.AppendFileRow("/nonexistent/x.tif", true);
    const QModelIndex cell = dlg.GetListView()->model()->index(0, 1);
    EXPECT_EQ(cell.data(Qt::DisplayRole).toString(), QStringLiteral("/nonexistent/x.tif"));
    EXPECT_EQ(dlg.GetListView()->accessibleName(), QStringLiteral("File list"));
}


TEST_F(MainWindow, BottomRowStaysReadableAtEverySize)
{
    dlg.show();
    // The template's size is the smallest: below it the count button would slide under Pages.
    const QSize smallest = dlg.minimumSize();
    dlg.resize(100, 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.size(), smallest);
    const QRect count = Control<QPushButton>(IDC_COUNT_FILES)->geometry();
    EXPECT_FALSE(count.intersects(Control<QLineEdit>(IDC_PAGES)->geometry()));
    for (const QSize size : {smallest, QSize(900, 600)}) {
        dlg.resize(size);
        QCoreApplication::processEvents();
        // The labels stand on the text line of their fields.
        for (const auto& [nLabel, nField] : {std::pair{IDC_ITEMS_LABEL, IDC_ITEMS}, std::pair{IDC_PAGES_LABEL, IDC_PAGES}}) {
            auto* pLabel = Control<QLabel>(nLabel);
            const QFontMetrics fm(pLabel->font());
            const QRect text = QStyle::alignedRect(Qt::LeftToRight, pLabel->alignment(),
                                                   QSize(fm.horizontalAdvance(pLabel->text()), fm.height()),
                                                   pLabel->contentsRect());
            const int nFieldMiddle = Control<QLineEdit>(nField)->geometry().center().y();
            EXPECT_LE(std::abs(text.translated(pLabel->pos()).center().y() - nFieldMiddle), 1) << nLabel;
        }
        // Every point of the link's underlined line belongs to the link, not to the Items field.
        CHyperLink* pLink = Control<CHyperLink>(IDC_WEBSITE);
        const int nUnderline = pLink->y() + pLink->fontMetrics().ascent() + pLink->fontMetrics().underlinePos();
        const int nTextWidth = pLink->fontMetrics().horizontalAdvance(pLink->text());
        for (int x = pLink->x(); x < pLink->x() + nTextWidth; x += 4)
            EXPECT_EQ(dlg.GetClient()->childAt(x, nUnderline), pLink) << x << " at " << size.width();
    }
}

TEST_F(MainWindow, ProcessingWindowLabelStandsOnItsFieldsLine)
{
    // The File: label of the Processing window and the Directory: label of the Scan window.
    for (const int nTemplate : {IDD_PROCESSING, IDD_SCAN}) {
        CStopDlg box(nTemplate, nTemplate == IDD_PROCESSING ? IDC_PROCESSING_FILE : IDC_SCAN_DIRECTORY, &dlg);
        auto* pLabel = box.findChild<QLabel*>();
        auto* pField = box.findChild<QLineEdit*>();
        ASSERT_TRUE(pLabel && pField);
        EXPECT_EQ(pLabel->geometry().center().y(), pField->geometry().center().y()) << nTemplate;
        EXPECT_TRUE(pLabel->alignment() & Qt::AlignVCenter);
    }
}


TEST_F(MainWindow, HelpMenuAndKeysReachTheHelpTheSupportMailAndTheAboutBox)
{
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    dlg.activateWindow();
    CModalBoxes boxes;      // a box saying the help cannot be shown fails the test
    // The build keeps the help collection beside the program, not beside the tests: the current
    // directory is the last place it is looked for.
    const QString strWasCurrent = QDir::currentPath();
    QDir::setCurrent(QStringLiteral(PAGEWICK_HELP_DIR));
    // "&HTML Help" and F1: the help window at the main window's page.
    for (const bool bKey : {false, true}) {
        if (bKey)
            QTest::keyClick(dlg.GetListView(), Qt::Key_F1);
        else
            dlg.GetMenuBar()->findChild<QAction*>(QString::number(ID_HELP_HTMLHELP))->trigger();
        auto* pHelp = dlg.findChild<CHelpWindow*>();
        ASSERT_NE(pHelp, nullptr) << bKey;
        EXPECT_TRUE(pHelp->isVisible());
        EXPECT_TRUE(pHelp->CurrentUrl().path().endsWith(QStringLiteral("main-window.html"))) << qPrintable(pHelp->CurrentUrl().toString());
        pHelp->close();
    }
    QDir::setCurrent(strWasCurrent);
    // The website and the support mail go to the desktop.
    CUrlCatcher catcher;
    dlg.GetMenuBar()->findChild<QAction*>(QString::number(ID_HELP_WEBSITE))->trigger();
    dlg.GetMenuBar()->findChild<QAction*>(QString::number(ID_HELP_EMAIL))->trigger();
    ASSERT_EQ(catcher.Urls().size(), 2);
    EXPECT_EQ(catcher.Urls()[0], QUrl(QString::fromLatin1(kHomePageUrl)));
    EXPECT_EQ(catcher.Urls()[1].scheme(), QStringLiteral("mailto"));
    // The About item: the About box, modal, ended by OK.
    boxes.ExpectDialog(QStringLiteral("About Pagewick"), [](QWidget* pAbout) { qobject_cast<QDialog*>(pAbout)->accept(); });
    dlg.GetMenuBar()->findChild<QAction*>(QString::number(IDM_ABOUTBOX))->trigger();
    EXPECT_TRUE(boxes.AllAnswered());
}

}  // namespace
