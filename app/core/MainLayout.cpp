#include "MainLayout.h"

#include "res/resource.h"

#include <algorithm>

namespace {

QRect Place(int x, int y, int cx, int cy)
{
    return QRect(x, y, std::max(cx, 0), std::max(cy, 0));
}

}  // namespace

QVector<SControlPlace> MainWindowLayout(int nClientWidth, int nClientHeight, int nLinkHeight)
{
    const int W = nClientWidth + 8;
    const int H = nClientHeight + 46;
    return {
        {IDC_FILE_LIST, Place(0, 25, W - 8, H - 115)},
        {IDC_WEBSITE, Place(7, H - 69, 170, nLinkHeight)},
        {IDC_COUNT_FILES, Place(W / 2 - 50, H - 82, 100, 25)},
        {IDC_CLOSE, Place(W - 80, H - 82, 70, 25)},
        {IDC_ITEMS, Place(45, H - 85, 50, 25)},
        {IDC_ITEMS_LABEL, Place(10, H - 85, 35, 25)},
        {IDC_PAGES, Place(145, H - 85, 50, 25)},
        {IDC_PAGES_LABEL, Place(110, H - 85, 35, 25)},
    };
}
