#include "sqlmodel/sql/SQLStatements.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/sql/QueryBinding.h"
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

NV_IMPLEMENT_AST_CLASS(TSQLSubQueryExpression, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLSubQuerySelectMode, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLSubQuerySelectModeAll, TSQLSubQuerySelectMode)
NV_IMPLEMENT_AST_CLASS(TSQLSubQuerySelectModeDistinct, TSQLSubQuerySelectMode)
NV_IMPLEMENT_AST_CLASS(TSQLSubQuerySelectModeDistinctRow, TSQLSubQuerySelectMode)
NV_IMPLEMENT_AST_CLASS(TSQLSubQuerySelectModeUnique, TSQLSubQuerySelectMode)
NV_IMPLEMENT_AST_CLASS(TSQLGroupByList, TSQLExpressionsList)
NV_IMPLEMENT_AST_CLASS(TSQLOrderByItem, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLOrderByClause, TastNodeWithList)
NV_IMPLEMENT_AST_CLASS(TSQLSubQuerySelectExpression, TSQLSubQueryExpression)
NV_IMPLEMENT_AST_CLASS(TSQLSubQueryExpressions, TSQLSubQueryExpression)
NV_IMPLEMENT_AST_CLASS(TSQLSubSelectStatement, TSQLSubQueryExpressions)
NV_IMPLEMENT_AST_CLASS(TSQLSelectStatement, TSQLSubSelectStatement)
NV_IMPLEMENT_AST_CLASS(TSQLSubSelectStatementProxy, TSQLSubSelectStatement)
NV_IMPLEMENT_AST_CLASS(TSQLWithClauseItem, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLWithClause, TastNodeWithList)
NV_IMPLEMENT_AST_CLASS(TSQLLimit, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLOffsetLimit, TSQLLimit)
NV_IMPLEMENT_AST_CLASS(TSQLLimitOffset, TSQLOffsetLimit)
NV_IMPLEMENT_AST_CLASS(TSQLSubQueryTopWithTies, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLSubQueryTopPart, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLSubQueryTopRows, TSQLSubQueryTopPart)
NV_IMPLEMENT_AST_CLASS(TSQLSubQueryTopPercent, TSQLSubQueryTopRows)
NV_IMPLEMENT_AST_CLASS(TSQLSubQueryFirstSkipClause, TSQLSubQueryTopPart)
NV_IMPLEMENT_AST_CLASS(TSQLSubQueryTopStartingAt, TastNode)

namespace {
// A main part's keyword(s) are followed by the part's contents one indent
// step deeper, on a new line or after a space.
void BeginPart(TSQLBuilder *builder, const TSQLBuilderSelectFormat *format)
{
    builder->AddIndent(format->IndentInPart());
    builder->NewLineOrSpace(format->NewLineAfterPartKeywords(), 1);
}

void WriteInteger(TSQLBuilder *builder, int value) { builder->WriteNumber(QString::number(value)); }
} // namespace

// ---------------------------------------------------------------------------
// Union operands

void TSQLSubQueryExpression::AssignNode(const TastNodeBase &source)
{
    TastNode::AssignNode(source);
    if (const auto *other = As<TSQLSubQueryExpression>(&source)) {
        UnionOperator = other->UnionOperator;
        UnionAll = other->UnionAll;
    }
}

void TSQLSubQueryExpression::BuildUnionOperator(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    // The operator is written as the dialect spells it, like every other
    // keyword, whatever case the text it came from had; the builder then
    // gives it the case of its keyword format.
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    builder->WriteKeyword(provider ? provider->NormalizeUnionOperator(UnionOperator) : UnionOperator);
    if (UnionAll) {
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("All"));
    }
}

QString TSQLSubQueryExpression::GetSimpleUnionOperator() const
{
    TSQLBuilderFastLease builder;
    builder->BeginBuild();
    BuildUnionOperator(builder.Get(), builder->MainQueryFormat());
    builder->EndBuild();
    return builder->ResultSQL();
}

// ---------------------------------------------------------------------------
// Select modes, GROUP BY, ORDER BY

