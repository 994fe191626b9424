#include "sqlmodel/sql/NameFoldKeys.h"
#include "sqlmodel/sql/QualifiedName.h"

namespace nvqb {

bool TextFoldKey(const QString &text, size_t &key)
{
    // FNV-1a over the upper-cased code units.
    size_t hash = size_t(14695981039346656037ull);
    for (const QChar c : text) {
        char16_t unit = c.unicode();
        if (unit >= 0x80)
            return false;
        if (unit >= u'a' && unit <= u'z')
            unit = char16_t(unit - 32);
        hash = (hash ^ unit) * size_t(1099511628211ull);
    }
    key = hash;
    return true;
}

bool NameFoldKey(const TSQLQualifiedName *name, size_t &key)
{
    if (IsQualifiedNameEmpty(name) || !name->GetItems(0))
        return false;
    size_t own;
    if (!TextFoldKey(name->GetItems(0)->Text(), own))
        return false;
    key = own ^ (size_t(name->GetCount()) * size_t(0x9E3779B97F4A7C15ull));
    return true;
}

} // namespace nvqb
