#include "sqlmodel/sql/SQLFromClause.h"
#include "classlib/Assert.h"
#include "sqlmodel/sql/BindingSources.h"
#include "sqlmodel/sql/SQLStatements.h"
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

NV_IMPLEMENT_AST_CLASS(TSQLAliasObjectAlias, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLAliasObjectAsAlias, TSQLAliasObjectAlias)
NV_IMPLEMENT_AST_CLASS(TSQLFromSource, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLFromObject, TSQLFromSource)
NV_IMPLEMENT_AST_CLASS(TSQLFromQuery, TSQLFromSource)
NV_IMPLEMENT_AST_CLASS(TSQLFromFunction, TSQLFromSource)
NV_IMPLEMENT_AST_CLASS(TSQLFromBuiltInFunction, TSQLFromFunction)
NV_IMPLEMENT_AST_CLASS(TSQLFromVariable, TSQLFromSource)
NV_IMPLEMENT_AST_CLASS(TSQLFromItem, TSQLFromSource)
NV_IMPLEMENT_AST_CLASS(TSQLFromClause, TSQLFromItem)

namespace {
QString ProbeQuery(const QString &sourceText)
{
    return QStringLiteral("select * from ") + sourceText + QStringLiteral(" where 0<>0");
}
} // namespace

// ---------------------------------------------------------------------------
// Aliases

void TSQLAliasObjectAlias::GetASTFields(TastFieldsList &list)
{
    TastNode::GetASTFields(list);
    list.Add(Identifier, TSQLAliasObjectAlias::StaticClassType());
}

void TSQLAliasObjectAlias::BuildAliasName(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Identifier.get(), builder, format, false);
}

void TSQLAliasObjectAlias::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildAliasName(builder, format);
}

void TSQLAliasObjectAsAlias::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("As"));
    builder->Space(3);
    BuildAliasName(builder, format);
}

// ---------------------------------------------------------------------------
// TSQLFromSource

TSQLFromSource::TSQLFromSource(TnvBaseSyntaxProvider *provider) : TastNode(provider), FFieldsList(provider) {}

void TSQLFromSource::GetASTFields(TastFieldsList &list)
{
    TastNode::GetASTFields(list);
    list.Add(JoinKind, TSQLFromSource::StaticClassType());
    list.Add(JoinCondition, TSQLFromSource::StaticClassType());
    list.Add(Alias, TSQLFromSource::StaticClassType());
}

void TSQLFromSource::AssignNode(const TastNodeBase &source)
{
    TastNode::AssignNode(source);
    const auto *other = As<TSQLFromSource>(&source);
    if (other && !TastUnboundCopy::IsOpen())
        FFieldsList.AssignFrom(other->FieldsList());
    else if (other)
        FFieldsList.Clear();
}

void TSQLFromSource::DestroyOwned()
{
    // Names and columns bound to this source read nil from here on.
    ClearTrackedReferences();
    TastNode::DestroyOwned();
}

void TSQLFromSource::SetOwnSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TastNode::SetOwnSyntaxProvider(provider);
    FFieldsList.SetSyntaxProvider(provider);
}

void TSQLFromSource::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildExpression(builder, format);
    if (Alias) {
        builder->Space(3);
        BuildASTField(Alias.get(), builder, format, false);
    }
}

void TSQLFromSource::BuildJoinOperator(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    if (JoinKind)
        BuildASTField(JoinKind.get(), builder, format, false);
    else
        builder->WriteSymbol(QStringLiteral(","));
}

QString TSQLFromSource::GetSimpleExpression() const
{
    TSQLBuilderFastLease builder;
    builder->BeginBuild();
    // Settings of the shared builder's last text must not leak into this one.
    builder->SetQuoteIdentifiers(icIfNeed);
    builder->SetObjectPrefixSkipping(opsSkipNone);
    builder->SetDefaultDatabaseName(nullptr);
    builder->SetDefaultSchemaNames(nullptr);
    BuildExpression(builder.Get(), builder->MainQueryFormat());
    builder->EndBuild();
    return builder->ResultSQL();
}

