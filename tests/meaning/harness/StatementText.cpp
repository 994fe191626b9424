#include "StatementText.h"

#include "classlib/Exceptions.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace nvqb::meaning {

namespace {

QList<TUnionTerm> LoadTerms(const TSQLSubQueryExpressions *list)
{
    QList<TUnionTerm> terms;
    for (qsizetype i = 0; i < list->GetCount(); ++i) {
        const TSQLSubQueryExpression *operand = list->GetItems(i);
        TUnionTerm term;
        if (i > 0)
            term.Operator = operand->UnionOperator.toUpper() + (operand->UnionAll ? QStringLiteral(" ALL") : QString());
        if (const auto *group = As<TSQLSubQueryExpressions>(operand))
            term.Members = LoadTerms(group);
        else
            term.Block = Text(operand);
        terms.append(term);
    }
    return terms;
}

QString Print(const QList<TUnionTerm> &terms, bool forSQLite)
{
    QString sql;
    for (const TUnionTerm &term : terms) {
        if (!term.Operator.isEmpty())
            sql += u' ' + term.Operator + u' ';
        if (!term.IsGroup())
            sql += term.Block;
        else if (forSQLite)
            // A materialized table of its own: SQLite 3.40 flattens a
            // bracketed union into the query around it (a LIMIT -1 on it
            // does not stop that), and then loses or repeats rows of RIGHT
            // and FULL joins inside.
            sql += QStringLiteral("SELECT * FROM (WITH g AS MATERIALIZED (") + Print(term.Members, true)
                + QStringLiteral(") SELECT * FROM g)");
        else
            sql += u'(' + Print(term.Members, false) + u')';
    }
    return sql;
}

// The block at Index (counted down as blocks pass); nil when not reached.
template <class Term> Term *FindBlock(QList<Term> &terms, int &index)
{
    for (Term &term : terms) {
        if (term.IsGroup()) {
            if (Term *found = FindBlock(term.Members, index))
                return found;
        } else if (index-- == 0) {
            return &term;
        }
    }
    return nullptr;
}

int CountBlocks(const QList<TUnionTerm> &terms)
{
    int count = 0;
    for (const TUnionTerm &term : terms)
        count += term.IsGroup() ? CountBlocks(term.Members) : 1;
    return count;
}

TSQLSubQuerySelectExpression *FindBlockNode(const TSQLSubQueryExpressions *list, int &index)
{
    for (qsizetype i = 0; i < list->GetCount(); ++i) {
        TSQLSubQueryExpression *operand = list->GetItems(i);
        if (auto *group = As<TSQLSubQueryExpressions>(operand)) {
            if (TSQLSubQuerySelectExpression *found = FindBlockNode(group, index))
                return found;
        } else if (auto *block = As<TSQLSubQuerySelectExpression>(operand); block && index-- == 0) {
            return block;
        }
    }
    return nullptr;
}

} // namespace

QString Text(const TastNode *node) { return node ? node->SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr) : QString(); }

TStatementText::TStatementText(const TnvBaseSyntaxProvider *provider, const QString &sql)
{
    Load(provider->ParseSelect(sql).get());
}

TStatementText::TStatementText(const TSQLSelectStatement *statement) { Load(statement); }

void TStatementText::Load(const TSQLSelectStatement *statement)
{
    Terms = LoadTerms(statement);
    OrderBy = Text(statement->OrderByClause.get());
}

int TStatementText::BlockCount() const { return CountBlocks(Terms); }

QString TStatementText::Block(int index) const
{
    QList<TUnionTerm> terms = Terms;
    const TUnionTerm *term = FindBlock(terms, index);
    return term ? term->Block : QString();
}

void TStatementText::SetBlock(int index, const QString &sql)
{
    if (TUnionTerm *term = FindBlock(Terms, index))
        term->Block = sql;
}

bool TStatementText::HasGroups() const
{
    for (const TUnionTerm &term : Terms)
        if (term.IsGroup())
            return true;
    return false;
}

QString TStatementText::SQL92() const
{
    const QString sql = Print(Terms, false);
    return OrderBy.isEmpty() ? sql : sql + u' ' + OrderBy;
}

QString TStatementText::SQLite() const
{
    const QString sql = Print(Terms, true);
    return OrderBy.isEmpty() ? sql : sql + u' ' + OrderBy;
}

TSQLSubQuerySelectExpression *BlockAt(const TSQLSelectStatement *statement, int index)
{
    return FindBlockNode(statement, index);
}

int BlockCountOf(const TSQLSelectStatement *statement)
{
    int count = 0;
    while (BlockAt(statement, count))
        ++count;
    return count;
}

QSet<QString> NamesIn(const QString &text)
{
    static const QRegularExpression prefix(QStringLiteral("([A-Za-z_][A-Za-z0-9_]*)\\."));
    QSet<QString> names;
    for (auto match = prefix.globalMatch(text); match.hasNext();)
        names.insert(match.next().captured(1).toLower());
    return names;
}

