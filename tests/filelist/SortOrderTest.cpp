#include "filelist/core/SortOrder.h"

#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// The list's quicksort exactly as its description gives it, recursing into both parts, on row
// texts read afresh at every comparison: the reference the bounded sort must agree with.
void ReferenceSort(QVector<QByteArray>& texts, QVector<int>& rows, int nLow, int nHigh)
{
    if (nHigh <= nLow)
        return;
    const QByteArray pivot = texts[(nLow + nHigh) / 2];
    int lo = nLow;
    int hi = nHigh;
    while (lo <= hi) {
        while (lo < nHigh && texts[lo] < pivot)
            ++lo;
        while (hi > nLow && texts[hi] > pivot)
            --hi;
        if (lo <= hi) {
            if (texts[lo] != texts[hi]) {
                std::swap(texts[lo], texts[hi]);
                std::swap(rows[lo], rows[hi]);
            }
            ++lo;
            --hi;
        }
    }
    if (nLow < hi)
        ReferenceSort(texts, rows, nLow, hi);
    if (lo < nHigh)
        ReferenceSort(texts, rows, lo, nHigh);
}

QVector<int> Reference(QVector<QByteArray> texts)
{
    QVector<int> rows(texts.size());
    for (int i = 0; i < int(rows.size()); ++i)
        rows[i] = i;
    ReferenceSort(texts, rows, 0, int(texts.size()) - 1);
    return rows;
}

QVector<QByteArray> Sorted(const QVector<QByteArray>& texts)
{
    QVector<QByteArray> out;
    for (int i : QuickSortOrder(texts))
        out.append(texts[i]);
    return out;
}

TEST(SortOrder, TheDescribedExamplesIncludingTheInstability)
{
    // Use "Yes", "No", "Yes", "No" for rows a, b, c, d gives d, b, c, a.
    EXPECT_EQ(QuickSortOrder({"Yes", "No", "Yes", "No"}), QVector<int>({3, 1, 2, 0}));
    // Pages 9, 100, 20, empty, 3 give empty, 100, 20, 3, 9.
    EXPECT_EQ(Sorted({"9", "100", "20", "", "3"}), QVector<QByteArray>({"", "100", "20", "3", "9"}));
    // Statuses in their text order, the empty one first.
    EXPECT_EQ(Sorted({"Ready.", "Read Error", "Processing", "Invalid", "Done", ""}),
              QVector<QByteArray>({"", "Done", "Invalid", "Processing", "Read Error", "Ready."}));
    // Case-sensitive by character code: upper case first; a text before a longer one it begins.
    EXPECT_EQ(Sorted({"/s/a.tif", "/s/B.tif", "/s/a.tiff", "/s/a.ti"}),
              QVector<QByteArray>({"/s/B.tif", "/s/a.ti", "/s/a.tif", "/s/a.tiff"}));
    // Non-ASCII by code point (UTF-8 byte order); a byte that is not UTF-8 by its value.
    EXPECT_EQ(Sorted({"\xc3\xa9", "z", "\xe2\x82\xac", "\xc3\xa0", "\xff"}),
              QVector<QByteArray>({"z", "\xc3\xa0", "\xc3\xa9", "\xe2\x82\xac", "\xff"}));
    // Sizes and dates as text.
    EXPECT_EQ(Sorted({"512", "0", "1024"}), QVector<QByteArray>({"0", "1024", "512"}));
    EXPECT_EQ(Sorted({"2011-01-01 00:00:00", "", "2010-12-31 23:59:59"}),
              QVector<QByteArray>({"", "2010-12-31 23:59:59", "2011-01-01 00:00:00"}));
    EXPECT_TRUE(QuickSortOrder({}).isEmpty());
    EXPECT_EQ(QuickSortOrder({"x"}), QVector<int>({0}));
    // A sorted list stays as it is, equal texts included.
    EXPECT_EQ(QuickSortOrder({"", "", "Done", "Done", "Done", "Ready.", "Ready."}), QVector<int>({0, 1, 2, 3, 4, 5, 6}));
}

TEST(SortOrder, GivesExactlyTheDescribedQuicksortsOrderOnRandomLists)
{
    QRandomGenerator rng(20261208);
    for (int nRound = 0; nRound < 300; ++nRound) {
        const int nRows = int(rng.bounded(1, 400));
        // Few distinct texts, so many are equal: where an unstable sort shows.
        const int nDistinct = int(rng.bounded(1, 12));
        QVector<QByteArray> texts;
        for (int i = 0; i < nRows; ++i)
            texts.append(QByteArray::number(int(rng.bounded(nDistinct)) * 7 % 13));
        ASSERT_EQ(QuickSortOrder(texts), Reference(texts)) << "round " << nRound;
    }
}

TEST(SortOrder, TheWorstOrderGoesNoDeeperThanTheLogarithmOfTheRows)
{
    // An order in which the middle row of every part is the smallest of that part: the plain
    // recursion goes one level per row on it.
    const int nRows = 10000;
    QVector<int> slot(nRows);
    QVector<int> value(nRows);
    for (int i = 0; i < nRows; ++i)
        slot[i] = i;
    for (int t = 0; t < nRows; ++t) {
        const int nMid = (t + nRows - 1) / 2;
        value[slot[nMid]] = t;
        std::swap(slot[t], slot[nMid]);
    }
    QVector<QByteArray> texts(nRows);
    for (int i = 0; i < nRows; ++i)
        texts[i] = QByteArray::fromStdString(std::to_string(1000000 + value[i]));
    // On a stack of 64 KiB: a recursion of one level per row would overflow it many times over.
    QVector<int> order;
    std::unique_ptr<QThread> pThread(QThread::create([&] { order = QuickSortOrder(texts); }));
    pThread->setStackSize(64 * 1024);
    pThread->start();
    ASSERT_TRUE(pThread->wait(60000));
    ASSERT_EQ(order.size(), nRows);
    for (int i = 1; i < nRows; ++i)
        ASSERT_LE(texts[order[i - 1]], texts[order[i]]) << i;
}

}  // namespace
