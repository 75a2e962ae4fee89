#include "common/ui/DialogBuilder.h"
#include "res/DialogTemplates.h"
#include "res/resource.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

struct SMnemonicCase {
    const char* pszIn;
    const char* pszOut;
};

TEST(DialogBuilder, StripMnemonicShowsTextAsAStaticControlDoes)
{
    const SMnemonicCase cases[] = {
        {"Drag && Drop files into list below", "Drag & Drop files into list below"},
        {"&Count files in list", "Count files in list"},
        {"Items:", "Items:"},
        {"a&&&b", "a&b"},
        {"trailing&", "trailing"},
        {"", ""},
    };
    for (const SMnemonicCase& c : cases)
        EXPECT_EQ(StripMnemonic(QString::fromUtf8(c.pszIn)), QString::fromUtf8(c.pszOut)) << c.pszIn;
}

TEST(DialogBuilder, DialogUnitsScaleByTheFontsBaseUnits)
{
    // The classic 8-point dialog font: 6 x 13 pixels per character.
    const SDialogUnits units{6, 13};
    EXPECT_EQ(DialogUnitsToPixels(units, 0, 16, 358, 128), QRect(0, 26, 537, 208));
    EXPECT_EQ(DialogUnitsToPixels(units, 141, 154, 76, 14), QRect(212, 250, 114, 23));
    // Halves round away from zero, as the platform's MulDiv does.
    EXPECT_EQ(DialogUnitsToPixels(units, 1, 4, 3, 0), QRect(2, 7, 5, 0));
}

TEST(DialogBuilder, EveryControlCarriesItsIdAndAReadableName)
{
    const SDialogTemplate* pTemplate = FindDialogTemplate(IDD_PROCESSING);
    ASSERT_NE(pTemplate, nullptr);
    QWidget client;
    BuildDialogControls(&client, *pTemplate);
    auto* pStop = FindControlAs<QPushButton>(&client, IDC_STOP);
    ASSERT_NE(pStop, nullptr);
    EXPECT_EQ(pStop->text(), QStringLiteral("&Stop"));
    EXPECT_EQ(pStop->accessibleName(), QStringLiteral("Stop"));
    EXPECT_TRUE(pStop->isDefault());
    EXPECT_EQ(FindControl(&client, IDC_PROCESSING_FILE)->accessibleName(), QStringLiteral("File"));
    // Template order is the tab order.
    const QList<QWidget*> children = client.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(children.size(), pTemplate->nControls);
    EXPECT_EQ(qobject_cast<QLabel*>(children.first())->text(), QStringLiteral("File:"));
    EXPECT_EQ(children.last(), pStop);
}

TEST(DialogBuilder, UnknownTemplateIsNull)
{
    EXPECT_EQ(FindDialogTemplate(4711), nullptr);
}

}  // namespace