QStringList ConjunctsOf(TSQLExpressionItem *condition)
{
    QStringList conjuncts;
    if (!condition)
        return conjuncts;
    condition = ExpressionRemoveBrackets(condition);
    if (auto *conjunction = As<TSQLExpressionAnd>(condition)) {
        for (qsizetype i = 0; i < conjunction->GetCount(); ++i)
            conjuncts += ConjunctsOf(conjunction->GetItems(i));
        return conjuncts;
    }
    conjuncts.append(Text(condition));
    return conjuncts;
}

QList<TSortKey> SortKeysOf(const TSQLSelectStatement *statement)
{
    QList<TSortKey> keys;
    const TSQLSubQuerySelectExpression *block = BlockAt(statement, 0);
    const TSQLOrderByClause *clause = statement->OrderByClause.get();
    if (!block || !clause || !block->SelectItems)
        return keys;
    QStringList expressions, aliases;
    for (qsizetype i = 0; i < block->SelectItems->GetCount(); ++i) {
        const auto *item = As<TSQLSelectItemExpression>(block->SelectItems->GetItems(i));
        if (!item)
            break;
        expressions.append(Text(ExpressionRemoveBrackets(item->Expression.get())));
        aliases.append(item->Alias && item->Alias->Identifier ? item->Alias->Identifier->Text().toLower() : QString());
    }
    for (qsizetype i = 0; i < clause->GetCount(); ++i) {
        const TSQLOrderByItem *item = clause->GetItems(i);
        const TSQLExpressionItem *expression = ExpressionRemoveBrackets(item->Expression.get());
        const QString text = Text(expression);
        qsizetype column = -1;
        bool isNumber = false;
        const int position = text.toInt(&isNumber);
        if (expression->Is<TSQLExpressionConstant>() && isNumber) {
            // A number names the column at its position.
            if (position < 1 || position > expressions.size())
                break;
            column = position - 1;
        }
        if (column < 0 && expression->Is<TSQLExpressionColumn>() && !text.contains(u'.'))
            column = aliases.indexOf(text.toLower());
        if (column < 0)
            column = expressions.indexOf(text);
        if (column < 0)
            break;
        keys.append(TSortKey{int(column), item->SortOrder == obDesc});
    }
    return keys;
}

QString OrderByPositions(const TSQLSelectStatement *statement)
{
    const TSQLOrderByClause *clause = statement->OrderByClause.get();
    const QList<TSortKey> keys = SortKeysOf(statement);
    if (!clause || keys.size() != clause->GetCount())
        return Text(clause);
    QStringList items;
    for (const TSortKey &key : keys)
        items.append(QString::number(key.Column + 1) + (key.Descending ? QStringLiteral(" DESC") : QString()));
    return QStringLiteral("ORDER BY ") + items.join(QStringLiteral(", "));
}

