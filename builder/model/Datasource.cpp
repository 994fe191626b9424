#include "builder/model/Datasource.h"
#include "builder/model/ControlBounds.h"
#include "builder/model/ControlInterfaces.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Link.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubQuery.h"
#include "builder/model/SubSelectStatementProxy.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Assert.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/XmlText.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/sql/SQLSelectItems.h"
#include "support/XmlRoutines.h"

#include <QDomDocument>
#include <QDomElement>
#include <QHash>
#include <algorithm>

namespace nvqb {

namespace {
constexpr const char *Unit = "nvQBBase";
} // namespace

NV_IMPLEMENT_CLASS(TnvDatasourceBase, TnvQueryBuilderControlOwner)
NV_IMPLEMENT_CLASS(TnvDatasource, TnvDatasourceBase)
NV_IMPLEMENT_CLASS(TnvDataSourceObject, TnvDatasource)
NV_IMPLEMENT_CLASS(TnvDataSourceQuery, TnvDatasource)

TnvDatasource *DatasourceOfFromSource(const TastNodeBase *node)
{
    const auto *source = As<TSQLFromSource>(node);
    return source ? As<TnvDatasource>(source->UserReference()) : nullptr;
}

// ---------------------------------------------------------------------------
// TnvDatasourceBase

TnvDatasourceBase::TnvDatasourceBase(TnvQueryBuilderControlOwner *owner, TnvQueryBuilderControlOwner *parent,
                                     TnvQueryBuilderModel *queryBuilder)
    : TnvQueryBuilderControlOwner(owner, parent, queryBuilder)
{
    if (auto *unionSubQuery = As<TnvUnionSubQuery>(owner)) {
        Assert(parent == owner, Unit, "A top-level FROM group reports to another node than its union part");
        FUnionSubQuery.reset(unionSubQuery);
        return;
    }
    auto *root = As<TnvDatasourceGroup>(owner);
    auto *group = As<TnvDatasourceGroup>(parent);
    Assert(root && group && root->IsRootGroup() && group->RootGroup() == root, Unit,
           "A FROM element made outside its root group");
    FInitialGroup = group;
    FUnionSubQuery.reset(group->UnionSubQuery());
}

TnvDatasourceBase::~TnvDatasourceBase() = default;

void TnvDatasourceBase::AfterConstruction()
{
    TnvQueryBuilderControlOwner::AfterConstruction();
    if (FInitialGroup) {
        TnvDatasourceGroup *group = FInitialGroup;
        FInitialGroup = nullptr;
        SetGroup(group);
    }
}

void TnvDatasourceBase::Destroy()
{
    SetGroup(nullptr);
    FJoinCondition.reset();
    TnvQueryBuilderControlOwner::Destroy();
    if (FDatasourceAST)
        FDatasourceAST->SetUserReference(nullptr);
    FDatasourceAST.reset();
}

void TnvDatasourceBase::SetGroup(TnvDatasourceGroup *group)
{
    TnvDatasourceGroup *old = FGroup.get();
    if (old == group && (!group || group->IndexOf(this) >= 0))
        return;
    if (old)
        old->UnregisterDatasourceBase(this);
    FGroup.reset(group);
    if (group)
        group->RegisterDatasourceBase(this);
    SetUpdateParent(group);
}

void TnvDatasourceBase::SetDatasourceAST(TOwned<TSQLFromSource> node)
{
    if (FDatasourceAST)
        FDatasourceAST->SetUserReference(nullptr);
    FDatasourceAST = std::move(node);
    if (FDatasourceAST)
        FDatasourceAST->SetUserReference(this);
}

bool TnvDatasourceBase::TakeNode(TOwned<TSQLFromSource> node)
{
    SetDatasourceAST(std::move(node));
    FJoinCondition.reset();
    bool joinKind = false;
    if (FDatasourceAST) {
        FJoinCondition = FDatasourceAST->JoinCondition.release();
        joinKind = bool(FDatasourceAST->JoinKind);
    }
    NotifySQLUpdated();
    return joinKind;
}

bool TnvDatasourceBase::LoadFromAST(TOwned<TSQLFromSource> node) { return TakeNode(std::move(node)); }

TSQLJoinKind *TnvDatasourceBase::GetJoinKind() const
{
    return FDatasourceAST ? FDatasourceAST->JoinKind.get() : nullptr;
}

TastNodeClass TnvDatasourceBase::GetJoinKindClass() const
{
    const TSQLJoinKind *kind = GetJoinKind();
    return kind ? kind->NodeClassType() : nullptr;
}

void TnvDatasourceBase::SetJoinKind(TOwned<TSQLJoinKind> kind)
{
    {
        auto bracket = UpdateBracket(this);
        if (!FDatasourceAST)
            return;
        FDatasourceAST->JoinKind.reset(std::move(kind));
        NotifySQLUpdated();
        if (TnvDatasourceGroup *group = Group()) {
            const TSQLJoinKind *current = GetJoinKind();
            for (qsizetype i = 0; i < group->GetLinksCount(); ++i) {
                TnvLink *link = group->GetLink(i);
                if (link->OwnerDatasource() != this)
                    continue;
                TnvQueryBuilderLinkSideType left = current && current->IsLeftOuter() ? ltOuter : ltInner;
                TnvQueryBuilderLinkSideType right = current && current->IsRightOuter() ? ltOuter : ltInner;
                if (link->IsSimple() && !ContainsDatasource(link->RightDatasource(), true))
                    std::swap(left, right);
                link->SetLeftType(left);
                link->SetRightType(right);
            }
        }
    }
    InvalidateLinks();
}

void TnvDatasourceBase::SetJoinKindClass(TastNodeClass kindClass)
{
    if (kindClass == GetJoinKindClass())
        return;
    if (!kindClass) {
        SetJoinKind(nullptr);
        return;
    }
    TnvBaseSyntaxProvider *provider = QueryBuilder() ? QueryBuilder()->SyntaxProvider() : SyntaxProvider();
    TOwned<TastNodeBase> made = kindClass->Create(provider);
    Assert(made && made->Is<TSQLJoinKind>(), Unit, "A join kind of a class that is no join kind");
    TOwned<TSQLJoinKind> kind(static_cast<TSQLJoinKind *>(made.release()));
    const TSQLJoinKind *current = GetJoinKind();
    if (current)
        kind->Assign(current);
    // A join that becomes outer writes the optional OUTER as the other
    // outer joins of its union part do, so one statement spells them alike.
    if (auto *outer = As<TSQLJoinKindOuter>(kind.get()); outer && !As<TSQLJoinKindOuter>(current))
        outer->Outer = OuterWordOfOtherJoins();
    SetJoinKind(std::move(kind));
}

bool TnvDatasourceBase::OuterWordOfOtherJoins() const
{
    TnvUnionSubQuery *part = UnionSubQuery();
    if (!part || !part->FromGroup())
        return false;
    QList<TnvDatasourceBase *> elements;
    part->FromGroup()->GetDatasourceByClass(TnvDatasourceBase::StaticClassType(), elements);
    for (const TnvDatasourceBase *element : std::as_const(elements))
        if (const auto *outer = As<TSQLJoinKindOuter>(element->GetJoinKind()); outer && element != this)
            return outer->Outer;
    return false;
}

void TnvDatasourceBase::SaveLayout(QDomDocument &, QDomElement &) {}

void TnvDatasourceBase::LoadLayout(const QDomElement &) {}

QString TnvDatasourceBase::GetDataSourceName() { return GetResultSQL(); }

void TnvDatasourceBase::LoadJoins()
{
    if (!FJoinCondition)
        return;
    TnvDatasourceGroup *group = Group();
    if (!group)
        return;
    auto bracket = UpdateBracket(group);
    auto addLink = [this, group](TOwned<TSQLExpressionItem> expression) {
        TnvLink *link = NewModelNode<TnvLink>(group, QueryBuilder());
        link->SetLinkParamsInternal(this, std::move(expression), lpFrom, false);
        if (ControlsCreated() && link->CanCreateControls())
            link->CreateControl();
    };
    TOwned<TSQLExpressionItem> rest = SplitJoinCondition(
        std::move(FJoinCondition),
        [this](TSQLExpressionItem *term) { return TnvLink::CanLoadExpressionAsSimpleLink(this, term); }, addLink);
    if (rest)
        addLink(std::move(rest));
}

void TnvDatasourceBase::UpdateChecks() {}

void TnvDatasourceBase::UpdateChecksFrom(const TnvSelectRowsByNode &) {}

TSQLFromSource *GetDatasourceSyntaxNode(TnvDatasourceBase *datasource)
{
    return datasource ? datasource->DatasourceAST() : nullptr;
}

void TnvDatasourceBase::GetDatasources(QList<TnvDatasource *> &) {}

void TnvDatasourceBase::GetDatasourceByClass(TClass elementClass, QList<TnvDatasourceBase *> &list)
{
    if (InheritsFrom(elementClass))
        list.append(this);
}

bool TnvDatasourceBase::ContainsDatasource(const TnvDatasourceBase *item, bool) const { return item == this; }

void TnvDatasourceBase::InvalidateLinks()
{
    TnvDatasourceGroup *group = Group();
    if (!group)
        return;
    for (qsizetype i = 0; i < group->GetLinksCount(); ++i) {
        TnvLink *link = group->GetLink(i);
        if (link->LeftDatasource() == this || link->RightDatasource() == this)
            if (InvLinkControl *line = link->GetILinkControl())
                line->InvalidateLink();
    }
}

namespace {
void RealignLinksOf(TnvDatasourceGroup *group, const TnvDatasourceBase *datasource)
{
    for (qsizetype i = 0; i < group->GetCount(); ++i)
        if (auto *nested = As<TnvDatasourceGroup>(group->GetItems(i)))
            RealignLinksOf(nested, datasource);
    for (qsizetype i = 0; i < group->GetLinksCount(); ++i) {
        TnvLink *link = group->GetLink(i);
        if (link->LeftDatasource() == datasource || link->RightDatasource() == datasource) {
            // A line repaints itself when it moves; one that stays as it
            // was needs no repaint.
            if (InvLinkControl *line = link->GetILinkControl())
                line->AlignLink();
        }
    }
}
} // namespace

void TnvDatasourceBase::RealignLinks()
{
    TnvUnionSubQuery *unionSubQuery = UnionSubQuery();
    // A part making its controls aligns all its lines once they are made.
    if (!unionSubQuery || unionSubQuery->IsMakingControls())
        return;
    if (TnvDatasourceGroup *root = unionSubQuery->FromGroup())
        RealignLinksOf(root, this);
}

void TnvDatasourceBase::GetASTChildren(TastNodeRefList &list)
{
    TnvQueryBuilderControlOwner::GetASTChildren(list);
    if (FDatasourceAST)
        list.append(FDatasourceAST.get());
    if (FJoinCondition)
        list.append(FJoinCondition.get());
}

TOwned<TastNodeBase> TnvDatasourceBase::CreateResultAST()
{
    if (!FDatasourceAST)
        return nullptr;
    TOwned<TSQLFromSource> copy = CloneAs(FDatasourceAST.get());
    // Only the model's own nodes point back at their elements.
    copy->SetUserReference(nullptr);
    TOwned<TSQLExpressionAnd> conditions;
    auto add = [&](const TSQLExpressionItem *expression) {
        if (!conditions)
            conditions = Create<TSQLExpressionAnd>(copy->SyntaxProvider());
        conditions->Add(expression->Clone());
    };
    // An ON condition that was never turned into links (the dialect took
    // the joins from WHERE) is printed back as it was loaded.
    if (FJoinCondition)
        add(FJoinCondition.get());
    if (TnvDatasourceGroup *group = Group()) {
        for (qsizetype i = 0; i < group->GetLinksCount(); ++i) {
            const TnvLink *link = group->GetLink(i);
            if (link->Place() == lpFrom && link->OwnerDatasource() == this && link->GetLinkExpression())
                add(link->GetLinkExpression());
        }
    }
    if (!conditions)
        return copy;
    TOwned<TSQLExpressionItem> condition = SimplifyLogicalExpression(std::move(conditions));
    if (condition && Group()) {
        // The terms that load back as links of their own come first, in the
        // order loading takes them, so the text loads back into the same
        // links and prints the same.
        TOwned<TSQLExpressionAnd> ordered = Create<TSQLExpressionAnd>(copy->SyntaxProvider());
        TOwned<TSQLExpressionItem> rest = SplitJoinCondition(
            std::move(condition),
            [this](TSQLExpressionItem *term) { return TnvLink::CanLoadExpressionAsSimpleLink(this, term); },
            [&ordered](TOwned<TSQLExpressionItem> term) { ordered->Add(std::move(term)); });
        if (rest)
            ordered->Add(std::move(rest));
        condition = SimplifyLogicalExpression(std::move(ordered));
    }
    copy->JoinCondition.reset(std::move(condition));
    return copy;
}

// ---------------------------------------------------------------------------
// TnvDatasource

TnvDatasource::TnvDatasource(TnvDatasourceGroup *rootGroup, TnvDatasourceGroup *parentGroup,
                             TnvQueryBuilderModel *queryBuilder)
    : TnvDatasourceBase(rootGroup, parentGroup, queryBuilder)
{
}

TnvDatasource::~TnvDatasource() = default;

void TnvDatasource::Destroy()
{
    TnvUnionSubQuery *unionSubQuery = UnionSubQuery();
    // A union part that goes as a whole takes every node with it; otherwise
    // the nodes that cannot live without this data source go first.
    if (unionSubQuery && !unionSubQuery->IsDestroying()) {
        auto bracket = UpdateBracket(unionSubQuery);
        TnvDatasourceGroup *group = Group();
        if (group && group->IsDestroying())
            group = nullptr;
        // The join tree is rebuilt once, when this data source has left its
        // group: the top-level group's bracket closes after that.
        TnvDatasourceGroup *root = group ? group->RootGroup() : nullptr;
        if (root)
            root->BeginUpdate();
        TnvScopeExit close([root] {
            if (root)
                root->EndUpdate();
        });
        if (group) {
            group->NotifyReorderNeeded();
            // ON conditions kept as loaded (the dialect reads its joins from
            // WHERE) become links first, so that each loses only what needs
            // this data source.
            root->LoadJoins();
            group->ReleaseConditions(this);
        }
        unionSubQuery->NotifyDatasourceDestroying(this);
        SetGroup(nullptr);
        // Where joins are written in WHERE, a join term that stood beside
        // the criteria this data source took is a join again.
        if (root && !unionSubQuery->ANSIJoins() && root == unionSubQuery->FromGroup())
            root->ReadWhereJoinsFromCriteria();
    }
    FCheckedFields.clear();
    TnvDatasourceBase::Destroy();
}

QString TnvDatasource::GetAlias() const
{
    const TSQLFromSource *node = DatasourceAST();
    if (!node || !node->Alias || !node->Alias->Identifier)
        return QString();
    return node->Alias->Identifier->Text();
}

void TnvDatasource::SetAlias(const QString &alias)
{
    TSQLFromSource *node = DatasourceAST();
    Assert(node != nullptr, Unit, "An alias for a data source without a node");
    if (alias == GetAlias())
        return;
    auto bracket = UpdateBracket(this);
    if (alias.isEmpty()) {
        node->Alias.reset();
    } else if (node->Alias && node->Alias->Identifier) {
        node->Alias->Identifier->SetText(alias);
        node->Alias->Identifier->SetCaseSensitive(false);
    } else {
        TnvBaseSyntaxProvider *provider = node->SyntaxProvider();
        TOwned<TSQLAliasObjectAlias> aliasNode = Create<TSQLAliasObjectAlias>(provider);
        aliasNode->Identifier.reset(Create<TastTokenIdentifier>(provider, alias, false));
        node->Alias.reset(std::move(aliasNode));
    }
    NotifySQLUpdated();
    // Every column prefix of the union part follows the alias.
    if (TnvUnionSubQuery *unionSubQuery = UnionSubQuery())
        unionSubQuery->NotifySQLUpdatedRecursive();
}

namespace {
// The largest extent of a widget. Places and sizes are held within it, so
// that a box's far edges (left + width, top + height) stay integers whatever
// a stored layout or a caller asks for.
constexpr int BoxExtentLimit = 16777215;
int BoxCoordinate(int value) { return std::clamp(value, -BoxExtentLimit, BoxExtentLimit); }
// A box is never smaller than nothing.
int BoxSize(int value) { return std::clamp(value, 0, BoxExtentLimit); }
} // namespace

void TnvDatasource::StoreBounds()
{
    if (auto *box = dynamic_cast<InvControlBounds *>(GetDSControl()))
        SetStoredBounds(box->GetControlBounds());
}

void TnvDatasource::SetStoredBounds(const QRect &bounds)
{
    FLeft = bounds.left();
    FTop = bounds.top();
    FWidth = bounds.width();
    FHeight = bounds.height();
}

QRect TnvDatasource::GetBounds()
{
    StoreBounds();
    return StoredBounds();
}

int TnvDatasource::GetLeft()
{
    StoreBounds();
    return FLeft;
}

int TnvDatasource::GetTop()
{
    StoreBounds();
    return FTop;
}

int TnvDatasource::GetWidth()
{
    StoreBounds();
    return FWidth;
}

int TnvDatasource::GetHeight()
{
    StoreBounds();
    return FHeight;
}

// With a box the box holds the bounds (and snaps them); without one the
// model keeps them until a box is made.
void TnvDatasource::SetBound(void (QRect::*change)(int), int &stored, int value)
{
    if (auto *box = dynamic_cast<InvControlBounds *>(GetDSControl())) {
        QRect bounds = box->GetControlBounds();
        (bounds.*change)(value);
        box->SetControlBounds(bounds);
        StoreBounds();
    } else {
        stored = value;
    }
}

void TnvDatasource::SetLeft(int value) { SetBound(&QRect::moveLeft, FLeft, BoxCoordinate(value)); }

void TnvDatasource::SetTop(int value) { SetBound(&QRect::moveTop, FTop, BoxCoordinate(value)); }

void TnvDatasource::SetWidth(int value) { SetBound(&QRect::setWidth, FWidth, BoxSize(value)); }

void TnvDatasource::SetHeight(int value) { SetBound(&QRect::setHeight, FHeight, BoxSize(value)); }

TnvMetadataFieldsList *TnvDatasource::GetFields() const
{
    const TSQLFromSource *node = DatasourceAST();
    return node ? node->FieldsList() : nullptr;
}

InvDatasourceControl *TnvDatasource::GetIDSControl() { return GetControlInterface<InvDatasourceControl>(0); }

QRect TnvDatasource::CalcFieldRect(const TSQLQualifiedName *field)
{
    if (InvDatasourceControl *box = GetIDSControl())
        return box->CalcFieldRect(field);
    return QRect();
}

void TnvDatasource::UpdateCaption()
{
    const qsizetype count = CheckedFieldsCount();
    bool star = false;
    for (const auto &field : FCheckedFields)
        star = star || !field;
    QString prefix;
    if (count > 0) {
        if (star)
            prefix = count == 1 ? QStringLiteral("(*)") : QStringLiteral("(*%1)").arg(count - 1);
        else
            prefix = QStringLiteral("(%1)").arg(count);
    }
    FCaption = prefix + GetDataSourceName();
    if (InvDatasourceControl *box = GetIDSControl())
        box->SetCaption(FCaption);
}

void TnvDatasource::UpdateChecks()
{
    const TSQLFromSource *node = DatasourceAST();
    TnvUnionSubQuery *unionSubQuery = UnionSubQuery();
    // A part making its controls sets the marks of all its boxes when done.
    if (unionSubQuery && unionSubQuery->IsMakingControls())
        return;
    TnvSelectList *selectList = unionSubQuery ? unionSubQuery->SelectList() : nullptr;
    QList<const TnvSelectItem *> rows;
    if (node && selectList)
        for (qsizetype i = 0; i < selectList->Count(); ++i)
            if (const TnvSelectItem *row = selectList->Items(i); row->DatasourceNode() == node)
                rows.append(row);
    ApplyChecks(rows);
}

void TnvDatasource::UpdateChecksFrom(const TnvSelectRowsByNode &rows)
{
    ApplyChecks(rows.value(DatasourceAST()));
}

void TnvDatasource::ApplyChecks(const QList<const TnvSelectItem *> &ownRows)
{
    TSQLFromSource *node = DatasourceAST();
    if (!node)
        return;
    FCheckedFields.clear();
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (provider) {
        // The first row that stands for all fields, or for a field, of this
        // data source decides its check mark.
        // Each field is compared only with the rows that may name it: an
        // ASCII name equals another one only when both have the same part
        // count and the same upper-cased own name, so such rows are grouped
        // by that key. Rows whose own name is not ASCII (which may fold into
        // ASCII) are compared with every field, and a field whose own name
        // is not ASCII with every row; the first match in row order wins.
        struct TRow {
            const TnvSelectItem *Row;
            const TSQLObjectColumn *Field;
        };
        auto asciiKey = [](const TSQLQualifiedName *name, QString &key) {
            const TastToken *own = name ? name->GetItems(0) : nullptr;
            if (!own)
                return false;
            const QString &text = own->Text();
            for (QChar c : text)
                if (c.unicode() >= 0x80)
                    return false;
            key = QString::number(name->GetCount()) + u':' + text.toUpper();
            return true;
        };
        std::vector<TRow> rows;
        QHash<QString, std::vector<qsizetype>> groups;
        std::vector<qsizetype> ungrouped;
        QString key;
        for (const TnvSelectItem *row : ownRows) {
            const TSQLObjectColumn *field = row->FieldName();
            if (asciiKey(field, key))
                groups[key].push_back(qsizetype(rows.size()));
            else
                ungrouped.push_back(qsizetype(rows.size()));
            rows.push_back({row, field});
        }
        auto matches = [&](qsizetype index, const TSQLQualifiedName *fieldName) {
            const TSQLObjectColumn *field = rows[size_t(index)].Field;
            return !fieldName ? !field : field && provider->CompareQualifiedNames(field, fieldName) == 0;
        };
        auto first = [&](const TSQLQualifiedName *fieldName) -> const TnvSelectItem * {
            if (!asciiKey(fieldName, key)) {
                for (qsizetype i = 0; i < qsizetype(rows.size()); ++i)
                    if (matches(i, fieldName))
                        return rows[size_t(i)].Row;
                return nullptr;
            }
            static const std::vector<qsizetype> none;
            const auto group = groups.constFind(key);
            const std::vector<qsizetype> &grouped = group == groups.cend() ? none : *group;
            // Both lists are in row order: walk them together.
            size_t g = 0, u = 0;
            while (g < grouped.size() || u < ungrouped.size()) {
                const bool takeGrouped = u >= ungrouped.size() || (g < grouped.size() && grouped[g] < ungrouped[u]);
                const qsizetype index = takeGrouped ? grouped[g++] : ungrouped[u++];
                if (matches(index, fieldName))
                    return rows[size_t(index)].Row;
            }
            return nullptr;
        };
        if (provider->IsSupportAllTableFieldsSelection()) {
            if (const TnvSelectItem *row = first(nullptr); row && row->Select())
                FCheckedFields.emplace_back(nullptr);
        }
        if (const TnvMetadataFieldsList *fields = GetFields()) {
            for (qsizetype i = 0; i < fields->Count(); ++i) {
                const TSQLQualifiedName *name = fields->Items(i)->Name();
                if (!name)
                    continue;
                if (const TnvSelectItem *row = first(name); row && row->Select())
                    FCheckedFields.push_back(name->Clone());
            }
        }
    }
    if (InvDatasourceControl *box = GetIDSControl()) {
        QList<const TSQLQualifiedName *> checked;
        for (const auto &field : FCheckedFields)
            checked.append(field.get());
        box->UpdateChecksOnFields(checked);
    }
    UpdateCaption();
}

void TnvDatasource::UpdateDatasourceType()
{
    try {
        TnvDatasourceType type = dtOther;
        const TSQLFromSource *node = DatasourceAST();
        const TnvMetadataContainer *container = QueryBuilder() ? QueryBuilder()->MetadataContainer() : nullptr;
        if (const auto *object = As<TSQLFromObject>(node)) {
            const TSQLDatabaseObject *name = object->ObjectName.get();
            if (container && !IsQualifiedNameEmpty(name)) {
                if (container->FindTableByFullName(name))
                    type = dtTable;
                else if (container->FindViewByFullName(name))
                    type = dtView;
                else if (container->FindProcedureByFullName(name))
                    type = dtStoredProc;
            }
        } else if (node && node->Is<TSQLFromQuery>()) {
            type = dtSubQuery;
        } else if (const auto *function = As<TSQLFromFunction>(node)) {
            const TSQLQualifiedName *name = function->Function ? function->Function->FunctionName.get() : nullptr;
            if (container && name && name->GetCount() == 1 && container->FindProcedureByFullName(name))
                type = dtFunction;
        }
        FDatasourceType = type;
    } catch (...) {
        FDatasourceType = dtTable;
    }
}

void TnvDatasource::RefreshMetadata()
{
    TSQLFromSource *node = DatasourceAST();
    TnvQueryBuilderModel *queryBuilder = QueryBuilder();
    if (!node || !queryBuilder || !node->SyntaxProvider())
        return;
    TastNodeRefList withItems, fromSources;
    GatherPrepareAndFixupContext(withItems, fromSources, false);
    node->PrepareAndFixupRecursive(withItems, fromSources, queryBuilder->MetadataContainer());
    if (InvDatasourceControl *box = GetIDSControl()) {
        box->ReloadFieldsList();
        box->SetOptimalHeight();
    }
}

QString TnvDatasource::GetDataSourceName()
{
    const QString alias = GetAlias();
    return alias.isEmpty() ? TnvDatasourceBase::GetDataSourceName() : alias;
}

bool TnvDatasource::LoadFromAST(TOwned<TSQLFromSource> node)
{
    auto bracket = UpdateBracket(this);
    const bool joinKind = TakeNode(std::move(node));
    LoadSubQueries(DatasourceAST());
    UpdateDatasourceType();
    return joinKind;
}

void TnvDatasource::GetDatasources(QList<TnvDatasource *> &list) { list.append(this); }

void TnvDatasource::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    if (provider == SyntaxProvider())
        return;
    TnvDatasourceBase::SetSyntaxProvider(provider);
    RefreshMetadata();
}

