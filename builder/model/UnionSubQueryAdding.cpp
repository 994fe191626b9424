// What the user adds to one union part: data sources of every kind, links
// between them, the place of a new box, and the diagram's menu.
#include "builder/model/ControlInterfaces.h"
#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Link.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/metadata/MetadataRelations.h"
#include "sqlmodel/sql/SQLExpressions.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QHash>
#include <QObject>
#include <QVariant>
#include <algorithm>
#include <climits>

namespace nvqb {

namespace {
constexpr int FirstColumnX = 10;
constexpr int FirstRowY = 10;
constexpr int ColumnGap = 60;
constexpr int RowGap = 20;
constexpr int FallbackDiagramWidth = 800;
constexpr int NarrowDiagramWidth = 300;
constexpr int NarrowDiagramReplacement = 500;

// The width of a widget seen only as a QObject (the model links no widget
// library): its "width" property; -1 when there is no such object.
int WidthOf(QObject *object)
{
    if (!object)
        return -1;
    const QVariant width = object->property("width");
    return width.isValid() ? width.toInt() : -1;
}

// A column reference to the field, bound to the data source's FROM source,
// so that it prints with that source's alias or name as prefix.
TOwned<TSQLExpressionItem> FieldOf(TnvBaseSyntaxProvider *provider, TnvDatasource *datasource,
                                   const TSQLQualifiedName *field)
{
    auto column = Create<TSQLObjectColumn>(provider);
    column->AddName(field);
    column->SetDatasource(datasource->DatasourceAST());
    auto expression = Create<TSQLExpressionColumn>(provider);
    expression->Column.reset(std::move(column));
    return expression;
}
} // namespace

TnvBaseSyntaxProvider *TnvUnionSubQuery::RequireSyntaxProvider() const
{
    TnvBaseSyntaxProvider *provider = QueryBuilder() ? QueryBuilder()->SyntaxProvider() : nullptr;
    if (!provider)
        throw Exception(nvQBMessage(nvQBNoSyntaxProvider));
    return provider;
}

// ---------------------------------------------------------------------------
// Data sources

template <class T> T *TnvUnionSubQuery::AddDatasource(TOwned<TSQLFromSource> source, const QPoint &point)
{
    TnvDatasourceGroup *group = FFromGroup;
    Assert(group != nullptr, "nvQBBase", "A data source added to a union part without a FROM group");
    MakeNameFree(source.get());
    T *datasource = nullptr;
    {
        auto bracket = UpdateBracket(group);
        datasource = NewModelNode<T>(group, group, QueryBuilder());
        try {
            datasource->LoadFromAST(std::move(source));
            datasource->RefreshMetadata();
            datasource->SetLeft(point.x());
            datasource->SetTop(point.y());
            FSelectList->BindUnboundNames();
            // The join tree takes the new item in as reading the text back
            // would: one more item may lay out the others otherwise.
            group->NotifyReorderNeeded();
        } catch (...) {
            TObject::Free(datasource);
            throw;
        }
    }
    // A box made at (0, 0) with no size finds its own place (FindPos).
    if (datasource->CanCreateControls())
        datasource->CreateControl();
    return datasource;
}

TnvDataSourceObject *TnvUnionSubQuery::AddObject(const QString &name, const QString &alias)
{
    return AddObjectAt(name, QPoint(0, 0), alias);
}

TnvDataSourceObject *TnvUnionSubQuery::AddObjectAt(const QString &name, const QPoint &point, const QString &alias)
{
    TnvBaseSyntaxProvider *provider = RequireSyntaxProvider();
    return AddDatasource<TnvDataSourceObject>(provider->CreateSQLFromObject(name, alias), point);
}

TnvDataSourceObject *TnvUnionSubQuery::AddObject(const TSQLQualifiedName *name, const TastTokenIdentifier *alias)
{
    return AddObjectAt(name, QPoint(0, 0), alias);
}

TnvDataSourceObject *TnvUnionSubQuery::AddObjectAt(const TSQLQualifiedName *name, const QPoint &point,
                                                   const TastTokenIdentifier *alias)
{
    TnvBaseSyntaxProvider *provider = RequireSyntaxProvider();
    if (IsQualifiedNameEmpty(name))
        throw Exception(nvQBMessage(nvQBBadObjectName));
    return AddDatasource<TnvDataSourceObject>(provider->CreateSQLFromObject(name, alias), point);
}

TnvDataSourceObject *TnvUnionSubQuery::AddObjectWithFK(const QString &name, const QString &alias)
{
    return AddObjectWithFKAt(name, QPoint(0, 0), alias);
}

TnvDataSourceObject *TnvUnionSubQuery::AddObjectWithFKAt(const QString &name, const QPoint &point,
                                                         const QString &alias)
{
    TnvDataSourceObject *datasource = AddObjectAt(name, point, alias);
    AddFKLinksForObject(datasource);
    return datasource;
}

TnvDataSourceObject *TnvUnionSubQuery::AddObjectWithFK(const TSQLQualifiedName *name,
                                                       const TastTokenIdentifier *alias)
{
    return AddObjectWithFKAt(name, QPoint(0, 0), alias);
}

TnvDataSourceObject *TnvUnionSubQuery::AddObjectWithFKAt(const TSQLQualifiedName *name, const QPoint &point,
                                                         const TastTokenIdentifier *alias)
{
    TnvDataSourceObject *datasource = AddObjectAt(name, point, alias);
    AddFKLinksForObject(datasource);
    return datasource;
}

TnvDatasource *TnvUnionSubQuery::AddStoredProc(const QString &name, const QString &alias)
{
    return AddStoredProcAt(name, QPoint(0, 0), alias);
}

TnvDatasource *TnvUnionSubQuery::AddStoredProcAt(const QString &name, const QPoint &point, const QString &alias)
{
    TnvBaseSyntaxProvider *provider = RequireSyntaxProvider();
    TOwned<TSQLQualifiedName> parsed = provider->ParseQualifiedNameQuoteIfNeed(name);
    if (!parsed)
        throw Exception(nvQBMessage(nvQBBadObjectName));
    return AddStoredProcAt(parsed.get(), point, alias);
}

TnvDatasource *TnvUnionSubQuery::AddStoredProc(const TSQLQualifiedName *name, const QString &alias)
{
    return AddStoredProcAt(name, QPoint(0, 0), alias);
}

TnvDatasource *TnvUnionSubQuery::AddStoredProcAt(const TSQLQualifiedName *name, const QPoint &, const QString &alias)
{
    RequireSyntaxProvider();
    if (IsQualifiedNameEmpty(name))
        throw Exception(nvQBMessage(nvQBBadObjectName));
    QString expression;
    if (!QueryBuilder()->GetControlFactory()->ShowProcedureParamsDialog(name->GetQualifiedName(), expression))
        return nullptr;
    return AddFromExpression(expression, alias);
}

TnvDatasource *TnvUnionSubQuery::AddFromExpression(const QString &text, const QString &alias)
{
    return AddFromExpressionAt(text, QPoint(0, 0), alias);
}

TnvDatasource *TnvUnionSubQuery::AddFromExpressionAt(const QString &text, const QPoint &, const QString &alias)
{
    TnvBaseSyntaxProvider *provider = RequireSyntaxProvider();
    // A text that does not parse raises the parser's error, which names the
    // unexpected token.
    TOwned<TSQLFromSource> source = provider->ParseDatasource(text);
    if (!source)
        throw Exception(nvQBMessage(nvQBBadFromObjectExpression));
    TOwned<TastTokenIdentifier> aliasId;
    if (!alias.isEmpty()) {
        aliasId = provider->ParseIdentifierQuoteIfNeed(alias);
        if (!aliasId)
            throw Exception(nvQBMessage(nvQBBadObjectName));
    }
    return AddFromExpressionAt(std::move(source), QPoint(0, 0), aliasId.get());
}

TnvDatasource *TnvUnionSubQuery::AddFromExpressionAt(TOwned<TSQLFromSource> source, const QPoint &point,
                                                     const TastTokenIdentifier *alias)
{
    TnvBaseSyntaxProvider *provider = RequireSyntaxProvider();
    if (!source)
        throw Exception(nvQBMessage(nvQBBadFromObjectExpression));
    if (alias) {
        if (!source->Alias)
            source->Alias.reset(Create<TSQLAliasObjectAlias>(provider));
        source->Alias->Identifier.reset(CloneAs<TastTokenIdentifier>(alias));
    }
    return AddDatasource<TnvDatasource>(std::move(source), point);
}

TnvDataSourceQuery *TnvUnionSubQuery::AddDerivedTable()
{
    TnvBaseSyntaxProvider *provider = RequireSyntaxProvider();
    TnvDatasourceGroup *group = FFromGroup;
    Assert(group != nullptr, "nvQBBase", "A derived table added to a union part without a FROM group");
    auto select = Create<TSQLSubQuerySelectExpression>(provider);
    select->SelectItems.reset(Create<TSQLSelectItems>(provider));
    select->FromClause.reset(Create<TSQLFromClause>(provider));
    auto statement = Create<TSQLSubSelectStatement>(provider);
    statement->Add(std::move(select));
    auto source = Create<TSQLFromQuery>(provider);
    source->Query.reset(std::move(statement));
    auto alias = Create<TSQLAliasObjectAlias>(provider);
    alias->Identifier.reset(Create<TastTokenIdentifier>(provider, FreeDatasourceName(QStringLiteral("Query")), false));
    source->Alias.reset(std::move(alias));
    TnvDataSourceQuery *datasource = nullptr;
    {
        auto bracket = UpdateBracket(group);
        datasource = NewModelNode<TnvDataSourceQuery>(group, group, QueryBuilder());
        try {
            datasource->LoadFromAST(std::move(source));
        } catch (...) {
            TObject::Free(datasource);
            throw;
        }
    }
    if (group->ControlsCreated() && datasource->CanCreateControls())
        datasource->CreateControl();
    return datasource;
}

// ---------------------------------------------------------------------------
// Names

const TastTokenIdentifier *TnvUnionSubQuery::ShownName(const TSQLFromSource *source)
{
    if (!source)
        return nullptr;
    if (source->Alias && source->Alias->Identifier && !source->Alias->Identifier->IsEmpty())
        return source->Alias->Identifier.get();
    if (const auto *object = As<TSQLFromObject>(source); object && !IsQualifiedNameEmpty(object->ObjectName.get()))
        return As<TastTokenIdentifier>(object->ObjectName->GetItems(0));
    return nullptr;
}

bool TnvUnionSubQuery::IsDatasourceNameTaken(const TastTokenIdentifier *name, const TnvDatasource *except) const
{
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (!name || !provider || !FFromGroup)
        return false;
    const TSQLFromSource *own = except ? except->DatasourceAST() : nullptr;
    TastNodeRefList sources;
    FFromGroup->GetFromSources(sources);
    for (TastNodeBase *node : std::as_const(sources)) {
        if (node == own)
            continue;
        const TastTokenIdentifier *shown = ShownName(As<TSQLFromSource>(node));
        if (shown && provider->CompareIdentifiers(shown, name) == 0)
            return true;
    }
    return false;
}

QString TnvUnionSubQuery::FreeDatasourceName(const QString &text, int first, const TnvDatasource *except) const
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    for (int n = first;; ++n) {
        const QString name = text + QString::number(n);
        const TOwned<TastTokenIdentifier> candidate = Create<TastTokenIdentifier>(provider, name, false);
        if (!IsDatasourceNameTaken(candidate.get(), except))
            return name;
    }
}

