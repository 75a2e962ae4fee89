#include "app/ui/CPageCountDlg.h"
#include "filelist/core/CFileListModel.h"
#include "support/ModalBox.h"
#include "support/Named.h"
#include "support/TempDir.h"
#include "support/UrlCatcher.h"
#include "support/core/Addresses.h"
#include "support/ui/CHelpWindow.h"
#include "support/ui/CHyperLink.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class MainWindow : public testing::Test {
protected:
    MainWindow() : dlg(nullptr, false) {}

    QString Items() { return Named<QLineEdit>(&dlg, "itemsField")->text(); }
    QString Pages() { return Named<QLineEdit>(&dlg, "pagesField")->text(); }
    QAction* Action(const char* pszName) { return Named<QAction>(&dlg, pszName); }
    void ShowActive()
    {
        dlg.show();
        // Keys go to the active window, as the user's do.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        dlg.activateWindow();
        dlg.GetListView()->setFocus();
    }

    CPageCountDlg dlg;
};

// Each control with its text and the name screen readers say for it, from its own text or the
// label beside it.
TEST_F(MainWindow, StartsWithEmptyListZeroTotalsAndClearBoxEachControlNamed)
{
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Pagewick v1.02  -= By Quorbel =-"));
    const struct {
        const char* pszName;
        const char* pszText;    // null: a control without text
        const char* pszSaid;
    } controls[] = {
        {"countButton", "&Count files in list", "Count files in list"}, {"fileList", nullptr, "File list"},
        {"subFolders", "Scan Includes Sub Folders", "Scan Includes Sub Folders"}, {"closeButton", "&Close", "Close"},
        {"itemsField", "0", "Items"}, {"pagesField", "0", "Pages"},
        {"websiteLink", "Go to Quorbel Website", "Go to Quorbel Website"},
    };
    for (const auto& c : controls) {
        if (c.pszText) {
            EXPECT_EQ(Named(&dlg, c.pszName)->property("text").toString(), QLatin1String(c.pszText)) << c.pszName;
        }
        QAccessibleInterface* pIface = QAccessible::queryAccessibleInterface(Named(&dlg, c.pszName));
        ASSERT_NE(pIface, nullptr) << c.pszName;
        EXPECT_EQ(pIface->text(QAccessible::Name), QLatin1String(c.pszSaid)) << c.pszName;
    }
    EXPECT_TRUE(Named<QLineEdit>(&dlg, "itemsField")->isReadOnly());
    EXPECT_TRUE(Named<QLineEdit>(&dlg, "pagesField")->isReadOnly());
    EXPECT_FALSE(Named<QCheckBox>(&dlg, "subFolders")->isChecked());
    EXPECT_FALSE(Named<QPushButton>(&dlg, "countButton")->isDefault());
    EXPECT_FALSE(Named<QPushButton>(&dlg, "closeButton")->isDefault());
    auto* pLink = Named<CHyperLink>(&dlg, "websiteLink");
    EXPECT_TRUE(pLink->font().underline());
    EXPECT_EQ(pLink->GetLinkUrl(), QString::fromLatin1(kHomePageUrl));

    QStringList labels;
    for (QLabel* pLabel : dlg.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        labels << pLabel->text();
    EXPECT_EQ(labels, QStringList({"Drag & Drop files into list below", "Items:", "Pages:", "Go to Quorbel Website"}));
}

TEST_F(MainWindow, ListHasSevenColumnsWithGridAndRowSelection)
{
    QTableView* pList = dlg.GetListView();
    const char* const headings[] = {"Use", "Filename", "FileSize", "Status", "Pages", "Created", "Modified"};
    ASSERT_EQ(pList->model()->columnCount(), 7);
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(pList->model()->headerData(c, Qt::Horizontal).toString(), QLatin1String(headings[c]));
    EXPECT_TRUE(pList->showGrid());
    EXPECT_TRUE(pList->horizontalHeader()->sectionsMovable());
    EXPECT_EQ(pList->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(pList->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(pList->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(pList->verticalHeader()->isVisible());
    EXPECT_EQ(pList->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
}

// Every command as the user meets it: its menu and place among the separators, its text, its key
// as the menu shows it, and its status tip. "Move Up" and "Move Down" carry Ctrl+A and Ctrl+Z.
struct SMenuLine {
    const char* pszMenu;
    const char* pszAction;  // null: a separator
    const char* pszText;
    QKeySequence key;
    const char* pszStatusTip;
};

const SMenuLine kMenus[] = {
    {"&File", "actionScanDirectories", "&Scan Directories for Files", {}, "Scan directories for Files"},
    {"&File", nullptr, nullptr, {}, nullptr},
    {"&File", "actionLoadList", "Load File List", {}, "Load a file list"},
    {"&File", "actionAppendList", "Append File List", {}, "Append a file list"},
    {"&File", nullptr, nullptr, {}, nullptr},
    {"&File", "actionSaveList", "Save File List", {}, "Save the file list"},
    {"&File", "actionSaveListAs", "SaveAs File List", {}, "Save the file list under a new name"},
    {"&File", nullptr, nullptr, {}, nullptr},
    {"&File", "actionExit", "&Exit", {}, "Exit the program"},
    {"F&ilter", "actionRemoveNonTiff", "Remove Non TIF Files From List", {}, "Remove non TIF files from the list"},
    {"&Action", "actionSelectAll", "&Select All", {}, "Select all files in the list"},
    {"&Action", "actionClearAll", "&Clear All", {}, "Remove all files from the list"},
    {"&Action", "actionResetAllCounts", "Reset All Page Counts", {}, "Reset All Page Counts"},
    {"&Action", nullptr, nullptr, {}, nullptr},
    {"&Action", "actionResetCount", "&Reset Count (Selected)", {}, "Reset the page count of the selected files"},
    {"&Action", "actionDelete", "&Delete (Selected)", QKeySequence(Qt::Key_Delete), "Delete the selected files from the list"},
    {"&Action", nullptr, nullptr, {}, nullptr},
    {"&Action", "actionOpen", "&Open", {}, "Open the selected files"},
    {"&Action", nullptr, nullptr, {}, nullptr},
    {"&Action", "actionMoveUp", "Move Up", QKeySequence(QStringLiteral("Ctrl+A")), "Move the selected file up"},
    {"&Action", "actionMoveDown", "Move Down", QKeySequence(QStringLiteral("Ctrl+Z")), "Move the selected file down"},
    {"&Sort", "actionSortByUse", "Sort By Use", {}, "Sort the list by use"},
    {"&Sort", "actionSortByFilename", "Sort By Filename", {}, "Sort the list by file name"},
    {"&Sort", "actionSortByFilesize", "Sort By Filesize", {}, "Sort the list by file size"},
    {"&Sort", "actionSortByStatus", "&Sort By Status", {}, "Sort the list by status"},
    {"&Sort", "actionSortByPageCount", "Sort By Page Count", {}, "Sort the list by page count"},
    {"&Sort", "actionSortByCreated", "Sort By Created Date", {}, "Sort the list by created date"},
    {"&Sort", "actionSortByModified", "Sort By Modified Date", {}, "Sort the list by modified date"},
    {"&Reports", "actionCsvReport", "&Generate CSV Report", {}, "Export the list as a CSV report"},
    {"&Reports", "actionTextReport", "&Generate Text Report", {}, "Export the list as a text report"},
    {"&Reports", "actionProfileReport", "Generate &Page Profile Report", {},
     "Export the pages of the list by paper, colour and resolution as a CSV report"},
    {"&Reports", "actionFolderSummaryReport", "Generate &Folder Summary Report", {},
     "Export the files, pages and problems of each folder as a CSV report"},
    {"&Reports", "actionAuditReport", "Generate &Audit Report", {},
     "Export every file with its status and the reason for it as a CSV report"},
    {"&Reports", nullptr, nullptr, {}, nullptr},
    {"&Reports", "actionPageProfile", "Page Pro&file", {}, "Show the pages of the list by paper, colour and resolution"},
    {"&Help", "actionWebsite", "Go to Website Homepage", {}, "Go to the website homepage"},
    {"&Help", "actionHtmlHelp", "&HTML Help", QKeySequence(Qt::Key_F1), "Show the help"},
    {"&Help", nullptr, nullptr, {}, nullptr},
    {"&Help", "actionSupportEmail", "Email Bug/Suggestion/Comments", {}, "Email a bug report, suggestion or comment"},
    {"&Help", nullptr, nullptr, {}, nullptr},
    {"&Help", "actionAbout", "&About Pagewick...", {}, ""},
};

// The menus hold the table's lines in its order. Screen readers get each item's name from Qt's own
// accessibility, and its key apart from it; pressing an item there runs its command.
TEST_F(MainWindow, MenusHoldEveryCommandInItsPlaceWithItsTextKeyTipAndSpokenName)
{
    dlg.show();
    int i = 0;
    for (QAction* pMenuAction : Named<QMenuBar>(&dlg, "menuBar")->actions()) {
        QMenu* pMenu = pMenuAction->menu();
        QAccessibleInterface* pMenuIface = QAccessible::queryAccessibleInterface(pMenu);
        ASSERT_EQ(pMenuIface->childCount(), int(pMenu->actions().size()));
        for (int k = 0; k < pMenuIface->childCount(); ++k, ++i) {
            ASSERT_LT(i, int(std::size(kMenus)));
            const SMenuLine& want = kMenus[i];
            QAction* pItem = pMenu->actions().at(k);
            EXPECT_EQ(pMenuAction->text(), QLatin1String(want.pszMenu)) << i;
            if (!want.pszAction) {
                EXPECT_TRUE(pItem->isSeparator()) << i;
                continue;
            }
            // One action per command: the menu holds the window's own.
            EXPECT_EQ(pItem, dlg.findChild<QAction*>(QLatin1String(want.pszAction))) << want.pszAction;
            EXPECT_EQ(pItem->text(), QLatin1String(want.pszText)) << want.pszAction;
            EXPECT_EQ(pItem->shortcut(), want.key) << want.pszAction;
            EXPECT_EQ(pItem->statusTip(), QLatin1String(want.pszStatusTip)) << want.pszAction;
            QAccessibleInterface* pSaid = pMenuIface->child(k);
            EXPECT_EQ(pSaid->role(), QAccessible::MenuItem);
            EXPECT_EQ(pSaid->text(QAccessible::Name), QString(pItem->text()).remove(u'&'));
            if (!want.key.isEmpty()) {
                EXPECT_EQ(pSaid->text(QAccessible::Accelerator), want.key.toString(QKeySequence::NativeText));
            }
        }
    }
    EXPECT_EQ(i, int(std::size(kMenus)));
    // The count button's command has no menu item.
    EXPECT_EQ(Action("actionCountFiles")->text(), QStringLiteral("&Count files in list"));
    QSignalSpy moved(Action("actionMoveUp"), &QAction::triggered);
    QMenu* pActionMenu = Named<QMenu>(&dlg, "menuAction");
    QAccessibleInterface* pMoveUp = QAccessible::queryAccessibleInterface(pActionMenu)->child(
        int(pActionMenu->actions().indexOf(Action("actionMoveUp"))));
    pMoveUp->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(moved.size(), 1);
}

// Every command is there while the window is idle and runs without ending it.
TEST_F(MainWindow, EveryCommandRunsWithoutEndingTheWindow)
{
    dlg.show();
    CModalCloser closer;    // whatever box or chooser a command opens is dismissed
    CUrlCatcher catcher;
    for (const SMenuLine& line : kMenus) {
        if (!line.pszAction || qstrcmp(line.pszAction, "actionExit") == 0)
            continue;
        QAction* pAction = Action(line.pszAction);
        ASSERT_TRUE(pAction->isEnabled()) << line.pszAction;
        pAction->trigger();
        // Long operations run on in the window's loop: let them end before the next command.
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.Operations().IsBusy(), 5000);
    }
    EXPECT_FALSE(dlg.IsClosing());
    EXPECT_TRUE(dlg.isVisible());
}

// While a long operation runs, the commands that would start another one are disabled as one
// group, the count button with them; the others stay.
TEST_F(MainWindow, LongOperationsDisableTheirGroupWhileOneRuns)
{
    const QStringList group = {"actionCountFiles", "actionScanDirectories", "actionLoadList", "actionAppendList",
                               "actionRemoveNonTiff"};
    const auto states = [&] {
        QStringList enabled;
        for (QAction* pAction : dlg.findChildren<QAction*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (pAction->isEnabled() && !pAction->objectName().isEmpty())
                enabled << pAction->objectName();
        }
        return enabled;
    };
    const QStringList idle = states();
    const int nMenuCommands =
        int(std::count_if(std::begin(kMenus), std::end(kMenus), [](const SMenuLine& line) { return line.pszAction; }));
    EXPECT_EQ(idle.size(), nMenuCommands + 1);     // and the count button's
    for (const ELongOperation eOperation : {ELongOperation::CountRun, ELongOperation::Scan, ELongOperation::ListLoad,
                                            ELongOperation::Filter}) {
        ASSERT_TRUE(dlg.Operations().Begin(eOperation));
        QStringList expected = idle;
        for (const QString& strName : group)
            expected.removeOne(strName);
        EXPECT_EQ(states(), expected);
        EXPECT_FALSE(Named(&dlg, "countButton")->isEnabled());
        dlg.Operations().End();
        EXPECT_EQ(states(), idle);
        EXPECT_TRUE(Named(&dlg, "countButton")->isEnabled());
    }
}

// The keys are the actions' own, wherever the focus is in the window (but in a text field, where
// Ctrl+A selects the text).
TEST_F(MainWindow, KeysRunTheirCommands)
{
    ShowActive();
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char*> keys[] = {
        {Qt::Key_A, Qt::ControlModifier, "actionMoveUp"},
        {Qt::Key_Delete, Qt::NoModifier, "actionDelete"},
        {Qt::Key_Z, Qt::ControlModifier, "actionMoveDown"},
    };
    for (const auto& [eKey, eModifiers, pszAction] : keys) {
        for (const char* pszFocus : {"fileList", "subFolders", "countButton"}) {
            QSignalSpy spy(Action(pszAction), &QAction::triggered);
            Named(&dlg, pszFocus)->setFocus();
            QTest::keyClick(Named(&dlg, pszFocus), eKey, eModifiers);
            EXPECT_EQ(spy.size(), 1) << pszAction << " in " << pszFocus;
        }
    }
    EXPECT_TRUE(dlg.isVisible());
}

// Exit, Close and the close box end the window's loop, which ends the program, asking nothing.
TEST(MainWindowEnding, ExitCloseAndTheCloseBoxEndTheWindow)
{
    for (const char* pszWay : {"actionExit", "closeButton", "close box"}) {
        CPageCountDlg dlg(nullptr, false);
        dlg.AppendFileRow("/nonexistent/a.tif", true);
        QTimer::singleShot(0, &dlg, [&] {
            if (qstrcmp(pszWay, "actionExit") == 0)
                Named<QAction>(&dlg, pszWay)->trigger();
            else if (qstrcmp(pszWay, "closeButton") == 0)
                QTest::mouseClick(Named(&dlg, pszWay), Qt::LeftButton);
            else
                dlg.close();
        });
        // A safety net, so a way that fails to end the loop fails the test instead of hanging it.
        QTimer::singleShot(5000, &dlg, [&] { dlg.QDialog::done(99); });
        EXPECT_NE(dlg.exec(), 99) << pszWay;
        EXPECT_FALSE(dlg.isVisible()) << pszWay;
        EXPECT_TRUE(dlg.IsClosing()) << pszWay;
    }
}

// A stray Enter or Esc never ends the window: a counted list would go with it.
TEST(MainWindowEnding, EnterAndEscLeaveTheWindowOpen)
{
    CPageCountDlg dlg(nullptr, false);
    dlg.AppendFileRow("/nonexistent/a.tif", true);
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier}, {Qt::Key_Escape, Qt::NoModifier}};
    int nPressed = 0;
    QTimer::singleShot(0, &dlg, [&] {
        for (const char* pszFocus : {"fileList", "itemsField", "subFolders"}) {
            for (const auto& [eKey, eModifiers] : keys) {
                Named(&dlg, pszFocus)->setFocus();
                QTest::keyClick(Named(&dlg, pszFocus), eKey, eModifiers);
                ++nPressed;
            }
        }
        QTimer::singleShot(100, &dlg, [&] { dlg.done(7); });
    });
    EXPECT_EQ(dlg.exec(), 7);
    EXPECT_EQ(nPressed, 9);
    EXPECT_EQ(dlg.ItemsTotal(), 1);
}

TEST_F(MainWindow, EnterOnAButtonPressesIt)
{
    ShowActive();
    CModalCloser closer;    // an empty list's count run ends with its box
    QSignalSpy counted(Action("actionCountFiles"), &QAction::triggered);
    auto* pCount = Named<QPushButton>(&dlg, "countButton");
    pCount->setFocus();
    QTest::keyClick(pCount, Qt::Key_Return);
    EXPECT_EQ(counted.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.Operations().IsBusy(), 5000);
    EXPECT_FALSE(dlg.IsClosing());
}

TEST_F(MainWindow, ItemsFollowsInsertsAndDeletesWhilePagesStays)
{
    CTempDir dir;
    const QString strA = dir.Write(QStringLiteral("a.tif"), "II*\0");
    dlg.AppendFileRow(strA.toUtf8(), true);
    dlg.AppendFileRow(strA.toUtf8(), true);
    dlg.AppendFileRow(dir.Path(QStringLiteral("missing.tif")).toUtf8(), true);
    EXPECT_EQ(Items(), QStringLiteral("3"));
    // The same path twice gives two identical rows.
    EXPECT_EQ(dlg.GetModel()->GetRecord(0), dlg.GetModel()->GetRecord(1));
    dlg.GetModel()->SetCounted(1, 7, QString(), nullptr, CPageSummary());
    EXPECT_EQ(Pages(), QStringLiteral("7"));
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
    Named<QCheckBox>(&dlg, "subFolders")->setChecked(true);
    dlg.AppendFileRow("/nonexistent/x.tif", true);
    dlg.GetModel()->SetCounted(0, 5, QString(), nullptr, CPageSummary());
    EXPECT_TRUE(Named<QCheckBox>(&dlg, "subFolders")->isChecked());
    EXPECT_TRUE(dlg.SubFolders());
}

// A window wider than its first size gives its extra width to the file names; the other columns
// keep theirs, and a column the user has sized keeps the user's width.
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
    const auto grow = [&](const QSize& size) {
        dlg.resize(size);
        QCoreApplication::processEvents();
    };
    grow(dlg.minimumSize());
    const QList<int> base = widths();
    grow(QSize(1400, 600));
    QList<int> wide = widths();
    EXPECT_EQ(pHeader->length(), pList->viewport()->width()) << "neither empty space nor a hidden column";
    EXPECT_GT(wide[COL_FILENAME], base[COL_FILENAME] + 300);
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

TEST_F(MainWindow, HelpMenuAndKeysReachTheHelpTheSupportMailAndTheAboutBox)
{
    ShowActive();
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
            Action("actionHtmlHelp")->trigger();
        auto* pHelp = dlg.findChild<CHelpWindow*>();
        ASSERT_NE(pHelp, nullptr) << bKey;
        EXPECT_TRUE(pHelp->isVisible());
        EXPECT_TRUE(pHelp->CurrentUrl().path().endsWith(QStringLiteral("main-window.html"))) << qPrintable(pHelp->CurrentUrl().toString());
        pHelp->close();
    }
    QDir::setCurrent(strWasCurrent);
    // The website and the support mail go to the desktop.
    CUrlCatcher catcher;
    Action("actionWebsite")->trigger();
    Action("actionSupportEmail")->trigger();
    ASSERT_EQ(catcher.Urls().size(), 2);
    EXPECT_EQ(catcher.Urls()[0], QUrl(QString::fromLatin1(kHomePageUrl)));
    EXPECT_EQ(catcher.Urls()[1].scheme(), QStringLiteral("mailto"));
    // The About item: the About box, modal, ended by OK.
    boxes.ExpectDialog(QStringLiteral("About Pagewick"), [](QWidget* pAbout) { qobject_cast<QDialog*>(pAbout)->accept(); });
    Action("actionAbout")->trigger();
    EXPECT_TRUE(boxes.AllAnswered());
}

}  // namespace