TnvModelControl *TnvDatasource::CreateControlInternal(int index)
{
    return index == 0 ? CreateControlOfClass(ControlClass::DataSourceControl, index) : nullptr;
}

void TnvDatasource::DoAfterUpdated()
{
    TnvDatasourceBase::DoAfterUpdated();
    if (!IsDestroying())
        UpdateCaption();
}

void TnvDatasource::SaveLayout(QDomDocument &document, QDomElement &element)
{
    QDomElement node = document.createElement(QStringLiteral("DataSource"));
    element.appendChild(node);
    node.setAttribute(QStringLiteral("SQL"), XMLSafeText(GetResultSQL()));
    node.setAttribute(QStringLiteral("X"), GetLeft());
    node.setAttribute(QStringLiteral("Y"), GetTop());
    node.setAttribute(QStringLiteral("Height"), GetHeight());
    node.setAttribute(QStringLiteral("Width"), GetWidth());
}

void TnvDatasource::LoadLayout(const QDomElement &element)
{
    const QDomElement node =
        FindChildByNameAndAttribute(QStringLiteral("DataSource"), QStringLiteral("SQL"), XMLSafeText(GetResultSQL()),
                                    element);
    if (node.isNull())
        return;
    // Each value is applied as soon as it is read; one that is no integer
    // ends the whole load there.
    auto read = [&node](const char *name) {
        const QString text = node.attribute(QString::fromLatin1(name));
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        return value;
    };
    SetLeft(read("X"));
    SetTop(read("Y"));
    SetHeight(read("Height"));
    SetWidth(read("Width"));
}

