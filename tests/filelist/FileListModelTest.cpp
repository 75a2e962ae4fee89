#include "filelist/core/CFileListModel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

FileRecord Row(const QString& strName)
{
    FileRecord rec;
    rec[COL_USE] = QStringLiteral("Yes");
    rec[COL_FILENAME] = strName;
    rec[COL_FILESIZE] = QStringLiteral("0");
    rec[COL_STATUS] = QStringLiteral("Ready.");
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

TEST(FileListModel, DataIsBoundsCheckedAndHeadersNameTheColumns)
{
    CFileListModel model;
    model.AppendRow(Row("a"));
    EXPECT_EQ(model.data(model.index(0, COL_FILENAME)).toString(), QStringLiteral("a"));
    EXPECT_FALSE(model.data(model.index(1, 0)).isValid());
    EXPECT_FALSE(model.data(QModelIndex()).isValid());
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 0);
    EXPECT_EQ(model.columnCount(model.index(0, 0)), 0);
    EXPECT_EQ(model.GetText(5, 1), QString());
    EXPECT_EQ(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Pages"));
}

TEST(FileListModel, SetTextSignalsOnlyRealChanges)
{
    CFileListModel model;
    model.AppendRow(Row("a"));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.SetText(0, COL_STATUS, QStringLiteral("Done"));
    model.SetText(0, COL_STATUS, QStringLiteral("Done"));
    model.SetText(3, COL_STATUS, QStringLiteral("Done"));     // no such row: ignored
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex(), model.index(0, COL_STATUS));
    EXPECT_EQ(model.GetText(0, COL_STATUS), QStringLiteral("Done"));
}

TEST(FileListModel, RemoveRowsChecksItsRange)
{
    CFileListModel model;
    model.AppendRows({Row("a"), Row("b"), Row("c")});
    EXPECT_FALSE(model.removeRows(2, 2));
    EXPECT_FALSE(model.removeRows(-1, 1));
    EXPECT_TRUE(model.removeRows(1, 2));
    EXPECT_EQ(Names(model), QStringList({"a"}));
}

TEST(FileListModel, RemoveRowsIfKeepsOrderWithFewRanges)
{
    CFileListModel model;
    for (int i = 0; i < 10; ++i)
        model.AppendRow(Row(QString::number(i)));
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    const int n = model.RemoveRowsIf([](const FileRecord& r) {
        const int v = r[COL_FILENAME].toInt();
        return v == 1 || v == 2 || v == 5 || v == 9;
    });
    EXPECT_EQ(n, 4);
    EXPECT_EQ(removed.count(), 3);      // [1,2], [5], [9]
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(Names(model), QStringList({"0", "3", "4", "6", "7", "8"}));
}

TEST(FileListModel, RemoveRowsIfResetsForManyScatteredRows)
{
    CFileListModel model;
    QVector<FileRecord> rows;
    for (int i = 0; i < 1000; ++i)
        rows.append(Row(QString::number(i)));
    model.AppendRows(rows);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    EXPECT_EQ(model.RemoveRowsIf([](const FileRecord& r) { return r[COL_FILENAME].toInt() % 2 == 1; }), 500);
    EXPECT_EQ(removed.count(), 0);
    EXPECT_EQ(reset.count(), 1);
    ASSERT_EQ(model.GetRowCount(), 500);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(model.GetText(i, COL_FILENAME), QString::number(2 * i));
    EXPECT_EQ(model.RemoveRowsIf([](const FileRecord&) { return false; }), 0);
}

}  // namespace
