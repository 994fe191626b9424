#include "installer/wizard/BrowseFolderDialog.h"
#include "installer/platform/FileNames.h"
#include "installer/wizard/ApplicationHelp.h"
#include "installer/wizard/GuardedCall.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>
#include <optional>

namespace nvqb {

namespace {

constexpr int PathRole = Qt::UserRole;
// Set on an item whose subfolders have been read.
constexpr int PopulatedRole = Qt::UserRole + 1;

QTreeWidgetItem *MakeItem(const QString &text, const QString &path)
{
    auto *item = new QTreeWidgetItem(QStringList{text});
    item->setData(0, PathRole, path);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

QString CleanFolder(const QString &folder)
{
    return ExcludeTrailingPathDelimiter(QDir::cleanPath(folder.trimmed()));
}

// The names that lead from the folder down to the path; none when the path
// does not lie in the folder.
std::optional<QStringList> NamesBelow(const QString &path, const QString &folder)
{
    if (!path.startsWith(QLatin1Char('/')))
        return std::nullopt;
    if (folder == QLatin1String("/"))
        return path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (path == folder)
        return QStringList();
    if (!path.startsWith(folder + QLatin1Char('/')))
        return std::nullopt;
    return path.mid(folder.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

// As NamesBelow, or through the paths the links on the way lead to (a
// desktop folder that is a link to another place).
std::optional<QStringList> NamesBelowFollowingLinks(const QString &path, const QString &folder)
{
    if (std::optional<QStringList> names = NamesBelow(path, folder))
        return names;
    const QString canonicalPath = QFileInfo(path).canonicalFilePath();
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    if (canonicalPath.isEmpty() || canonicalFolder.isEmpty())
        return std::nullopt;
    return NamesBelow(canonicalPath, canonicalFolder);
}

} // namespace

TBrowseFolderDialog::TBrowseFolderDialog(QObject *parent) : QObject(parent) {}

TBrowseFolderDialog::~TBrowseFolderDialog() = default;

void TBrowseFolderDialog::Populate(QTreeWidgetItem *item)
{
    if (item->data(0, PopulatedRole).toBool())
        return;
    item->setData(0, PopulatedRole, true);
    const QString path = item->data(0, PathRole).toString();
    const QStringList names = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : names)
        item->addChild(MakeItem(name, path == QLatin1String("/") ? path + name : path + QLatin1Char('/') + name));
    if (names.isEmpty())
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

QString TBrowseFolderDialog::DesktopFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return CleanFolder(QFileInfo(desktop).absoluteFilePath());
    const QString home = QDir::homePath();
    return QFileInfo(home).isDir() ? CleanFolder(home) : QStringLiteral("/");
}

QString TBrowseFolderDialog::RootFolder(const QString &start) const
{
    if (!DesktopRoot || BrowseKind != bkFolders)
        return QStringLiteral("/");
    const QString desktop = DesktopFolder();
    if (start.isEmpty() || NamesBelowFollowingLinks(start, desktop))
        return desktop;
    // The start folder is not below the desktop: the whole tree shows it.
    return QStringLiteral("/");
}

bool TBrowseFolderDialog::Execute(QWidget *owner)
{
    if (BrowseKind == bkComputers) {
        QMessageBox::warning(owner, QStringLiteral("Browse for Computer"),
                             QStringLiteral("Computers cannot be browsed: this system has no network neighbourhood "
                                            "to list them from. Choose a folder instead."));
        return false;
    }
    const QPointer<QWidget> focused = QApplication::focusWidget();
    QDialog window(owner);
    window.setWindowTitle(QStringLiteral("Browse for Folder"));
    window.setObjectName(QStringLiteral("BrowseFolderWindow"));
    window.setWindowModality(Qt::ApplicationModal);
    window.resize(360, 420);
    FWindow = &window;
    FSelectedFolder.clear();

    auto *text = new QLabel(DialogText, &window);
    text->setWordWrap(true);
    FTree = new QTreeWidget(&window);
    FTree->setObjectName(QStringLiteral("tvFolders"));
    FTree->setHeaderHidden(true);
    FTree->setColumnCount(1);
    FTree->setSelectionMode(QAbstractItemView::SingleSelection);
    FOKButton = new QPushButton(QStringLiteral("OK"), &window);
    FOKButton->setObjectName(QStringLiteral("btnOK"));
    FOKButton->setDefault(true);
    FOKButton->setEnabled(false);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), &window);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->setObjectName(QStringLiteral("Buttons"));
    buttons->addStretch(1);
    if (HelpContext != 0) {
        FHelpButton = new QPushButton(QStringLiteral("&Help"), &window);
        FHelpButton->setObjectName(QStringLiteral("btnHelp"));
        FHelpButton->setAutoDefault(false);
        buttons->addWidget(FHelpButton);
        connect(FHelpButton, &QPushButton::clicked, this, [this] { Help(); });
    }
    buttons->addWidget(FOKButton);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(text);
    layout->addWidget(FTree, 1);
    layout->addLayout(buttons);