void TnvDatasource::AddPopupMenuItems()
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBRemove), 0, true, false, false,
                         TNotifyEvent::Bind<&TnvDatasource::RemoveEvent>(this), this);
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBEdit), 0, true, false, true,
                         TNotifyEvent::Bind<&TnvDatasource::EditPropsEvent>(this), this);
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBAftofitHeight), 0, true, false, false,
                         TNotifyEvent::Bind<&TnvDatasource::TuneHeightEvent>(this), this);
}

TnvMenuItemData *TnvDatasource::GetPopupMenu()
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    if (!qb)
        return nullptr;
    qb->PopupMenuClear();
    AddPopupMenuItems();
    qb->PopupMenuCompleted();
    return qb->PopupMenu();
}

void TnvDatasource::TuneHeightEvent(TObject *)
{
    if (InvDatasourceControl *box = GetIDSControl())
        box->SetOptimalHeight();
}

// ---------------------------------------------------------------------------
// TnvDataSourceObject

TSQLDatabaseObject *TnvDataSourceObject::GetDatabaseObject() const
{
    const auto *object = As<TSQLFromObject>(DatasourceAST());
    return object ? object->ObjectName.get() : nullptr;
}

namespace {
// Parts From (counted from part 0, the object's own name) up to the
// leftmost prefix, as written without quotes. The name is read part by part:
// printed whole, a name bound to its source prints the source's alias.
QString PartsWithoutQuotes(const TSQLQualifiedName *name, qsizetype from)
{
    QStringList parts;
    for (qsizetype i = name->GetCount() - 1; i >= from; --i)
        parts.append(name->GetItems(i)->Text());
    return parts.join(u'.');
}
} // namespace

