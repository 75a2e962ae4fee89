#include "support/ModalBox.h"
#include "support/Named.h"
#include "support/TempDir.h"
#include "support/core/FolderPath.h"
#include "support/ui/CFolderDialog.h"

#include <QApplication>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

QLineEdit* Edit(QWidget* pChooser)
{
    return Named<QLineEdit>(pChooser, "folderEdit");
}

QPushButton* OkButton(QWidget* pChooser)
{
    return Named<QPushButton>(pChooser, "okButton");
}

// Types a folder into the chooser's edit box and presses OK.
std::function<void(QWidget*)> TypeAndOk(const QString& strFolder)
{
    return [strFolder](QWidget* pChooser) {
        QLineEdit* pEdit = Edit(pChooser);
        pEdit->clear();
        QTest::keyClicks(pEdit, strFolder);
        QTest::mouseClick(OkButton(pChooser), Qt::LeftButton);
    };
}

// The chooser's boxes name the folder, then say what is wrong with it; only creating it is a question.
SExpectedBox FolderBox(const QString& strFolder, const char* pszWhat)
{
    const bool bQuestion = QByteArray(pszWhat).endsWith('?');
    return {QStringLiteral("Pagewick"), QStringLiteral("The folder:\n\n%1\n\n").arg(strFolder) + QLatin1String(pszWhat),
            bQuestion ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
            bQuestion ? QMessageBox::Question : QMessageBox::Warning};
}

const char kInvalid[] = "is invalid. Please reenter.";
const char kCreate[] = "does not exist. Do you want the folder to be created?";

const QString kCaption = QStringLiteral("Directory...");

int RunChooser(QString* pPath = nullptr)
{
    CFolderDialog chooser(kCaption, QStringLiteral("Please choose your directory..."), QString());
    const int nResult = chooser.DoModal();
    if (pPath)
        *pPath = chooser.GetPath();
    return nResult;
}

TEST(FolderDialog, OkFollowsTheEditBoxAndTheTreeFillsIt)
{
    CTempDir dir;
    CFolderDialog chooser(kCaption, QStringLiteral("Please choose your directory..."), QString());
    chooser.show();
    EXPECT_EQ(chooser.windowTitle(), kCaption);
    EXPECT_TRUE(Edit(&chooser)->text().isEmpty());
    EXPECT_FALSE(OkButton(&chooser)->isEnabled());
    QTest::keyClicks(Edit(&chooser), QStringLiteral("x"));
    EXPECT_TRUE(OkButton(&chooser)->isEnabled());
    Edit(&chooser)->clear();
    EXPECT_FALSE(OkButton(&chooser)->isEnabled());

    auto* pTree = Named<QTreeView>(&chooser, "folderTree");
    auto* pModel = qobject_cast<QFileSystemModel*>(pTree->model());
    pTree->setCurrentIndex(pModel->index(dir.Path()));
    EXPECT_EQ(Edit(&chooser)->text(), dir.Path());
    EXPECT_TRUE(OkButton(&chooser)->isEnabled());
    pTree->setCurrentIndex(pModel->index(QStringLiteral("/")));
    EXPECT_EQ(Edit(&chooser)->text(), QStringLiteral("/"));
    // Moving the current item without selecting (as the tree does by itself) leaves the box alone.
    QTest::keyClicks(Edit(&chooser), QStringLiteral("tmp"));
    pTree->selectionModel()->setCurrentIndex(pModel->index(dir.Path()), QItemSelectionModel::NoUpdate);
    EXPECT_EQ(Edit(&chooser)->text(), QStringLiteral("/tmp"));
}

TEST(FolderDialog, InvalidTextKeepsTheChooserOpenWithTheFocusInTheBox)
{
    CTempDir dir;
    bool bFocusInBox = false;
    CModalBoxes boxes;
    boxes.ExpectDialog(kCaption, TypeAndOk(QStringLiteral("C:")));
    boxes.Expect(FolderBox(QStringLiteral("C:"), kInvalid), QMessageBox::Ok);
    boxes.ExpectDialog(kCaption, [&](QWidget* pChooser) {
        bFocusInBox = pChooser->focusWidget() == Edit(pChooser);
        TypeAndOk(dir.Path() + QStringLiteral("/"))(pChooser);
    });
    boxes.Expect(FolderBox(dir.Path() + QStringLiteral("/"), kInvalid), QMessageBox::Ok);
    boxes.ExpectDialog(kCaption, TypeAndOk(dir.Path()));
    QString strPath;
    EXPECT_EQ(RunChooser(&strPath), 1);
    EXPECT_TRUE(boxes.AllAnswered());
    EXPECT_TRUE(bFocusInBox);
    EXPECT_EQ(strPath, dir.Path());
}

TEST(FolderDialog, MissingFolderIsCreatedOnYesOnly)
{
    CTempDir dir;
    const QString strDeep = dir.Path(QStringLiteral("new/deeper"));
    CModalBoxes boxes;
    boxes.ExpectDialog(kCaption, TypeAndOk(strDeep));
    boxes.Expect(FolderBox(strDeep, kCreate), QMessageBox::No);
    boxes.ExpectDialog(kCaption, [&](QWidget* pChooser) {
        EXPECT_FALSE(FolderExists(dir.Path(QStringLiteral("new"))));
        QTest::mouseClick(OkButton(pChooser), Qt::LeftButton);
    });
    boxes.Expect(FolderBox(strDeep, kCreate), QMessageBox::Yes);
    QString strPath;
    EXPECT_EQ(RunChooser(&strPath), 1);
    EXPECT_TRUE(boxes.AllAnswered());
    EXPECT_EQ(strPath, strDeep);
    EXPECT_TRUE(FolderExists(strDeep));
}

TEST(FolderDialog, FolderThatCannotBeCreatedIsReported)
{
    CTempDir dir;
    dir.Write(QStringLiteral("file.txt"), "x");
    const QString strBad = dir.Path(QStringLiteral("file.txt/sub"));
    CModalBoxes boxes;
    boxes.ExpectDialog(kCaption, TypeAndOk(strBad));
    boxes.Expect(FolderBox(strBad, kCreate), QMessageBox::Yes);
    boxes.Expect(FolderBox(strBad, "can not be created. Please double check."), QMessageBox::Ok);
    boxes.ExpectDialog(kCaption, [](QWidget* pChooser) {
        QTest::mouseClick(Named<QPushButton>(pChooser, "cancelButton"), Qt::LeftButton);
    });
    EXPECT_EQ(RunChooser(), -1);
    EXPECT_TRUE(boxes.AllAnswered());
}

// As Cancel does (the chooser that cannot create its folder ends with Cancel).
TEST(FolderDialog, EscGivesMinusOne)
{
    CModalBoxes boxes;
    boxes.ExpectDialog(kCaption, [](QWidget* pChooser) { QTest::keyClick(pChooser, Qt::Key_Escape); });
    EXPECT_EQ(RunChooser(), -1);
    EXPECT_TRUE(boxes.AllAnswered());
}

}  // namespace
