#pragma once
// A statement as a list of union terms: select blocks and bracketed groups
// of terms, each with the operator that joins it to the term before, and
// the statement's ORDER BY. The oracles of the edit sessions rearrange a
// statement at this level (swap two parts, take brackets away, put another
// block in a part's place) and print it again.
//
// It also prints the statement for SQLite, which reads two things of SQL-92
// otherwise: it takes no brackets around the parts of a union, so a
// bracketed group becomes a derived table over a materialized common table
// expression, "SELECT * FROM (WITH g AS MATERIALIZED (...) SELECT * FROM g)",
// the same rows under the same column names; and it reads a comma in FROM as one more
// join of a chain read from left to right, where SQL-92 joins the
// comma-separated references last, so a reference after a comma that is a
// chain of joins goes in brackets after CROSS JOIN; and it has no
// comparison with ALL, ANY or SOME of a sub-query, which becomes IN, NOT IN
// or a CASE over the sub-query's counts and extremes with the same
// three-valued result.
// Nothing else is translated.
#include "QueryResult.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace nvqb {
class TastNode;
class TnvBaseSyntaxProvider;
class TSQLSelectStatement;
class TSQLExpressionItem;
class TSQLSubQuerySelectExpression;
} // namespace nvqb

namespace nvqb::meaning {

struct TUnionTerm {
    // "UNION", "UNION ALL", "EXCEPT", ...; empty for the first term of a list.
    QString Operator;
    // The SELECT of a block; empty for a group.
    QString Block;
    // The terms of a bracketed group.
    QList<TUnionTerm> Members;
    bool IsGroup() const { return Block.isEmpty(); }
};

class TStatementText {
public:
    // Raises the parser's error when the text does not parse.
    TStatementText(const TnvBaseSyntaxProvider *provider, const QString &sql);
    explicit TStatementText(const TSQLSelectStatement *statement);

    QList<TUnionTerm> Terms;
    // "Order By ..." or empty.
    QString OrderBy;

    // Blocks in textual order, at any depth.
    int BlockCount() const;
    QString Block(int index) const;
    void SetBlock(int index, const QString &sql);
    bool HasGroups() const;

    QString SQL92() const;
    QString SQLite() const;

private:
    void Load(const TSQLSelectStatement *statement);
};

// The block of the statement at the textual index; nil when there is none.
TSQLSubQuerySelectExpression *BlockAt(const TSQLSelectStatement *statement, int index);
// How many blocks the statement has.
int BlockCountOf(const TSQLSelectStatement *statement);
// The text of a node on one line, as the checks print and compare texts.
QString Text(const TastNode *node);

// The names a text qualifies columns with ("q1" for "q1.v"), lower case.
QSet<QString> NamesIn(const QString &text);
// The terms of a condition's AND (brackets and nested ANDs looked
// through), each as text; empty for nil.
QStringList ConjunctsOf(TSQLExpressionItem *condition);

// The output columns the statement's ORDER BY sorts on, as far as they can
// be told: an item that is an output column's alias, the same expression as
// an output column (brackets around either make no difference, as in
// SQLite), or a number, the column's position; the keys end before the
// first item that is none of these, and before the first item past a * or
// t.* in the select list.
QList<TSortKey> SortKeysOf(const TSQLSelectStatement *statement);
// The statement's ORDER BY with each key written as the position of the
// column it sorts, which names the same column whichever part is first; the
// ORDER BY as it is when the column of a key cannot be told.
QString OrderByPositions(const TSQLSelectStatement *statement);

// The SQL to run on SQLite for the text: the text itself unless one of the
// translations above applies; the text unchanged when it does not parse.
QString SQLiteText(const TnvBaseSyntaxProvider *provider, const QString &sql);

} // namespace nvqb::meaning
