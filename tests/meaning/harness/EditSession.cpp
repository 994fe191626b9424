#include "EditSession.h"

#include "MeaningDatabase.h"
#include "MeaningModel.h"
#include "SegmentOracles.h"
#include "SegmentStatements.h"
#include "StatementGenerator.h"
#include "StatementText.h"

#include "builder/model/Datasource.h"
#include "builder/model/DatasourceGroup.h"
#include "builder/model/Link.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/ScopeExit.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SelectList.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionGroup.h"
#include "builder/model/UnionSubQuery.h"
#include "sqlmodel/ast/AstTokens.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <functional>
#include <random>

namespace nvqb::meaning {

namespace {

// --- The block before a step, taken apart for the oracles ----------------------

struct TSourceText {
    // "q q1" as written in FROM, the prefix its columns carry, its table.
    QString Text, Prefix, Table;
};

struct TBlockParts {
    bool Usable = true;
    QString Mode;
    QStringList Items;
    // The prefixes each item names.
    QList<QSet<QString>> ItemPrefixes;
    bool Star = false;
    bool Outer = false;
    QList<TSourceText> Sources;
    // The terms of every ON condition and of WHERE.
    QStringList Conjuncts;
    QStringList GroupBy, Having;
};

void AddSources(const TSQLFromItem *chain, TBlockParts &parts)
{
    for (qsizetype i = 0; i < chain->GetCount(); ++i) {
        TSQLFromSource *source = chain->GetItems(i);
        if (source->JoinKind && (source->JoinKind->IsLeftOuter() || source->JoinKind->IsRightOuter()))
            parts.Outer = true;
        parts.Conjuncts += ConjunctsOf(source->JoinCondition.get());
        if (const auto *nested = As<TSQLFromItem>(source)) {
            AddSources(nested, parts);
        } else if (const auto *object = As<TSQLFromObject>(source)) {
            TSourceText text;
            text.Table = object->GetSimpleExpression();
            text.Prefix = source->Alias && source->Alias->Identifier ? source->Alias->Identifier->Text() : text.Table;
            text.Text = text.Prefix == text.Table ? text.Table : text.Table + u' ' + text.Prefix;
            parts.Sources.append(text);
        } else {
            parts.Usable = false;
        }
    }
}

TBlockParts PartsOf(const TSQLSubQuerySelectExpression *block)
{
    TBlockParts parts;
    if (!block || !block->FromClause || !block->SelectItems) {
        parts.Usable = false;
        return parts;
    }
    if (block->SelectMode)
        parts.Mode = Text(block->SelectMode.get()) + u' ';
    for (qsizetype i = 0; i < block->SelectItems->GetCount(); ++i) {
        const TSQLSelectItem *item = block->SelectItems->GetItems(i);
        parts.Star = parts.Star || item->Is<TSQLSelectItemAllColumns>();
        parts.Items.append(Text(item));
        parts.ItemPrefixes.append(NamesIn(Text(item)));
    }
    AddSources(block->FromClause.get(), parts);
    parts.Conjuncts += ConjunctsOf(block->WhereClause.get());
    if (block->GroupByClause)
        for (qsizetype i = 0; i < block->GroupByClause->GetCount(); ++i)
            parts.GroupBy.append(Text(block->GroupByClause->GetItems(i)));
    parts.Having = ConjunctsOf(block->HavingClause.get());
    return parts;
}

// The names the sources of the block's sub-queries go by, lower case: an
// edit may give a source of the block one of them (a table added a second
// time), and inside its sub-query the name is then the sub-query's own.
QSet<QString> DeclaredInSubQueries(const TSQLSubQuerySelectExpression *block)
{
    QSet<QString> names;
    if (!block)
        return names;
    TastNodesList nodes;
    block->GetMyChildrenRecursive(nodes);
    for (TastNodeBase *node : std::as_const(nodes)) {
        if (!node->Is<TSQLSubSelectStatement>())
            continue;
        TastNodesList inner;
        node->GetMyChildrenRecursive(inner);
        for (TastNodeBase *child : std::as_const(inner)) {
            const auto *source = As<TSQLFromSource>(child);
            if (source && source->Alias && source->Alias->Identifier)
                names.insert(source->Alias->Identifier->Text().toLower());
            else if (const auto *object = As<TSQLFromObject>(child))
                names.insert(object->GetSimpleExpression().toLower());
        }
    }
    return names;
}

QString Conjunction(const QStringList &terms)
{
    QStringList bracketed;
    for (const QString &term : terms)
        bracketed.append(u'(' + term + u')');
    return bracketed.join(QStringLiteral(" And "));
}

// The block of the parts: sources after commas, every condition in WHERE.
QString BlockSQL(const TBlockParts &parts)
{
    QStringList sources;
    for (const TSourceText &source : parts.Sources)
        sources.append(source.Text);
    QString sql = QStringLiteral("Select ") + parts.Mode + parts.Items.join(QStringLiteral(", ")) +
                  QStringLiteral(" From ") + sources.join(QStringLiteral(", "));
    if (!parts.Conjuncts.isEmpty())
        sql += QStringLiteral(" Where ") + Conjunction(parts.Conjuncts);
    if (!parts.GroupBy.isEmpty())
        sql += QStringLiteral(" Group By ") + parts.GroupBy.join(QStringLiteral(", "));
    if (!parts.Having.isEmpty())
        sql += QStringLiteral(" Having ") + Conjunction(parts.Having);
    return sql;
}

bool IsOr(const QString &text) { return text.contains(QStringLiteral(" or "), Qt::CaseInsensitive); }

bool HasAggregate(const QString &text)
{
    static const QRegularExpression aggregate(QStringLiteral("\\b(count|sum|min|max|avg)\\s*\\("),
                                              QRegularExpression::CaseInsensitiveOption);
    return aggregate.match(text).hasMatch();
}

// Whether the node holds an aggregate of its own block: those of its
// sub-queries aggregate their own rows.
bool HasOwnAggregate(TastNodeBase *node)
{
    if (!node || node->Is<TSQLSubSelectStatement>())
        return false;
    if (node->Is<TSQLExpressionAggregate>())
        return true;
    TastNodesList children;
    node->GetMyChildren(children);
    for (TastNodeBase *child : std::as_const(children))
        if (HasOwnAggregate(child))
            return true;
    return false;
}

// --- The model's union tree -------------------------------------------------

void CollectMembers(TnvUnionGroup *group, QList<TnvUnionSubQuery *> &parts, QList<TnvUnionGroup *> &groups)
{
    for (qsizetype i = 0; i < group->GetCount(); ++i) {
        TnvQueryBase *member = group->GetItems(i);
        if (auto *nested = As<TnvUnionGroup>(member)) {
            groups.append(nested);
            CollectMembers(nested, parts, groups);
        } else if (auto *part = As<TnvUnionSubQuery>(member)) {
            parts.append(part);
        }
    }
}

// The group at the pre-order index, with the list that holds it.
QList<TUnionTerm> *FindGroup(QList<TUnionTerm> &terms, int &index, qsizetype &position)
{
    for (qsizetype i = 0; i < terms.size(); ++i) {
        if (!terms[i].IsGroup())
            continue;
        if (index-- == 0) {
            position = i;
            return &terms;
        }
        if (QList<TUnionTerm> *found = FindGroup(terms[i].Members, index, position))
            return found;
    }
    return nullptr;
}

// The list that holds the block at the textual index, and its place.
QList<TUnionTerm> *FindBlockList(QList<TUnionTerm> &terms, int &index, qsizetype &position)
{
    for (qsizetype i = 0; i < terms.size(); ++i) {
        if (terms[i].IsGroup()) {
            if (QList<TUnionTerm> *found = FindBlockList(terms[i].Members, index, position))
                return found;
        } else if (index-- == 0) {
            position = i;
            return &terms;
        }
    }
    return nullptr;
}

// The table a data source names, without its alias; empty for other sources.
QString TableOf(TnvDatasource *datasource)
{
    return As<TnvDataSourceObject>(datasource) && datasource->DatasourceAST()
               ? datasource->DatasourceAST()->GetSimpleExpression()
               : QString();
}

// The name its columns carry: the alias, else the table.
QString SourcePrefix(TnvDatasource *datasource)
{
    const QString alias = datasource->GetAlias();
    return alias.isEmpty() ? TableOf(datasource) : alias;
}

// --- The session ------------------------------------------------------------

// What a step promises.
struct TPlan {
    QString Action;
    enum TExpect { Nothing, SameRows, Statement } Expect = Nothing;
    QString Expected;
    // The text must come back as it was (a move forward and back).
    bool SameText = false;
    // In a dialect without ANSI joins no join is written in FROM.
    bool NoJoins = false;
    // The step takes columns out of a part of a union, whose parts then
    // differ in width: the SQL need not run, and the session ends there.
    bool MayBreakUnion = false;
    // The step takes a source out of a sub-query, which may lose the column
    // it gave and be left as "Select *": that SQL need not run either, and
    // the session ends there.
    bool MayEmptySubQuery = false;
    // A * lists the columns of the sources in the order FROM names them,
    // and laying out the joins may name them in another: the rows then
    // compare as multisets of their values.
    bool AnyColumnOrder = false;
    // The step takes sources out of this part, which has a HAVING: when its
    // GROUP BY and aggregate output columns go with them, HAVING is left on
    // a query that groups nothing, which servers refuse ("HAVING clause on a
    // non-aggregate query"). The user sees what is left and the query fails
    // visibly; the session ends there.
    int MayLeaveHavingAlone = -1;
};

// The result with the values of every row in one order of their own.
TQueryResult WithRowsSorted(TQueryResult result)
{
    for (QVariantList &row : result.Rows)
        std::sort(row.begin(), row.end(),
                  [](const QVariant &a, const QVariant &b) { return CellText(a) < CellText(b); });
    return result;
}

class TSession {
public:
    // Operations that edit the model, each with the weight it is drawn by.
    using TOperations = QList<QPair<bool (TSession::*)(TPlan &), int>>;