namespace {

// SQL-92 joins the comma-separated table references of a chain last, each
// of them a chain of joins read from left to right; SQLite reads the whole
// chain from left to right, commas as cross joins among the others. The two
// agree once every reference after a comma that is a chain of its own is
// in brackets: ", q RIGHT JOIN r ON ..." becomes "CROSS JOIN (q RIGHT JOIN r
// ON ...)". True when anything changed.
bool BracketCommaSegments(TSQLFromItem *chain)
{
    bool changed = false;
    for (qsizetype i = 0; i < chain->GetCount(); ++i)
        if (auto *nested = As<TSQLFromItem>(chain->GetItems(i)))
            changed = BracketCommaSegments(nested) || changed;
    for (qsizetype start = 1; start < chain->GetCount(); ++start) {
        if (chain->GetItems(start)->JoinKind)
            continue;
        qsizetype end = start + 1;
        while (end < chain->GetCount() && chain->GetItems(end)->JoinKind)
            ++end;
        if (end - start < 2)
            continue;
        TnvBaseSyntaxProvider *provider = chain->SyntaxProvider();
        TOwned<TSQLFromItem> segment = Create<TSQLFromItem>(provider);
        for (qsizetype k = start; k < end; ++k)
            segment->Add(chain->Extract(start));
        segment->JoinKind.reset(Create<TSQLJoinKindCross>(provider));
        // The chain has no insert: the rest moves behind the new segment.
        std::vector<TOwned<TSQLFromSource>> rest;
        while (chain->GetCount() > start)
            rest.push_back(chain->Extract(start));
        chain->Add(std::move(segment));
        for (TOwned<TSQLFromSource> &source : rest)
            chain->Add(std::move(source));
        changed = true;
    }
    return changed;
}

bool BracketCommaSegments(const TSQLSubQueryExpressions *list)
{
    bool changed = false;
    for (qsizetype i = 0; i < list->GetCount(); ++i) {
        TSQLSubQueryExpression *operand = list->GetItems(i);
        if (const auto *group = As<TSQLSubQueryExpressions>(operand))
            changed = BracketCommaSegments(group) || changed;
        else if (auto *block = As<TSQLSubQuerySelectExpression>(operand); block && block->FromClause)
            changed = BracketCommaSegments(block->FromClause.get()) || changed;
    }
    return changed;
}

// SQLite compares with no ALL, ANY or SOME of a sub-query. x op ALL (SELECT
// e FROM f WHERE w) is true without rows, else unknown for a null x, else
// false when a value of e compares false, else unknown when one is null,
// else true; x op ANY the other way round. The values that decide are the
// sub-query's extremes: x > ALL holds when x > MAX(e), x > ANY when x >
// MIN(e), x = ALL when both are x, x <> ANY when not both are. = ANY is IN
// and <> ALL is NOT IN. Written so for SQLite with the sub-query's counts
// and extremes as sub-queries of their own, x staying outside them (in
// HAVING it may be an aggregate of the block); empty for a sub-query of
// another shape (several parts, grouping).
QString QuantifiedComparison(const TSQLExpressionCompWithSubQuery *comparison)
{
    const TSQLSubSelectStatement *subQuery = comparison->SubQuery.get();
    const auto *block = subQuery && subQuery->GetCount() == 1 && !subQuery->OrderByClause && !subQuery->WithClause
                            ? As<TSQLSubQuerySelectExpression>(subQuery->GetItems(0))
                            : nullptr;
    if (!block || !block->FromClause || block->GroupByClause || block->HavingClause || block->SelectMode ||
        !block->SelectItems || block->SelectItems->GetCount() != 1 || !comparison->Expression)
        return QString();
    const auto *item = As<TSQLSelectItemExpression>(block->SelectItems->GetItems(0));
    if (!item)
        return QString();
    const QString x = u'(' + Text(comparison->Expression.get()) + u')';
    const QString e = Text(item->Expression.get());
    const QString where = Text(block->WhereClause.get());
    const QString rest = QStringLiteral(" FROM ") + Text(block->FromClause.get()) +
                         (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where) + u')';
    const QString op = comparison->OperatorText();
    const bool all = comparison->SetQuantifier == cwsAll;
    if (op == u"=" && !all)
        return u'(' + x + QStringLiteral(" IN (SELECT ") + e + rest + u')';
    if (op == u"<>" && all)
        return u'(' + x + QStringLiteral(" NOT IN (SELECT ") + e + rest + u')';
    const QString rows = QStringLiteral("(SELECT COUNT(*)") + rest;
    const QString values = QStringLiteral("(SELECT COUNT(") + e + u')' + rest;
    const QString lowest = QStringLiteral("(SELECT MIN(") + e + u')' + rest;
    const QString highest = QStringLiteral("(SELECT MAX(") + e + u')' + rest;
    // Whether the extremes decide against the quantifier's default: a value
    // that compares false for ALL, one that compares true for ANY.
    QString decides;
    if (op == u"=" || op == u"<>") {
        decides = u'(' + lowest + QStringLiteral(" <> ") + x + QStringLiteral(" OR ") + highest +
                  QStringLiteral(" <> ") + x + u')';
    } else {
        const bool greater = op.startsWith(u'>');
        const QString extreme = greater == all ? highest : lowest;
        const QString compared = x + u' ' + op + u' ' + extreme;
        decides = all ? QStringLiteral("NOT (") + compared + u')' : compared;
    }
    const QString decided = all ? QStringLiteral("0") : QStringLiteral("1");
    const QString otherwise = all ? QStringLiteral("1") : QStringLiteral("0");
    return QStringLiteral("(CASE WHEN ") + rows + QStringLiteral(" = 0 THEN ") + otherwise + QStringLiteral(" WHEN ") +
           x + QStringLiteral(" IS NULL THEN NULL WHEN ") + values + QStringLiteral(" > 0 AND ") + decides +
           QStringLiteral(" THEN ") + decided + QStringLiteral(" WHEN ") + values + QStringLiteral(" < ") + rows +
           QStringLiteral(" THEN NULL ELSE ") + otherwise + QStringLiteral(" END)");
}

// Each comparison with ALL, ANY or SOME of the statement as its text and as
// SQLite's, the outer ones (the longer texts) first: an inner one is
// written the same inside an outer one's form for SQLite.
QList<QPair<QString, QString>> QuantifiedComparisons(const TSQLSelectStatement *statement)
{
    QList<QPair<QString, QString>> forms;
    TastNodesList nodes;
    statement->GetMyChildrenRecursive(nodes);
    for (TastNodeBase *node : std::as_const(nodes))
        if (const auto *comparison = As<TSQLExpressionCompWithSubQuery>(node))
            if (const QString form = QuantifiedComparison(comparison); !form.isEmpty())
                forms.append({Text(comparison), form});
    std::stable_sort(forms.begin(), forms.end(),
                     [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
    return forms;
}

} // namespace

QString SQLiteText(const TnvBaseSyntaxProvider *provider, const QString &sql)
{
    try {
        TOwned<TSQLSelectStatement> statement = provider->ParseSelect(sql);
        const bool bracketed = BracketCommaSegments(statement.get());
        const TStatementText text(statement.get());
        const QList<QPair<QString, QString>> comparisons = QuantifiedComparisons(statement.get());
        if (comparisons.isEmpty())
            return bracketed || text.HasGroups() ? text.SQLite() : sql;
        QString translated = text.SQLite();
        for (const auto &[written, form] : comparisons)
            translated.replace(written, form);
        return translated;
    } catch (const Exception &) {
        return sql;
    }
}

} // namespace nvqb::meaning