void TnvUnionSubQuery::MakeNameFree(TSQLFromSource *source) const
{
    const TastTokenIdentifier *name = ShownName(source);
    if (!name || !IsDatasourceNameTaken(name))
        return;
    TnvBaseSyntaxProvider *provider = source->SyntaxProvider();
    const QString alias = FreeDatasourceName(name->Text());
    if (!source->Alias)
        source->Alias.reset(Create<TSQLAliasObjectAlias>(provider));
    source->Alias->Identifier.reset(Create<TastTokenIdentifier>(provider, alias, false));
}

// ---------------------------------------------------------------------------
// Links

TnvLink *TnvUnionSubQuery::AddLink(TnvDatasource *leftDatasource, const QString &leftField,
                                   TnvDatasource *rightDatasource, const QString &rightField)
{
    TnvBaseSyntaxProvider *provider = RequireSyntaxProvider();
    auto parse = [provider](const QString &text) {
        TOwned<TSQLQualifiedName> name = provider->ParseQualifiedNameQuoteIfNeed(text);
        if (!name)
            throw Exception(nvQBFormatMessage(nvQBBadFieldName, {text}));
        return name;
    };
    TOwned<TSQLQualifiedName> left = parse(leftField);
    TOwned<TSQLQualifiedName> right = parse(rightField);
    return AddLink(leftDatasource, left.get(), rightDatasource, right.get());
}