void TSQLSubQuerySelectMode::BuildMode(const QString &word, TSQLBuilder *builder) const
{
    builder->Space(3);
    builder->WriteKeyword(word);
}

void TSQLSubQuerySelectModeAll::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    BuildMode(QStringLiteral("All"), builder);
}

void TSQLSubQuerySelectModeDistinct::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    BuildMode(QStringLiteral("Distinct"), builder);
}

void TSQLSubQuerySelectModeDistinctRow::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    BuildMode(QStringLiteral("DistinctRow"), builder);
}

void TSQLSubQuerySelectModeUnique::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    BuildMode(QStringLiteral("Unique"), builder);
}

void TSQLGroupByList::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->NewLineOrSpace(format->MainPartsFromNewLine(), 1);
    builder->WriteKeyword(QStringLiteral("Group"));
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("By"));
    BeginPart(builder, format);
    BuildCommaSeparated(this, builder, format, format->GroupByFormat()->NewLineAfterItem());
    builder->EndIndent();
}

void TSQLOrderByItem::GetASTFields(TastFieldsList &list)
{
    TastNode::GetASTFields(list);
    list.Add(Expression, TSQLOrderByItem::StaticClassType());
    list.Add(Trailing, TSQLOrderByItem::StaticClassType());
}

void TSQLOrderByItem::AssignNode(const TastNodeBase &source)
{
    TastNode::AssignNode(source);
    if (const auto *other = As<TSQLOrderByItem>(&source))
        SortOrder = other->SortOrder;
}

void TSQLOrderByItem::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Expression.get(), builder, format, false);
    if (SortOrder == obDesc) {
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("Desc"));
    }
    if (Trailing) {
        builder->Space(3);
        BuildASTField(Trailing.get(), builder, format, false);
    }
}

TSQLOrderByClause::TSQLOrderByClause(TnvBaseSyntaxProvider *provider)
    : TastNodeWithList(provider, TSQLOrderByItem::StaticClassType())
{
}

void TSQLOrderByClause::AssignNode(const TastNodeBase &source)
{
    TastNodeWithList::AssignNode(source);
    if (const auto *other = As<TSQLOrderByClause>(&source))
        Siblings = other->Siblings;
}

void TSQLOrderByClause::BuildKeywords(TSQLBuilder *builder) const
{
    builder->WriteKeyword(QStringLiteral("Order"));
    if (Siblings) {
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("Siblings"));
    }
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("By"));
}

void TSQLOrderByClause::BuildItems(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildCommaSeparated(this, builder, format, format && format->OrderByFormat()->NewLineAfterItem());
}

void TSQLOrderByClause::BuildAsMainPart(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->NewLineOrSpace(format->MainPartsFromNewLine(), 1);
    BuildKeywords(builder);
    builder->NewLineOrSpace(format->NewLineAfterPartKeywords(), 1);
    builder->AddIndent(format->IndentInPart());
    BuildItems(builder, format);
    builder->EndIndent();
}

void TSQLOrderByClause::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildKeywords(builder);
    builder->Space(3);
    BuildCommaSeparated(this, builder, format);
}

// ---------------------------------------------------------------------------
// Select block

TSQLSubQuerySelectExpression::TSQLSubQuerySelectExpression(TnvBaseSyntaxProvider *provider)
    : TSQLSubQueryExpression(provider), FResultFields(provider)
{
}

void TSQLSubQuerySelectExpression::GetASTFields(TastFieldsList &list)
{
    TSQLSubQueryExpression::GetASTFields(list);
    const TClass cls = TSQLSubQuerySelectExpression::StaticClassType();
    list.Add(SelectMode, cls);
    list.Add(SelectItems, cls);
    list.Add(FromClause, cls);
    list.Add(WhereClause, cls);
    list.Add(GroupByClause, cls);
    list.Add(HavingClause, cls);
    list.Add(OrderByClause, cls);
}

void TSQLSubQuerySelectExpression::SetOwnSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TSQLSubQueryExpression::SetOwnSyntaxProvider(provider);
    FResultFields.SetSyntaxProvider(provider);
}

