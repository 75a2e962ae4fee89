#include "filelist/core/CFileListModel.h"

#include <QItemSelectionModel>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

namespace {

FileRecord Row(const QByteArray& name)
{
    FileRecord rec;
    rec.path = name;
    rec.nSize = 0;
    return rec;
}

QStringList Names(const CFileListModel& model)
{
    QStringList names;
    for (int i = 0; i < model.GetRowCount(); ++i)
        names << model.GetText(i, COL_FILENAME);
    return names;
}

TEST(FileListModel, AppendRowsIsOneInsertion)
{
    CFileListModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.AppendRows({Row("a"), Row("b"), Row("c")});
    model.AppendRows({Row("d"), Row("e")});
    ASSERT_EQ(inserted.count(), 2);
    EXPECT_EQ(inserted.at(1).at(1).toInt(), 3);
    EXPECT_EQ(inserted.at(1).at(2).toInt(), 4);
    EXPECT_EQ(Names(model), QStringList({"a", "b", "c", "d", "e"}));
    model.AppendRows({});
    EXPECT_EQ(inserted.count(), 2);
}

TEST(FileListModel, DataAndRemovalAreBoundsCheckedAndHeadersNameTheColumns)
{
    CFileListModel model;
    model.AppendRows({Row("a"), Row("b"), Row("c")});
    EXPECT_EQ(model.data(model.index(0, COL_FILENAME)).toString(), QStringLiteral("a"));
    EXPECT_FALSE(model.data(model.index(3, 0)).isValid());
    EXPECT_FALSE(model.data(QModelIndex()).isValid());
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 0);
    EXPECT_EQ(model.columnCount(model.index(0, 0)), 0);
    EXPECT_EQ(model.GetText(5, 1), QString());
    EXPECT_EQ(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Pages"));
    EXPECT_FALSE(model.removeRows(2, 2));
    EXPECT_FALSE(model.removeRows(-1, 1));
    EXPECT_TRUE(model.removeRows(1, 2));
    EXPECT_EQ(Names(model), QStringList({"a"}));
}

TEST(FileListModel, AShortCountIsMarkedOnItsPagesCellOnlyAReadErrorSaysWhyOnItsStatus)
{
    CFileListModel model;
    model.AppendRows({Row("a"), Row("b")});
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.SetCount(0, EFileStatus::Done, 4, QStringLiteral("Counted 4 pages; the file is damaged after page 4."));
    model.SetCount(1, EFileStatus::Done, 7);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex(), model.index(0, COL_STATUS));
    EXPECT_EQ(changed.at(0).at(1).toModelIndex(), model.index(0, COL_PAGES));
    const QModelIndex shortPages = model.index(0, COL_PAGES);
    EXPECT_EQ(model.GetText(0, COL_PAGES), QStringLiteral("4"));
    EXPECT_TRUE(shortPages.data(CFileListModel::WarningSignRole).toBool());
    EXPECT_EQ(shortPages.data(Qt::ToolTipRole).toString(),
              QStringLiteral("Counted 4 pages; the file is damaged after page 4."));
    EXPECT_FALSE(model.index(0, COL_STATUS).data(CFileListModel::WarningSignRole).toBool());
    EXPECT_FALSE(model.index(1, COL_PAGES).data(CFileListModel::WarningSignRole).toBool());
    EXPECT_FALSE(model.index(1, COL_PAGES).data(Qt::ToolTipRole).isValid());
    // A read error's reason is the Status cell's tool tip until the next count.
    model.SetReadError(1, QStringLiteral("Permission denied"));
    EXPECT_EQ(model.index(1, COL_STATUS).data(Qt::ToolTipRole).toString(), QStringLiteral("Permission denied"));
    model.SetCount(1, EFileStatus::Done, 7);
    EXPECT_FALSE(model.index(1, COL_STATUS).data(Qt::ToolTipRole).isValid());
    EXPECT_TRUE(model.GetRecord(1).StatusNote().isEmpty());
    // Emptying the count takes the mark with it; the sum of what went from the total comes back.
    model.SetCounted(1, 7, QString(), nullptr, CPageSummary());
    EXPECT_EQ(model.PagesTotal(), 7);
    EXPECT_EQ(model.ClearPages(), 7);
    EXPECT_EQ(model.PagesTotal(), 0);
    EXPECT_FALSE(shortPages.data(CFileListModel::WarningSignRole).toBool());
    EXPECT_EQ(model.GetText(0, COL_PAGES), QString());
    EXPECT_EQ(model.GetText(0, COL_STATUS), QStringLiteral("Done"));
}

