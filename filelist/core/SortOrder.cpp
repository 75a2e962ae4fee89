#include "SortOrder.h"

#include <utility>

namespace {

class CQuickSort {
public:
    explicit CQuickSort(QVector<QByteArray>&& keys) : m_keys(std::move(keys)), m_order(int(m_keys.size()))
    {
        for (int i = 0; i < int(m_order.size()); ++i)
            m_order[i] = i;
    }

    QVector<int> Run()
    {
        Sort(0, int(m_keys.size()) - 1);
        return std::move(m_order);
    }

private:
    void Sort(int nLow, int nHigh)
    {
        while (nLow < nHigh) {
            // The pivot is a copy: it stays fixed while its row moves.
            const QByteArray pivot = m_keys[(nLow + nHigh) / 2];
            int lo = nLow;
            int hi = nHigh;
            while (lo <= hi) {
                while (lo < nHigh && m_keys[lo] < pivot)
                    ++lo;
                while (hi > nLow && m_keys[hi] > pivot)
                    --hi;
                if (lo <= hi) {
                    // Rows with equal texts stay, but the indices move on.
                    if (m_keys[lo] != m_keys[hi])
                        Swap(lo, hi);
                    ++lo;
                    --hi;
                }
            }
            // The two parts do not overlap, so their order of sorting does not matter: the smaller
            // one is sorted by recursion, the larger one by the next round of this loop.
            const bool bLeft = nLow < hi;
            const bool bRight = lo < nHigh;
            if (bLeft && bRight) {
                if (hi - nLow < nHigh - lo) {
                    Sort(nLow, hi);
                    nLow = lo;
                } else {
                    Sort(lo, nHigh);
                    nHigh = hi;
                }
            } else if (bLeft) {
                nHigh = hi;
            } else if (bRight) {
                nLow = lo;
            } else {
                return;
            }
        }
    }

    void Swap(int a, int b)
    {
        m_keys[a].swap(m_keys[b]);
        std::swap(m_order[a], m_order[b]);
    }

    QVector<QByteArray> m_keys;
    QVector<int> m_order;
};

}  // namespace

QVector<int> QuickSortOrder(QVector<QByteArray> keys)
{
    return CQuickSort(std::move(keys)).Run();
}