    TSession(const TMeaningDatabase &database, quint64 seed, quint64 index, const TGeneratorOptions &options)
        : FDatabase(database), FModel(database.MetadataXML()), FOptions(options)
    {
        std::seed_seq sequence{quint32(seed), quint32(seed >> 32), quint32(index), quint32(index >> 32), 57u};
        FRandom.seed(sequence);
        FSeed = seed;
        FIndex = index;
    }

    TSessionOutcome Run()
    {
        FOutcome.Start = SessionStart(FSeed, FIndex, FOptions);
        const TQueryResult start = FDatabase.Run(SQLiteText(FModel.Ansi(), FOutcome.Start));
        if (!start.Ok)
            return FOutcome;
        FOutcome.Kind = TSessionOutcome::Same;
        FCurrent = FOutcome.Start;
        FCurrentResult = start;
        TPlan load;
        load.Action = QStringLiteral("load the statement");
        load.Expect = TPlan::SameRows;
        try {
            FModel.Load(FOutcome.Start);
        } catch (...) {
            Fail(load, QStringLiteral("the model raised while loading: ") + CurrentExceptionMessage());
            return FOutcome;
        }
        if (!Check(load))
            return FOutcome;
        const int steps = Pick(3, 8);
        for (int i = 0; i < steps; ++i)
            if (!Step())
                break;
        // Half of the sessions go on with a FROM list of comma-separated
        // references; what they drew so far stays as it was.
        if (FOutcome.Kind == TSessionOutcome::Same && Chance(50))
            RunSegmentSteps();
        return FOutcome;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(FRandom); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }
    template <class T> T OneOf(const QList<T> &list) { return list[Pick(0, int(list.size()) - 1)]; }

    TnvQueryBuilderModel *Builder() const { return FModel.Builder(); }

    // The union parts in textual order, and the bracketed groups in the
    // order of their left brackets.
    QList<TnvUnionSubQuery *> Parts() const
    {
        QList<TnvUnionSubQuery *> parts;
        QList<TnvUnionGroup *> groups;
        CollectMembers(Builder()->Query(), parts, groups);
        return parts;
    }
    QList<TnvUnionGroup *> Groups() const
    {
        QList<TnvUnionSubQuery *> parts;
        QList<TnvUnionGroup *> groups;
        CollectMembers(Builder()->Query(), parts, groups);
        return groups;
    }

