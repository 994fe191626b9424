#pragma once
// Keys for indexing names that are compared through the syntax provider.
// Two names the provider finds equal have equal parts, and equal parts
// differ at most in the case of their letters, so names are filed under
// their part count and their own part with ASCII letters upper-cased; a
// look-up then compares only the names filed under its key, through the
// provider. A text that is not all ASCII has no key: its case fold may meet
// an ASCII text, so such names are compared with every candidate.
#include <QHash>
#include <QString>
#include <QVarLengthArray>

#include <cstddef>
#include <vector>

namespace nvqb {

class TSQLQualifiedName;

// The key of the text; false when the text is not all ASCII.
bool TextFoldKey(const QString &text, size_t &key);
// The key of the name's part count and own part; false for an empty name or
// an own part that is not all ASCII.
bool NameFoldKey(const TSQLQualifiedName *name, size_t &key);

// The positions of a list's entries filed by key, and those of the entries
// without a key; positions are added in ascending order.
class TnvKeyedPositions {
public:
    void Clear()
    {
        FByKey.clear();
        FUnkeyed.clear();
    }
    void Add(bool keyed, size_t key, int position)
    {
        if (keyed)
            FByKey[key].append(position);
        else
            FUnkeyed.push_back(position);
    }
    // The first position, in ascending order among the key's entries and the
    // entries without key, that Match takes; -1 when none does.
    template <class F> int First(size_t key, F match) const
    {
        static const QVarLengthArray<int, 2> none;
        const auto found = FByKey.constFind(key);
        const QVarLengthArray<int, 2> &keyed = found == FByKey.cend() ? none : *found;
        qsizetype k = 0;
        size_t u = 0;
        while (k < keyed.size() || u < FUnkeyed.size()) {
            const bool takeKeyed = u >= FUnkeyed.size() || (k < keyed.size() && keyed[k] < FUnkeyed[u]);
            const int position = takeKeyed ? keyed[k++] : FUnkeyed[u++];
            if (match(position))
                return position;
        }
        return -1;
    }

private:
    QHash<size_t, QVarLengthArray<int, 2>> FByKey;
    std::vector<int> FUnkeyed;
};

} // namespace nvqb
