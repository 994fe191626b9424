#include "builder/dialogs/AddObjectForm.h"
#include "builder/dialogs/DialogWidgets.h"
#include "builder/dialogs/FormPosition.h"
#include "builder/model/Datasource.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "support/LocalizerForm.h"
#include "support/MessageTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace nvqb {

namespace {
constexpr int TopHeight = 60;
constexpr int ButtonsHeight = 34;

QListWidget *NewList(QWidget *page, const char *name)
{
    auto *list = new QListWidget(page);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return list;
}

// The object's own name, the last part of the qualified name.
QString LastPartWithoutQuotes(const TSQLQualifiedName *name)
{
    const qsizetype parts = name->GetCount();
    return parts > 1 ? name->GetNameWithoutPrefixes(parts - 1)->GetQualifiedNameWithoutQuotes()
                     : name->GetQualifiedNameWithoutQuotes();
}
} // namespace

TnvAddObjectForm::TnvAddObjectForm(TnvQueryBuilderModel *queryBuilder, TnvMetadataContainer *container,
                                   QWidget *parent)
    : QDialog(parent), FQueryBuilder(queryBuilder), FMetadataContainer(container),
      FOptions(queryBuilder ? queryBuilder->AddObjectFormOptions() : nullptr)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    setWindowTitle(QStringLiteral("Add new object"));
    setMinimumSize(428, 423);

    pTop = NewPanel(this, "pTop");
    // At least 60 high, and as high as the wrapped instruction needs at the
    // dialog's width in the language it is shown in.
    pTop->setMinimumHeight(TopHeight);
    pTop->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    {
        auto *layout = new QVBoxLayout(pTop);
        layout->setContentsMargins(8, 6, 8, 4);
        layout->setSpacing(4);
        lInstruction = NewLabel(
            pTop, "lInstruction",
            QStringLiteral("Select an object and press the \"Add Object\" button to add new object to the query"));
        lInstruction->setWordWrap(true);
        auto *line = new QHBoxLayout;
        lSchemas = NewLabel(pTop, "lSchemas", QStringLiteral("Filter objects by Schema name:"));
        cbSchemas = new QComboBox(pTop);
        cbSchemas->setObjectName(QStringLiteral("cbSchemas"));
        cbSchemas->setEditable(false);
        lSchemas->setBuddy(cbSchemas);
        line->addWidget(lSchemas);
        line->addWidget(cbSchemas, 1);
        layout->addWidget(lInstruction);
        layout->addLayout(line);
    }

    pcObjects = new QTabWidget(this);
    pcObjects->setObjectName(QStringLiteral("pcObjects"));
    auto page = [this](const char *name, const char *listName, const QString &caption, QListWidget *&list) {
        QWidget *sheet = NewPanel(nullptr, name);
        auto *layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(4, 4, 4, 4);
        list = NewList(sheet, listName);
        layout->addWidget(list);
        pcObjects->addTab(sheet, caption);
        connect(list, &QListWidget::itemSelectionChanged, this, [this] { lListViewChange(); });
        connect(list, &QListWidget::itemDoubleClicked, this, [this] { lListViewDblClick(); });
        return sheet;
    };
    tsTables = page("tsTables", "lvTables", QStringLiteral("Tables"), lvTables);
    cbAddFK = new QCheckBox(QStringLiteral("Create links from foreign keys"), tsTables);
    cbAddFK->setObjectName(QStringLiteral("cbAddFK"));
    cbAddFK->setChecked(true);
    tsTables->layout()->addWidget(cbAddFK);
    tsViews = page("tsViews", "lvViews", QStringLiteral("Views"), lvViews);
    tsProcedures = page("tsProcedures", "lvProcedures", QStringLiteral("Procedures"), lvProcedures);
    tsSynonyms = page("tsSynonyms", "lvSynonyms", QStringLiteral("Synonyms"), lvSynonyms);

    pButtons = NewButtonPanel(this, ButtonsHeight, {&bAdd, &bClose},
                              {{"bAdd", QStringLiteral("&Add Object")}, {"bClose", QStringLiteral("Close")}});
    bAdd->setEnabled(false);
    bClose->setDefault(true);
    connect(bAdd, &QPushButton::clicked, this, [this] { nvQBCatchAll([this] { bAddClick(); }); });
    connect(bClose, &QPushButton::clicked, this, [this] { bCloseClick(); });
    connect(pcObjects, &QTabWidget::currentChanged, this, [this] { pcObjectsChange(); });
    connect(cbSchemas, &QComboBox::activated, this, [this] { nvQBCatchAll([this] { cbSchemasChange(); }); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pTop);
    layout->addWidget(pcObjects, 1);
    layout->addWidget(pButtons);

    Localizer = NewFormLocalizer(this, {"Caption", "pTop.lInstruction.Caption", "pTop.lSchemas.Caption",
                                        "pcObjects.tsTables.Caption", "pcObjects.tsViews.Caption",
                                        "pcObjects.tsProcedures.Caption", "pcObjects.tsSynonyms.Caption",
                                        "pcObjects.tsTables.cbAddFK.Caption", "pButtons.bAdd.Caption",
                                        "pButtons.bClose.Caption"});

    // The options give the size while they still hold the stored one; from
    // then on they read the dialog's.
    LoadOptions();
    pcObjects->setCurrentIndex(0);
    if (FOptions) {
        FOptions->SetForm(this);
        FOptions->RegisterUpdateNotification(TNotifyEvent::Bind<&TnvAddObjectForm::OptionsChanged>(this));
    }
}