QString TnvDataSourceObject::GetDataSourceName()
{
    const TSQLDatabaseObject *name = GetDatabaseObject();
    if (IsQualifiedNameEmpty(name))
        return TnvDatasource::GetDataSourceName();
    const QString alias = GetAlias();
    if (!alias.isEmpty())
        return alias + QStringLiteral(" (") + PartsWithoutQuotes(name, 0) + u')';
    if (name->GetCount() == 1)
        return PartsWithoutQuotes(name, 0);
    return name->GetItems(0)->Text() + QStringLiteral(" (") + PartsWithoutQuotes(name, 1) + u')';
}

// ---------------------------------------------------------------------------
// TnvDataSourceQuery

TnvDataSourceQuery::TnvDataSourceQuery(TnvDatasourceGroup *rootGroup, TnvDatasourceGroup *parentGroup,
                                       TnvQueryBuilderModel *queryBuilder)
    : TnvDatasource(rootGroup, parentGroup, queryBuilder)
{
}

bool TnvDataSourceQuery::LoadFromAST(TOwned<TSQLFromSource> node)
{
    FLoading = true;
    TnvScopeExit done([this] { FLoading = false; });
    const bool joinKind = TnvDatasource::LoadFromAST(std::move(node));
    FSubQuery.reset();
    if (const auto *query = As<TSQLFromQuery>(DatasourceAST()))
        if (const auto *proxy = As<TnvSubSelectStatementProxy>(query->Query.get()))
            if (TnvSubQuery *subQuery = proxy->SubQuery())
                FSubQuery.reset(subQuery);
    if (TnvSubQuery *subQuery = FSubQuery.get())
        subQuery->SetCaption(GetAlias());
    return joinKind;
}

