// The order in which the list's sort puts its rows: an ascending quicksort on one column's texts,
// compared byte by byte (for UTF-8, by code point; case-sensitive; the empty text first). It is not
// stable, and its exact order, instability included, is part of what users see: rows with equal
// texts end where this partitioning puts them.
#pragma once

#include <QByteArray>
#include <QVector>

// The new order of rows with these keys: order[i] is the old index of the row that goes to place
// i. The recursion goes at most log2(rows) deep (into the smaller part; the larger is looped on),
// which gives the same order as recursing into both.
QVector<int> QuickSortOrder(QVector<QByteArray> keys);