TnvLink *TnvUnionSubQuery::AddLink(TnvDatasource *leftDatasource, const TSQLQualifiedName *leftField,
                                   TnvDatasource *rightDatasource, const TSQLQualifiedName *rightField)
{
    TnvBaseSyntaxProvider *provider = RequireSyntaxProvider();
    Assert(leftDatasource && rightDatasource && leftDatasource->DatasourceAST() && rightDatasource->DatasourceAST(),
           "nvQBBase", "A link added without both of its data sources");
    Assert(leftDatasource->UnionSubQuery() == this && rightDatasource->UnionSubQuery() == this, "nvQBBase",
           "A link added between data sources of another union part");
    Assert(leftDatasource != rightDatasource, "nvQBBase", "A link added between fields of one data source");
    if (IsQualifiedNameEmpty(leftField))
        throw Exception(nvQBFormatMessage(nvQBBadFieldName, {QString()}));
    if (IsQualifiedNameEmpty(rightField))
        throw Exception(nvQBFormatMessage(nvQBBadFieldName, {QString()}));
    TOwned<TSQLExpressionItem> expression = Create<TSQLExpressionOperatorBinary>(
        provider, FieldOf(provider, leftDatasource, leftField), QStringLiteral("="),
        FieldOf(provider, rightDatasource, rightField));
    TnvLink *link = FFromGroup->AddLinkAST(nullptr, std::move(expression), FANSIJoins ? lpFrom : lpWhere, true);
    if (!link->ControlsCreated() && link->CanCreateControls())
        link->CreateControl();
    if (InvLinkControl *line = link->GetILinkControl())
        line->AlignLink();
    return link;
}

