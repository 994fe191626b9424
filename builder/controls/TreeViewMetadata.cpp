#include "builder/controls/TreeViewMetadata.h"
#include "builder/controls/DragFormats.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/model/Datasource.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/UnitInit.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/sql/QualifiedName.h"

#include <QMimeData>
#include <QMouseEvent>
#include <algorithm>

namespace nvqb {

namespace {

enum TObjectKind { okTable, okView, okProcedure, okSynonym, okOther };

TObjectKind KindOf(const TnvMetadataObject *object)
{
    // Synonyms first: whatever a synonym stands for, it is listed as one.
    if (object->Is<TnvMetadataSynonym>())
        return okSynonym;
    if (object->Is<TnvMetadataTable>())
        return okTable;
    if (object->Is<TnvMetadataView>())
        return okView;
    if (object->Is<TnvMetadataProcedure>())
        return okProcedure;
    return okOther;
}

// What the comparers read of an object, taken once: a sort of many
// thousand objects would otherwise build the same name texts again and
// again.
struct TSortEntry {
    TnvMetadataObject *Object;
    TObjectKind Kind;
    // The database's name parts, the leftmost first.
    QStringList Database;
    QString Schema;
    QString Name;
};

int CompareText(const QString &a, const QString &b) { return QString::compare(a, b, Qt::CaseInsensitive); }

// Fewer parts first; with as many parts, compared from the leftmost one.
int CompareDatabase(const QStringList &a, const QStringList &b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (const int result = CompareText(a[i], b[i]))
            return result;
    return 0;
}

int CompareKind(TObjectKind a, TObjectKind b) { return a == b ? 0 : (a < b ? -1 : 1); }

int Compare(const TSortEntry &a, const TSortEntry &b, TnvQBObjectsSortingType sorting)
{
    int result = 0;
    switch (sorting) {
    case ostName:
        break;
    case ostTypeName:
        result = CompareKind(a.Kind, b.Kind);
        break;
    case ostSchemaTypeName:
        if ((result = CompareDatabase(a.Database, b.Database)) != 0)
            return result;
        if ((result = CompareText(a.Schema, b.Schema)) != 0)
            return result;
        if ((result = CompareKind(a.Kind, b.Kind)) != 0)
            return result;
        return CompareText(a.Name, b.Name);
    }
    if (result != 0)
        return result;
    if ((result = CompareDatabase(a.Database, b.Database)) != 0)
        return result;
    if ((result = CompareText(a.Schema, b.Schema)) != 0)
        return result;
    return CompareText(a.Name, b.Name);
}

QStringList DatabaseParts(const TnvMetadataObject *object)
{
    QStringList parts;
    if (const TSQLQualifiedName *database = object->Database())
        for (qsizetype i = database->GetCount() - 1; i >= 0; --i)
            parts.append(database->GetItems(i)->Text());
    return parts;
}

bool KindShown(const TnvMetadataTreeOptions *options, TObjectKind kind, bool system)
{
    switch (kind) {
    case okTable:
        return system ? options->ShowSystemTables() : options->ShowUserTables();
    case okView:
        return system ? options->ShowSystemViews() : options->ShowUserViews();
    case okProcedure:
        return system ? options->ShowSystemProcedures() : options->ShowUserProcedures();
    case okSynonym:
        return system ? options->ShowSystemSynonyms() : options->ShowUserSynonyms();
    case okOther:
        break;
    }
    return false;
}

int ObjectImage(const TnvMetadataTreeOptions *options, TObjectKind kind, bool system)
{
    switch (kind) {
    case okTable:
        return system ? options->SystemTablesImageIndex() : options->UserTablesImageIndex();
    case okView:
        return system ? options->SystemViewsImageIndex() : options->UserViewsImageIndex();
    case okProcedure:
        return system ? options->SystemProceduresImageIndex() : options->UserProceduresImageIndex();
    case okSynonym:
        return system ? options->SystemSynonymsImageIndex() : options->UserSynonymsImageIndex();
    case okOther:
        break;
    }
    return -1;
}

QString KindGroupText(TObjectKind kind)
{
    switch (kind) {
    case okTable:
        return QStringLiteral("Tables");
    case okView:
        return QStringLiteral("Views");
    case okProcedure:
        return QStringLiteral("Procedures");
    default:
        return QStringLiteral("Synonyms");
    }
}

int KindGroupImage(const TnvMetadataTreeOptions *options, TObjectKind kind)
{
    switch (kind) {
    case okTable:
        return options->TablesNodeImageIndex();
    case okView:
        return options->ViewsNodeImageIndex();
    case okProcedure:
        return options->ProceduresNodeImageIndex();
    default:
        return options->SynonymsNodeImageIndex();
    }
}

enum TGroupLevel { glDatabase, glSchema, glType };
enum TNodeText { ntFullName, ntSchemedName, ntName };

struct TGrouping {
    QList<TGroupLevel> Levels;
    TNodeText Text;
};

TGrouping GroupingOf(TnvQBObjectsGroupingType type)
{
    switch (type) {
    case ogtNone:
        return {{}, ntFullName};
    case ogtDatabase:
        return {{glDatabase}, ntSchemedName};
    case ogtType:
        return {{glType}, ntFullName};
    case ogtDatabaseSchema:
        return {{glDatabase, glSchema}, ntName};
    case ogtDatabaseType:
        return {{glDatabase, glType}, ntSchemedName};
    case ogtTypeDatabase:
        return {{glType, glDatabase}, ntSchemedName};
    case ogtDatabaseSchemaType:
        return {{glDatabase, glSchema, glType}, ntName};
    case ogtDatabaseTypeSchema:
        return {{glDatabase, glType, glSchema}, ntName};
    case ogtTypeDatabaseSchema:
        return {{glType, glDatabase, glSchema}, ntName};
    }
    return {{glDatabase, glSchema}, ntName};
}

// A procedure's box is named after the procedure.
QString ProcedureAlias(const TnvMetadataObject *object) { return object->GetNameStrNotQuoted() + QLatin1Char('_'); }

} // namespace

TnvTreeViewMetadata::TnvTreeViewMetadata(TnvQueryBuilder *queryBuilder, QWidget *parent)
    : TnvTreeView(queryBuilder, parent)
{
    queryBuilder->MetadataContainer()->RegisterUpdateNotification(
        TNotifyEvent::Bind<&TnvTreeViewMetadata::MetadataContainerUpdated>(this));
    queryBuilder->TreeOptionsMetadata()->RegisterUpdateNotification(
        TNotifyEvent::Bind<&TnvTreeViewMetadata::MetadataTreeOptionsUpdated>(this));
    // The current database's node is named in the current language.
    QueryBuilderLocalizer()->RegisterLocalizeNotification(
        TNotifyEvent::Bind<&TnvTreeViewMetadata::LanguageChanged>(this), this);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    Nodes()->DragTypes = {QString::fromLatin1(MetadataObjectMimeType)};
    Nodes()->DragData = [this](const TnvTreeNode *node) {
        return CreateDragData(this, node->DataAs<TnvMetadataObject>());
    };
}

TnvTreeViewMetadata::~TnvTreeViewMetadata()
{
    MarkDestroying();
    if (LibraryInitialized())
        QueryBuilderLocalizer()->UnregisterLocalizeNotification(
            TNotifyEvent::Bind<&TnvTreeViewMetadata::LanguageChanged>(this));
    // The query builder frees its trees before its container and options.
    if (TnvMetadataContainer *container = QueryBuilder()->MetadataContainer())
        container->UnregisterUpdateNotification(
            TNotifyEvent::Bind<&TnvTreeViewMetadata::MetadataContainerUpdated>(this));
    if (TnvMetadataTreeOptions *options = QueryBuilder()->TreeOptionsMetadata())
        options->UnregisterUpdateNotification(
            TNotifyEvent::Bind<&TnvTreeViewMetadata::MetadataTreeOptionsUpdated>(this));
}

void TnvTreeViewMetadata::MetadataContainerUpdated(TObject *)
{
    if (!IsDestroying())
        ReloadNodes(false);
}

void TnvTreeViewMetadata::MetadataTreeOptionsUpdated(TObject *)
{
    // Dragging the panel's splitter writes its width into the options: that
    // changes nothing the tree shows.
    if (!IsDestroying() && !QueryBuilder()->IsPanelResizing())
        ReloadNodes(true);
}

void TnvTreeViewMetadata::LanguageChanged(TObject *)
{
    if (!IsDestroying())
        ReloadNodes(true);
}

bool TnvTreeViewMetadata::CanReloadNow()
{
    // A hidden tree loads when it is shown: a host that loads its metadata
    // before showing the control fills the tree once.
    return isVisible();
}

void TnvTreeViewMetadata::ReloadNodes(bool force)
{
    if (IsDestroying())
        return;
    TnvMetadataContainer *container = QueryBuilder()->MetadataContainer();
    if (!container)
        return;
    if (!force && !FReloadPending && !container->ObjectsUpdated())
        return;
    if (!CanReloadNow()) {
        FReloadPending = true;
        return;
    }
    FReloadPending = false;

    const TnvMetadataTreeOptions *options = QueryBuilder()->TreeOptionsMetadata();
    std::vector<TSortEntry> entries;
    entries.reserve(size_t(container->Count()));
    for (qsizetype i = 0; i < container->Count(); ++i) {
        TnvMetadataObject *object = container->Items(i);
        entries.push_back({object, KindOf(object), DatabaseParts(object), object->GetSchemaStrNotQuoted(),
                           object->GetNameStrNotQuoted()});
    }
    const TnvQBObjectsSortingType sorting = options->SortingType();
    std::stable_sort(entries.begin(), entries.end(), [sorting](const TSortEntry &a, const TSortEntry &b) {
        return Compare(a, b, sorting) < 0;
    });

    // The groups made so far under each parent: a schema of thousands of
    // objects would otherwise be looked for among all of them each time.
    QHash<QPair<TnvTreeNode *, QString>, TnvTreeNode *> groups;
    Nodes()->SetImageList(options->ImageList());
    BeginUpdate();
    TnvScopeExit close([this] { EndUpdate(); });
    Nodes()->Clear();
    for (const TSortEntry &entry : entries)
        if (entry.Kind != okOther && entry.Object->Visible() && KindShown(options, entry.Kind, entry.Object->System()))
            PlaceObject(entry.Object, groups);
}

void TnvTreeViewMetadata::ApplyExpansion()
{
    // Every top-level node with all that it holds: that is every node.
    expandAll();
}

void TnvTreeViewMetadata::PlaceObject(TnvMetadataObject *object,
                                      QHash<QPair<TnvTreeNode *, QString>, TnvTreeNode *> &groups)
{
    const TnvMetadataTreeOptions *options = QueryBuilder()->TreeOptionsMetadata();
    const TObjectKind kind = KindOf(object);
    const TGrouping grouping = GroupingOf(options->GroupingType());
    TnvTreeNode *parent = nullptr;
    auto level = [&](const QString &text, int image) {
        const QPair<TnvTreeNode *, QString> key(parent, text);
        TnvTreeNode *group = groups.value(key);
        if (!group) {
            group = Nodes()->AddChild(parent, text, image);
            groups.insert(key, group);
        }
        parent = group;
    };
    for (TGroupLevel groupLevel : grouping.Levels) {
        switch (groupLevel) {
        case glDatabase: {
            QString database = object->GetDatabaseStrNotQuoted();
            if (database.isEmpty())
                database = nvQBMessage("nvQBMetadataTreeCurrentDatabase", QStringLiteral("(current database)"));
            level(database, options->DatabaseImageIndex());
            break;
        }
        case glSchema: {
            QString schema = object->GetSchemaStrNotQuoted();
            if (schema.isEmpty())
                if (const TnvBaseSyntaxProvider *provider = QueryBuilder()->SyntaxProvider();
                    provider && provider->IsSupportSchemas())
                    schema = provider->GetEmptySchemaName();
            if (!schema.isEmpty())
                level(schema, options->SchemaImageIndex());
            break;
        }
        case glType:
            level(KindGroupText(kind), KindGroupImage(options, kind));
            break;
        }
    }
    QString text;
    switch (grouping.Text) {
    case ntFullName:
        text = object->GetFullNameStrNotQuoted();
        break;
    case ntSchemedName:
        text = object->GetSchemedNameStrNotQuoted();
        break;
    case ntName:
        text = object->GetNameStrNotQuoted();
        break;
    }
    TnvTreeNode *node = Nodes()->AddChild(parent, text, ObjectImage(options, kind, object->System()));
    node->SetData(object, object);
}

TnvDatasource *TnvTreeViewMetadata::AddMetadataObject(TnvMetadataObject *object)
{
    return AddMetadataObjectAt(object, QPoint(0, 0));
}

TnvDatasource *TnvTreeViewMetadata::AddMetadataObjectAt(TnvMetadataObject *object, const QPoint &point)
{
    TnvSubQuery *subQuery = QueryBuilder()->CurrentSubquery();
    TnvUnionSubQuery *part = subQuery ? subQuery->CurrentUnionSubQuery() : nullptr;
    if (!object || !part)
        return nullptr;
    if (object->Is<TnvMetadataProcedure>())
        return part->AddStoredProcAt(object->GetFullNameStr(), point, ProcedureAlias(object));
    TnvDataSourceObject *datasource = part->AddObjectAt(object->FullName(), point);
    if (datasource)
        part->AddFKLinksForObject(datasource);
    return datasource;
}

TnvDatasource *TnvTreeViewMetadata::AddMetadataObjectFromNode(TnvTreeNode *node)
{
    return AddMetadataObjectFromNodeAt(node, QPoint(0, 0));
}

TnvDatasource *TnvTreeViewMetadata::AddMetadataObjectFromNodeAt(TnvTreeNode *node, const QPoint &point)
{
    TnvMetadataObject *object = node ? node->DataAs<TnvMetadataObject>() : nullptr;
    return object ? AddMetadataObjectAt(object, point) : nullptr;
}

QMimeData *TnvTreeViewMetadata::CreateDragData(QObject *source, const TnvMetadataObject *object)
{
    auto *data = new TnvDragMimeData(source);
    TnvMetadataObjectDrag drag;
    if (object) {
        drag.FullName = object->GetFullNameStr();
        drag.Kind = object->Is<TnvMetadataProcedure>() ? TnvDraggedObjectKind::Procedure
                    : object->Is<TnvMetadataSynonym>() ? TnvDraggedObjectKind::Synonym
                    : object->Is<TnvMetadataView>()    ? TnvDraggedObjectKind::View
                                                       : TnvDraggedObjectKind::Table;
        // As a double click on the node would name it.
        if (drag.Kind == TnvDraggedObjectKind::Procedure)
            drag.Alias = ProcedureAlias(object);
    }
    // A folder carries an empty payload, which the diagram refuses.
    WriteMetadataObjectDrag(data, drag);
    return data;
}

void TnvTreeViewMetadata::showEvent(QShowEvent *event)
{
    TnvTreeView::showEvent(event);
    if (FReloadPending)
        nvQBCatchAll([this] { ReloadNodes(true); });
}

void TnvTreeViewMetadata::mouseDoubleClickEvent(QMouseEvent *event)
{
    TnvTreeView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    TnvTreeNode *node = Selected();
    if (!node || !node->Data())
        return;
    TnvSubQuery *subQuery = QueryBuilder()->CurrentSubquery();
    if (!subQuery || !subQuery->CurrentUnionSubQuery())
        return;
    nvQBCatchAll([&] { AddMetadataObjectFromNode(node); });
}

} // namespace nvqb
