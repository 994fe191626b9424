// The folder edit frame and its browse dialog, driven with the mouse.
#include "WizardDriver.h"
#include "installer/wizard/FrameDirEditBrowse.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace nvqb;
using namespace nvqb::test;

namespace {

QTreeWidgetItem *FindItem(QTreeWidget *tree, const QString &path)
{
    QTreeWidgetItemIterator it(tree);
    for (; *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == path)
            return *it;
    return nullptr;
}

void ClickItem(QTreeWidget *tree, QTreeWidgetItem *item)
{
    ASSERT_TRUE(item);
    tree->scrollToItem(item);
    ClickAt(tree->viewport(), tree->visualItemRect(item).center());
}

struct TFrameWindow {
    QWidget Window;
    TFrameDirEditBrowse *Frame;
    TFrameWindow() : Frame(new TFrameDirEditBrowse(&Window))
    {
        Window.resize(400, 80);
        Frame->setGeometry(10, 10, 380, 60);
        Window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }
};

} // namespace

TEST(FolderBrowse, AChosenFolderLosesItsTrailingSlashAndTheRootStaysSlash)
{
    QTemporaryDir temp;
    const QString folder = QDir(temp.path()).canonicalPath() + QLatin1String("/Folder A");
    QDir().mkpath(folder + QLatin1String("/Below"));
    TFrameWindow window;
    window.Frame->SetDirectory(folder + QLatin1Char('/'));
    EXPECT_EQ(window.Frame->Directory(), folder);

    // A double click on the edit opens the dialog at the edit's folder.
    QString selected;
    bool okEnabled = false;
    WhenModal([&](QWidget *dialog) {
        auto *tree = Child<QTreeWidget>(dialog, "tvFolders");
        selected = tree->currentItem() ? tree->currentItem()->data(0, Qt::UserRole).toString() : QString();
        okEnabled = Child<QPushButton>(dialog, "btnOK")->isEnabled();
        tree->expandItem(tree->currentItem());
        ClickItem(tree, FindItem(tree, folder + QLatin1String("/Below")));
        Click(Child<QPushButton>(dialog, "btnOK"));
    });
    QTest::mouseDClick(window.Frame->EditDirectory, Qt::LeftButton);
    EXPECT_EQ(selected, folder);
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ(window.Frame->EditDirectory->text(), folder + QLatin1String("/Below"));

    WhenModal([&](QWidget *dialog) {
        auto *tree = Child<QTreeWidget>(dialog, "tvFolders");
        ClickItem(tree, tree->topLevelItem(0));
        Click(Child<QPushButton>(dialog, "btnOK"));
    });
    Click(window.Frame->BtnDirBrowse);
    EXPECT_EQ(window.Frame->EditDirectory->text(), QStringLiteral("/"));
    EXPECT_EQ(window.Frame->Directory(), QStringLiteral("/"));
}

TEST(FolderBrowse, AStartFolderThatDoesNotExistOpensWithoutSelectionAndOKDisabled)
{
    QTemporaryDir temp;
    const QString existing = QDir(temp.path()).canonicalPath();
    const QString missing = existing + QLatin1String("/missing");
    TFrameWindow window;
    window.Frame->SetDirectory(missing);
    bool hadSelection = true;
    bool okAtStart = true;
    bool okAfterChoice = false;
    WhenModal([&](QWidget *dialog) {
        auto *tree = Child<QTreeWidget>(dialog, "tvFolders");
        auto *ok = Child<QPushButton>(dialog, "btnOK");
        hadSelection = tree->currentItem() != nullptr;
        okAtStart = ok->isEnabled();
        ClickItem(tree, tree->topLevelItem(0));
        okAfterChoice = ok->isEnabled();
        Click(Child<QPushButton>(dialog, "btnCancel"));
    });
    Click(window.Frame->BtnDirBrowse);
    EXPECT_FALSE(hadSelection);
    EXPECT_FALSE(okAtStart);
    EXPECT_TRUE(okAfterChoice);
    EXPECT_EQ(window.Frame->EditDirectory->text(), missing); // cancelled
}

TEST(FolderBrowse, NoDirectoryEmptiesTheEditAndASecondPressOpensNoSecondDialog)
{
    QTemporaryDir temp;
    TFrameWindow window;
    window.Frame->AllowEmpty = true;
    window.Frame->SetDirectory(temp.path());
    int changes = 0;
    window.Frame->OnChange = [&](TFrameDirEditBrowse *) { ++changes; };
    bool secondDialog = false;
    WhenModal([&](QWidget *dialog) {
        // The button pressed again while the dialog is open: a second
        // dialog would be answered here.
        QPointer<QTimer> second = WhenModal([&](QWidget *other) {
            secondDialog = true;
            Click(Child<QPushButton>(other, "btnCancel"));
        });
        window.Frame->BtnDirBrowse->click();
        delete second.data();
        Click(Child<QPushButton>(dialog, "btnNoDirectory"));
    });
    Click(window.Frame->BtnDirBrowse);
    EXPECT_FALSE(secondDialog);
    EXPECT_EQ(window.Frame->EditDirectory->text(), QString());
    EXPECT_EQ(changes, 1);

    // Without AllowEmpty the dialog has no such button.
    window.Frame->AllowEmpty = false;
    bool offered = true;
    WhenModal([&](QWidget *dialog) {
        offered = dialog->findChild<QPushButton *>(QStringLiteral("btnNoDirectory")) != nullptr;
        Click(Child<QPushButton>(dialog, "btnCancel"));
    });
    Click(window.Frame->BtnDirBrowse);
    EXPECT_FALSE(offered);
}
