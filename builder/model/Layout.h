#pragma once
// The layout document: the query's SQL together with the place and size of
// every data-source box, so that a host can store a diagram and show it again
// as the user left it.
//
//   <NorvaneQueryBuilderLayout>
//     <SQL>the whole SQL</SQL>
//     <SubQueries>
//       <SubQuery SQL="a sub-query's SQL">        one per sub-query, root first
//         <UnionSubQuery>                          one per union part, textual order
//           <DataSource SQL="a bb" X=".." Y=".." Height=".." Width=".."/>
//
// Boxes find their element by the printed SQL of their sub-query and of
// their data source, union parts by position. A character that XML cannot
// carry (a control character) stands in the SQL element as <Char Code=".."/>
// and comes back as it was; in the SQL attributes it is written as U+FFFD,
// and the texts are compared in that form. Both operations work on the
// model alone, so they serve the widget and a headless query builder alike.
#include <QString>

class QDomDocument;
class QDomElement;

namespace nvqb {

class TnvQueryBuilderModel;
class TnvSubQuery;
class TnvUnionSubQuery;

// The layout document of the query builder as XML text.
QString SaveQueryBuilderLayout(TnvQueryBuilderModel *queryBuilder);
// Loads the stored SQL (at once, through SetSyncSQL; an unchanged query is
// kept), then places the boxes of every sub-query. Never raises: text that is
// no layout document, a missing element or a bad value ends the load quietly
// where it stands, with what was applied before kept.
void LoadQueryBuilderLayout(TnvQueryBuilderModel *queryBuilder, const QString &text) noexcept;
// Why the loader would take nothing from the text (empty, not XML, too
// deep, no root, no "SQL" element); empty when it reads the document. For a
// host that wants to tell a user, as the load itself stays quiet.
QString LayoutDocumentError(const QString &text);

// A "SubQuery" element under Parent with one "UnionSubQuery" per union part.
void SaveSubQueryLayout(TnvSubQuery *subQuery, QDomDocument &document, QDomElement &parent);
// Finds the "SubQuery" child of SubQueries that carries this sub-query's SQL
// and hands its child at position i to the i-th union part. Raises what a
// data source raises for a value that is no integer.
void LoadSubQueryLayout(TnvSubQuery *subQuery, const QDomElement &subQueries);
// A "UnionSubQuery" element under Parent holding the part's boxes.
void SaveUnionSubQueryLayout(TnvUnionSubQuery *member, QDomDocument &document, QDomElement &parent);
void LoadUnionSubQueryLayout(TnvUnionSubQuery *member, const QDomElement &element);

} // namespace nvqb