    connect(FTree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) { Populate(item); });
    connect(FTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { SelectionChanged(current); });
    connect(FOKButton, &QPushButton::clicked, &window, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, &window, &QDialog::reject);
    window.installEventFilter(this);

    const QString start = CleanFolder(FolderName);
    const QString rootFolder = RootFolder(start);
    const QString rootName = rootFolder == QLatin1String("/") ? rootFolder : QFileInfo(rootFolder).fileName();
    FTree->addTopLevelItem(MakeItem(rootName, rootFolder));
    SelectStartFolder(start);
    if (Position == poScreenCenter) {
        window.adjustSize();
        if (QScreen *screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen())
            window.move(screen->availableGeometry().center() - window.rect().center());
    }
    if (OnInitialized)
        OnInitialized(this);
    if (OnCustomize)
        OnCustomize(this, &window);

    const bool accepted = window.exec() == QDialog::Accepted;
    if (accepted)
        FolderName = ExcludeTrailingPathDelimiter(FSelectedFolder);
    window.removeEventFilter(this);
    FWindow = nullptr;
    FTree = nullptr;
    FOKButton = nullptr;
    FHelpButton = nullptr;
    if (focused)
        focused->setFocus();
    return accepted;
}

void TBrowseFolderDialog::SelectStartFolder(const QString &start)
{
    QTreeWidgetItem *item = FTree->topLevelItem(0);
    const std::optional<QStringList> names =
        QFileInfo(start).isDir() ? NamesBelowFollowingLinks(start, item->data(0, PathRole).toString()) : std::nullopt;
    if (!names) {
        // Nothing is selected, so OK stays disabled until the user picks
        // an existing folder.
        FTree->expandItem(item);
        FTree->setCurrentItem(nullptr);
        SelectionChanged(nullptr);
        return;
    }
    for (const QString &name : *names) {
        Populate(item);
        QTreeWidgetItem *child = nullptr;
        for (int i = 0; i < item->childCount() && !child; ++i)
            if (item->child(i)->text(0) == name)
                child = item->child(i);
        if (!child)
            break; // a hidden folder below is not listed: select its parent
        FTree->expandItem(item);
        item = child;
    }
    FTree->setCurrentItem(item);
    FTree->scrollToItem(item);
    SelectionChanged(item);
}

void TBrowseFolderDialog::SelectionChanged(QTreeWidgetItem *item)
{
    const QString path = item ? item->data(0, PathRole).toString() : QString();
    FSelectedFolder = !path.isEmpty() && QFileInfo(path).isDir() ? path : QString();
    bool okEnabled = !FSelectedFolder.isEmpty();
    if (OnValidate)
        OnValidate(this, FSelectedFolder, okEnabled);
    if (FOKButton)
        FOKButton->setEnabled(okEnabled);
    if (OnSelChanged)
        OnSelChanged(this);
}

QPushButton *TBrowseFolderDialog::AddButton(const QString &text)
{
    if (!FWindow)
        return nullptr;
    auto *button = new QPushButton(text, FWindow);
    auto *buttons = FWindow->findChild<QHBoxLayout *>(QStringLiteral("Buttons"));
    buttons->insertWidget(buttons->indexOf(FOKButton), button);
    return button;
}

void TBrowseFolderDialog::PostClose()
{
    if (FWindow)
        QMetaObject::invokeMethod(FWindow.data(), &QDialog::reject, Qt::QueuedConnection);
}

void TBrowseFolderDialog::Help()
{
    if (HelpContext == 0)
        return;
    // The host's routine runs from the window's events: what it raises is
    // shown, not let into the event loop.
    GuardedCall(FWindow, [this] {
        if (OnHelp)
            OnHelp(this, HelpContext);
        else
            ApplicationHelpContext(HelpContext);
    });
}

bool TBrowseFolderDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != FWindow)
        return QObject::eventFilter(watched, event);
    if (OnWndProc && OnWndProc(this, event))
        return true;
    // F1 reaches the window from whichever of its controls has the focus,
    // as none of them takes that key.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F1 &&
        HelpContext != 0) {
        Help();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace nvqb
