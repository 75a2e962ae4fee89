// The windows at a desktop font of 8 and of 14 points: their controls grow with the font, none
// stands on another, and all stay inside their window.
#include "app/ui/CPageCountDlg.h"
#include "common/ui/CProcessingDlg.h"
#include "filelist/core/FileRecord.h"
#include "filelist/ui/CScanDlg.h"
#include "support/Named.h"
#include "support/ui/CAboutDlg.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The desktop's font, for as long as it lives.
class CDesktopFont {
public:
    explicit CDesktopFont(int nPoints) : m_old(QApplication::font())
    {
        QFont font = m_old;
        font.setPointSize(nPoints);
        QApplication::setFont(font);
    }
    ~CDesktopFont() { QApplication::setFont(m_old); }

private:
    QFont m_old;
};

// Every control of the window has at least the room it asks for, stands inside the window and
// on no other control; a label stands beside its field.
void ExpectLaidOut(QWidget* pWindow, const QString& strWhere)
{
    QList<QWidget*> parts;
    for (QWidget* pPart : pWindow->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (pPart->isVisible() && !pPart->isWindow())
            parts << pPart;
    }
    ASSERT_GE(parts.size(), 3) << qPrintable(strWhere);
    for (int i = 0; i < int(parts.size()); ++i) {
        const QRect rc = parts[i]->geometry();
        const QString strPart = strWhere + u' ' + parts[i]->metaObject()->className() + u' ' + parts[i]->objectName();
        EXPECT_TRUE(pWindow->rect().contains(rc)) << qPrintable(strPart);
        EXPECT_GE(rc.width(), parts[i]->minimumSizeHint().width()) << qPrintable(strPart);
        EXPECT_GE(rc.height(), parts[i]->minimumSizeHint().height()) << qPrintable(strPart);
        for (int j = i + 1; j < int(parts.size()); ++j) {
            EXPECT_FALSE(rc.intersects(parts[j]->geometry()))
                << qPrintable(strPart) << " and " << parts[j]->metaObject()->className() << ' '
                << qPrintable(parts[j]->objectName());
        }
        // A label stands on the text line of its field.
        if (const auto* pLabel = qobject_cast<QLabel*>(parts[i]); pLabel && pLabel->buddy()) {
            EXPECT_LE(std::abs(rc.center().y() - pLabel->buddy()->geometry().center().y()), 1) << qPrintable(strPart);
        }
    }
}

struct SMeasures {
    QSize window;
    int nCountButton = 0;
    int nRow = 0;
    QList<int> columns;
    int nStopButton = 0;
    int nOkButton = 0;
};

SMeasures LayOut(int nPoints)
{
    CDesktopFont font(nPoints);
    SMeasures m;
    const QString strAt = QStringLiteral("%1 pt").arg(nPoints);
    {
        CPageCountDlg dlg(nullptr, false);
        dlg.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        m.window = dlg.size();
        m.nCountButton = Named(&dlg, "countButton")->height();
        m.nRow = dlg.GetListView()->verticalHeader()->defaultSectionSize();
        for (int c = 0; c < FILE_COLUMN_COUNT; ++c)
            m.columns << dlg.GetListView()->columnWidth(c);
        // A date fits its column whole, as the original's did.
        dlg.AppendFileRow(QCoreApplication::applicationFilePath().toUtf8(), true);
        for (const int nColumn : {COL_CREATED, COL_MODIFIED})
            EXPECT_LE(static_cast<QAbstractItemView*>(dlg.GetListView())->sizeHintForColumn(nColumn), m.columns[nColumn]) << qPrintable(strAt);
        for (const QSize size : {dlg.size(), dlg.minimumSize(), QSize(1000, 700)}) {
            dlg.resize(size);
            QCoreApplication::processEvents();
            const QString strWhere = strAt + QStringLiteral(" main window %1 x %2").arg(dlg.width()).arg(dlg.height());
            ExpectLaidOut(&dlg, strWhere);
        }
    }
    QWidget owner;
    for (CStopDlg* pBox : std::initializer_list<CStopDlg*>{new CProcessingDlg(&owner), new CScanDlg(&owner)}) {
        ExpectLaidOut(pBox, strAt + u' ' + pBox->windowTitle());
        m.nStopButton = Named(pBox, "stopButton")->height();
        delete pBox;
    }
    CAboutDlg about(&owner);
    about.show();
    ExpectLaidOut(&about, strAt + QStringLiteral(" About"));
    m.nOkButton = Named(&about, "okButton")->height();
    return m;
}

TEST(Layout, WindowsFollowTheDesktopsFont)
{
    const SMeasures small = LayOut(8);
    const SMeasures large = LayOut(14);
    EXPECT_GT(large.nCountButton, small.nCountButton);
    EXPECT_GT(large.nRow, small.nRow);
    EXPECT_GT(large.nStopButton, small.nStopButton);
    EXPECT_GT(large.nOkButton, small.nOkButton);
    EXPECT_TRUE(large.window.width() >= small.window.width() && large.window.height() > small.window.height());
    // The original's column widths, in proportion to the font, so all wider alike at 14 points.
    const int kOriginal[] = {45, 260, 70, 90, 75, 120, 120};
    for (const SMeasures* pAt : {&small, &large}) {
        const double dScale = double(pAt->columns[COL_FILENAME]) / kOriginal[COL_FILENAME];
        for (int c = 0; c < FILE_COLUMN_COUNT; ++c)
            EXPECT_NEAR(pAt->columns[c], kOriginal[c] * dScale, 1) << c;
    }
    EXPECT_GT(double(large.columns[COL_FILENAME]) / small.columns[COL_FILENAME], 1.5);
}

}  // namespace