void TSQLSubQuerySelectExpression::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    Assert(format != nullptr, "nvAST", "Printing a select block without a format");
    const bool partsFromNewLine = format->MainPartsFromNewLine();
    const bool newLineAfterKeywords = format->NewLineAfterPartKeywords();

    builder->WriteKeyword(QStringLiteral("Select"));
    builder->AddIndent(format->IndentInPart());
    BuildASTField(SelectMode.get(), builder, format, false);
    if (newLineAfterKeywords)
        builder->NewLine();
    if (SelectItems && SelectItems->GetCount() > 0) {
        if (!newLineAfterKeywords)
            builder->Space(3);
        BuildCommaSeparated(SelectItems.get(), builder, format, format->SelectListFormat()->NewLineAfterItem());
    }
    builder->EndIndent();

    // A block without sources (an empty query, Select 1) has no FROM keyword:
    // no server takes one that is followed by nothing.
    if (FromClause && FromClause->GetCount() > 0) {
        builder->NewLineOrSpace(partsFromNewLine, 0);
        builder->WriteKeyword(QStringLiteral("From"));
        BeginPart(builder, format);
        BuildASTField(FromClause.get(), builder, format, false);
        builder->EndIndent();
    }
    if (WhereClause) {
        builder->NewLineOrSpace(partsFromNewLine, 0);
        builder->WriteKeyword(QStringLiteral("Where"));
        BeginPart(builder, format);
        BuildCosmeticField(WhereClause.get(), builder, format, format->WhereFormat(), 0);
        builder->EndIndent();
    }
    BuildASTField(GroupByClause.get(), builder, format, false);
    if (HavingClause) {
        builder->NewLineOrSpace(partsFromNewLine, 1);
        builder->WriteKeyword(QStringLiteral("Having"));
        BeginPart(builder, format);
        BuildCosmeticField(HavingClause.get(), builder, format, format->HavingFormat(), 0);
        builder->EndIndent();
    }
    if (OrderByClause)
        OrderByClause->BuildAsMainPart(builder, format);
}

// ---------------------------------------------------------------------------
// Union lists

TSQLSubQueryExpression *TSQLSubQueryExpressions::GetItems(qsizetype index) const
{
    return static_cast<TSQLSubQueryExpression *>(FOperands.At(index));
}

qsizetype TSQLSubQueryExpressions::GetCount() const { return FOperands.Count(); }

qsizetype TSQLSubQueryExpressions::Add(TOwned<TSQLSubQueryExpression> operand)
{
    return FOperands.Add(std::move(operand));
}

qsizetype TSQLSubQueryExpressions::Remove(TSQLSubQueryExpression *operand) { return FOperands.Remove(operand); }

void TSQLSubQueryExpressions::Delete(qsizetype index) { FOperands.Delete(index); }

TOwned<TSQLSubQueryExpression> TSQLSubQueryExpressions::Extract(TSQLSubQueryExpression *operand)
{
    return TOwned<TSQLSubQueryExpression>(static_cast<TSQLSubQueryExpression *>(FOperands.Extract(operand).release()));
}

TOwned<TSQLSubQueryExpression> TSQLSubQueryExpressions::Extract(qsizetype index)
{
    return TOwned<TSQLSubQueryExpression>(static_cast<TSQLSubQueryExpression *>(FOperands.Extract(index).release()));
}

void TSQLSubQueryExpressions::Clear() { FOperands.Clear(); }

TSQLSubQuerySelectExpression *TSQLSubQueryExpressions::FirstSelectBlock() const
{
    if (FOperands.Count() == 0)
        return nullptr;
    TastNodeBase *first = FOperands.At(0);
    if (auto *block = As<TSQLSubQuerySelectExpression>(first))
        return block;
    if (auto *group = As<TSQLSubQueryExpressions>(first))
        return group->FirstSelectBlock();
    return nullptr;
}

void TSQLSubQueryExpressions::AssignNode(const TastNodeBase &source)
{
    TSQLSubQueryExpression::AssignNode(source);
    if (const auto *other = As<TSQLSubQueryExpressions>(&source))
        FOperands.CloneFrom(other->FOperands);
}

