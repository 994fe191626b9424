#include "FaultShapes.h"

#include "EditSession.h"
#include "StatementCheck.h"
#include "StatementText.h"

#include "classlib/Exceptions.h"
#include "sql92/SQL92SyntaxProvider.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <functional>

namespace nvqb::meaning {

namespace {

enum TJoin { jFirst, jComma, jCross, jInner, jLeft, jRight, jFull };

// One element of a FROM chain: a table or a bracketed group.
struct TElement {
    TJoin Join = jFirst;
    // The names the element's tables carry, lower case.
    QSet<QString> Tables;
    // The names each term of its ON condition carries.
    QList<QSet<QString>> Terms;
    QSet<QString> OnNames;
    // A bracketed group; Group: one with a comma or CROSS JOIN at its own
    // level.
    bool Nested = false;
    bool Group = false;
    // Brackets around one table, which no SQL-92 FROM holds.
    bool Alone = false;
    bool IsOuter() const { return Join == jLeft || Join == jRight || Join == jFull; }
};


QSet<QString> TablesOf(const TSQLFromSource *source)
{
    QSet<QString> tables;
    if (const auto *chain = As<TSQLFromItem>(source)) {
        for (qsizetype i = 0; i < chain->GetCount(); ++i)
            tables += TablesOf(chain->GetItems(i));
    } else if (source->Alias && source->Alias->Identifier) {
        tables.insert(source->Alias->Identifier->Text().toLower());
    } else {
        tables.insert(source->GetSimpleExpression().toLower());
    }
    return tables;
}

TJoin JoinOf(const TSQLFromSource *source, qsizetype index)
{
    if (index == 0)
        return jFirst;
    const TSQLJoinKind *kind = source->JoinKind.get();
    if (!kind)
        return jComma;
    if (kind->Is<TSQLJoinKindCross>())
        return jCross;
    if (kind->IsLeftOuter() && kind->IsRightOuter())
        return jFull;
    if (kind->IsLeftOuter())
        return jLeft;
    if (kind->IsRightOuter())
        return jRight;
    return jInner;
}

// Every chain of the FROM clause, nested groups after the chain they stand in.
void Chains(const TSQLFromItem *chain, QList<QList<TElement>> &chains)
{
    QList<TElement> elements;
    for (qsizetype i = 0; i < chain->GetCount(); ++i) {
        const TSQLFromSource *source = chain->GetItems(i);
        TElement element;
        element.Join = JoinOf(source, i);
        element.Tables = TablesOf(source);
        element.Nested = source->Is<TSQLFromItem>();
        element.Alone = element.Nested && static_cast<const TSQLFromItem *>(source)->GetCount() == 1;
        if (const auto *group = As<TSQLFromItem>(source))
            for (qsizetype k = 1; k < group->GetCount(); ++k)
                element.Group = element.Group || !group->GetItems(k)->JoinKind ||
                                group->GetItems(k)->JoinKind->Is<TSQLJoinKindCross>();
        for (const QString &term : ConjunctsOf(source->JoinCondition.get()))
            element.Terms.append(NamesIn(term));
        for (const QSet<QString> &term : element.Terms)
            element.OnNames += term;
        elements.append(element);
    }
    chains.append(elements);
    for (qsizetype i = 0; i < chain->GetCount(); ++i)
        if (const auto *nested = As<TSQLFromItem>(chain->GetItems(i)))
            Chains(nested, chains);
}

bool HasOuter(const QList<TElement> &chain)
{
    return std::any_of(chain.begin(), chain.end(), [](const TElement &element) { return element.IsOuter(); });
}

void ChainShapes(const QList<TElement> &chain, QSet<int> &items)
{
    for (qsizetype k = 1; k < chain.size(); ++k) {
        const TElement &element = chain[k];
        // A join to a bracketed group of tables not all joined to each other.
        if (element.Group && element.Join >= jInner)
            items.insert(GroupOfUnlinkedSets);
        if (element.IsOuter()) {
            // 3 and 4: a CROSS JOIN before it in its comma segment, and
            // its ON names tables on both sides of that CROSS JOIN.
            for (qsizetype c = k - 1; c >= 1 && chain[c].Join != jComma; --c) {
                if (chain[c].Join != jCross)
                    continue;
                items.insert(4);
                QSet<QString> before, after;
                for (qsizetype i = 0; i < c; ++i)
                    before += chain[i].Tables;
                for (qsizetype i = c; i < k; ++i)
                    after += chain[i].Tables;
                if (element.OnNames.intersects(before) && element.OnNames.intersects(after))
                    items.insert(3);
            }
        }
        // 2: a term naming only tables before its join, beside an outer join.
        if (HasOuter(chain))
            for (const QSet<QString> &term : element.Terms)
                if (!term.isEmpty() && !term.intersects(element.Tables))
                    items.insert(2);
    }
}

void BlockShapes(const TSQLSubQuerySelectExpression *block, QSet<int> &items)
{
    if (!block->FromClause)
        return;
    QList<QList<TElement>> chains;
    Chains(block->FromClause.get(), chains);
    // 1: a join whose ON names nothing outside its own table, where an outer
    // join or a bracketed group makes the order of the join tree matter.
    bool ownOnly = false, orderMatters = chains.size() > 1;
    for (const QList<TElement> &chain : chains) {
        ChainShapes(chain, items);
        orderMatters = orderMatters || HasOuter(chain);
        for (const TElement &element : chain)
            ownOnly = ownOnly || (element.Join >= jInner && (element.OnNames - element.Tables).isEmpty());
    }
    if (ownOnly && orderMatters)
        items.insert(1);
    // 13: t.* of a table that also stands in FROM under an alias.
    if (!block->SelectItems)
        return;
    QSet<QString> aliased;
    std::function<void(const TSQLFromItem *)> collect = [&](const TSQLFromItem *chain) {
        for (qsizetype i = 0; i < chain->GetCount(); ++i) {
            const TSQLFromSource *source = chain->GetItems(i);
            if (const auto *nested = As<TSQLFromItem>(source))
                collect(nested);
            else if (source->Alias)
                aliased.insert(source->GetSimpleExpression().toLower());
        }
    };
    collect(block->FromClause.get());
    for (qsizetype i = 0; i < block->SelectItems->GetCount(); ++i)
        if (const auto *all = As<TSQLSelectItemAllTableColumns>(block->SelectItems->GetItems(i)))
            if (aliased.contains(Text(all->TableName.get()).toLower()))
                items.insert(13);
}

QList<int> StatementShapes(const QString &sql)
{
    static TnvSQL92SyntaxProvider provider;
    QSet<int> items;
    try {
        TOwned<TSQLSelectStatement> statement = provider.ParseSelect(sql);
        for (int i = 0; const TSQLSubQuerySelectExpression *block = BlockAt(statement.get(), i); ++i)
            BlockShapes(block, items);
        // 10: ORDER BY (alias).
        const TSQLSubQuerySelectExpression *first = BlockAt(statement.get(), 0);
        if (const TSQLOrderByClause *clause = statement->OrderByClause.get(); clause && first && first->SelectItems) {
            QSet<QString> aliases;
            for (qsizetype i = 0; i < first->SelectItems->GetCount(); ++i)
                if (const auto *item = As<TSQLSelectItemExpression>(first->SelectItems->GetItems(i)))
                    if (item->Alias && item->Alias->Identifier)
                        aliases.insert(item->Alias->Identifier->Text().toLower());
            for (qsizetype i = 0; i < clause->GetCount(); ++i) {
                TSQLExpressionItem *expression = clause->GetItems(i)->Expression.get();
                if (expression && expression->Is<TSQLExpressionBrackets>() &&
                    aliases.contains(Text(ExpressionRemoveBrackets(expression)).toLower()))
                    items.insert(10);
            }
        }
    } catch (const Exception &) {
    }
    QList<int> list(items.begin(), items.end());
    std::sort(list.begin(), list.end());
    return list;
}

// Whether Test holds for the FROM chains of some block of the statement;
// false for a text that does not parse.
bool AnyBlock(const QString &sql, const std::function<bool(const QList<QList<TElement>> &)> &test)
{
    static TnvSQL92SyntaxProvider provider;
    try {
        TOwned<TSQLSelectStatement> statement = provider.ParseSelect(sql);
        for (int i = 0; const TSQLSubQuerySelectExpression *block = BlockAt(statement.get(), i); ++i) {
            QList<QList<TElement>> chains;
            if (block->FromClause)
                Chains(block->FromClause.get(), chains);
            if (test(chains))
                return true;
        }
    } catch (const Exception &) {
    }
    return false;
}

// Whether an ON condition of the printed SQL names a table outside its
// reach: before a comma, or outside its bracketed group.
bool HasOnOutOfReach(const QString &sql)
{
    return AnyBlock(sql, [](const QList<QList<TElement>> &chains) {
        QSet<QString> all;
        for (const QList<TElement> &chain : chains)
            for (const TElement &element : chain)
                all += element.Tables;
        for (const QList<TElement> &chain : chains) {
            QSet<QString> reach;
            for (const TElement &element : chain) {
                if (element.Join == jComma)
                    reach.clear();
                reach += element.Tables;
                if (!((element.OnNames & all) - reach).isEmpty())
                    return true;
            }
        }
        return false;
    });
}

// Whether a FROM clause of the statement holds brackets around one table.
bool HasBracketsAroundOne(const QString &sql)
{
    return AnyBlock(sql, [](const QList<QList<TElement>> &chains) {
        for (const QList<TElement> &chain : chains)
            for (const TElement &element : chain)
                if (element.Alone)
                    return true;
        return false;
    });
}

// Whether a block of the statement holds two FROM sources of one name.
bool HasSourcesOfOneName(const QString &sql)
{
    return AnyBlock(sql, [](const QList<QList<TElement>> &chains) {
        QStringList names;
        for (const QList<TElement> &chain : chains)
            for (const TElement &element : chain)
                if (!element.Nested)
                    names.append(*element.Tables.begin());
        return QSet<QString>(names.begin(), names.end()).size() != names.size();
    });
}

} // namespace

QList<int> FaultItemsOf(const TStatementOutcome &outcome)
{
    QList<int> items = StatementShapes(outcome.Input);
    if (HasOnOutOfReach(outcome.Printed))
        items.append(OnOutOfReach);
    return items;
}

QList<int> FaultItemsOf(const TSessionOutcome &outcome)
{
    if (outcome.Steps.isEmpty())
        return {};
    const TSessionStep &step = outcome.Steps.last();
    if (step.Action.startsWith(QStringLiteral("load ")))
        return StatementShapes(outcome.Start);
    QSet<int> items;
    auto is = [&](const char *action) { return step.Action.startsWith(QLatin1String(action)); };
    auto says = [&](const char *why) { return step.Why.contains(QLatin1String(why)); };
    if (HasSourcesOfOneName(step.After))
        items.insert(14);
    if (HasOnOutOfReach(step.After))
        items.insert(OnOutOfReach);
    if ((is("enclose") && says("rows changed")) || is("remove bracket"))
        items.insert(8);
    // ORDER BY naming a column by its table, now hidden in brackets.
    if (is("enclose") && says("does not run"))
        items.insert(OrderByInBrackets);
    // ORDER BY gone with the part that was first, or back with it.
    if (is("move part") && (says("other order") || step.Before.contains(QLatin1String(" Order By ")) !=
                                                       step.After.contains(QLatin1String(" Order By "))))
        items.insert(OrderByMovesWithPart);
    // Criteria of one column load back in another order.
    if (is("criterion") && says("prints differently"))
        items.insert(CriteriaOrder);
    if (is("move part") && !step.Action.endsWith(QLatin1String(" and back")) && says("oracle") &&
        !says("other order"))
        items.insert(9);
    // Removing a data source can leave its neighbour alone in brackets.
    if (is("remove data source") || HasBracketsAroundOne(step.Before) || HasBracketsAroundOne(step.After))
        items.insert(5);
    if ((is("switch to") && (says("join is written") || says("prints differently"))) ||
        (is("switch back") && says("prints differently")))
        items.insert(7);
    if (is("rename output column"))
        items.insert(11);
    // A criterion in the row of an output column's alias: "for k1".
    static const QRegularExpression aliasRow(QStringLiteral(" for \\(?[A-Za-z_][A-Za-z0-9_]*\\)? in "));
    if (is("criterion") && aliasRow.match(step.Action).hasMatch())
        items.insert(CriterionOnAlias);
    // Criteria in Or... cells beside links in WHERE.
    bool whereJoins = false;
    for (const TSessionStep &done : outcome.Steps) {
        if (done.Action.startsWith(QLatin1String("switch to")))
            whereJoins = true;
        else if (done.Action.startsWith(QLatin1String("switch back")))
            whereJoins = false;
    }
    static const QRegularExpression whereOr(QStringLiteral(" Where .* Or "), QRegularExpression::CaseInsensitiveOption);
    if ((whereJoins || is("switch back")) && (whereOr.match(step.Before).hasMatch() || whereOr.match(step.After).hasMatch()))
        items.insert(6);
    // A step that rebuilds a join tree shows the shapes of the text before it.
    if (says("rows changed") || says("oracle") || is("add table") || is("remove data source"))
        for (int item : StatementShapes(step.Before))
            items.insert(item);
    QList<int> list(items.begin(), items.end());
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace nvqb::meaning