    // Clicks the item of the menu when it is there and enabled.
    bool Click(TnvMenuItemData *menu, const QString &caption)
    {
        TnvMenuItemData *item = menu ? menu->Find(caption) : nullptr;
        if (!item || !item->Enabled())
            return false;
        Builder()->ClickMenuItem(item);
        return true;
    }

    TOwned<TSQLSelectStatement> ParseCurrent() { return FModel.Ansi()->ParseSelect(FCurrent); }

    // Whether the text failed on a HAVING its part keeps without GROUP BY
    // and without an aggregate output column.
    bool HavingLeftAlone(const TQueryResult &result, const QString &sql, int partIndex)
    {
        if (partIndex < 0 || !result.Error.contains(QStringLiteral("HAVING"), Qt::CaseInsensitive))
            return false;
        try {
            TOwned<TSQLSelectStatement> statement = FModel.Ansi()->ParseSelect(sql);
            const TSQLSubQuerySelectExpression *block = BlockAt(statement.get(), partIndex);
            return block && block->HavingClause && !block->GroupByClause && block->SelectItems &&
                   !HasOwnAggregate(block->SelectItems.get());
        } catch (...) {
            return false;
        }
    }

    // One random step; false when the session is to end.
    bool Step()
    {
        static const TOperations plain = {
            {&TSession::RemoveDatasource, 15}, {&TSession::AddTable, 15},      {&TSession::Enclose, 10},
            {&TSession::RemoveBrackets, 8},    {&TSession::Move, 10},          {&TSession::MoveAndBack, 5},
            {&TSession::AddCriterion, 15},     {&TSession::RenameSource, 8},   {&TSession::RenameColumn, 6},
            {&TSession::SwitchDialect, 8},
        };
        return StepOf(FOptions.SubQueries ? SubQueryOperations() : plain);
    }

    // --- Operations -----------------------------------------------------------

    bool RemoveDatasource(TPlan &plan)
    {
        const QList<TnvUnionSubQuery *> parts = Parts();
        QList<int> candidates;
        for (int i = 0; i < parts.size(); ++i) {
            QList<TnvDatasource *> sources;
            parts[i]->FromGroup()->GetDatasources(sources);
            if (sources.size() >= 2)
                candidates.append(i);
        }
        if (candidates.isEmpty())
            return false;
        const int partIndex = OneOf(candidates);
        QList<TnvDatasource *> sources;
        parts[partIndex]->FromGroup()->GetDatasources(sources);
        TnvDatasource *removed = OneOf(sources);
        const QString prefix = SourcePrefix(removed);
        plan.Action = QStringLiteral("remove data source %1 of part %2").arg(prefix).arg(partIndex + 1);
        PlanRemoval(plan, partIndex, prefix.toLower());
        return Click(removed->GetPopupMenu(), QStringLiteral("Remove"));
    }

    void PlanRemoval(TPlan &plan, int partIndex, const QString &prefix)
    {
        TOwned<TSQLSelectStatement> statement = ParseCurrent();
        TBlockParts parts = PartsOf(BlockAt(statement.get(), partIndex));
        if (!parts.Having.isEmpty())
            plan.MayLeaveHavingAlone = partIndex;
        if (BlockCountOf(statement.get()) > 1)
            for (qsizetype i = 0; i < parts.Items.size(); ++i)
                plan.MayBreakUnion = plan.MayBreakUnion || parts.ItemPrefixes[i].contains(prefix) || parts.Star;
        if (!parts.Usable || parts.Outer || parts.Star)
            return;
        // The text tells a name of the block from a sub-query's own of the
        // same spelling only by scope: no oracle then.
        if (DeclaredInSubQueries(BlockAt(statement.get(), partIndex)).contains(prefix))
            return;
        TBlockParts kept = parts;
        kept.Items.clear();
        kept.Sources.clear();
        kept.Conjuncts.clear();
        kept.GroupBy.clear();
        kept.Having.clear();
        for (qsizetype i = 0; i < parts.Items.size(); ++i)
            if (!parts.ItemPrefixes[i].contains(prefix))
                kept.Items.append(parts.Items[i]);
        for (const TSourceText &source : parts.Sources)
            if (source.Prefix.toLower() != prefix)
                kept.Sources.append(source);
        auto keep = [&](const QStringList &terms, QStringList &into) {
            for (const QString &term : terms) {
                if (!NamesIn(term).contains(prefix))
                    into.append(term);
                else if (IsOr(term))
                    return false;
            }
            return true;
        };
        if (!keep(parts.Conjuncts, kept.Conjuncts) || !keep(parts.Having, kept.Having))
            return;
        for (const QString &item : parts.GroupBy)
            if (!NamesIn(item).contains(prefix))
                kept.GroupBy.append(item);
        if (kept.Items.isEmpty() || kept.Sources.size() != parts.Sources.size() - 1)
            return;
        TStatementText text(statement.get());
        text.SetBlock(partIndex, BlockSQL(kept));
        text.OrderBy.clear();
        plan.Expect = TPlan::Statement;
        plan.Expected = text.SQL92();
    }

