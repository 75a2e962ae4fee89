#include "app/ui/CPageCountDlg.h"
#include "count/ui/CountRun.h"
#include "filelist/core/CFileListModel.h"
#include "filelist/ui/CFileListDelegate.h"
#include "support/ModalBox.h"
#include "support/Named.h"
#include "support/TempDir.h"
#include "support/TiffBytes.h"
#include "support/UrlCatcher.h"
#include "support/Waiting.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QFileInfo>
#include <QTimer>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

// Answers the row menu once it is up: the item with the chosen text, or none to dismiss it; the
// menu's texts are put in pSeen.
void AnswerRowMenu(const char* pszChoose, QStringList* pSeen = nullptr)
{
    QTimer::singleShot(50, qApp, [pszChoose, pSeen] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!pMenu)
            return;
        QAction* pChosen = nullptr;
        for (QAction* pAction : pMenu->actions()) {
            if (pSeen)
                *pSeen << (pAction->isSeparator() ? QStringLiteral("-") : pAction->text());
            if (pszChoose && pAction->text() == QLatin1String(pszChoose))
                pChosen = pAction;
        }
        if (!pChosen) {
            pMenu->close();
            return;
        }
        pMenu->setActiveAction(pChosen);
        QTest::keyClick(pMenu, Qt::Key_Return);
    });
}

class EditCommands : public testing::Test {
protected:
    EditCommands() : dlg(nullptr, false)
    {
        dlg.show();
        // Keys and clicks go to the active window, as the user's do.
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        dlg.activateWindow();
        View()->setFocus();
    }

