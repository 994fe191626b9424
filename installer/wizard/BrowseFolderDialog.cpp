#include "installer/wizard/BrowseFolderDialog.h"
#include "installer/platform/FileNames.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

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

bool TBrowseFolderDialog::Execute(QWidget *owner)
{
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

    QTreeWidgetItem *root = MakeItem(QStringLiteral("/"), QStringLiteral("/"));
    FTree->addTopLevelItem(root);
    SelectStartFolder();
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
    if (focused)
        focused->setFocus();
    return accepted;
}

void TBrowseFolderDialog::SelectStartFolder()
{
    const QString start = ExcludeTrailingPathDelimiter(QDir::cleanPath(FolderName.trimmed()));
    QTreeWidgetItem *item = FTree->topLevelItem(0);
    if (!start.startsWith(QLatin1Char('/')) || !QFileInfo(start).isDir()) {
        // Nothing is selected, so OK stays disabled until the user picks
        // an existing folder.
        FTree->expandItem(item);
        FTree->setCurrentItem(nullptr);
        SelectionChanged(nullptr);
        return;
    }
    for (const QString &name : start.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
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

bool TBrowseFolderDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FWindow && OnWndProc && OnWndProc(this, event))
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace nvqb
