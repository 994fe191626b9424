#include "sqlmodel/metadata/MetadataFilter.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "support/Mask.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvMetadataFilterItem, TPersistent)
NV_IMPLEMENT_CLASS(TnvMetadataFilter, TPersistent)

namespace {

bool IsMatchAll(const QString &mask) { return mask.isEmpty() || mask == u"%"; }

bool MaskMatches(const QString &text, const QString &mask)
{
    return IsMatchAll(mask) || MatchesMask(text, mask, true, QStringLiteral("%"), u'_');
}

// A mask as a LIKE pattern: the wildcards replaced, bracketed and
// double-quoted runs copied literally, single quotes doubled so the pattern
// stays one SQL string whatever the mask holds.
QString MaskToPattern(const QString &mask, const QString &anyChars, const QString &oneChar)
{
    QString result;
    auto copyLiteral = [&](QChar c) {
        if (c == u'\'')
            result += QStringLiteral("''");
        else
            result += c;
    };
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (c == u'%') {
            result += anyChars;
        } else if (c == u'_') {
            result += oneChar;
        } else if (c == u'[' || c == u'"') {
            const QChar close = c == u'[' ? QChar(u']') : QChar(u'"');
            qsizetype j = i + 1;
            for (; j < mask.size() && mask[j] != close; ++j)
                copyLiteral(mask[j]);
            i = j;
        } else {
            copyLiteral(c);
        }
    }
    return result;
}

QString ItemCondition(const TnvMetadataFilterItem *item, const QString &schemaColumn, const QString &objectColumn,
                      const QString &anyChars, const QString &oneChar)
{
    auto part = [&](const QString &column, const QString &mask) {
        if (IsMatchAll(mask))
            return QString();
        return QStringLiteral("(") + column + QStringLiteral(" like '") + MaskToPattern(mask, anyChars, oneChar) +
               QStringLiteral("')");
    };
    const QString s = part(schemaColumn, item->SchemaMask);
    const QString o = part(objectColumn, item->ObjectMask);
    if (!s.isEmpty() && !o.isEmpty())
        return QStringLiteral("(") + s + QStringLiteral(")and(") + o + QStringLiteral(")");
    return s.isEmpty() ? o : s;
}

} // namespace

bool MetadataFilterKindOf(const TnvMetadataObject *object, TnvMetadataFilterApplyFor &kind)
{
    if (object->Is<TnvMetadataTable>())
        kind = mfTables;
    else if (object->Is<TnvMetadataView>())
        kind = mfViews;
    else if (object->Is<TnvMetadataProcedure>())
        kind = mfProcedures;
    else if (object->Is<TnvMetadataSynonym>())
        kind = mfSynonyms;
    else
        return false;
    return true;
}

// ---------------------------------------------------------------------------
// TnvMetadataFilterItem

TnvMetadataFilterItem::TnvMetadataFilterItem(TnvMetadataFilter *collection) : FCollection(collection) {}

bool TnvMetadataFilterItem::Matches(const TnvMetadataObject *object) const
{
    return MaskMatches(object->Schema()->Text(), SchemaMask) && MaskMatches(object->Name()->Text(), ObjectMask);
}

void TnvMetadataFilterItem::Assign(const TPersistent *source)
{
    const auto *other = As<TnvMetadataFilterItem>(static_cast<const TObject *>(source));
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    ApplyFor = other->ApplyFor;
    SchemaMask = other->SchemaMask;
    ObjectMask = other->ObjectMask;
    Exclude = other->Exclude;
}

// ---------------------------------------------------------------------------
// TnvMetadataFilter

TnvMetadataFilter::TnvMetadataFilter(TPersistent *owner) : FOwner(owner) {}

TnvMetadataFilter::~TnvMetadataFilter() = default;

void TnvMetadataFilter::CheckIndex(qsizetype index, qsizetype limit) const
{
    if (index < 0 || index >= limit)
        ListIndexError(index);
}

TnvMetadataFilterItem *TnvMetadataFilter::Add() { return Insert(Count()); }

TnvMetadataFilterItem *TnvMetadataFilter::Insert(qsizetype index)
{
    CheckIndex(index, Count() + 1);
    TOwned<TnvMetadataFilterItem> item = Create<TnvMetadataFilterItem>(this);
    TnvMetadataFilterItem *raw = item.get();
    FItems.insert(FItems.begin() + index, std::move(item));
    return raw;
}

void TnvMetadataFilter::Delete(qsizetype index)
{
    CheckIndex(index, Count());
    FItems.erase(FItems.begin() + index);
}

void TnvMetadataFilter::Clear() { FItems.clear(); }

TnvMetadataFilterItem *TnvMetadataFilter::Items(qsizetype index) const
{
    CheckIndex(index, Count());
    return FItems[size_t(index)].get();
}

void TnvMetadataFilter::SetItems(qsizetype index, const TnvMetadataFilterItem *item)
{
    Items(index)->Assign(item);
}

bool TnvMetadataFilter::FilterMetadataObject(const TnvMetadataObject *object) const
{
    if (FItems.empty())
        return true;
    TnvMetadataFilterApplyFor kind;
    if (!MetadataFilterKindOf(object, kind))
        return true;
    bool hasInclude = false;
    bool included = false;
    for (const TOwned<TnvMetadataFilterItem> &item : FItems) {
        if (item->Exclude || !item->ApplyFor.Contains(kind))
            continue;
        hasInclude = true;
        if (item->Matches(object)) {
            included = true;
            break;
        }
    }
    if (hasInclude && !included)
        return false;
    for (const TOwned<TnvMetadataFilterItem> &item : FItems)
        if (item->Exclude && item->ApplyFor.Contains(kind) && item->Matches(object))
            return false;
    return true;
}

QString TnvMetadataFilter::CreatePrefilterCondition(const QString &schemaColumn, const QString &objectColumn,
                                                    TnvMetadataFilterApplyFor kind, const QString &anyChars,
                                                    const QString &oneChar) const
{
    // Include rules admit a row matching any of them; exclude rules drop a
    // row matching all masks of any one of them, so each exclude rule is
    // negated as a whole and the negations must all hold.
    QString include;
    QString exclude;
    for (const TOwned<TnvMetadataFilterItem> &item : FItems) {
        if (!item->ApplyFor.Contains(kind))
            continue;
        const QString condition = ItemCondition(item.get(), schemaColumn, objectColumn, anyChars, oneChar);
        if (condition.isEmpty())
            continue;
        if (item->Exclude) {
            if (!exclude.isEmpty())
                exclude += QStringLiteral("and");
            exclude += QStringLiteral("not(") + condition + QStringLiteral(")");
        } else {
            if (!include.isEmpty())
                include += QStringLiteral("or");
            include += condition;
        }
    }
    if (!include.isEmpty() && !exclude.isEmpty())
        return QStringLiteral("(") + include + QStringLiteral(")and(") + exclude + QStringLiteral(")");
    return include.isEmpty() ? exclude : include;
}

void TnvMetadataFilter::Assign(const TPersistent *source)
{
    if (source == this)
        return;
    const auto *other = As<TnvMetadataFilter>(static_cast<const TObject *>(source));
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    std::vector<TOwned<TnvMetadataFilterItem>> copies;
    for (const TOwned<TnvMetadataFilterItem> &item : other->FItems) {
        TOwned<TnvMetadataFilterItem> copy = Create<TnvMetadataFilterItem>(this);
        copy->Assign(item.get());
        copies.push_back(std::move(copy));
    }
    FItems.swap(copies);
}

} // namespace nvqb