QString TSQLFromSource::FieldsProbeQuery() const
{
    const QString text = SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr);
    return text.isEmpty() ? QString() : ProbeQuery(text);
}

void TSQLFromSource::LoadFieldsByProbe(TnvMetadataContainer *container)
{
    const TnvMetadataEntries *entries = MetadataEntries();
    if (!FieldsList() || !container || !entries || !entries->LoadFieldsForQuery)
        return;
    const QString query = FieldsProbeQuery();
    if (!query.isEmpty())
        entries->LoadFieldsForQuery(container, query, FieldsList());
}

void TSQLFromSource::CalcFieldsList(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *container)
{
    FFieldsList.Clear();
    // A source the database cannot describe simply offers no columns; a
    // failing probe must not fail the binding of the whole statement.
    try {
        LoadFieldsByProbe(container);
    } catch (const std::exception &) {
        FFieldsList.Clear();
    }
}

void TSQLFromSource::PrepareAndFixup(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                     TnvMetadataContainer *container)
{
    CalcFieldsList(withItems, fromSources, container);
    TSQLBindingSources::FieldsChanged(this);
}

bool TSQLFromSource::EnterBinding(TastNodeRefList &, TastNodeRefList &fromSources, TnvMetadataContainer *)
{
    fromSources.append(this);
    // While its own children bind, the source offers no columns: a list left
    // from an earlier binding would let a second binding differ from the first.
    FFieldsList.Clear();
    TSQLBindingSources::FieldsChanged(this);
    return false;
}

// ---------------------------------------------------------------------------
// TSQLFromObject

void TSQLFromObject::GetASTFields(TastFieldsList &list)
{
    TSQLFromSource::GetASTFields(list);
    list.Add(ObjectName, TSQLFromObject::StaticClassType());
}

void TSQLFromObject::AssignNode(const TastNodeBase &source)
{
    TSQLFromSource::AssignNode(source);
    // What the source was bound to; a WITH item inside the copied tree
    // becomes the copy's own when the copy is complete.
    if (const auto *object = As<TSQLFromObject>(&source)) {
        FWithItem.CopyFrom(object->FWithItem);
        FMetadataObject.CopyFrom(object->FMetadataObject);
    } else {
        FWithItem.reset();
        FMetadataObject.reset();
    }
}

void TSQLFromObject::RepointCopiedReferences(const TastNodeBase &source, const TastCopyMap &copies)
{
    TSQLFromSource::RepointCopiedReferences(source, copies);
    if (TastNodeBase *copy = copies.CopyOf(WithItem()))
        FWithItem.reset(static_cast<TSQLWithClauseItem *>(copy));
}

void TSQLFromObject::SetWithItem(TSQLWithClauseItem *item) { FWithItem.reset(item); }

void TSQLFromObject::SetMetadataObject(TnvMetadataObject *object, TnvRefTarget *target)
{
    Assert(!object || target != nullptr, "nvAST", "A metadata object without its tracking part");
    FMetadataObject.reset(object, target);
}

void TSQLFromObject::BuildExpression(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    Assert(ObjectName.get() != nullptr, "nvAST", "A FROM object without an object name");
    ObjectName->BuildQualifiedName(builder, format, builder->QuoteIdentifiers());
}

void TSQLFromObject::CalcFieldsList(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                    TnvMetadataContainer *container)
{
    if (const TSQLWithClauseItem *item = WithItem()) {
        FieldsHolder().AssignFrom(item->ResultFields());
        return;
    }
    if (TnvMetadataObject *object = MetadataObject()) {
        FieldsHolder().Clear();
        const TnvMetadataEntries *entries = MetadataEntries();
        if (FieldsList() && entries && entries->CopyObjectFields)
            entries->CopyObjectFields(object, container, FieldsList());
        return;
    }
    TSQLFromSource::CalcFieldsList(withItems, fromSources, container);
}

