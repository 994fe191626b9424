// The folder edit frame and its browse dialog, driven with the mouse.
#include "WizardDriver.h"
#include "common/Eventually.h"
#include "installer/wizard/ApplicationHelp.h"
#include "installer/wizard/BrowseFolderDialog.h"
#include "installer/wizard/FrameDirEditBrowse.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
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

QString PathOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

// The user's folders of a home folder made for the test: HOME and
// XDG_CONFIG_HOME point into it while the object lives.
class THomeFolder {
public:
    THomeFolder()
        : FHome(qgetenv("HOME")), FConfig(qgetenv("XDG_CONFIG_HOME")), FHadConfig(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")),
          Path(QDir(FTemp.path()).canonicalPath())
    {
        qputenv("HOME", QFile::encodeName(Path));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path + QLatin1String("/.config")));
    }
    ~THomeFolder()
    {
        qputenv("HOME", FHome);
        if (FHadConfig)
            qputenv("XDG_CONFIG_HOME", FConfig);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    // Makes the folder below the home folder; its path.
    QString MakeFolder(const QString &relative) const
    {
        const QString path = Path + QLatin1Char('/') + relative;
        QDir().mkpath(path);
        return path;
    }
    // Names the desktop folder in the user-dirs file, as a desktop session
    // in another language does.
    void NameDesktop(const QString &relative) const
    {
        QDir().mkpath(Path + QLatin1String("/.config"));
        QFile file(Path + QLatin1String("/.config/user-dirs.dirs"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("XDG_DESKTOP_DIR=\"$HOME/" + relative.toUtf8() + "\"\n");
    }

private:
    QTemporaryDir FTemp;
    QByteArray FHome, FConfig;
    bool FHadConfig;

public:
    const QString Path;
};

// What the dialog showed when it opened: the folder at the tree's root, the
// selected folder, and whether OK was enabled.
// Closes the window when the answer ends, also after a failed assertion in
// it, so that the dialog's loop always ends.
auto CloseAtEnd(QWidget *window)
{
    return qScopeGuard([window] {
        if (window->isVisible())
            window->close();
    });
}

struct TOpened {
    QString Root, Selected;
    bool OKEnabled = false;
    bool Chosen = false;
};

TOpened OpenAndCancel(TBrowseFolderDialog &dialog)
{
    TOpened opened;
    WhenModalArrives([&](QWidget *window) {
        const auto close = CloseAtEnd(window);
        auto *tree = Child<QTreeWidget>(window, "tvFolders");
        EXPECT_EQ(tree->topLevelItemCount(), 1);
        opened.Root = PathOf(tree->topLevelItem(0));
        opened.Selected = PathOf(tree->currentItem());
        opened.OKEnabled = Child<QPushButton>(window, "btnOK")->isEnabled();
        Click(Child<QPushButton>(window, "btnCancel"));
    });
    opened.Chosen = dialog.Execute();
    return opened;
}

struct TFrameWindow {
    QWidget Window;
    TFrameDirEditBrowse *Frame;
    TFrameWindow() : Frame(new TFrameDirEditBrowse(&Window))
    {
        Window.resize(400, 80);
        Frame->setGeometry(10, 10, 380, 60);
        Window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window, EventuallyTimeoutMs));
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
    WhenModalArrives([&](QWidget *dialog) {
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

    WhenModalArrives([&](QWidget *dialog) {
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
    WhenModalArrives([&](QWidget *dialog) {
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
    WhenModalArrives([&](QWidget *dialog) {
        // The button pressed again while the dialog is open: a second
        // dialog would be answered here.
        QPointer<QTimer> second = WhenModalArrives([&](QWidget *other) {
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
    WhenModalArrives([&](QWidget *dialog) {
        offered = dialog->findChild<QPushButton *>(QStringLiteral("btnNoDirectory")) != nullptr;
        Click(Child<QPushButton>(dialog, "btnCancel"));
    });
    Click(window.Frame->BtnDirBrowse);
    EXPECT_FALSE(offered);
}

TEST(FolderBrowse, TheTreeStartsAtTheDesktopUnlessTheStartFolderLiesOutsideIt)
{
    THomeFolder home;
    const QString desktop = home.MakeFolder(QStringLiteral("Desktop"));
    const QString project = home.MakeFolder(QStringLiteral("Desktop/Project/Sources"));
    QTemporaryDir elsewhere;
    const QString outside = QDir(elsewhere.path()).canonicalPath();
    {
        SCOPED_TRACE("no start folder");
        TBrowseFolderDialog dialog;
        EXPECT_TRUE(dialog.DesktopRoot);
        const TOpened opened = OpenAndCancel(dialog);
        EXPECT_EQ(opened.Root, desktop);
        EXPECT_EQ(opened.Selected, QString());
        EXPECT_FALSE(opened.Chosen);
    }
    {
        SCOPED_TRACE("a start folder on the desktop");
        TBrowseFolderDialog dialog;
        dialog.FolderName = project + QLatin1Char('/');
        const TOpened opened = OpenAndCancel(dialog);
        EXPECT_EQ(opened.Root, desktop);
        EXPECT_EQ(opened.Selected, project);
        EXPECT_TRUE(opened.OKEnabled);
    }
    {
        SCOPED_TRACE("a start folder elsewhere");
        TBrowseFolderDialog dialog;
        dialog.FolderName = outside;
        const TOpened opened = OpenAndCancel(dialog);
        EXPECT_EQ(opened.Root, QStringLiteral("/"));
        EXPECT_EQ(opened.Selected, outside);
    }
    {
        SCOPED_TRACE("DesktopRoot cleared");
        TBrowseFolderDialog dialog;
        dialog.DesktopRoot = false;
        dialog.FolderName = project;
        const TOpened opened = OpenAndCancel(dialog);
        EXPECT_EQ(opened.Root, QStringLiteral("/"));
        EXPECT_EQ(opened.Selected, project);
    }
    {
        SCOPED_TRACE("the chosen desktop folder");
        TBrowseFolderDialog dialog;
        WhenModalArrives([&](QWidget *window) {
            const auto close = CloseAtEnd(window);
            auto *tree = Child<QTreeWidget>(window, "tvFolders");
            ClickItem(tree, tree->topLevelItem(0));
            Click(Child<QPushButton>(window, "btnOK"));
        });
        EXPECT_TRUE(dialog.Execute());
        EXPECT_EQ(dialog.FolderName, desktop);
    }
}

TEST(FolderBrowse, TheDesktopIsTheFolderTheUserDirsNameOrElseTheHomeFolder)
{
    THomeFolder home;
    const QString inHome = home.MakeFolder(QStringLiteral("Documents"));
    {
        SCOPED_TRACE("no desktop folder");
        TBrowseFolderDialog dialog;
        dialog.FolderName = inHome;
        const TOpened opened = OpenAndCancel(dialog);
        EXPECT_EQ(opened.Root, home.Path);
        EXPECT_EQ(opened.Selected, inHome);
    }
    {
        SCOPED_TRACE("a desktop of another name");
        const QString desktop = home.MakeFolder(QStringLiteral("Schreibtisch"));
        home.MakeFolder(QStringLiteral("Desktop"));
        ASSERT_NO_FATAL_FAILURE(home.NameDesktop(QStringLiteral("Schreibtisch")));
        TBrowseFolderDialog dialog;
        const TOpened opened = OpenAndCancel(dialog);
        EXPECT_EQ(opened.Root, desktop);
        // A folder of the home folder beside the desktop shows from "/".
        dialog.FolderName = inHome;
        EXPECT_EQ(OpenAndCancel(dialog).Root, QStringLiteral("/"));
    }
}

TEST(FolderBrowse, WithAHelpContextTheHelpButtonAndF1AskForHelp)
{
    QTemporaryDir temp;
    QList<int> applicationAsked;
    const THelpRoutine before = SetApplicationHelp([&](int context) { applicationAsked << context; });
    auto restore = qScopeGuard([&] { SetApplicationHelp(before); });
    {
        SCOPED_TRACE("no help context");
        TBrowseFolderDialog dialog;
        dialog.FolderName = temp.path();
        bool hasHelp = true;
        WhenModalArrives([&](QWidget *window) {
            const auto close = CloseAtEnd(window);
            hasHelp = window->findChild<QPushButton *>(QStringLiteral("btnHelp")) != nullptr;
            // F1 without a context asks for nothing.
            QTest::keyClick(Child<QTreeWidget>(window, "tvFolders"), Qt::Key_F1);
            Click(Child<QPushButton>(window, "btnCancel"));
        });
        dialog.Execute();
        EXPECT_FALSE(hasHelp);
        EXPECT_TRUE(applicationAsked.isEmpty());
    }
    {
        SCOPED_TRACE("the application's help");
        TBrowseFolderDialog dialog;
        dialog.HelpContext = 1207;
        QString caption;
        bool besideOK = false, stillOpen = false;
        WhenModalArrives([&](QWidget *window) {
            const auto close = CloseAtEnd(window);
            QPushButton *help = Child<QPushButton>(window, "btnHelp");
            QPushButton *ok = Child<QPushButton>(window, "btnOK");
            ASSERT_TRUE(help && ok);
            caption = help->text();
            besideOK = help->geometry().right() < ok->geometry().left() && help->y() == ok->y();
            Click(help);
            QTest::keyClick(Child<QTreeWidget>(window, "tvFolders"), Qt::Key_F1);
            stillOpen = window->isVisible();
            Click(Child<QPushButton>(window, "btnCancel"));
        });
        EXPECT_FALSE(dialog.Execute());
        EXPECT_EQ(caption, QStringLiteral("&Help"));
        EXPECT_TRUE(besideOK);
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(applicationAsked, (QList<int>{1207, 1207}));
    }
    {
        SCOPED_TRACE("the dialog's own help");
        applicationAsked.clear();
        TBrowseFolderDialog dialog;
        dialog.HelpContext = 12;
        QList<int> dialogAsked;
        dialog.OnHelp = [&](TBrowseFolderDialog *sender, int context) {
            EXPECT_EQ(sender, &dialog);
            dialogAsked << context;
        };
        WhenModalArrives([&](QWidget *window) {
            const auto close = CloseAtEnd(window);
            Click(Child<QPushButton>(window, "btnHelp"));
            Click(Child<QPushButton>(window, "btnCancel"));
        });
        dialog.Execute();
        EXPECT_EQ(dialogAsked, QList<int>{12});
        EXPECT_TRUE(applicationAsked.isEmpty());
    }
    {
        SCOPED_TRACE("no help routine at all");
        SetApplicationHelp(nullptr);
        TBrowseFolderDialog dialog;
        dialog.HelpContext = 5;
        dialog.FolderName = temp.path();
        QString chosen;
        WhenModalArrives([&](QWidget *window) {
            const auto close = CloseAtEnd(window);
            Click(Child<QPushButton>(window, "btnHelp"));
            QTest::keyClick(window, Qt::Key_F1);
            Click(Child<QPushButton>(window, "btnOK"));
        });
        EXPECT_TRUE(dialog.Execute());
        EXPECT_EQ(dialog.FolderName, QDir::cleanPath(temp.path()));
    }
}

TEST(FolderBrowse, ComputersCannotBeBrowsedAndExecuteSaysWhy)
{
    TBrowseFolderDialog dialog;
    dialog.BrowseKind = TBrowseFolderDialog::bkComputers;
    dialog.FolderName = QStringLiteral("/tmp");
    QString message;
    bool folderTree = true;
    WhenModalArrives([&](QWidget *window) {
        if (auto *box = qobject_cast<QMessageBox *>(window))
            message = box->text();
        folderTree = window->findChild<QTreeWidget *>() != nullptr;
        window->close();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(message.contains(QLatin1String("Computers cannot be browsed"))) << message.toStdString();
    EXPECT_FALSE(folderTree);
    EXPECT_EQ(dialog.FolderName, QStringLiteral("/tmp"));
}
