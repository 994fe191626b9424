#pragma once
// The images of a tree or a list view as the options keep them: the icons
// themselves, held by value, so an options object never refers to an image
// list that may go before it does.
#include <QIcon>
#include <QList>

namespace nvqb {

using TnvImageList = QList<QIcon>;

// Icons have no equality of their own: two lists are the same when they hold
// the same icons (by cache key, which copies share) in the same order.
inline bool SameImageList(const TnvImageList &a, const TnvImageList &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].cacheKey() != b[i].cacheKey())
            return false;
    return true;
}

// Stores Value in Field; true when that changed it (a setter then notifies).
inline bool StoreImageList(TnvImageList &field, const TnvImageList &value)
{
    if (SameImageList(field, value))
        return false;
    field = value;
    return true;
}

} // namespace nvqb
