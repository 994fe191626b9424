#pragma once
// Rewrites of condition trees, used by the query model to turn a WHERE or
// HAVING condition into per-column criteria and back. Every routine takes
// ownership of the tree it is given and returns the tree that replaces it;
// nodes that drop out are freed.
#include "sqlmodel/sql/SQLExpressions.h"

namespace nvqb {

// The first node at or below E that is not a bracket, following bracket
// contents; nil for nil. Nothing is freed.
TSQLExpressionItem *ExpressionRemoveBrackets(TSQLExpressionItem *e);

// An OR in brackets, so that it stays one operand of an AND it joins;
// anything else as it is.
TOwned<TSQLExpressionItem> BracketIfOr(TOwned<TSQLExpressionItem> e);

// Both nil, or both written alike (quoted where needed, prefixes skipped),
// ignoring case.
bool IsExpressionsEqual(const TSQLExpressionItem *a, const TSQLExpressionItem *b);

// Comparisons with the Boolean keywords become plain conditions:
// (c) = TRUE gives c, (c) = FALSE gives Not c, at any depth of AND, OR, NOT
// and brackets.
TOwned<TSQLExpressionItem> TransformExpression(TOwned<TSQLExpressionItem> e);

// Removes double negations, applies De Morgan to a negated AND or OR and
// flattens nested collections of the same kind; nil when nothing is left.
TOwned<TSQLExpressionItem> SimplifyLogicalExpression(TOwned<TSQLExpressionItem> e);
TOwned<TSQLExpressionItem> PrepareLogicalExpressionForLoading(TOwned<TSQLExpressionItem> e);

} // namespace nvqb