int TnvUnionSubQuery::AddFKLinksForPair(TnvDataSourceObject *left, TnvDataSourceObject *right)
{
    TnvBaseSyntaxProvider *provider = RequireSyntaxProvider();
    TnvMetadataContainer *container = QueryBuilder()->MetadataContainer();
    const TSQLDatabaseObject *leftName = left->GetDatabaseObject();
    const TSQLDatabaseObject *rightName = right->GetDatabaseObject();
    if (!container || IsQualifiedNameEmpty(leftName) || IsQualifiedNameEmpty(rightName))
        return 0;
    const TnvMetadataObject *object = container->FindObjectByFullName(leftName);
    const TnvMetadataRelationsList *relations = object ? object->GetRelations() : nullptr;
    if (!relations)
        return 0;
    int count = 0;
    for (qsizetype i = 0; i < relations->Count(); ++i) {
        const TnvMetadataRelation *relation = relations->Items(i);
        if (!provider->IsQualifiedNamesEqual(relation->ChildFullName(), rightName))
            continue;
        ++count;
        const TnvMetadataFieldNamesList *keys = relation->KeyFields();
        const TnvMetadataFieldNamesList *children = relation->ChildFields();
        const qsizetype pairs = keys && children ? qMin(keys->Count(), children->Count()) : 0;
        for (qsizetype j = 0; j < pairs; ++j) {
            AddLink(left, keys->Items(j), right, children->Items(j));
            ++count;
        }
    }
    return count;
}