TnvAddObjectForm::~TnvAddObjectForm()
{
    if (FOptions) {
        FOptions->UnregisterUpdateNotification(TNotifyEvent::Bind<&TnvAddObjectForm::OptionsChanged>(this));
        if (FOptions->Form() == this)
            FOptions->SetForm(nullptr);
    }
}

int TnvAddObjectForm::ImageIndexOfPage(TPage page) const
{
    if (!FOptions)
        return -1;
    switch (page) {
    case pgTables:
        return FOptions->ImageIndexTables();
    case pgViews:
        return FOptions->ImageIndexViews();
    case pgProcedures:
        return FOptions->ImageIndexProcs();
    case pgSynonyms:
        return FOptions->ImageIndexSynonyms();
    }
    return -1;
}

QListWidget *TnvAddObjectForm::ListOfPage(TPage page) const
{
    switch (page) {
    case pgTables:
        return lvTables;
    case pgViews:
        return lvViews;
    case pgProcedures:
        return lvProcedures;
    case pgSynonyms:
        return lvSynonyms;
    }
    return nullptr;
}

QListWidget *TnvAddObjectForm::CurrentList() const
{
    QWidget *sheet = pcObjects->currentWidget();
    return sheet ? sheet->findChild<QListWidget *>() : nullptr;
}

void TnvAddObjectForm::LoadOptions()
{
    if (!FOptions)
        return;
    const bool visible[4] = {FOptions->TablesVisible(), FOptions->ViewsVisible(), FOptions->ProceduresVisible(),
                             FOptions->SynonymsVisible()};
    const TnvImageList small = FOptions->ImageListSmall();
    const TnvImageList large = FOptions->ImageListLarge();
    for (int i = 0; i < 4; ++i) {
        const TPage page = TPage(i);
        QListWidget *list = ListOfPage(page);
        const int tab = pcObjects->indexOf(list->parentWidget());
        pcObjects->setTabVisible(tab, visible[i]);
        const int imageIndex = ImageIndexOfPage(page);
        pcObjects->setTabIcon(tab, imageIndex >= 0 && imageIndex < small.size() ? small[imageIndex] : QIcon());
        switch (FOptions->ListViewStyle()) {
        case vsIcon:
            list->setViewMode(QListView::IconMode);
            list->setIconSize(QSize(32, 32));
            break;
        case vsSmallIcon:
            list->setViewMode(QListView::ListMode);
            list->setFlow(QListView::LeftToRight);
            list->setWrapping(true);
            break;
        case vsList:
            list->setViewMode(QListView::ListMode);
            list->setFlow(QListView::TopToBottom);
            list->setWrapping(true);
            break;
        case vsReport:
            list->setViewMode(QListView::ListMode);
            list->setFlow(QListView::TopToBottom);
            list->setWrapping(false);
            break;
        }
        const TnvImageList &images = FOptions->ListViewStyle() == vsIcon ? large : small;
        const QIcon icon = imageIndex >= 0 && imageIndex < images.size() ? images[imageIndex] : QIcon();
        for (int row = 0; row < list->count(); ++row)
            list->item(row)->setIcon(icon);
    }
    TnvAddObjectSizeConstraints *constraints = FOptions->Constraints();
    setMinimumSize(constraints->MinWidth(), constraints->MinHeight());
    resize(FOptions->Width(), FOptions->Height());
}