void TSQLSubQueryExpressions::DestroyOwned()
{
    // Given up after the registered fields, the operands are freed before them.
    TSQLSubQueryExpression::DestroyOwned();
    FOperands.Clear();
}

void TSQLSubQueryExpressions::GetMyChildren(TastNodesList &list) const
{
    TSQLSubQueryExpression::GetMyChildren(list);
    FOperands.AppendTo(list);
}

void TSQLSubQueryExpressions::MoveSubQueryInProxy(TObject *owner, TastProxyClass proxyClass)
{
    TSQLSubQueryExpression::MoveSubQueryInProxy(owner, proxyClass);
    FOperands.ReplaceByProxies(SyntaxProvider(), owner, proxyClass);
}

void TSQLSubQueryExpressions::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    Assert(format != nullptr, "nvAST", "Printing a union list without a format");
    bool first = true;
    for (qsizetype i = 0; i < FOperands.Count(); ++i) {
        const auto *operand = static_cast<const TSQLSubQueryExpression *>(FOperands.At(i));
        if (!operand)
            continue;
        if (!first) {
            builder->NewLineOrSpace(format->MainPartsFromNewLine(), 1);
            operand->BuildUnionOperator(builder, format);
            builder->NewLineOrSpace(format->MainPartsFromNewLine(), 1);
        }
        first = false;
        const bool group = operand->Is<TSQLSubQueryExpressions>();
        if (group)
            builder->WriteSymbol(QStringLiteral("("));
        BuildASTField(operand, builder, format, false);
        if (group)
            builder->WriteSymbol(QStringLiteral(")"));
    }
}

// ---------------------------------------------------------------------------
// Statements

void TSQLSubSelectStatement::GetASTFields(TastFieldsList &list)
{
    TSQLSubQueryExpressions::GetASTFields(list);
    list.Add(WithClause, TSQLSubSelectStatement::StaticClassType());
    list.Add(OrderByClause, TSQLSubSelectStatement::StaticClassType());
}

void TSQLSubSelectStatement::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    Assert(format != nullptr, "nvAST", "Printing a statement without a format");
    builder->AddIndent(format->IndentGlobal());
    if (WithClause) {
        BuildASTField(WithClause.get(), builder, format, false);
        builder->NewLineOrSpace(format->MainPartsFromNewLine(), 1);
    }
    TSQLSubQueryExpressions::BuildSQLDirect(builder, format);
    if (OrderByClause) {
        // The statement's ORDER BY never carries SIBLINGS.
        builder->NewLineOrSpace(format->MainPartsFromNewLine(), 1);
        builder->WriteKeyword(QStringLiteral("Order"));
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("By"));
        BeginPart(builder, format);
        OrderByClause->BuildItems(builder, format);
        builder->EndIndent();
    }
    builder->EndIndent();
}

bool TSQLSubSelectStatement::EnterBinding(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                                          TnvMetadataContainer *container)
{
    TastScopeCut visibleWithItems(withItems);
    if (WithClause)
        WithClause->PrepareAndFixupRecursive(withItems, fromSources, container);
    TastNodesList children;
    GetMyChildren(children);
    for (TastNodeBase *child : children)
        if (child != WithClause.get())
            child->PrepareAndFixupRecursive(withItems, fromSources, container);
    PrepareAndFixup(withItems, fromSources, container);
    return true;
}

// ---------------------------------------------------------------------------
// Proxy

namespace {
[[noreturn]] void RefuseOnProxy(const char *operation, bool assertion)
{
    const QString message = QString::fromLatin1(operation) +
                            QStringLiteral(" can't be called with TSQLSubSelectStatementProxy");
    if (assertion)
        AssertionFailure("nvAST", message.toLatin1().constData());
    throw Exception(message);
}
} // namespace

TSQLSubQueryExpression *TSQLSubSelectStatementProxy::GetItems(qsizetype) const { RefuseOnProxy("GetItems", true); }

