#pragma once
// The user's rules for which database objects are loaded: include and
// exclude rules, each with a schema mask and an object mask ("%" any run of
// characters, "_" one character) and the object kinds it applies to. Loading
// tests every object with FilterMetadataObject; a loader that reads its own
// catalogue query first narrows the rows with CreatePrefilterCondition.
#include "classlib/Persistent.h"

#include <QString>
#include <initializer_list>
#include <vector>

namespace nvqb {

class TnvMetadataObject;

enum TnvMetadataFilterApplyFor { mfTables, mfViews, mfProcedures, mfSynonyms };

class TnvMetadataFilterApplyForSet {
public:
    constexpr TnvMetadataFilterApplyForSet() = default;
    constexpr TnvMetadataFilterApplyForSet(std::initializer_list<TnvMetadataFilterApplyFor> kinds)
    {
        for (TnvMetadataFilterApplyFor kind : kinds)
            FBits |= Bit(kind);
    }
    constexpr bool Contains(TnvMetadataFilterApplyFor kind) const { return (FBits & Bit(kind)) != 0; }
    constexpr void Include(TnvMetadataFilterApplyFor kind) { FBits |= Bit(kind); }
    constexpr void Exclude(TnvMetadataFilterApplyFor kind) { FBits &= ~Bit(kind); }
    constexpr bool IsEmpty() const { return FBits == 0; }
    constexpr bool operator==(const TnvMetadataFilterApplyForSet &) const = default;

private:
    static constexpr unsigned Bit(TnvMetadataFilterApplyFor kind) { return 1u << unsigned(kind); }
    unsigned FBits = 0;
};

inline constexpr TnvMetadataFilterApplyForSet nvQBMetadataFilterApplyForAll{mfTables, mfViews, mfProcedures,
                                                                            mfSynonyms};

class TnvMetadataFilter;

class TnvMetadataFilterItem : public TPersistent {
    NV_DECLARE_CLASS(TnvMetadataFilterItem)
public:
    explicit TnvMetadataFilterItem(TnvMetadataFilter *collection = nullptr);

    TnvMetadataFilter *Collection() const { return FCollection; }

    TnvMetadataFilterApplyForSet ApplyFor = nvQBMetadataFilterApplyForAll;
    QString SchemaMask = QStringLiteral("%");
    QString ObjectMask = QStringLiteral("%");
    // An exclude rule removes what it matches; an include rule admits it.
    bool Exclude = false;

    // Whether both masks match the object's bare schema and name (letter case
    // counts).
    bool Matches(const TnvMetadataObject *object) const;

    void Assign(const TPersistent *source) override;

private:
    friend class TnvMetadataFilter;
    TnvMetadataFilter *FCollection;
};

class TnvMetadataFilter : public TPersistent {
    NV_DECLARE_CLASS(TnvMetadataFilter)
public:
    explicit TnvMetadataFilter(TPersistent *owner = nullptr);
    ~TnvMetadataFilter() override;

    TPersistent *Owner() const { return FOwner; }

    TnvMetadataFilterItem *Add();
    TnvMetadataFilterItem *Insert(qsizetype index);
    void Delete(qsizetype index);
    void Clear();
    qsizetype Count() const { return qsizetype(FItems.size()); }
    TnvMetadataFilterItem *Items(qsizetype index) const;
    // Copies the given item's rule into the stored one.
    void SetItems(qsizetype index, const TnvMetadataFilterItem *item);

    // Whether the object is to be kept: a kind with include rules must match
    // one of them; an object matching an exclude rule of its kind is dropped.
    // Objects of no filtered kind are kept.
    bool FilterMetadataObject(const TnvMetadataObject *object) const;

    // The SQL condition for objects of one kind over the catalogue query's
    // schema and object columns; empty when no rule restricts the kind.
    // AnyChars and OneChar replace "%" and "_" in the LIKE patterns.
    QString CreatePrefilterCondition(const QString &schemaColumn, const QString &objectColumn,
                                     TnvMetadataFilterApplyFor kind, const QString &anyChars = QStringLiteral("%"),
                                     const QString &oneChar = QStringLiteral("_")) const;

    void Assign(const TPersistent *source) override;

private:
    void CheckIndex(qsizetype index, qsizetype limit) const;

    TPersistent *FOwner;
    std::vector<TOwned<TnvMetadataFilterItem>> FItems;
};

// The filter kind of an object; false for an object of no filtered kind.
bool MetadataFilterKindOf(const TnvMetadataObject *object, TnvMetadataFilterApplyFor &kind);

} // namespace nvqb