void TnvDataSourceQuery::SetAlias(const QString &alias)
{
    TnvDatasource::SetAlias(alias);
    if (TnvSubQuery *subQuery = FSubQuery.get())
        subQuery->SetCaption(alias);
}

void TnvDataSourceQuery::DoAfterUpdated()
{
    auto *query = As<TSQLFromQuery>(DatasourceAST());
    TnvSubQuery *subQuery = FSubQuery.get();
    TnvQueryBuilderModel *queryBuilder = QueryBuilder();
    if (!FLoading && !IsDestroying() && query && subQuery && queryBuilder && query->Query) {
        TOwned<TastNodeBase> tree = subQuery->GetResultAST();
        if (tree && tree->Is<TSQLSubSelectStatement>()) {
            // The derived table's columns come from its SELECT as it now is:
            // the node is bound with that SELECT in place of its proxy.
            TOwned<TSQLSubSelectStatement> proxy = query->Query.release();
            query->Query.reset(TOwned<TSQLSubSelectStatement>(static_cast<TSQLSubSelectStatement *>(tree.release())));
            TnvScopeExit restore([&] {
                TOwned<TSQLSubSelectStatement> bound = query->Query.release();
                query->Query.reset(std::move(proxy));
            });
            TastNodeRefList withItems, fromSources;
            GatherPrepareAndFixupContext(withItems, fromSources, false);
            query->PrepareAndFixupRecursive(withItems, fromSources, queryBuilder->MetadataContainer());
            if (InvDatasourceControl *box = GetIDSControl()) {
                box->ReloadFieldsList();
                box->SetOptimalHeight();
            }
            UpdateChecks();
        }
        DestroyCachedResultASTs();
    }
    TnvDatasource::DoAfterUpdated();
}

TnvMenuItemData *TnvDataSourceQuery::GetPopupMenu()
{
    TnvQueryBuilderModel *qb = QueryBuilder();
    if (!qb)
        return nullptr;
    qb->PopupMenuClear();
    qb->PopupMenuAddItem(nullptr, nvQBMessage(nvQBSwitchToDerivedTable), 0, true, false, false,
                         TNotifyEvent::Bind<&TnvDataSourceQuery::SwitchToDerivedTableEvent>(this), this);
    AddPopupMenuItems();
    qb->PopupMenuCompleted();
    return qb->PopupMenu();
}

void TnvDataSourceQuery::SwitchToDerivedTableEvent(TObject *)
{
    if (TnvSubQuery *subQuery = FSubQuery.get(); subQuery && QueryBuilder())
        QueryBuilder()->SetCurrentSubquery(subQuery);
}

} // namespace nvqb