qsizetype TSQLSubSelectStatementProxy::GetCount() const { RefuseOnProxy("GetCount", true); }

qsizetype TSQLSubSelectStatementProxy::Add(TOwned<TSQLSubQueryExpression>) { RefuseOnProxy("Add", false); }

qsizetype TSQLSubSelectStatementProxy::Remove(TSQLSubQueryExpression *) { RefuseOnProxy("Remove", true); }

void TSQLSubSelectStatementProxy::Delete(qsizetype) { RefuseOnProxy("Delete", true); }

TOwned<TSQLSubQueryExpression> TSQLSubSelectStatementProxy::Extract(TSQLSubQueryExpression *)
{
    RefuseOnProxy("Extract", true);
}

TOwned<TSQLSubQueryExpression> TSQLSubSelectStatementProxy::Extract(qsizetype) { RefuseOnProxy("Extract", true); }

void TSQLSubSelectStatementProxy::Clear() { RefuseOnProxy("Clear", false); }

void TSQLSubSelectStatementProxy::AssignNode(const TastNodeBase &) { RefuseOnProxy("Assign", false); }

void TSQLSubSelectStatementProxy::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    TOwned<TSQLSubSelectStatement> tree = GetASTTree();
    BuildASTField(tree.get(), builder, format, false);
}

TOwned<TastNodeBase> TSQLSubSelectStatementProxy::CloneInternal() const { return GetASTTree(); }

void TSQLSubSelectStatementProxy::GetMyChildren(TastNodesList &) const {}

// ---------------------------------------------------------------------------
// WITH

TSQLWithClauseItem::TSQLWithClauseItem(TnvBaseSyntaxProvider *provider) : TastNode(provider), FResultFields(provider) {}

void TSQLWithClauseItem::GetASTFields(TastFieldsList &list)
{
    TastNode::GetASTFields(list);
    list.Add(Name, TSQLWithClauseItem::StaticClassType());
    list.Add(ColumnNames, TSQLWithClauseItem::StaticClassType());
    list.Add(Query, TSQLWithClauseItem::StaticClassType());
}

void TSQLWithClauseItem::DestroyOwned()
{
    // FROM objects bound to this item read nil from here on.
    ClearTrackedReferences();
    TastNode::DestroyOwned();
}

void TSQLWithClauseItem::SetOwnSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TastNode::SetOwnSyntaxProvider(provider);
    FResultFields.SetSyntaxProvider(provider);
}

void TSQLWithClauseItem::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    const int indentInPart = format ? format->IndentInPart() : 0;
    BuildASTField(Name.get(), builder, format, false);
    if (ColumnNames) {
        builder->WriteSymbol(QStringLiteral("("));
        builder->AddIndent(indentInPart);
        BuildCommaSeparated(ColumnNames.get(), builder, format);
        builder->EndIndent();
        builder->WriteSymbol(QStringLiteral(")"));
    }
    builder->Space(3);
    builder->WriteKeywordAndSpace(QStringLiteral("As"), 3);
    builder->WriteSymbol(QStringLiteral("("));
    builder->AddIndent(indentInPart);
    BuildASTField(Query.get(), builder, builder->FromSubQueryFormat(), false);
    builder->EndIndent();
    builder->WriteSymbol(QStringLiteral(")"));
}

TSQLWithClause::TSQLWithClause(TnvBaseSyntaxProvider *provider)
    : TastNodeWithList(provider, TSQLWithClauseItem::StaticClassType())
{
}

void TSQLWithClause::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    const bool newLineAfterKeywords = format && format->NewLineAfterPartKeywords();
    builder->WriteKeyword(QStringLiteral("With"));
    // After a new line the items start at the indent, without a stray blank.
    if (newLineAfterKeywords)
        builder->NewLine();
    else
        builder->Space(3);
    builder->AddIndent(format ? format->IndentInPart() : 0);
    BuildCommaSeparated(this, builder, format, true);
    builder->EndIndent();
}

// ---------------------------------------------------------------------------
// Row limits

void TSQLLimit::AssignNode(const TastNodeBase &source)
{
    TastNode::AssignNode(source);
    if (const auto *other = As<TSQLLimit>(&source))
        Limit = other->Limit;
}