int TnvUnionSubQuery::AddFKLinksForObject(TnvDatasource *datasource)
{
    auto *object = As<TnvDataSourceObject>(datasource);
    if (!object || !FFromGroup)
        return 0;
    RequireSyntaxProvider();
    auto bracket = UpdateBracket(object);
    QList<TnvDatasourceBase *> others;
    FFromGroup->GetDatasourceByClass(TnvDataSourceObject::StaticClassType(), others);
    others.removeAll(object);
    int count = 0;
    for (TnvDatasourceBase *other : std::as_const(others))
        count += AddFKLinksForPair(object, static_cast<TnvDataSourceObject *>(other));
    for (TnvDatasourceBase *other : std::as_const(others))
        count += AddFKLinksForPair(static_cast<TnvDataSourceObject *>(other), object);
    return count;
}

TnvLink *TnvUnionSubQuery::FindLink(const TnvDatasource *leftDatasource, const TSQLQualifiedName *leftField,
                                    const TnvDatasource *rightDatasource, const TSQLQualifiedName *rightField) const
{
    return FFromGroup ? FFromGroup->FindLink(leftDatasource, leftField, rightDatasource, rightField) : nullptr;
}

void TnvUnionSubQuery::FindTablesByDBName(const TSQLQualifiedName *name, QList<TnvDatasourceBase *> &list)
{
    list.clear();
    if (FFromGroup)
        FFromGroup->FindTablesByDBName(name, list);
}

// ---------------------------------------------------------------------------
// Placing a new box

int TnvUnionSubQuery::DiagramWidth()
{
    // The diagram of the page, else the page, else the query builder: the
    // first of them that exists.
    int width = -1;
    if (TnvModelControl *page = GetUnionPage()) {
        if (auto *pageControl = dynamic_cast<InvUnionSubQueryControl *>(page))
            width = WidthOf(pageControl->GetDatasourcesParent());
        if (width < 0)
            width = WidthOf(dynamic_cast<QObject *>(page));
    }
    if (width < 0)
        width = WidthOf(dynamic_cast<QObject *>(QueryBuilder()));
    if (width < 0)
        width = FallbackDiagramWidth;
    return width < NarrowDiagramWidth ? NarrowDiagramReplacement : width;
}

