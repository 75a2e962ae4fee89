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
    // The table puts the link (H - 69) inside the Items field (H - 85, 25 high), so the field's
    // border would run through its words. The link goes just below the fields instead, as far as
    // the window's bottom lets it stay whole; only when it is taller than that room do the fields
    // and their labels give up height.
    const int yFields = H - 85;
    const int yLink = std::min(yFields + 25, nClientHeight - nLinkHeight);
    const int cyFields = std::clamp(yLink - yFields, 0, 25);
    return {
        {IDC_FILE_LIST, Place(0, 25, W - 8, H - 115)},
        {IDC_WEBSITE, Place(7, yLink, 170, nLinkHeight)},
        {IDC_COUNT_FILES, Place(W / 2 - 50, H - 82, 100, 25)},
        {IDC_CLOSE, Place(W - 80, H - 82, 70, 25)},
        {IDC_ITEMS, Place(45, yFields, 50, cyFields)},
        {IDC_ITEMS_LABEL, Place(10, yFields, 35, cyFields)},
        {IDC_PAGES, Place(145, yFields, 50, cyFields)},
        {IDC_PAGES_LABEL, Place(110, yFields, 35, cyFields)},
    };
}
