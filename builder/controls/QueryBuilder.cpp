#include "builder/controls/QueryBuilder.h"
#include "builder/controls/TreePanels.h"
#include "builder/controls/TreeViewMetadata.h"
#include "builder/controls/TreeViewQueryStructure.h"
#include "builder/controls/PageControl.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/MenuItemData.h"
#include "classlib/UnitInit.h"
#include "sqlmodel/ModelMessages.h"
#include "support/LanguageSource.h"

#include <QAction>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QPointer>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvQueryBuilder, TnvQueryBuilderModel)

TnvQueryBuilder::TnvQueryBuilder(QWidget *parent) : QWidget(parent), TnvQueryBuilderModel(nullptr)
{
    resize(300, 280);
    // Before the model is complete: completing it updates the panels. The
    // page control fills the area between the trees' panels.
    FPanels = new TnvQueryBuilderPanels(this);
    FPageControl = new TnvQueryBuilderPageControl(this, FPanels->PageArea());
    FPanels->PageArea()->layout()->addWidget(FPageControl);
    AfterConstruction();
}

TnvQueryBuilder::~TnvQueryBuilder()
{
    if (LibraryInitialized())
        QueryBuilderLocalizer()->UnregisterLocalizeNotification(
            TNotifyEvent::Bind<&TnvQueryBuilder::LanguageChanged>(this));
    // The trees listen to the model's container and options: they go first.
    FPanels->DestroyPanels();
    // The model goes while the whole widget still exists, so what its nodes
    // tell their controls reaches a complete object.
    DestroyModel();
}

void TnvQueryBuilder::AfterConstruction()
{
    // Made with new (the constructor completes it) or with Create<> (which
    // completes it once more): the model is built only once.
    if (FConstructed)
        return;
    FConstructed = true;
    TnvQueryBuilderModel::AfterConstruction();
    QueryBuilderLocalizer()->RegisterLocalizeNotification(
        TNotifyEvent::Bind<&TnvQueryBuilder::LanguageChanged>(this), this);
    LanguageChanged(nullptr);
}

void TnvQueryBuilder::SetSQLProperty(const QString &text)
{
    nvQBCatchAll([&] { SetSQL(text); });
}

void TnvQueryBuilder::SetMetadataProperty(const QString &xml)
{
    nvQBCatchAll([&] { SetMetadataXML(xml); });
}

void TnvQueryBuilder::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!ControlsCreated())
        nvQBCatchAll([this] { CreateControls(); });
}

void TnvQueryBuilder::LanguageChanged(TObject *)
{
    // Qt fonts carry no character set (the font engine falls back per
    // script), so only the reading direction follows the language.
    const TnvQBLanguageSourceBase *language = QueryBuilderLocalizer()->CurrentLanguage();
    const Qt::LayoutDirection direction =
        language ? (language->BiDiMode() == bdLeftToRight ? Qt::LeftToRight : Qt::RightToLeft)
                 : QGuiApplication::layoutDirection();
    setLayoutDirection(direction);
    DoUpdateControlParams();
}

TnvTreeViewQueryStructure *TnvQueryBuilder::TreeViewQueryStructure() const { return FPanels->StructureTree(); }

TnvTreeViewMetadata *TnvQueryBuilder::TreeViewMetadata() const { return FPanels->MetadataTree(); }

QWidget *TnvQueryBuilder::PageArea() const { return FPanels->PageArea(); }

bool TnvQueryBuilder::IsPanelResizing() const { return FPanels && FPanels->IsResizing(); }

void TnvQueryBuilder::DoUpdateControlParams()
{
    // A splitter's drag changes nothing else the controls show.
    if (IsPanelResizing())
        return;
    if (FPageControl) {
        FPageControl->setDocumentMode(TabStyle() != tsTabs);
        FPageControl->QueryTabBar()->SetHotTrack(TabHotTrack());
    }
    if (FPanels)
        FPanels->UpdateControlParams();
    TnvQueryBuilderModel::DoUpdateControlParams();
}

void TnvQueryBuilder::SQLUpdated()
{
    TnvQueryBuilderModel::SQLUpdated();
    // The structure tree shows each change of the query. It reads the model,
    // not the bound and counted result statement, which (costing many times
    // an edit of a large query) is still made only when someone reads it.
    if (!ResultWanted() && !IsDestroying())
        UpdateQueryStructure();
}

void TnvQueryBuilder::UpdateQueryStructure()
{
    if (TnvTreeViewQueryStructure *tree = TreeViewQueryStructure())
        tree->UpdateQueryStructure();
}

void TnvQueryBuilder::UpdateTreePosition(TnvQueryBuilderControlOwner *node)
{
    if (TnvTreeViewQueryStructure *tree = TreeViewQueryStructure(); tree && TreeOptions()->TreeVisible())
        tree->UpdateTreePosition(node);
}

namespace {

// Connected (Model set), an action runs its item when triggered; otherwise
// the item is only kept in the action's data.
void FillQMenu(QMenu *menu, const TnvMenuItemData *data, TnvQueryBuilderModel *model)
{
    for (qsizetype i = 0; i < data->Count(); ++i) {
        TnvMenuItemData *item = data->Items(i);
        if (item->IsSeparator()) {
            menu->addSeparator();
            continue;
        }
        if (item->Count() > 0) {
            QMenu *sub = menu->addMenu(item->Caption());
            sub->setEnabled(item->Enabled());
            FillQMenu(sub, item, model);
            continue;
        }
        QAction *action = menu->addAction(item->Caption());
        action->setEnabled(item->Enabled());
        if (item->Checked()) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (item->IsDefault()) {
            QFont font = action->font();
            font.setBold(true);
            action->setFont(font);
        }
        action->setData(QVariant::fromValue(static_cast<void *>(item)));
        if (model)
            QObject::connect(action, &QAction::triggered, menu, [model, item] { model->ClickMenuItem(item); });
    }
}

bool HoldsItem(const TnvMenuItemData *data, const TnvMenuItemData *item)
{
    for (qsizetype i = 0; i < data->Count(); ++i)
        if (data->Items(i) == item || HoldsItem(data->Items(i), item))
            return true;
    return false;
}

} // namespace

QMenu *TnvQueryBuilder::CreateQMenu(QWidget *parent) const
{
    auto *menu = new QMenu(parent);
    FillQMenu(menu, PopupMenu(), const_cast<TnvQueryBuilder *>(this));
    return menu;
}

void TnvQueryBuilder::DoPopupMenu(const QPoint &point)
{
    QPointer<QMenu> menu = new QMenu(this);
    FillQMenu(menu, PopupMenu(), nullptr);
    QAction *chosen = menu->exec(point);
    auto *item = chosen ? static_cast<TnvMenuItemData *>(chosen->data().value<void *>()) : nullptr;
    delete menu.data();
    if (!item)
        return;
    // The widget that asked for the menu may be the one the choice frees (a
    // box's Remove, a bracket's move): the choice runs once that widget's
    // event handler has returned, if the menu it came from is still current.
    QMetaObject::invokeMethod(
        this,
        [this, item] {
            if (HoldsItem(PopupMenu(), item))
                ClickMenuItem(item);
        },
        Qt::QueuedConnection);
}

} // namespace nvqb
