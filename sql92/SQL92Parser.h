#pragma once
// The SQL-92 parser. Every production of the grammar is written once, as a
// member template over a pass (see GrammarPasses.h): the way pass follows all
// paths at once, the build pass walks the winning path and builds the tree.
// The productions live in SQL92Grammar*.cpp by topic (statements, FROM
// clause, expressions, types), each instantiated there for both passes.
#include "sqlmodel/parse/GrammarPasses.h"

namespace nvqb {

class TastToken;
class TastTokenIdentifier;
class TSQLSelectStatement;
class TSQLSubSelectStatement;
class TSQLSubQueryExpression;
class TSQLSubQueryExpressions;
class TSQLSubQuerySelectExpression;
class TSQLSelectItems;
class TSQLSelectItem;
class TSQLOrderByClause;
class TSQLGroupByList;
class TSQLFromClause;
class TSQLFromItem;
class TSQLFromSource;
class TSQLAliasObjectAlias;
class TSQLQualifiedName;
class TSQLDatabaseObject;
class TSQLObjectColumn;
class TSQLExpressionItem;
class TSQLExpressionsList;
class TSQLFunction;
class TSQLType;
class TSQLTypeStandard;

class SQL92Parser : public TnvBaseParser {
    NV_DECLARE_CLASS(SQL92Parser)
public:
    using TnvBaseParser::TnvBaseParser;

    void ParseSelectWayCalc(TnvWayPointsList &list) override;
    TOwned<TSQLSelectStatement> ParseSelect() override;
    void ParseObjectNameWayCalc(TnvWayPointsList &list) override;
    TOwned<TSQLDatabaseObject> ParseObjectName() override;
    void ParseExpressionWayCalc(TnvWayPointsList &list) override;
    TOwned<TSQLExpressionItem> ParseExpression() override;
    void ParseSelectItemWayCalc(TnvWayPointsList &list) override;
    TOwned<TSQLSelectItem> ParseSelectItem() override;
    void ParseLogicalExpressionWayCalc(TnvWayPointsList &list) override;
    TOwned<TSQLExpressionItem> ParseLogicalExpression() override;
    void ParseFromSourceWayCalc(TnvWayPointsList &list) override;
    TOwned<TSQLFromSource> ParseFromSource() override;
    void ParseIdentifierWayCalc(TnvWayPointsList &list) override;
    TOwned<TastTokenIdentifier> ParseIdentifier() override;

    template <class P, class T> using N = typename P::template Node<T>;

    // Statements.
    template <class P> N<P, TSQLSelectStatement> SelectStatement(P &p);
    template <class P> N<P, TSQLSubSelectStatement> SubSelectStatement(P &p);
    // Adds the operands to `target` (build pass).
    template <class P> void QueryExpression(P &p, TSQLSubQueryExpressions *target);
    template <class P> N<P, TSQLSubQueryExpression> SubQueryExpression(P &p);
    template <class P> N<P, TSQLSubQuerySelectExpression> QueryBlock(P &p);
    template <class P> N<P, TSQLSelectItems> SelectList(P &p);
    template <class P> N<P, TSQLSelectItem> SelectItem(P &p);
    template <class P> N<P, TastTokenIdentifier> AliasExpression(P &p);
    template <class P> N<P, TSQLOrderByClause> OrderByClause(P &p);
    template <class P> N<P, TSQLGroupByList> GroupByList(P &p);

    // FROM clause and names.
    template <class P> N<P, TSQLFromClause> FromClause(P &p);
    // Adds the chain's sources to `target` (build pass).
    template <class P> void TableSource(P &p, TSQLFromItem *target);
    template <class P> N<P, TSQLFromItem> TableSourceInner(P &p);
    template <class P> N<P, TSQLFromSource> SubTableSource(P &p);
    template <class P> N<P, TSQLFromSource> JoinedTable(P &p);
    template <class P> N<P, TSQLAliasObjectAlias> AliasObject(P &p);
    template <class P> N<P, TSQLDatabaseObject> DbObject(P &p);
    template <class P> N<P, TSQLObjectColumn> DbColumn(P &p);
    template <class P> N<P, TSQLQualifiedName> QualifiedName(P &p);
    template <class P> N<P, TastTokenIdentifier> Identifier(P &p);

    // Expressions.
    template <class P> N<P, TSQLExpressionItem> ExpressionLogical(P &p);
    template <class P> N<P, TSQLExpressionItem> ExpressionAnd(P &p);
    template <class P> N<P, TSQLExpressionItem> ExpressionNot(P &p);
    template <class P> N<P, TSQLExpressionItem> ExpressionLogicalTerm(P &p);
    template <class P> N<P, TSQLExpressionItem> Predicate(P &p);
    template <class P> N<P, TSQLExpressionItem> Expression(P &p);
    template <class P> N<P, TSQLExpressionItem> ExpressionFactor(P &p);
    template <class P> N<P, TSQLExpressionItem> ExpressionUnary(P &p);
    template <class P> N<P, TSQLExpressionItem> ExpressionTerm(P &p);
    template <class P> N<P, TSQLExpressionItem> Constant(P &p);
    template <class P> N<P, TSQLExpressionItem> AggregateFunction(P &p);
    template <class P> N<P, TSQLFunction> SQLFunction(P &p);
    template <class P> N<P, TSQLExpressionItem> CaseFunction(P &p);
    template <class P> N<P, TSQLExpressionItem> CastFunction(P &p);
    template <class P> N<P, TSQLExpressionsList> ExpressionsList(P &p);

    // Types.
    template <class P> N<P, TSQLType> SQLType(P &p);
    // The standard types add their spelling to `type` (build pass).
    template <class P> void StandardType(P &p, TSQLTypeStandard *type);
    template <class P> void IntervalType(P &p, TSQLTypeStandard *type);
    // ( integer ) or, with `scale`, ( integer [ , integer ] ).
    template <class P> void TypeLength(P &p, TSQLTypeStandard *type, bool scale);

    // What the first pass can tell of an opening bracket at `tokenIndex`
    // from the tokens alone (false for any other token):
    // - whether the brackets that open there are followed by SELECT, which
    //   is how every sub-query starts;
    // - whether the bracket, with what it encloses, can be no operand: it
    //   opens no sub-query and encloses a comparison, AND, OR, NOT, a
    //   predicate word or EXISTS outside any inner bracket and outside CASE,
    //   or just one such bracket. Only a condition can be written so.
    bool BracketsLeadToSelect(int tokenIndex) { return BracketFacts(tokenIndex) & LeadsToSelect; }
    bool BracketOpensNoOperand(int tokenIndex) { return BracketFacts(tokenIndex) & OpensNoOperand; }

protected:
    void ClearDialectTables() override;

private:
    enum : quint8 { LeadsToSelect = 1, OpensNoOperand = 2 };
    // The facts above, one byte per token, worked out on first use.
    quint8 BracketFacts(int tokenIndex)
    {
        if (KindAt(tokenIndex) != LParenKind)
            return 0;
        if (FBracketFacts.empty())
            FillBracketFacts();
        return FBracketFacts[size_t(tokenIndex)];
    }
    void FillBracketFacts();
    // The kind of "(" (the token kinds are the grammar files' own).
    static const int LParenKind;
    std::vector<quint8> FBracketFacts;

    // A dotted name of up to `prefixes` prefixes before the name itself.
    template <class P, class T> N<P, T> DottedName(P &p, int prefixes);
    template <class P> void DottedPrefixes(P &p, int prefixes, TSQLQualifiedName *name, int taken = 0);
};

} // namespace nvqb
