#include "filelist/core/CFileListModel.h"
#include "filelist/core/CRowCursor.h"

#include <gtest/gtest.h>

namespace {

FileRecord Row()
{
    FileRecord rec;
    rec[COL_USE] = QStringLiteral("Yes");
    return rec;
}

struct SCursorCase {
    const char* pszName;
    std::function<void(CFileListModel&)> edit;
    int nNext;      // the cursor starts at row 5 of 10
};

void PrintTo(const SCursorCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class RowCursor : public testing::TestWithParam<SCursorCase> {};

TEST_P(RowCursor, FollowsTheRows)
{
    CFileListModel model;
    model.AppendRows(QVector<FileRecord>(10, Row()));
    CRowCursor cursor(&model);
    for (int i = 0; i < 5; ++i)
        cursor.Advance();
    ASSERT_EQ(cursor.Next(), 5);
    GetParam().edit(model);
    EXPECT_EQ(cursor.Next(), GetParam().nNext);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, RowCursor,
    testing::Values(
        SCursorCase{"AppendBelow", [](CFileListModel& m) { m.AppendRows({Row(), Row()}); }, 5},
        SCursorCase{"RemoveAbove", [](CFileListModel& m) { m.removeRows(0, 2); }, 3},
        SCursorCase{"RemoveJustAbove", [](CFileListModel& m) { m.removeRows(4, 1); }, 4},
        SCursorCase{"RemoveTheNextRow", [](CFileListModel& m) { m.removeRows(5, 1); }, 5},
        SCursorCase{"RemoveAcross", [](CFileListModel& m) { m.removeRows(3, 4); }, 3},
        SCursorCase{"RemoveBelow", [](CFileListModel& m) { m.removeRows(7, 3); }, 5},
        SCursorCase{"ClearEndsTheWalk", [](CFileListModel& m) { m.Clear(); }, 0},
        SCursorCase{"ScatteredRemovals",
                    [](CFileListModel& m) {
                        int n = 0;      // rows 0, 2, 4, 6, 8 go: three of them were above the cursor
                        m.RemoveRowsIf([&](const FileRecord&) { return n++ % 2 == 0; });
                        m.AppendRow(Row());
                    },
                    2}),
    [](const testing::TestParamInfo<SCursorCase>& info) { return info.param.pszName; });

}  // namespace
