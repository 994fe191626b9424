#pragma once
// The FROM sources visible to a binding walk, indexed for the columns that
// bind against them. A column binds to the last visible source that takes
// it: by the source's alias, by its object name, or through a field the
// source offers (TSQLObjectColumn::PrepareAndFixup). A large query binds
// thousands of columns against hundreds of sources, so rather than asking
// every source, a column asks this index for the few that may take it:
// those whose alias or object name begins with the column's leftmost part,
// and those offering a field of the column's name, each filed under the
// name's key (NameFoldKeys.h), with the sources whose names have no key.
// The column then tests only those, from the last down, through the syntax
// provider as before, so the source it binds to is the same.
//
// An index lives until the outermost binding walk of its thread ends. It
// follows its list as the walk appends sources and cuts them back, and the
// sources tell it when the fields they offer change (FieldsChanged).
#include "sqlmodel/ast/AstNode.h"

#include <QHash>
#include <QVarLengthArray>

#include <cstddef>
#include <functional>
#include <vector>

namespace nvqb {

class TSQLFromSource;

class TSQLBindingSources {
public:
    // The index of the list for the binding walk in progress on this thread,
    // brought up to date with the list; nil outside a walk, and for the first
    // few columns a walk binds against the list (asking each source costs
    // less than making an index for a handful of columns).
    static TSQLBindingSources *For(const TastNodeRefList &fromSources);
    // The fields the source offers changed while a walk is in progress.
    static void FieldsChanged(const TSQLFromSource *source);

    // The positions of the sources that may take a column, from the last
    // down: filed under LeftmostKey (the key of the column's leftmost part;
    // none for a one-part column) or under NameKey among the fields, or under
    // no key. Take tests each position until one takes the column; that
    // position is returned, -1 when none does.
    qsizetype LastTaking(const size_t *leftmostKey, size_t nameKey,
                         const std::function<bool(qsizetype)> &take) const;

private:
    struct TEntry {
        // Filed under the leftmost part of its alias or object name (a
        // source with neither cannot take a column by name).
        bool ByName = false;
        bool NameKeyed = false;
        size_t NameKey = 0;
        // The keys of the fields it offers; whether one field has none.
        std::vector<size_t> FieldKeys;
        bool FieldUnkeyed = false;
    };

    void Sync(const TastNodeRefList &list);
    void Append(const TastNodeBase *node);
    void Pop();
    void FileFields(qsizetype position);
    void UnfileFields(qsizetype position);

    std::vector<const TastNodeBase *> FNodes;
    std::vector<TEntry> FEntries;
    // Where each source stands in the list.
    QHash<const TastNodeBase *, QVarLengthArray<qsizetype, 1>> FPositions;
    // Positions in ascending order.
    QHash<size_t, std::vector<qsizetype>> FByName;
    std::vector<qsizetype> FNameUnkeyed;
    QHash<size_t, std::vector<qsizetype>> FByField;
    std::vector<qsizetype> FFieldUnkeyed;
};

} // namespace nvqb