void TnvAddObjectForm::NotifyOptionsChanged()
{
    LoadOptions();
    LoadMetadata();
}

void TnvAddObjectForm::OptionsChanged(TObject *)
{
    if (!FWritingBack)
        nvQBCatchAll([this] { NotifyOptionsChanged(); });
}

void TnvAddObjectForm::LoadSchemas()
{
    TnvBaseSyntaxProvider *provider = FQueryBuilder ? FQueryBuilder->SyntaxProvider() : nullptr;
    QString previous;
    if (const TSQLQualifiedName *current = GetCurrentSchema())
        previous = current->GetQualifiedName();
    FSchemas.clear();
    if (FMetadataContainer && provider) {
        for (qsizetype i = 0; i < FMetadataContainer->Count(); ++i) {
            const TSQLQualifiedName *fullName = FMetadataContainer->Items(i)->FullName();
            if (!fullName)
                continue;
            TOwned<TSQLQualifiedName> schema = fullName->GetNameWithoutNames(1);
            const bool known = std::any_of(FSchemas.begin(), FSchemas.end(), [&](const auto &other) {
                return provider->IsQualifiedNamesEqual(other.get(), schema.get());
            });
            if (!known)
                FSchemas.push_back(std::move(schema));
        }
        std::stable_sort(FSchemas.begin(), FSchemas.end(), [provider](const auto &a, const auto &b) {
            return provider->CompareQualifiedNames(a.get(), b.get()) < 0;
        });
    }
    cbSchemas->clear();
    cbSchemas->addItem(nvQBMessage(nvQBAllObjects));
    int chosen = 0;
    for (size_t i = 0; i < FSchemas.size(); ++i) {
        cbSchemas->addItem(FSchemas[i]->GetQualifiedNameWithoutQuotes());
        if (!previous.isEmpty() && FSchemas[i]->GetQualifiedName() == previous)
            chosen = int(i) + 1;
    }
    cbSchemas->setCurrentIndex(chosen);
}

bool TnvAddObjectForm::CanFilterObjects() const
{
    // Objects without a schema sort first as an empty name; any named
    // schema beside them still narrows the lists.
    return std::any_of(FSchemas.begin(), FSchemas.end(),
                       [](const auto &schema) { return !IsQualifiedNameEmpty(schema.get()); });
}

const TSQLQualifiedName *TnvAddObjectForm::GetCurrentSchema() const
{
    const int index = cbSchemas->currentIndex();
    return index >= 1 && size_t(index) <= FSchemas.size() ? FSchemas[size_t(index - 1)].get() : nullptr;
}

void TnvAddObjectForm::FillPage(TPage page)
{
    QListWidget *list = ListOfPage(page);
    std::vector<TOwned<TSQLQualifiedName>> &names = FNames[page];
    list->clear();
    names.clear();
    if (!FQueryBuilder || !FQueryBuilder->MetadataContainer())
        return;
    QStringList shortNames;
    QList<TSQLQualifiedName *> fullNames;
    switch (page) {
    case pgTables:
        FQueryBuilder->GetTableNames(shortNames, false, &fullNames);
        break;
    case pgViews:
        FQueryBuilder->GetViewNames(shortNames, false, &fullNames);
        break;
    case pgProcedures:
        FQueryBuilder->GetProcedureNames(shortNames, false, &fullNames);
        break;
    case pgSynonyms:
        FQueryBuilder->GetSynonymNames(shortNames, false, &fullNames);
        break;
    }
    TnvBaseSyntaxProvider *provider = FQueryBuilder->SyntaxProvider();
    const bool filtering = CanFilterObjects() && provider;
    const TSQLQualifiedName *schema = filtering ? GetCurrentSchema() : nullptr;
    const int imageIndex = ImageIndexOfPage(page);
    const TnvImageList images = FOptions ? (FOptions->ListViewStyle() == vsIcon ? FOptions->ImageListLarge()
                                                                                  : FOptions->ImageListSmall())
                                         : TnvImageList();
    for (qsizetype i = 0; i < fullNames.size(); ++i) {
        const TSQLQualifiedName *fullName = fullNames[i];
        if (!fullName)
            continue;
        QString caption = fullName->GetQualifiedNameWithoutQuotes();
        if (schema) {
            // Whole parts: schema "s" holds "s.t" but not "sales.t".
            TOwned<TSQLQualifiedName> objectSchema = fullName->GetNameWithoutNames(1);
            if (!provider->IsQualifiedNamesEqual(objectSchema.get(), schema))
                continue;
            caption = LastPartWithoutQuotes(fullName);
        }
        auto *item = new QListWidgetItem(caption, list);
        if (imageIndex >= 0 && imageIndex < images.size())
            item->setIcon(images[imageIndex]);
        item->setData(Qt::UserRole, qulonglong(names.size()));
        names.push_back(fullName->Clone());
    }
}