void TnvUnionSubQuery::FindPos(TnvDatasource *datasource, QPoint &point)
{
    const TnvQueryBuilderModel *qb = QueryBuilder();
    const qint64 width = DiagramWidth();
    // A step below 1 would never leave the first column.
    const qint64 step = qMax<qint64>(1, qint64(qb ? qb->DefaultTableWidth() : 80) + ColumnGap);
    const qint64 grid = qb && qb->SnapToGrid() ? qMax(0, qb->GridSize()) : 0;
    QList<TnvDatasource *> boxes;
    if (FFromGroup)
        FFromGroup->GetDatasources(boxes);
    // The height of the first box at each corner: the search below asks for
    // the box at a corner once per row of each column, so a diagram filled
    // box by box costs a look-up there, not a pass over every box. While the
    // part makes its controls, each box made is read once and its corner
    // kept; the others are read each time (a box yet to be made may still
    // move).
    using TCorners = QHash<QPair<qint64, qint64>, QPair<qsizetype, qint64>>;
    TCorners corners;
    auto file = [](TCorners &into, const QRect &rect, qsizetype position) {
        const QPair<qint64, qint64> corner(rect.left(), rect.top());
        const auto found = into.constFind(corner);
        if (found == into.cend() || found->first > position)
            into.insert(corner, {position, rect.height()});
    };
    auto boundsOf = [this](TnvDatasource *box) {
        if (FPlacedBoxes)
            if (const auto known = FPlacedBoxes->Known.constFind(box); known != FPlacedBoxes->Known.cend())
                return *known;
        return box->GetBounds();
    };
    qsizetype others = 0;
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        TnvDatasource *box = boxes[i];
        if (box == datasource)
            continue;
        ++others;
        if (FPlacedBoxes && box->GetDSControl()) {
            if (!FPlacedBoxes->Known.contains(box)) {
                const QRect rect = box->GetBounds();
                FPlacedBoxes->Known.insert(box, rect);
                file(FPlacedBoxes->Corners, rect, i);
            }
            continue;
        }
        file(corners, box->GetBounds(), i);
    }
    auto heightAt = [&](qint64 x, qint64 y, qint64 &height) {
        const QPair<qint64, qint64> corner(x, y);
        const auto here = corners.constFind(corner);
        const TCorners::const_iterator kept =
            FPlacedBoxes ? FPlacedBoxes->Corners.constFind(corner) : TCorners::const_iterator();
        const bool inKept = FPlacedBoxes && kept != FPlacedBoxes->Corners.cend();
        if (here == corners.cend() && !inKept)
            return false;
        height = here == corners.cend() || (inKept && kept->first < here->first) ? kept->second : here->second;
        return true;
    };
    const qint64 boxWidth = datasource ? datasource->GetWidth() : 0;

    qint64 bestX = INT_MAX, bestY = INT_MAX;
    for (qint64 x = FirstColumnX; x + boxWidth < width; x += step) {
        qint64 y = FirstRowY;
        for (;;) {
            qint64 height = 0;
            if (!heightAt(x, y, height))
                break;
            qint64 next = y + height + RowGap;
            if (grid > 0)
                next = next / grid * grid;
            // Rounding down to a coarse grid (or a box of no height) could
            // bring the search back to the row it stands on; it goes on at
            // the next row below instead, so every box is passed at most once.
            if (next <= y)
                next = grid > 0 ? (y / grid + 1) * grid : y + 1;
            y = next;
        }
        if (y < bestY) {
            bestX = x;
            bestY = y;
        }
    }
    if (bestX == INT_MAX) {
        // Not even the first column is wide enough: the box goes to the left
        // edge below every other box.
        bestX = FirstColumnX;
        bestY = FirstRowY;
        if (others > 0) {
            qint64 bottom = LLONG_MIN;
            for (TnvDatasource *box : std::as_const(boxes))
                if (box != datasource) {
                    const QRect rect = boundsOf(box);
                    bottom = qMax(bottom, qint64(rect.top()) + rect.height());
                }
            bestY = bottom + RowGap;
            // Snapping truncates: a box on the next grid line stays below.
            if (grid > 0)
                bestY = bestY >= 0 ? (bestY + grid - 1) / grid * grid : bestY / grid * grid;
        }
    }
    point = QPoint(int(std::min<qint64>(bestX, INT_MAX)), int(std::clamp<qint64>(bestY, INT_MIN, INT_MAX)));
}

// ---------------------------------------------------------------------------
// The diagram's menu

TnvMenuItemData *TnvUnionSubQuery::GetPopupMenuWA()
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    if (!qb)
        return nullptr;
    const TnvBaseSyntaxProvider *provider = qb->SyntaxProvider();
    const TnvSubQuery *statement = GetRootQuery();
    const bool main = statement && statement->GetIsMainQuery();
    const bool canDerive =
        provider && (main ? provider->IsSupportDerivedTables() : provider->IsSupportSubQueryDerivedTables());
    const bool canEdit = provider && provider->GetEditPropsFormClass(this) != nullptr;
    qb->PopupMenuClear();
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvAddObject), 0, true, false, false,
                         TNotifyEvent::Bind<&TnvUnionSubQuery::AddObjectEvent>(this), this);
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvAddSubQuery), 0, canDerive, false, false,
                         TNotifyEvent::Bind<&TnvUnionSubQuery::AddDerivedTableEvent>(this), this);
    TnvMenuItemData *unionMenu =
        qb->PopupMenuAddItem(nullptr, nvQBMessage(nvUnionSubMenu), 0, true, false, false, nullptr, this);
    CreateUnionPopupMenu(unionMenu);
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBEdit), 0, canEdit, false, true,
                         TNotifyEvent::Bind<&TnvUnionSubQuery::EditPropsEvent>(this), this);
    qb->PopupMenuCompleted();
    return qb->PopupMenu();
}

void TnvUnionSubQuery::AddObjectEvent(TObject *)
{
    if (TnvQueryBuilderModel *qb = QueryBuilder())
        qb->ShowAddObjectForm();
}

void TnvUnionSubQuery::AddDerivedTableEvent(TObject *) { AddDerivedTable(); }

} // namespace nvqb