    bool AddTable(TPlan &plan)
    {
        const QList<TnvUnionSubQuery *> parts = Parts();
        const int partIndex = Pick(0, int(parts.size()) - 1);
        TnvUnionSubQuery *part = parts[partIndex];
        // Now and then a table the part already has.
        QList<TnvDatasource *> sources;
        part->FromGroup()->GetDatasources(sources);
        QString table = OneOf(Tables()).Name;
        if (!sources.isEmpty() && Chance(30)) {
            const QString present = TableOf(OneOf(sources));
            if (!present.isEmpty())
                table = present;
        }
        TOwned<TSQLSelectStatement> statement = ParseCurrent();
        const TBlockParts before = PartsOf(BlockAt(statement.get(), partIndex));
        // A * widens with the table: a union's parts then differ in width.
        plan.MayBreakUnion = before.Star && BlockCountOf(statement.get()) > 1;
        TnvDataSourceObject *added = part->AddObjectWithFK(table);
        plan.Action = QStringLiteral("add table %1 with its foreign keys to part %2").arg(table).arg(partIndex + 1);
        if (!added || !before.Usable || before.Outer || before.Star)
            return true;
        TSourceText source;
        source.Table = table;
        source.Prefix = SourcePrefix(added);
        source.Text = source.Prefix == table ? table : table + u' ' + source.Prefix;
        plan.Action += QStringLiteral(" (as %1)").arg(source.Prefix);
        TBlockParts after = before;
        for (const TSourceText &other : before.Sources)
            for (const TForeignKey &key : ForeignKeys()) {
                if (key.Child == table && key.Parent == other.Table)
                    after.Conjuncts.append(QStringLiteral("%1.%2 = %3.%4")
                                               .arg(source.Prefix, key.ChildColumn, other.Prefix, key.ParentColumn));
                if (key.Parent == table && key.Child == other.Table)
                    after.Conjuncts.append(QStringLiteral("%1.%2 = %3.%4")
                                               .arg(other.Prefix, key.ChildColumn, source.Prefix, key.ParentColumn));
            }
        after.Sources.append(source);
        TStatementText text(statement.get());
        text.SetBlock(partIndex, BlockSQL(after));
        text.OrderBy.clear();
        plan.Expect = TPlan::Statement;
        plan.Expected = text.SQL92();
        return true;
    }

    bool Enclose(TPlan &plan)
    {
        const QList<TnvUnionSubQuery *> parts = Parts();
        const int partIndex = Pick(0, int(parts.size()) - 1);
        plan.Action = QStringLiteral("enclose part %1 in brackets").arg(partIndex + 1);
        plan.Expect = TPlan::SameRows;
        return Click(parts[partIndex]->GetPopupMenu(), QStringLiteral("Enclose In Brackets"));
    }

    bool RemoveBrackets(TPlan &plan)
    {
        const QList<TnvUnionGroup *> groups = Groups();
        if (groups.isEmpty())
            return false;
        const int groupIndex = Pick(0, int(groups.size()) - 1);
        plan.Action = QStringLiteral("remove bracket pair %1").arg(groupIndex + 1);
        TStatementText text(ParseCurrent().get());
        int index = groupIndex;
        qsizetype position = 0;
        if (QList<TUnionTerm> *list = FindGroup(text.Terms, index, position)) {
            TUnionTerm group = list->takeAt(position);
            if (!group.Members.isEmpty())
                group.Members.first().Operator = group.Operator;
            for (qsizetype i = 0; i < group.Members.size(); ++i)
                list->insert(position + i, group.Members[i]);
            plan.Expect = TPlan::Statement;
            plan.Expected = text.SQL92();
        }
        return Click(groups[groupIndex]->GetPopupMenu(), QStringLiteral("Remove Brackets"));
    }

    // The oracle of a move past a neighbour part of the same group.
    void PlanSwap(TPlan &plan, int partIndex, bool forward)
    {
        TOwned<TSQLSelectStatement> statement = ParseCurrent();
        TStatementText text(statement.get());
        // The ORDER BY sorts by the same columns whichever part is first.
        text.OrderBy = OrderByPositions(statement.get());
        int index = partIndex;
        qsizetype position = 0;
        QList<TUnionTerm> *list = FindBlockList(text.Terms, index, position);
        const qsizetype other = forward ? position + 1 : position - 1;
        if (!list || other < 0 || other >= list->size() || (*list)[other].IsGroup())
            return;
        std::swap((*list)[position].Block, (*list)[other].Block);
        plan.Expect = TPlan::Statement;
        plan.Expected = text.SQL92();
    }

    bool Move(TPlan &plan)
    {
        const QList<TnvUnionSubQuery *> parts = Parts();
        if (parts.size() < 2)
            return false;
        const int partIndex = Pick(0, int(parts.size()) - 1);
        const bool forward = Chance(50);
        plan.Action = QStringLiteral("move part %1 %2").arg(partIndex + 1).arg(forward ? "forward" : "backward");
        PlanSwap(plan, partIndex, forward);
        return Click(parts[partIndex]->GetPopupMenu(),
                     forward ? QStringLiteral("Move Forward") : QStringLiteral("Move Backward"));
    }

    bool MoveAndBack(TPlan &plan)
    {
        const QList<TnvUnionSubQuery *> parts = Parts();
        if (parts.size() < 2)
            return false;
        const int partIndex = Pick(0, int(parts.size()) - 1);
        TnvUnionSubQuery *part = parts[partIndex];
        const bool forward = Chance(50);
        plan.Action = QStringLiteral("move part %1 %2 and back").arg(partIndex + 1).arg(forward ? "forward" : "backward");
        // Only a swap with a neighbour part comes back: a move into or out
        // of brackets changes the groups.
        TPlan swap;
        PlanSwap(swap, partIndex, forward);
        if (swap.Expect != TPlan::Statement)
            return false;
        if (!Click(part->GetPopupMenu(), forward ? QStringLiteral("Move Forward") : QStringLiteral("Move Backward")))
            return false;
        Click(part->GetPopupMenu(), forward ? QStringLiteral("Move Backward") : QStringLiteral("Move Forward"));
        plan.Expect = TPlan::SameRows;
        plan.SameText = true;
        return true;
    }