void TnvAddObjectForm::LoadMetadata()
{
    if (FQueryBuilder && FQueryBuilder->MetadataContainer())
        for (int i = 0; i < 4; ++i)
            FillPage(TPage(i));
    UpdateAddObjectState();
}

void TnvAddObjectForm::UpdateAddObjectState()
{
    QListWidget *list = CurrentList();
    bAdd->setEnabled(list && !list->selectedItems().isEmpty());
}

void TnvAddObjectForm::Prepare()
{
    LoadOptions();
    LoadSchemas();
    LoadMetadata();
}

int TnvAddObjectForm::ShowModal()
{
    Prepare();
    PlaceForm(this, FOptions ? FOptions->Position() : poMainFormCenter);
    return exec();
}

void TnvAddObjectForm::bAddClick()
{
    if (!FQueryBuilder || !FQueryBuilder->CurrentSubquery())
        return;
    TnvUnionSubQuery *part = FQueryBuilder->CurrentSubquery()->CurrentUnionSubQuery();
    QListWidget *list = CurrentList();
    if (!part || !list)
        return;
    const TPage page = list == lvTables       ? pgTables
                       : list == lvViews      ? pgViews
                       : list == lvProcedures ? pgProcedures
                                              : pgSynonyms;
    // The selected rows in list order, taken before adding changes anything.
    QList<std::pair<const TSQLQualifiedName *, QString>> chosen;
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem *item = list->item(row);
        if (!item->isSelected())
            continue;
        const size_t index = size_t(item->data(Qt::UserRole).toULongLong());
        if (index < FNames[page].size())
            chosen.append({FNames[page][index].get(), item->text()});
    }
    for (const auto &[name, caption] : chosen) {
        switch (page) {
        case pgTables:
            if (TnvDatasource *datasource = part->AddObject(name); datasource && cbAddFK->isChecked())
                part->AddFKLinksForObject(datasource);
            break;
        case pgViews:
        case pgSynonyms:
            part->AddObject(name);
            break;
        case pgProcedures:
            part->AddStoredProc(name, caption + u'_');
            break;
        }
    }
}

void TnvAddObjectForm::bCloseClick() { reject(); }

void TnvAddObjectForm::lListViewDblClick()
{
    QListWidget *list = CurrentList();
    if (list && list->currentItem())
        nvQBCatchAll([this] { bAddClick(); });
}

void TnvAddObjectForm::lListViewChange() { UpdateAddObjectState(); }

void TnvAddObjectForm::pcObjectsChange() { UpdateAddObjectState(); }

void TnvAddObjectForm::cbSchemasChange() { LoadMetadata(); }

void TnvAddObjectForm::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    nvQBCatchAll([this] { FormHide(); });
}

void TnvAddObjectForm::FormHide()
{
    if (!FOptions)
        return;
    // The options read the open dialog's size; they are detached for the
    // moment so that the stored size takes the final one.
    const QSize final = size();
    FWritingBack = true;
    FOptions->SetForm(nullptr);
    TnvScopeExit reattach([this] {
        FOptions->SetForm(this);
        FWritingBack = false;
    });
    TnvUpdateScope scope(FOptions);
    FOptions->SetWidth(final.width());
    FOptions->SetHeight(final.height());
}

// ---------------------------------------------------------------------------
// TnvAddObjectFormHolder

TnvAddObjectFormHolder::TnvAddObjectFormHolder(TnvQueryBuilderModel *queryBuilder) : FQueryBuilder(queryBuilder) {}

TnvAddObjectFormHolder::~TnvAddObjectFormHolder() { delete FForm.data(); }

void TnvAddObjectFormHolder::ShowModal()
{
    if (!FForm)
        FForm = new TnvAddObjectForm(FQueryBuilder, FQueryBuilder->MetadataContainer(), DialogParentOf(FQueryBuilder));
    FForm->ShowModal();
}

} // namespace nvqb
