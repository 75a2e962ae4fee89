#include "filelist/ui/CFileListDelegate.h"

#include <QFontMetrics>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

// A tool tip is never wider than the limit in the tool tip's font, and only line feeds are added:
// short lines stay whole, a long path breaks where it must, words go whole where they can.
TEST(FileListDelegate, LongToolTipsAreWrappedToTheLimit)
{
    const QFont font = QToolTip::font();
    const QFontMetrics fm(font);
    const QString strPath = QStringLiteral("/archive/") + QString(300, u'x') + QStringLiteral("/invoice 0412.tif");
    const QString strWords = QStringLiteral("Counted 4 pages; the file is damaged after page 4: ") +
                             QStringLiteral("Seek error accessing TIFF directory ").repeated(8);
    const QString cases[] = {
        QStringLiteral("/scans/a.tif"),
        QStringLiteral("/scans/a.tif\nAlso listed as /scans/b.tif"),
        strPath,
        strPath + QStringLiteral("\nAlso listed as ") + strPath,
        strWords + u'\n' + QStringLiteral("12 pages: 10 A4 bilevel 300 dpi"),
        QStringLiteral("first\n\nthird"),
    };
    for (const QString& strTip : cases) {
        const QString strWrapped = WrapToolTip(strTip, font, CFileListDelegate::kMaxToolTipWidth);
        QString strJoined = strWrapped;
        EXPECT_EQ(strJoined.remove(u'\n'), QString(strTip).remove(u'\n')) << qPrintable(strTip);
        const QStringList lines = strWrapped.split(u'\n');
        for (const QString& strLine : lines)
            EXPECT_LE(fm.horizontalAdvance(strLine.trimmed()), CFileListDelegate::kMaxToolTipWidth) << qPrintable(strLine);
        if (fm.horizontalAdvance(strTip) <= CFileListDelegate::kMaxToolTipWidth) {
            EXPECT_EQ(strWrapped, strTip);
        }
        // A break falls between words where there are words.
        if (strTip.startsWith(QLatin1String("Counted"))) {
            for (const QString& strLine : lines.mid(0, lines.size() - 2))
                EXPECT_TRUE(strLine.endsWith(u' ')) << qPrintable(strLine);
        }
    }
}

}  // namespace