    bool AddCriterion(TPlan &plan)
    {
        const QList<TnvUnionSubQuery *> parts = Parts();
        const int partIndex = Pick(0, int(parts.size()) - 1);
        TnvSelectList *list = parts[partIndex]->SelectList();
        QList<TnvSelectItem *> rows;
        int columns = 0;
        for (qsizetype i = 0; i < list->Count(); ++i) {
            TnvSelectItem *row = list->Items(i);
            for (int k = 0; k < row->ConditionsCount(); ++k)
                if (row->GetASTCondition(k))
                    columns = std::max(columns, k + 1);
            // A condition row (EXISTS ...) takes no comparison: the model
            // refuses one with the parser's message.
            if (row->ExpressionItem() && !row->IsAllColumnsItem() && !row->ExpressionItem()->IsLogical() &&
                (row->GroupByType() == gtExpression || row->GroupByType() == gtWhere) &&
                !HasAggregate(Text(row->ExpressionItem())))
                rows.append(row);
        }
        if (rows.isEmpty())
            return false;
        TnvSelectItem *row = OneOf(rows);
        const int column = Pick(0, columns);
        if (row->GetASTCondition(column))
            return false;
        static const QStringList conditions = {QStringLiteral("> 1"),     QStringLiteral("= 2"),
                                               QStringLiteral("<> 1"),    QStringLiteral("<= 2"),
                                               QStringLiteral("Is Null"), QStringLiteral("Is Not Null")};
        const QString condition = OneOf(conditions);
        const QString expression = Text(row->ExpressionItem());
        plan.Action = QStringLiteral("criterion \"%1\" for %2 in %3 of part %4")
                          .arg(condition, expression,
                               column == 0 ? QStringLiteral("Criteria") : QStringLiteral("Or... %1").arg(column))
                          .arg(partIndex + 1);
        PlanCriterion(plan, partIndex, u'(' + expression + QStringLiteral(") ") + condition, column, columns);
        row->SetCondition(column, condition);
        return true;
    }

    void PlanCriterion(TPlan &plan, int partIndex, const QString &criterion, int column, int columns)
    {
        if (FModel.IsWhereJoins() || (columns > 1 && column < columns))
            return;
        TOwned<TSQLSelectStatement> statement = ParseCurrent();
        TSQLSubQuerySelectExpression *block = BlockAt(statement.get(), partIndex);
        if (!block || block->GroupByClause || block->HavingClause || HasAggregate(Text(block->SelectItems.get())))
            return;
        const QString where = Text(block->WhereClause.get());
        block->WhereClause.reset();
        QString condition = criterion;
        if (!where.isEmpty())
            condition = u'(' + where + (column == columns ? QStringLiteral(") Or (") : QStringLiteral(") And (")) +
                        criterion + u')';
        TStatementText text(statement.get());
        text.SetBlock(partIndex, Text(block) + QStringLiteral(" Where ") + condition);
        text.OrderBy.clear();
        plan.Expect = TPlan::Statement;
        plan.Expected = text.SQL92();
    }

    bool RenameSource(TPlan &plan)
    {
        const QList<TnvUnionSubQuery *> parts = Parts();
        const int partIndex = Pick(0, int(parts.size()) - 1);
        QList<TnvDatasource *> sources;
        parts[partIndex]->FromGroup()->GetDatasources(sources);
        if (sources.isEmpty())
            return false;
        TnvDatasource *source = OneOf(sources);
        QString alias = QStringLiteral("n%1").arg(++FNames);
        const int kind = Pick(1, 100);
        if (kind <= 10) {
            alias.clear();
        } else if (kind <= 20 && sources.size() > 1) {
            // The name another data source of the part shows.
            TnvDatasource *other = OneOf(sources);
            if (other != source)
                alias = SourcePrefix(other);
        }
        plan.Action = QStringLiteral("rename data source %1 of part %2 to \"%3\"")
                          .arg(SourcePrefix(source))
                          .arg(partIndex + 1)
                          .arg(alias);
        plan.Expect = TPlan::SameRows;
        // The property dialog refuses a name another source of the part goes
        // by; what it refuses changes nothing.
        const QString shown = alias.isEmpty() ? TableOf(source) : alias;
        TOwned<TastTokenIdentifier> name = Create<TastTokenIdentifier>(FModel.Ansi(), shown, false);
        if (!shown.isEmpty() && parts[partIndex]->IsDatasourceNameTaken(name.get(), source)) {
            plan.Action += QStringLiteral(" (refused)");
            plan.SameText = true;
            return true;
        }
        source->SetAlias(alias);
        return true;
    }

    bool RenameColumn(TPlan &plan)
    {
        const QList<TnvUnionSubQuery *> parts = Parts();
        const int partIndex = Pick(0, int(parts.size()) - 1);
        TnvSelectList *list = parts[partIndex]->SelectList();
        QList<TnvSelectItem *> rows;
        for (qsizetype i = 0; i < list->Count(); ++i)
            if (list->Items(i)->Select() && list->Items(i)->IsSupportsAlias())
                rows.append(list->Items(i));
        if (rows.isEmpty())
            return false;
        TnvSelectItem *row = OneOf(rows);
        const QString alias = Chance(20) ? QString() : QStringLiteral("c%1").arg(++FNames);
        plan.Action = QStringLiteral("rename output column %1 of part %2 to \"%3\"")
                          .arg(row->GetExpression())
                          .arg(partIndex + 1)
                          .arg(alias);
        plan.Expect = TPlan::SameRows;
        row->SetAlias(alias);
        return true;
    }

    bool SwitchDialect(TPlan &plan)
    {
        const bool toWhere = !FModel.IsWhereJoins();
        plan.Action = toWhere ? QStringLiteral("switch to the dialect without ANSI joins")
                              : QStringLiteral("switch back to ANSI joins");
        // A dialect without ANSI joins writes no outer join: only a query
        // of inner joins keeps its rows.
        bool outer = false;
        TOwned<TSQLSelectStatement> statement = ParseCurrent();
        for (int i = 0; BlockAt(statement.get(), i); ++i) {
            const TBlockParts parts = PartsOf(BlockAt(statement.get(), i));
            outer = outer || parts.Outer;
            plan.AnyColumnOrder = plan.AnyColumnOrder || parts.Star;
        }
        if (!outer) {
            plan.Expect = TPlan::SameRows;
            plan.NoJoins = toWhere;
        }
        FModel.UseWhereJoins(toWhere);
        return true;
    }

    // --- Sessions over correlated sub-queries ---------------------------------------

    static const TOperations &SubQueryOperations()
    {
        static const TOperations operations = {
            {&TSession::RemoveDatasource, 10},        {&TSession::RemoveSourceASubQueryNames, 20},
            {&TSession::RemoveSubQuerySource, 10},    {&TSession::AddTable, 8},
            {&TSession::Enclose, 5},                  {&TSession::RemoveBrackets, 4},
            {&TSession::Move, 5},                     {&TSession::AddCriterion, 10},
            {&TSession::RenameSource, 8},             {&TSession::RenameColumn, 4},
            {&TSession::SwitchDialect, 16},
        };
        return operations;
    }