void TSQLFromObject::PrepareAndFixup(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                     TnvMetadataContainer *container)
{
    FWithItem.reset();
    TSQLDatabaseObject *name = ObjectName.get();
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (name && provider && name->GetCount() == 1) {
        if (const auto *identifier = As<TastTokenIdentifier>(name->GetItems(0))) {
            // The innermost WITH item of that name wins.
            for (qsizetype i = withItems.size() - 1; i >= 0; --i) {
                auto *item = As<TSQLWithClauseItem>(withItems[i]);
                if (item && item->Name && provider->CompareIdentifiers(identifier, item->Name.get()) == 0) {
                    FWithItem.reset(item);
                    break;
                }
            }
        }
    }
    FMetadataObject.reset();
    if (!FWithItem && name && container) {
        const TnvMetadataEntries *entries = MetadataEntries();
        if (entries && entries->FindObjectByFullName && entries->ObjectRefTarget) {
            if (TnvMetadataObject *object = entries->FindObjectByFullName(container, name))
                FMetadataObject.reset(object, entries->ObjectRefTarget(object));
        }
    }
    CalcFieldsList(withItems, fromSources, container);
    TSQLBindingSources::FieldsChanged(this);
    if (name)
        name->SetDatasource(this);
}

// ---------------------------------------------------------------------------
// Derived tables, functions, variables

void TSQLFromQuery::GetASTFields(TastFieldsList &list)
{
    TSQLFromSource::GetASTFields(list);
    list.Add(Query, TSQLFromQuery::StaticClassType());
    list.Add(Extra, TSQLFromQuery::StaticClassType());
}

void TSQLFromQuery::BuildExpression(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    builder->WriteSymbol(QStringLiteral("("));
    BuildASTField(Query.get(), builder, builder->FromSubQueryFormat(), false);
    builder->WriteSymbol(QStringLiteral(")"));
}

void TSQLFromQuery::CalcFieldsList(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *)
{
    const TSQLSubQuerySelectExpression *block = Query ? Query->FirstSelectBlock() : nullptr;
    FieldsHolder().AssignFrom(block ? block->ResultFields() : nullptr);
}

void TSQLFromFunction::GetASTFields(TastFieldsList &list)
{
    TSQLFromSource::GetASTFields(list);
    list.Add(Function, TSQLFromFunction::StaticClassType());
}

void TSQLFromFunction::BuildExpression(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Function.get(), builder, format, false);
}

QString TSQLFromFunction::FunctionProbeQuery() const
{
    TOwned<TSQLFromFunction> copy = CloneAs<TSQLFromFunction>(this);
    if (TSQLFunction *function = copy->Function.get()) {
        // Same number of arguments, none of them evaluated.
        for (qsizetype i = 0; i < function->GetCount(); ++i) {
            TOwned<TSQLExpressionConstant> null = Create<TSQLExpressionConstant>(SyntaxProvider());
            null->AddKeyword(QStringLiteral("Null"));
            function->SetItems(i, std::move(null));
        }
    }
    return copy->FieldsProbeQuery();
}

void TSQLFromFunction::CalcFieldsList(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *container)
{
    FieldsHolder().Clear();
    const TnvMetadataEntries *entries = MetadataEntries();
    if (!FieldsList() || !container || !entries || !entries->LoadFieldsForQuery)
        return;
    // As for objects: a function the database cannot describe offers no
    // columns instead of failing the binding of the statement.
    try {
        const QString query = FunctionProbeQuery();
        if (!query.isEmpty())
            entries->LoadFieldsForQuery(container, query, FieldsList());
    } catch (const std::exception &) {
        FieldsHolder().Clear();
    }
}

void TSQLFromVariable::GetASTFields(TastFieldsList &list)
{
    TSQLFromSource::GetASTFields(list);
    list.Add(Variable, TSQLFromVariable::StaticClassType());
}

void TSQLFromVariable::BuildExpression(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Variable.get(), builder, format, false);
}

// ---------------------------------------------------------------------------
// Chains