void TSQLLimit::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->NewLineOrSpace(format && format->MainPartsFromNewLine(), 1);
    builder->WriteKeyword(QStringLiteral("Limit"));
    builder->Space(3);
    builder->AddIndent(format ? format->IndentInPart() : 0);
    WriteInteger(builder, Limit);
    builder->EndIndent();
}

void TSQLOffsetLimit::AssignNode(const TastNodeBase &source)
{
    TSQLLimit::AssignNode(source);
    if (const auto *other = As<TSQLOffsetLimit>(&source))
        Offset = other->Offset;
}

void TSQLOffsetLimit::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->NewLineOrSpace(format && format->MainPartsFromNewLine(), 1);
    builder->WriteKeyword(QStringLiteral("Limit"));
    builder->Space(3);
    builder->AddIndent(format ? format->IndentInPart() : 0);
    WriteInteger(builder, Offset);
    builder->WriteSymbol(QStringLiteral(","));
    builder->Space(2);
    WriteInteger(builder, Limit);
    builder->EndIndent();
}

void TSQLLimitOffset::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->NewLineOrSpace(format && format->MainPartsFromNewLine(), 1);
    builder->WriteKeyword(QStringLiteral("Limit"));
    builder->Space(3);
    builder->AddIndent(format ? format->IndentInPart() : 0);
    WriteInteger(builder, Limit);
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("Offset"));
    builder->Space(3);
    WriteInteger(builder, Offset);
    builder->EndIndent();
}

void TSQLSubQueryTopWithTies::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    builder->WriteKeyword(QStringLiteral("With"));
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("Ties"));
}

void TSQLSubQueryTopPart::GetASTFields(TastFieldsList &list)
{
    TastNode::GetASTFields(list);
    list.Add(WithTies, TSQLSubQueryTopPart::StaticClassType());
}

void TSQLSubQueryTopPart::BuildWithTies(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    if (WithTies) {
        builder->Space(3);
        BuildASTField(WithTies.get(), builder, format, false);
    }
}

void TSQLSubQueryTopRows::GetASTFields(TastFieldsList &list)
{
    TSQLSubQueryTopPart::GetASTFields(list);
    list.Add(RowCount, TSQLSubQueryTopRows::StaticClassType());
    list.Add(StartingAt, TSQLSubQueryTopRows::StaticClassType());
}

void TSQLSubQueryTopRows::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("Top"));
    builder->Space(3);
    BuildASTField(RowCount.get(), builder, format, false);
    if (StartingAt) {
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("Starting"));
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("At"));
        builder->Space(3);
        BuildASTField(StartingAt.get(), builder, format, false);
    }
    BuildWithTies(builder, format);
}

void TSQLSubQueryTopPercent::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("Top"));
    builder->Space(3);
    BuildASTField(RowCount.get(), builder, format, false);
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("Percent"));
    BuildWithTies(builder, format);
}

void TSQLSubQueryFirstSkipClause::GetASTFields(TastFieldsList &list)
{
    TSQLSubQueryTopPart::GetASTFields(list);
    list.Add(First, TSQLSubQueryFirstSkipClause::StaticClassType());
    list.Add(Skip, TSQLSubQueryFirstSkipClause::StaticClassType());
}

void TSQLSubQueryFirstSkipClause::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("First"));
    if (!First)
        return;
    builder->Space(3);
    BuildASTField(First.get(), builder, format, false);
    if (Skip) {
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("Skip"));
        builder->Space(3);
        BuildASTField(Skip.get(), builder, format, false);
    }
}

void TSQLSubQueryTopStartingAt::GetASTFields(TastFieldsList &list)
{
    TastNode::GetASTFields(list);
    list.Add(Start, TSQLSubQueryTopStartingAt::StaticClassType());
}

void TSQLSubQueryTopStartingAt::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteKeyword(QStringLiteral("Starting"));
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("At"));
    builder->Space(3);
    BuildASTField(Start.get(), builder, format, false);
}

} // namespace nvqb