    // The names the sub-queries of the block name, less those of their own
    // sources, lower case.
    static QSet<QString> NamedInSubQueries(const TSQLSubQuerySelectExpression *block)
    {
        QSet<QString> names;
        if (!block)
            return names;
        TastNodesList nodes;
        block->GetMyChildrenRecursive(nodes);
        for (TastNodeBase *node : std::as_const(nodes))
            if (const auto *subQuery = As<TSQLSubSelectStatement>(node))
                names.unite(NamesIn(Text(subQuery)));
        return names.subtract(DeclaredInSubQueries(block));
    }

    // Removes a data source of a part that a sub-query of the part names.
    bool RemoveSourceASubQueryNames(TPlan &plan)
    {
        const QList<TnvUnionSubQuery *> parts = Parts();
        TOwned<TSQLSelectStatement> statement = ParseCurrent();
        QList<QPair<int, TnvDatasource *>> candidates;
        for (int i = 0; i < parts.size(); ++i) {
            QList<TnvDatasource *> sources;
            parts[i]->FromGroup()->GetDatasources(sources);
            if (sources.size() < 2)
                continue;
            const QSet<QString> named = NamedInSubQueries(BlockAt(statement.get(), i));
            for (TnvDatasource *source : std::as_const(sources))
                if (named.contains(SourcePrefix(source).toLower()))
                    candidates.append({i, source});
        }
        if (candidates.isEmpty())
            return false;
        const auto [partIndex, removed] = OneOf(candidates);
        const QString prefix = SourcePrefix(removed);
        plan.Action =
            QStringLiteral("remove data source %1 of part %2, which a sub-query names").arg(prefix).arg(partIndex + 1);
        PlanRemoval(plan, partIndex, prefix.toLower());
        return Click(removed->GetPopupMenu(), QStringLiteral("Remove"));
    }

    // Removes a data source of a sub-query: a WHERE, HAVING or select-list
    // sub-query, or one inside it. No oracle: the sub-query may lose the
    // column it gave (its SQL then need not run, and the session ends).
    bool RemoveSubQuerySource(TPlan &plan)
    {
        QList<TnvDatasource *> candidates;
        for (qsizetype i = 0; i < Builder()->GetSubQueriesCount(); ++i) {
            TnvSubQuery *subQuery = Builder()->GetSubQueries(i);
            if (subQuery == Builder()->Query())
                continue;
            for (qsizetype k = 0; k < subQuery->UnionSubQueriesCount(); ++k) {
                QList<TnvDatasource *> sources;
                subQuery->UnionSubQueries(k)->FromGroup()->GetDatasources(sources);
                if (sources.size() >= 2)
                    candidates += sources;
            }
        }
        if (candidates.isEmpty())
            return false;
        TnvDatasource *removed = OneOf(candidates);
        plan.Action = QStringLiteral("remove data source %1 of a sub-query").arg(SourcePrefix(removed));
        plan.MayBreakUnion = true;
        plan.MayEmptySubQuery = true;
        return Click(removed->GetPopupMenu(), QStringLiteral("Remove"));
    }

    // --- Comma-separated references -------------------------------------------------

    // Types in a statement of comma-separated references with a RIGHT or FULL
    // join after a comma (SegmentStatements.h) and edits it: tables added by
    // their foreign keys and removed at either end of a reference, links
    // deleted and join kinds chosen as the link dialog does, criteria and
    // removals of any table beside them. The dialect is the one with ANSI
    // joins again.
    void RunSegmentSteps()
    {
        if (FModel.IsWhereJoins())
            FModel.UseWhereJoins(false);
        const QString sql = GenerateSegmentStatement(FSeed, FIndex);
        const TQueryResult result = FDatabase.Run(SQLiteText(FModel.Ansi(), sql));
        if (!result.Ok)
            return;
        FCurrent = sql;
        FCurrentResult = result;
        TPlan load;
        load.Action = QStringLiteral("type in ") + sql;
        load.Expect = TPlan::SameRows;
        try {
            FModel.Load(sql);
        } catch (...) {
            Fail(load, QStringLiteral("the model raised while loading: ") + CurrentExceptionMessage());
            return;
        }
        if (!Check(load))
            return;
        static const TOperations operations = {
            {&TSession::AddTableByKeys, 25}, {&TSession::RemoveReferenceEnd, 25}, {&TSession::DeleteLink, 15},
            {&TSession::ChooseJoinKind, 20}, {&TSession::RemoveDatasource, 8},   {&TSession::AddCriterion, 7},
        };
        const int steps = Pick(3, 6);
        for (int i = 0; i < steps; ++i)
            if (!StepOf(operations))
                return;
    }

    // One step of the operations, drawn by weight; those that do not apply
    // now are tried in turn after the one drawn. False when the session is
    // to end.
    bool StepOf(const TOperations &operations)
    {
        int total = 0;
        for (const auto &operation : operations)
            total += operation.second;
        int draw = Pick(0, total - 1);
        qsizetype first = 0;
        while (draw >= operations[first].second)
            draw -= operations[first++].second;
        for (qsizetype k = 0; k < operations.size(); ++k) {
            TPlan plan;
            bool done = false;
            try {
                done = (this->*operations[(first + k) % operations.size()].first)(plan);
            } catch (...) {
                Fail(plan, QStringLiteral("the operation raised: ") + CurrentExceptionMessage());
                return false;
            }
            if (done)
                return Check(plan);
        }
        return false;
    }

    // The oracle's statement, when it has one. A * lists the columns in the
    // order FROM names the sources, which laying out the joins may change:
    // the rows then compare as multisets of their values.
    void Expect(TPlan &plan, const QString &expected)
    {
        plan.AnyColumnOrder = FCurrent.startsWith(QStringLiteral("Select * ")) ||
                              FCurrent.startsWith(QStringLiteral("Select Distinct * "));
        if (expected.isEmpty())
            return;
        plan.Expect = TPlan::Statement;
        plan.Expected = expected;
    }