qsizetype TSQLFromItem::Add(TOwned<TSQLFromSource> source) { return FChain.Add(std::move(source)); }

TOwned<TSQLFromSource> TSQLFromItem::Extract(const TSQLFromSource *source)
{
    return TOwned<TSQLFromSource>(static_cast<TSQLFromSource *>(FChain.Extract(source).release()));
}

TOwned<TSQLFromSource> TSQLFromItem::Extract(qsizetype index)
{
    return TOwned<TSQLFromSource>(static_cast<TSQLFromSource *>(FChain.Extract(index).release()));
}

void TSQLFromItem::AssignNode(const TastNodeBase &source)
{
    TSQLFromSource::AssignNode(source);
    if (const auto *other = As<TSQLFromItem>(&source))
        FChain.CloneFrom(other->FChain);
}

void TSQLFromItem::DestroyOwned()
{
    // Given up after the registered fields, the chain is freed before them.
    TSQLFromSource::DestroyOwned();
    FChain.Clear();
}

void TSQLFromItem::GetMyChildren(TastNodesList &list) const
{
    TSQLFromSource::GetMyChildren(list);
    FChain.AppendTo(list);
}

void TSQLFromItem::MoveSubQueryInProxy(TObject *owner, TastProxyClass proxyClass)
{
    TSQLFromSource::MoveSubQueryInProxy(owner, proxyClass);
    FChain.ReplaceByProxies(SyntaxProvider(), owner, proxyClass);
}

void TSQLFromItem::BuildExpression(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildSQL(builder, format);
}

void TSQLFromItem::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    Assert(format != nullptr, "nvAST", "Printing a FROM chain without a format");
    const TSQLBuilderFromClauseFormat *from = format->FromClauseFormat();
    const int indentInPart = format->IndentInPart();
    bool first = true;
    for (qsizetype i = 0; i < FChain.Count(); ++i) {
        const auto *source = static_cast<const TSQLFromSource *>(FChain.At(i));
        if (!source)
            continue;
        if (!first) {
            if (source->JoinKind) {
                builder->NewLineOrSpace(from->NewLineAfterDatasource(), 1);
                BuildASTField(source->JoinKind.get(), builder, format, false);
                builder->NewLineOrSpace(from->NewLineAfterJoin(), 1);
            } else {
                builder->WriteSymbol(QStringLiteral(","));
                builder->NewLineOrSpace(from->NewLineAfterDatasource(), 1);
            }
        }
        first = false;
        const bool nested = source->Is<TSQLFromItem>();
        if (nested)
            builder->WriteSymbol(QStringLiteral("("));
        // A line break inside the source lands one step deeper than the
        // FROM part's contents.
        builder->AddIndent(indentInPart);
        BuildASTField(source, builder, format, false);
        builder->EndIndent();
        if (nested)
            builder->WriteSymbol(QStringLiteral(")"));
        if (source->JoinCondition) {
            const TSQLBuilderConditionFormat *condition = from->JoinConditionFormat();
            builder->Space(3);
            builder->WriteKeyword(QStringLiteral("On"));
            builder->Space(3);
            builder->AddIndent(condition->IndentNestedConditions());
            BuildCosmeticField(source->JoinCondition.get(), builder, format, condition, 0);
            builder->EndIndent();
        }
    }
}

void TSQLFromItem::CalcFieldsList(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *)
{
    FieldsHolder().Clear();
}

bool TSQLFromItem::EnterBinding(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                TnvMetadataContainer *container)
{
    for (qsizetype i = 0; i < FChain.Count(); ++i)
        if (TastNodeBase *source = FChain.At(i))
            source->PrepareAndFixupRecursive(withItems, fromSources, container);
    TastNodesList children;
    TSQLFromSource::GetMyChildren(children);
    for (TastNodeBase *child : children)
        child->PrepareAndFixupRecursive(withItems, fromSources, container);
    PrepareAndFixup(withItems, fromSources, container);
    return true;
}

} // namespace nvqb