    // Rows named a, b, c, ... (no files behind them: editing never reads a file).
    void Rows(const QString& strNames)
    {
        QVector<FileRecord> rows;
        for (const QChar c : strNames) {
            FileRecord rec;
            rec.path = QByteArray("/scans/") + char(c.unicode());
            rows.append(rec);
        }
        Model().AppendRows(rows);
    }
    CFileListModel& Model() { return *dlg.GetModel(); }
    QTableView* View() { return dlg.GetListView(); }
    QString Order()
    {
        QString str;
        for (int i = 0; i < Model().GetRowCount(); ++i)
            str += QChar::fromLatin1(Model().GetRecord(i).path.back());
        return str;
    }
    void Select(const QList<int>& rows)
    {
        View()->selectionModel()->clearSelection();
        for (int r : rows)
            View()->selectionModel()->select(Model().index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QList<int> SelectedRows()
    {
        QList<int> rows;
        for (const QModelIndex& i : View()->selectionModel()->selectedRows())
            rows << i.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void Trigger(const char* pszAction) { Named<QAction>(&dlg, pszAction)->trigger(); }
    // Right-clicks the list where a row is selected: the row menu comes up.
    void RequestRowMenu() { emit View()->customContextMenuRequested(QPoint()); }

    CPageCountDlg dlg;
};

enum class EMove { MenuUp, MenuDown, RowMenuUp, RowMenuDown };

struct SMoveCase {
    const char* pszName;
    QList<int> selected;
    EMove eMove;
    const char* pszOrder;
    QList<int> selectedAfter;
};

void PrintTo(const SMoveCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class EditMoves : public EditCommands, public testing::WithParamInterface<SMoveCase> {};

TEST_P(EditMoves, TheFirstSelectedRowMovesOnePlace)
{
    const SMoveCase& c = GetParam();
    Rows(QStringLiteral("abcdef"));
    Select(c.selected);
    switch (c.eMove) {
    case EMove::MenuUp:
        Trigger("actionMoveUp");
        break;
    case EMove::MenuDown:
        Trigger("actionMoveDown");
        break;
    case EMove::RowMenuUp:
        AnswerRowMenu("&Move Up");
        RequestRowMenu();
        break;
    case EMove::RowMenuDown:
        AnswerRowMenu("Move Down");
        RequestRowMenu();
        break;
    }
    EXPECT_EQ(Order(), QLatin1String(c.pszOrder));
    EXPECT_EQ(SelectedRows(), c.selectedAfter);
    if (!c.selectedAfter.isEmpty()) {
        EXPECT_EQ(View()->selectionModel()->currentIndex().row(), c.selectedAfter.first());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, EditMoves,
    testing::Values(SMoveCase{"ThirdAndSixthUp", {2, 5}, EMove::MenuUp, "acbdef", {1}},
                    SMoveCase{"SecondDown", {1}, EMove::MenuDown, "acbdef", {2}},
                    SMoveCase{"TopUpClearsTheSelection", {0, 3}, EMove::MenuUp, "abcdef", {}},
                    SMoveCase{"LastDownClearsTheSelection", {5}, EMove::MenuDown, "abcdef", {}},
                    SMoveCase{"NothingSelected", {}, EMove::MenuDown, "abcdef", {}},
                    SMoveCase{"RowMenuUp", {4}, EMove::RowMenuUp, "abcedf", {3}},
                    SMoveCase{"RowMenuDown", {0}, EMove::RowMenuDown, "bacdef", {1}}),
    [](const testing::TestParamInfo<SMoveCase>& info) { return info.param.pszName; });

TEST_F(EditCommands, DoubleClickSwitchesUseAndStatusButNeverPages)
{
    Rows(QStringLiteral("ab"));
    Model().SetCount(1, EFileStatus::Done, 7);
    const struct {
        const char* pszUse;
        const char* pszStatus;
    } steps[] = {{"No", ""}, {"Yes", "Ready."}, {"No", ""}};
    // A double click selects the row under the mouse first: that row switches.
    const QPoint at = View()->visualRect(Model().index(1, 1)).center();
    for (const auto& step : steps) {
        // As a real double click comes: a press and release, then the second press as a double click.
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(View()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_EQ(Model().GetText(1, COL_USE), QLatin1String(step.pszUse));
        EXPECT_EQ(Model().GetText(1, COL_STATUS), QLatin1String(step.pszStatus));
        EXPECT_EQ(Model().GetText(1, COL_PAGES), QStringLiteral("7"));
        EXPECT_EQ(Model().GetText(0, COL_USE), QStringLiteral("Yes"));
    }
}

TEST_F(EditCommands, ResetsLowerThePagesTotalAndKeepTheStatuses)
{
    Rows(QStringLiteral("abc"));
    Model().SetCounted(0, 12, QString(), nullptr, CPageSummary());
    Model().SetCounted(2, 5, QString(), nullptr, CPageSummary());
    EXPECT_EQ(dlg.PagesTotal(), 17);
    Select({0, 1});
    Trigger("actionResetCount");
    EXPECT_EQ(dlg.PagesTotal(), 5);     // 12 and an empty cell (0) went
    EXPECT_EQ(Model().GetText(0, COL_PAGES), QString());
    EXPECT_EQ(Model().GetText(0, COL_STATUS), QStringLiteral("Done"));
    EXPECT_EQ(Model().GetText(2, COL_PAGES), QStringLiteral("5"));
    EXPECT_EQ(Named<QLineEdit>(&dlg, "pagesField")->text(), QStringLiteral("5"));
    Trigger("actionResetAllCounts");
    EXPECT_EQ(dlg.PagesTotal(), 0);
    EXPECT_EQ(Model().GetText(2, COL_PAGES), QString());
    EXPECT_EQ(Model().GetText(2, COL_STATUS), QStringLiteral("Done"));
}

TEST_F(EditCommands, DeleteRemovesTheSelectedRowsAndKeepsTheOthersInOrder)
{
    Rows(QStringLiteral("abcdefg"));
    Model().SetCounted(1, 4, QString(), nullptr, CPageSummary());
    Select({1, 4});
    Trigger("actionDelete");
    EXPECT_EQ(Order(), QStringLiteral("acdfg"));
    EXPECT_EQ(dlg.ItemsTotal(), 5);
    EXPECT_EQ(dlg.PagesTotal(), 4);
    // Many scattered rows at once go in one pass, with the same result.
    Model().Clear();
    Rows(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-*/=<>()[]{}!?;:.,'&%$#@^~|_"));
    for (int r = 0; r < Model().GetRowCount(); r += 2)
        View()->selectionModel()->select(Model().index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QString strBefore = Order();
    QString strKept;
    for (int i = 1; i < strBefore.size(); i += 2)
        strKept += strBefore[i];
    Trigger("actionDelete");
    EXPECT_EQ(Order(), strKept);
}

TEST_F(EditCommands, SelectAllFocusesTheLastRowAndClearAllKeepsThePages)
{
    Rows(QStringLiteral("abcd"));
    Model().SetCounted(2, 9, QString(), nullptr, CPageSummary());
    Trigger("actionSelectAll");
    EXPECT_EQ(SelectedRows(), QList<int>({0, 1, 2, 3}));
    EXPECT_EQ(View()->selectionModel()->currentIndex().row(), 3);
    Trigger("actionClearAll");
    EXPECT_EQ(Model().GetRowCount(), 0);
    EXPECT_EQ(dlg.ItemsTotal(), 0);
    EXPECT_EQ(dlg.PagesTotal(), 9);
    Trigger("actionClearAll");    // an empty list: nothing happens
    EXPECT_EQ(Model().GetRowCount(), 0);
}

TEST_F(EditCommands, OpenAsksTheDesktopForEachSelectedFileTopmostFirst)
{
    Rows(QStringLiteral("abcd"));
    FileRecord odd;
    odd.path = "/scans/caf\xe9 #1.tif";
    Model().AppendRow(odd);
    CUrlCatcher catcher;
    Select({4, 1, 3});
    Trigger("actionOpen");
    ASSERT_EQ(catcher.Urls().size(), 3);
    EXPECT_EQ(catcher.Urls()[0].path(), QStringLiteral("/scans/b"));
    EXPECT_EQ(catcher.Urls()[1].path(), QStringLiteral("/scans/d"));
    // The file's own bytes, percent-encoded.
    EXPECT_EQ(catcher.Urls()[2].toEncoded(), QByteArray("file:///scans/caf%E9%20%231.tif"));
    Select({});
    Trigger("actionOpen");
    EXPECT_EQ(catcher.Urls().size(), 3);
}


TEST_F(EditCommands, RightClickShowsTheRowMenuAndRunsTheChosenCommand)
{
    Rows(QStringLiteral("abc"));
    QStringList seen;
    // No row selected: no menu.
    View()->selectionModel()->clearSelection();
    RequestRowMenu();
    EXPECT_TRUE(seen.isEmpty());
    // A right click selects the row under the mouse, and the menu it shows deletes it.
    const QPoint at = View()->visualRect(Model().index(1, 1)).center();
    AnswerRowMenu("&Delete", &seen);
    QTest::mouseClick(View()->viewport(), Qt::RightButton, Qt::NoModifier, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, View()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(View()->viewport(), &event);
    EXPECT_EQ(seen, QStringList({"&Move Up", "Move Down", "-", "&Open", "-", "&Reset Count", "&Delete"}));
    EXPECT_EQ(Order(), QStringLiteral("ac"));
    // A dismissed menu does nothing.
    Select({0});
    seen.clear();
    AnswerRowMenu(nullptr, &seen);
    RequestRowMenu();
    EXPECT_FALSE(seen.isEmpty());
    EXPECT_EQ(Order(), QStringLiteral("ac"));
}

TEST_F(EditCommands, HeaderClickSortsByTheColumnsOwnIndexAndSelectionTravels)
{
    Rows(QStringLiteral("dbca"));
    const int kPages[] = {9, 100, 20, -1};
    for (int i = 0; i < 4; ++i)
        Model().SetCounted(i, kPages[i], QString(), nullptr, CPageSummary());
    EXPECT_EQ(dlg.PagesTotal(), 129);
    Select({0});    // d, pages 9
    // The user drags Pages to the front: a click on it still sorts by Pages.
    QHeaderView* pHeader = View()->horizontalHeader();
    pHeader->moveSection(pHeader->visualIndex(COL_PAGES), 0);
    const int x = pHeader->sectionViewportPosition(COL_PAGES) + 5;
    QTest::mouseClick(pHeader->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 5));
    EXPECT_EQ(Order(), QStringLiteral("abcd"));     // empty, 100, 20, 9
    EXPECT_EQ(SelectedRows(), QList<int>({3}));
    EXPECT_EQ(dlg.PagesTotal(), 129);
    // Again: nothing moves; there is no other direction.
    QTest::mouseClick(pHeader->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 5));
    EXPECT_EQ(Order(), QStringLiteral("abcd"));
    // The Sort menu by file name.
    Trigger("actionSortByFilename");
    EXPECT_EQ(Order(), QStringLiteral("abcd"));
    Trigger("actionSortByPageCount");
    EXPECT_EQ(Order(), QStringLiteral("abcd"));
    EXPECT_FALSE(pHeader->isSortIndicatorShown());     // no arrow: there is no sort state
}

TEST_F(EditCommands, LongPathsKeepTheirFileNameInSight)
{
    FileRecord rec;
    rec.path = "/archive/" + QByteArray(300, 'x') + "/invoice 0412.tif";
    Model().AppendRow(rec);
    EXPECT_EQ(View()->textElideMode(), Qt::ElideMiddle);
    EXPECT_EQ(Model().index(0, COL_FILENAME).data(Qt::ToolTipRole).toString(), QString::fromUtf8(rec.path));
    // The tool tip the user sees comes in lines no wider than the limit.
    const QPoint at = View()->visualRect(Model().index(0, COL_FILENAME)).center();
    QHelpEvent help(QEvent::ToolTip, at, View()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(View()->viewport(), &help);
    ASSERT_TRUE(QToolTip::isVisible());
    const QStringList lines = QToolTip::text().split(u'\n');
    EXPECT_GT(lines.size(), 1);
    EXPECT_EQ(lines.join(QString()), QString::fromUtf8(rec.path));
    for (const QString& strLine : lines)
        EXPECT_LE(QFontMetrics(QToolTip::font()).horizontalAdvance(strLine.trimmed()), CFileListDelegate::kMaxToolTipWidth);
    QToolTip::hideText();
}

TEST_F(EditCommands, DeletingAndSortingDuringACountRunCountEachWaitingRowOnce)
{
    CTempDir dir;
    const char* names[] = {"e.tif", "a.tif", "slow.tif", "d.tif", "b.tif", "c.tif"};
    const int pages[] = {5, 1, 60000, 4, 2, 3};
    for (int i = 0; i < 6; ++i)
        dlg.AppendFileRow(
            dir.Write(QString::fromLatin1(names[i]), CTiffBytes(true).AddPages(pages[i]).Build()).toUtf8(), true);
    CWhen edit([&] {
                   return Model().GetText(2, COL_STATUS) == QLatin1String("Processing") &&
                          Model().GetText(3, COL_STATUS) == QLatin1String("Done");
               },
               [&] {
                   Select({3});        // d.tif, counted by then: its pages stay in the total
                   Trigger("actionDelete");
                   Trigger("actionSortByFilename");
               });
    CModalBoxes boxes;
    boxes.Expect({QStringLiteral("Pagewick"), QStringLiteral("Done."), QMessageBox::Ok, QMessageBox::Warning},
                 QMessageBox::Ok);
    Trigger("actionCountFiles");
    ASSERT_TRUE(WaitUntil([&] { return boxes.AllAnswered() && !RunningCountRun(&dlg); }, 60000));
    ASSERT_TRUE(edit.Done());
    QStringList rows;
    for (int i = 0; i < Model().GetRowCount(); ++i)
        rows << QFileInfo(Model().GetText(i, COL_FILENAME)).fileName() + QLatin1Char('=') + Model().GetText(i, COL_PAGES);
    EXPECT_EQ(rows, QStringList({"a.tif=1", "b.tif=2", "c.tif=3", "e.tif=5", "slow.tif=60000"}));
    EXPECT_EQ(dlg.PagesTotal(), 60015);
}

}  // namespace