    bool AddTableByKeys(TPlan &plan)
    {
        TnvUnionSubQuery *part = Parts().value(0);
        if (!part || Parts().size() != 1)
            return false;
        const QString table = OneOf(Tables()).Name;
        TnvDataSourceObject *added = part->AddObjectWithFK(table);
        plan.Action = QStringLiteral("add table %1 with its foreign keys").arg(table);
        if (!added)
            return true;
        const QString prefix = SourcePrefix(added);
        plan.Action += QStringLiteral(" (as %1)").arg(prefix);
        Expect(plan, ExpectedAfterAddingTable(FModel.Ansi(), FCurrent, table, prefix));
        return true;
    }

    bool RemoveReferenceEnd(TPlan &plan)
    {
        TnvUnionSubQuery *part = Parts().value(0);
        if (!part || Parts().size() != 1)
            return false;
        QList<TnvDatasource *> sources;
        part->FromGroup()->GetDatasources(sources);
        if (sources.size() < 2)
            return false;
        const QList<TReferenceEnds> ends = ReferenceEndsOf(FModel.Ansi(), FCurrent);
        if (ends.isEmpty())
            return false;
        const TReferenceEnds &reference = OneOf(ends);
        const bool atStart = Chance(50);
        QString prefix = atStart ? reference.First : reference.Last;
        if (prefix.isEmpty())
            prefix = atStart ? reference.Last : reference.First;
        TnvDatasource *removed = nullptr;
        for (TnvDatasource *source : std::as_const(sources))
            if (SourcePrefix(source).compare(prefix, Qt::CaseInsensitive) == 0)
                removed = source;
        if (prefix.isEmpty() || !removed)
            return false;
        plan.Action = QStringLiteral("remove data source %1 at the %2 of its reference")
                          .arg(prefix, prefix == reference.First ? QStringLiteral("start") : QStringLiteral("end"));
        Expect(plan, ExpectedAfterRemovingEnd(FModel.Ansi(), FCurrent, prefix));
        return Click(removed->GetPopupMenu(), QStringLiteral("Remove"));
    }

    // The links of the group and of the groups in it that join in FROM.
    static void CollectFromLinks(TnvDatasourceGroup *group, QList<TnvLink *> &links)
    {
        for (qsizetype i = 0; i < group->GetLinksCount(); ++i)
            if (group->GetLink(i)->Place() == lpFrom)
                links.append(group->GetLink(i));
        for (qsizetype i = 0; i < group->GetCount(); ++i)
            if (auto *nested = As<TnvDatasourceGroup>(group->GetItems(i)))
                CollectFromLinks(nested, links);
    }

    TnvLink *AnyFromLink()
    {
        TnvUnionSubQuery *part = Parts().value(0);
        if (!part || Parts().size() != 1)
            return nullptr;
        QList<TnvLink *> links;
        CollectFromLinks(part->FromGroup(), links);
        return links.isEmpty() ? nullptr : OneOf(links);
    }

    // The prefix of the table whose ON holds the link; empty for a group.
    static QString OwnerPrefix(const TnvLink *link)
    {
        auto *owner = As<TnvDatasource>(link->OwnerDatasource());
        return owner ? SourcePrefix(owner) : QString();
    }

    bool DeleteLink(TPlan &plan)
    {
        TnvLink *link = AnyFromLink();
        if (!link)
            return false;
        const QStringList terms = ConjunctsOf(link->GetLinkExpression());
        plan.Action = QStringLiteral("delete the link %1").arg(Text(link->GetLinkExpression()));
        Expect(plan, ExpectedAfterDeletingTerms(FModel.Ansi(), FCurrent, terms, OwnerPrefix(link)));
        // As the line's Remove does.
        auto bracket = UpdateBracket(Builder()->Query());
        TObject::Free(link);
        return true;
    }

    bool ChooseJoinKind(TPlan &plan)
    {
        TnvLink *link = AnyFromLink();
        TnvDatasourceBase *owner = link ? link->OwnerDatasource() : nullptr;
        if (!owner)
            return false;
        static const QStringList kinds = {QStringLiteral("Inner"), QStringLiteral("Left"), QStringLiteral("Right"),
                                          QStringLiteral("Full")};
        static const TastNodeClass classes[] = {
            TSQLJoinKindInner::StaticClassType(), TSQLJoinKindLeft::StaticClassType(),
            TSQLJoinKindRight::StaticClassType(), TSQLJoinKindFull::StaticClassType()};
        const int choice = Pick(0, 3);
        if (owner->GetJoinKindClass() == classes[choice])
            return false;
        plan.Action = QStringLiteral("make the join of the link %1 %2")
                          .arg(Text(link->GetLinkExpression()), kinds[choice].toLower());
        Expect(plan, ExpectedAfterChangingJoin(FModel.Ansi(), FCurrent, ConjunctsOf(link->GetLinkExpression()),
                                               OwnerPrefix(link), kinds[choice]));
        // As the link dialog saves its check boxes, within the bracket it
        // opens in.
        link->BeginUpdate();
        TnvScopeExit close([link] { link->EndUpdate(); });
        link->SetJoinKindClass(classes[choice]);
        owner->NotifySQLUpdated();
        link->NotifySQLUpdated();
        return true;
    }

    // --- Checks -----------------------------------------------------------------

    void Fail(const TPlan &plan, const QString &why, const QString &after = QString())
    {
        TSessionStep step;
        step.Action = plan.Action;
        step.Before = FCurrent;
        step.BeforeResult = FCurrentResult;
        step.After = after;
        step.Expected = plan.Expected;
        step.Why = why;
        step.Errors = FModel.TakeErrors();
        FOutcome.Steps.append(step);
        FOutcome.Kind = TSessionOutcome::Different;
    }