TEST(FileListModel, PagesToolTipSaysWhatThePagesAreAfterWhyACountIsShort)
{
    CFileListModel model;
    model.AppendRows({Row("short"), Row("whole"), Row("bare")});
    CPageSummary summary;
    summary.Add(SPageClass{EPaper::A4, EColour::Bilevel, 300}, 3);
    summary.Add(SPageClass{EPaper::A3, EColour::Colour, 200}, 1);
    const QString strNote = QStringLiteral("Counted 4 pages; the file is damaged after page 4.");
    model.SetCount(0, EFileStatus::Done, 4, strNote, nullptr, summary);
    model.SetCount(1, EFileStatus::Done, 4, QString(), nullptr, summary);
    model.SetCount(2, EFileStatus::Done, 4);
    const QString strWords = QStringLiteral("4 pages: 3 A4 bilevel 300 dpi, 1 A3 colour 200 dpi");
    EXPECT_EQ(model.index(0, COL_PAGES).data(Qt::ToolTipRole).toString(), strNote + u'\n' + strWords);
    EXPECT_EQ(model.index(1, COL_PAGES).data(Qt::ToolTipRole).toString(), strWords);
    EXPECT_FALSE(model.index(1, COL_PAGES).data(CFileListModel::WarningSignRole).toBool());
    EXPECT_FALSE(model.index(2, COL_PAGES).data(Qt::ToolTipRole).isValid());
    EXPECT_EQ(model.GetRecord(1).PageSummary(), summary);
    // A reset takes the profile with the count.
    model.ClearPages([](int nRow) { return nRow == 1; });
    EXPECT_TRUE(model.GetRecord(1).PageSummary().IsEmpty());
    EXPECT_FALSE(model.index(1, COL_PAGES).data(Qt::ToolTipRole).isValid());
    EXPECT_EQ(model.GetRecord(0).PageSummary(), summary);
}

// Rows go in few ranges, a signal each, or, when they are many and scattered, in one reset; the
// rows left keep their order.
TEST(FileListModel, RemoveRowsIfKeepsTheOrderInFewSignals)
{
    const struct {
        int nRows;
        std::function<bool(int)> remove;
        int nRanges;
        int nResets;
    } cases[] = {
        {10, [](int v) { return v == 1 || v == 2 || v == 5 || v == 9; }, 3, 0},     // [1,2], [5], [9]
        {1000, [](int v) { return v % 2 == 1; }, 0, 1},
        {10, [](int) { return false; }, 0, 0},
    };
    for (const auto& c : cases) {
        CFileListModel model;
        QVector<FileRecord> rows;
        QStringList kept;
        for (int i = 0; i < c.nRows; ++i) {
            rows.append(Row(QByteArray::number(i)));
            if (!c.remove(i))
                kept << QString::number(i);
        }
        model.AppendRows(rows);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        EXPECT_EQ(model.RemoveRowsIf([&](int, const FileRecord& r) { return c.remove(r.path.toInt()); }),
                  c.nRows - kept.size());
        EXPECT_EQ(removed.count(), c.nRanges) << c.nRows;
        EXPECT_EQ(reset.count(), c.nResets) << c.nRows;
        EXPECT_EQ(Names(model), kept);
    }
}

TEST(FileListModel, RowsKeepTheirIdentityThroughMovesSortsAndRemovals)
{
    CFileListModel model;
    model.AppendRows({Row("a"), Row("b"), Row("c"), Row("d")});
    const quint64 nIdC = model.GetRecord(2).nId;
    QItemSelectionModel selection(&model);
    selection.select(model.index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    model.SwapRows(1, 2);
    EXPECT_EQ(Names(model), QStringList({"a", "c", "b", "d"}));
    EXPECT_EQ(model.FindRow(nIdC), 1);
    EXPECT_TRUE(selection.isRowSelected(1));     // the selection went with the row
    EXPECT_FALSE(selection.isRowSelected(2));
    model.Reorder({3, 1, 2, 0});
    EXPECT_EQ(Names(model), QStringList({"d", "c", "b", "a"}));
    EXPECT_EQ(model.FindRow(nIdC), 1);
    EXPECT_TRUE(selection.isRowSelected(1));
    model.removeRows(0, 1);
    EXPECT_EQ(model.FindRow(nIdC), 0);
    model.removeRows(0, 1);
    EXPECT_EQ(model.FindRow(nIdC), -1);
    // New rows get new identities.
    model.AppendRow(Row("c"));
    EXPECT_NE(model.GetRecord(model.GetRowCount() - 1).nId, nIdC);
}

}  // namespace
