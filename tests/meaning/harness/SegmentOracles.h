#pragma once
// The oracles of the edits the sessions make on FROM lists of comma-separated
// table references (SegmentStatements.h): each builds, from the text of a
// one-block statement before the edit, the statement whose rows the edit
// must give, independently of the model. SQL-92 joins the references of the
// list last, so the oracles keep each reference as it stands and put what
// joins across references in WHERE:
// - a table added with its foreign keys: the table after a last comma, and
//   one equality per foreign-key column pair to every other table in WHERE;
// - a table at the start or end of a reference removed: every condition
//   term that names it goes, with its select items; the element after it
//   starts the reference then: what is left of its ON filters its own rows
//   (a derived table here) where it was an inner join, and goes where it
//   was an outer join, which only chose the rows that match; the removed
//   table's inner join terms that name other tables filter the reference,
//   in WHERE, and an outer join's go with it;
// - a link deleted: its terms leave their ON condition, and a join left
//   without any is a cross join;
// - a join kind chosen for a link: the join of the item whose ON holds the
//   link has that kind.
// Each returns an empty string where the rows cannot be told that way: an
// OR that mixes the table with others, no select item left, a bracketed
// group that would have to keep a filter, and a filter that an outer join
// after it leaves only WHERE to hold, where a FULL join further on would
// drop the rows it adds (no join of the FROM clause can hold it there; before
// a RIGHT join its ON holds it).
#include <QString>
#include <QStringList>

namespace nvqb {
class TnvBaseSyntaxProvider;
}

namespace nvqb::meaning {

// The prefixes of the plain tables that stand first and last in each table
// reference of the top-level FROM list (empty for a bracketed group).
struct TReferenceEnds {
    QString First, Last;
};
QList<TReferenceEnds> ReferenceEndsOf(const TnvBaseSyntaxProvider *provider, const QString &sql);

QString ExpectedAfterAddingTable(const TnvBaseSyntaxProvider *provider, const QString &sql, const QString &table,
                                 const QString &prefix);
QString ExpectedAfterRemovingEnd(const TnvBaseSyntaxProvider *provider, const QString &sql, const QString &prefix);
// Terms: the conjuncts of the link's expression, as Text prints them;
// Owner: the prefix of the table whose ON holds them, empty for a bracketed
// group.
QString ExpectedAfterDeletingTerms(const TnvBaseSyntaxProvider *provider, const QString &sql, const QStringList &terms,
                                   const QString &owner);
// Kind: "Inner", "Left", "Right" or "Full".
QString ExpectedAfterChangingJoin(const TnvBaseSyntaxProvider *provider, const QString &sql, const QStringList &terms,
                                  const QString &owner, const QString &kind);

} // namespace nvqb::meaning