    bool Check(const TPlan &plan)
    {
        TSessionStep step;
        step.Action = plan.Action;
        step.Before = FCurrent;
        step.BeforeResult = FCurrentResult;
        step.Expected = plan.Expected;
        step.Errors = FModel.TakeErrors();
        auto fail = [&](const QString &why) {
            step.Why = why;
            FOutcome.Steps.append(step);
            FOutcome.Kind = TSessionOutcome::Different;
            return false;
        };
        try {
            step.After = FModel.SQL();
        } catch (...) {
            return fail(QStringLiteral("the model raised while printing: ") + CurrentExceptionMessage());
        }
        try {
            TMeaningModel fresh(FDatabase.MetadataXML());
            fresh.UseWhereJoins(FModel.IsWhereJoins());
            const QString again = fresh.Load(step.After);
            if (again != step.After)
                return fail(QStringLiteral("loaded again, the model's SQL prints differently: ") + again);
        } catch (...) {
            return fail(QStringLiteral("the model's SQL does not load again: ") + CurrentExceptionMessage());
        }
        step.AfterResult = FDatabase.Run(SQLiteText(FModel.Ansi(), step.After));
        if (!step.AfterResult.Ok && ((plan.MayBreakUnion && IsUnionWidthRefusal(step.AfterResult)) ||
                                     (plan.MayEmptySubQuery && EmptiesASubQuery(step.Before, step.After)) ||
                                     HavingLeftAlone(step.AfterResult, step.After, plan.MayLeaveHavingAlone))) {
            FOutcome.Steps.append(step);
            return false;
        }
        if (!step.AfterResult.Ok)
            return fail(QStringLiteral("the model's SQL does not run: ") + step.AfterResult.Error);
        if (plan.SameText && step.After != step.Before)
            return fail(QStringLiteral("the SQL did not come back as it was"));
        if (plan.NoJoins && step.After.contains(QStringLiteral(" Join "), Qt::CaseInsensitive))
            return fail(QStringLiteral("a join is written in FROM in a dialect without ANSI joins"));
        if (plan.Expect == TPlan::SameRows) {
            ++FOutcome.Compared;
            QList<TSortKey> keys;
            try {
                keys = SortKeysOf(ParseCurrent().get());
            } catch (...) {
            }
            const TComparison comparison =
                plan.AnyColumnOrder
                    ? CompareResults(WithRowsSorted(FCurrentResult), WithRowsSorted(step.AfterResult), {})
                    : CompareResults(FCurrentResult, step.AfterResult, keys);
            if (!comparison.Same)
                return fail(QStringLiteral("the rows changed: ") + comparison.Why);
        } else if (plan.Expect == TPlan::Statement) {
            ++FOutcome.Compared;
            QList<TSortKey> keys;
            TOwned<TSQLSelectStatement> expected = FModel.Ansi()->ParseSelect(plan.Expected);
            keys = SortKeysOf(expected.get());
            step.ExpectedResult = FDatabase.Run(SQLiteText(FModel.Ansi(), plan.Expected));
            if (!step.ExpectedResult.Ok && expected->OrderByClause) {
                // Parts that changed places may leave ORDER BY naming an
                // alias the new first part lacks: the rows still compare.
                TStatementText unordered(expected.get());
                unordered.OrderBy.clear();
                step.ExpectedResult = FDatabase.Run(unordered.SQLite());
                keys.clear();
            }
            if (!step.ExpectedResult.Ok)
                return fail(QStringLiteral("the oracle's statement does not run: ") + step.ExpectedResult.Error);
            const TComparison comparison =
                plan.AnyColumnOrder
                    ? CompareResults(WithRowsSorted(step.ExpectedResult), WithRowsSorted(step.AfterResult), {})
                    : CompareResults(step.ExpectedResult, step.AfterResult, keys);
            if (!comparison.Same)
                return fail(QStringLiteral("the rows differ from the oracle's: ") + comparison.Why);
        }
        FOutcome.Steps.append(step);
        FCurrent = step.After;
        FCurrentResult = step.AfterResult;
        return true;
    }

    const TMeaningDatabase &FDatabase;
    TMeaningModel FModel;
    TGeneratorOptions FOptions;
    std::mt19937 FRandom;
    quint64 FSeed = 0, FIndex = 0;
    int FNames = 0;
    QString FCurrent;
    TQueryResult FCurrentResult;
    TSessionOutcome FOutcome;
};

QString Indented(const QString &text)
{
    QString lines = text;
    return lines.replace(u'\n', QStringLiteral("\n            "));
}

} // namespace

bool EmptiesASubQuery(const QString &before, const QString &after)
{
    static const QRegularExpression star(QStringLiteral("\\(Select (Distinct )?\\* "),
                                         QRegularExpression::CaseInsensitiveOption);
    return after.count(star) > before.count(star);
}

bool IsUnionWidthRefusal(const TQueryResult &result)
{
    return !result.Ok && result.Error.contains(QStringLiteral("do not have the same number of result columns"));
}

QString SessionStart(quint64 seed, quint64 index, const TGeneratorOptions &options)
{
    // A series of its own, half of it unions.
    return GenerateStatement(seed ^ 0x5e55104e5eedull, index,
                             index % 2 ? TStatementShape::Union : TStatementShape::SingleBlock, options);
}

TSessionOutcome RunSession(const TMeaningDatabase &database, quint64 seed, quint64 index,
                           const TGeneratorOptions &options)
{
    return TSession(database, seed, index, options).Run();
}

QString DescribeSession(const TSessionOutcome &outcome)
{
    QString text = QStringLiteral("  start:    %1\n").arg(outcome.Start);
    for (qsizetype i = 0; i < outcome.Steps.size(); ++i) {
        const TSessionStep &step = outcome.Steps[i];
        text += QStringLiteral("  step %1:   %2\n").arg(i).arg(step.Action);
        if (step.Why.isEmpty())
            continue;
        text += QStringLiteral("  why:      %1\n  before:   %2\n  after:    %3\n").arg(step.Why, step.Before, step.After);
        if (!step.Expected.isEmpty())
            text += QStringLiteral("  expected: %1\n").arg(step.Expected);
        for (const QString &error : step.Errors)
            text += QStringLiteral("  shown:    %1\n").arg(error);
        text += QStringLiteral("  result before:   %1\n").arg(Indented(FormatResult(step.BeforeResult)));
        if (step.AfterResult.Ok || !step.AfterResult.Error.isEmpty())
            text += QStringLiteral("  result after:    %1\n").arg(Indented(FormatResult(step.AfterResult)));
        if (step.ExpectedResult.Ok || !step.ExpectedResult.Error.isEmpty())
            text += QStringLiteral("  result expected: %1\n").arg(Indented(FormatResult(step.ExpectedResult)));
    }
    return text;
}

} // namespace nvqb::meaning
