#pragma once
// The roots of the metadata model: every catalogue class (objects, fields,
// relations, their lists and the container) is a TnvMetadataBase, an
// updatable persistent whose owner chain (item, list, object, container)
// hears of each change. Lists own their items; a list of items made by the
// list itself from an item class is a collection. Classes carry a class
// reference with a factory, so Clone makes a copy of the object's own class.
#include "sqlmodel/text/UpdatablePersistent.h"

#include <QString>
#include <vector>

class QXmlStreamWriter;

namespace nvqb {

class TnvBaseSyntaxProvider;
class TnvMetadataBase;

// The class reference of a metadata class: its name, parent and a factory
// that makes an instance with a given owner (the virtual constructor).
struct TnvMetadataClassInfo : TClassInfo {
    TnvMetadataBase *(*Factory)(TnvMetadataBase *owner);
};
using TnvMetadataClass = const TnvMetadataClassInfo *;

#define NV_DECLARE_METADATA_CLASS(Name)                                        \
public:                                                                        \
    static ::nvqb::TnvMetadataClass StaticClassType();                         \
    ::nvqb::TClass ClassType() const override;                                 \
    ::nvqb::TnvMetadataClass MetadataClassType() const override;               \
                                                                               \
private:

#define NV_IMPLEMENT_METADATA_CLASS(Name, Parent)                              \
    ::nvqb::TnvMetadataClass Name::StaticClassType()                           \
    {                                                                          \
        static const ::nvqb::TnvMetadataClassInfo info{                        \
            {#Name, Parent::StaticClassType()},                                \
            [](::nvqb::TnvMetadataBase *owner) -> ::nvqb::TnvMetadataBase * { return new Name(owner); }}; \
        return &info;                                                          \
    }                                                                          \
    ::nvqb::TClass Name::ClassType() const { return StaticClassType(); }       \
    ::nvqb::TnvMetadataClass Name::MetadataClassType() const { return StaticClassType(); }

class TnvMetadataBase : public TnvUpdatablePersistent {
public:
    static TnvMetadataClass StaticClassType();
    TClass ClassType() const override;
    virtual TnvMetadataClass MetadataClassType() const;

    // The owner's syntax provider is taken over when there is an owner.
    explicit TnvMetadataBase(TnvMetadataBase *owner);
    ~TnvMetadataBase() override;

    // A new instance of the class, made with the owner and completed.
    static TOwned<TnvMetadataBase> CreateOf(TnvMetadataClass cls, TnvMetadataBase *owner);

    TnvMetadataBase *MetadataOwner() const { return static_cast<TnvMetadataBase *>(Owner()); }
    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    // Subclasses hand the provider on to every name, list and item they own.
    virtual void SetSyntaxProvider(TnvBaseSyntaxProvider *provider);

    // A value of the host's, copied by Assign and never read here.
    void *UserData() const { return FUserData; }
    void SetUserData(void *value) { FUserData = value; }

    // A copy of the object's own class with the given owner; the caller owns it.
    TOwned<TnvMetadataBase> Clone(TnvMetadataBase *owner) const;
    template <class T> TOwned<T> CloneAs(TnvMetadataBase *owner) const
    {
        return TOwned<T>(static_cast<T *>(Clone(owner).release()));
    }

    // Copies the user value and takes the owner's provider (the source's when
    // there is no owner). Other sources follow the class library's rule.
    void Assign(const TPersistent *source) override;

    // Writes the object as an element of the given name.
    virtual void WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const;

private:
    TnvBaseSyntaxProvider *FSyntaxProvider = nullptr;
    void *FUserData = nullptr;
};

enum TnvMetadataListNotification { lnAdded, lnExtracted, lnDeleted };

// An ordered list that owns items put in by the caller. Items must have been
// made with the list as their owner.
class TnvMetadataListBase : public TnvMetadataBase {
    NV_DECLARE_METADATA_CLASS(TnvMetadataListBase)
public:
    explicit TnvMetadataListBase(TnvMetadataBase *owner);
    ~TnvMetadataListBase() override;

    qsizetype Add(TOwned<TnvMetadataBase> item);
    void Insert(qsizetype index, TOwned<TnvMetadataBase> item);
    void Delete(qsizetype index);
    void Remove(TnvMetadataBase *item);
    // The caller owns the item taken out.
    TOwned<TnvMetadataBase> Extract(TnvMetadataBase *item);
    virtual void Clear();
    void Move(qsizetype from, qsizetype to);
    qsizetype Count() const { return qsizetype(FItems.size()); }
    qsizetype Capacity() const { return qsizetype(FItems.capacity()); }
    // Reserves room; never shrinks below the items held.
    void SetCapacity(qsizetype value);
    TnvMetadataBase *Items(qsizetype index) const;
    // Replaces the entry: the old item is notified as deleted and freed.
    void SetItems(qsizetype index, TOwned<TnvMetadataBase> item);
    qsizetype IndexOf(const TnvMetadataBase *item) const;

    void Assign(const TPersistent *source) override;
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;
    void WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const override;
    virtual QString GetXMLItemName() const { return QStringLiteral("item"); }

protected:
    // Told of every item that comes or goes; the base does nothing.
    virtual void Notify(TnvMetadataBase *item, TnvMetadataListNotification action) {}
    void CheckIndex(qsizetype index, qsizetype limit) const;
    // Frees the items without notifications (the list is going away).
    void FreeItemsSilently();
    // Removes the items the predicate picks, each notified as deleted (from
    // the last to the first) and freed, in one pass over the list.
    template <class Pred> qsizetype DeleteWhere(Pred pred);

    std::vector<TOwned<TnvMetadataBase>> FItems;
};

template <class Pred> qsizetype TnvMetadataListBase::DeleteWhere(Pred pred)
{
    std::vector<char> doomed(FItems.size(), 0);
    qsizetype count = 0;
    for (qsizetype i = Count() - 1; i >= 0; --i)
        if (pred(FItems[size_t(i)].get())) {
            doomed[size_t(i)] = 1;
            ++count;
        }
    if (count == 0)
        return 0;
    TnvUpdateScope scope(this);
    for (qsizetype i = Count() - 1; i >= 0; --i)
        if (doomed[size_t(i)])
            Notify(FItems[size_t(i)].get(), lnDeleted);
    std::vector<TOwned<TnvMetadataBase>> kept;
    kept.reserve(FItems.size() - size_t(count));
    std::vector<TOwned<TnvMetadataBase>> freed;
    for (size_t i = 0; i < FItems.size(); ++i)
        (doomed[i] ? freed : kept).push_back(std::move(FItems[i]));
    FItems.swap(kept);
    freed.clear();
    NotifyUpdated();
    return count;
}

class TnvMetadataCollectionBase;

// One element of a collection; its owner is the collection.
class TnvMetadataCollectionItemBase : public TnvMetadataBase {
    NV_DECLARE_METADATA_CLASS(TnvMetadataCollectionItemBase)
public:
    explicit TnvMetadataCollectionItemBase(TnvMetadataBase *owner);
    TnvMetadataCollectionBase *Collection() const;
};

// An owned list of items of one class, made by the list itself.
class TnvMetadataCollectionBase : public TnvMetadataBase {
    NV_DECLARE_METADATA_CLASS(TnvMetadataCollectionBase)
public:
    explicit TnvMetadataCollectionBase(TnvMetadataBase *owner);
    TnvMetadataCollectionBase(TnvMetadataBase *owner, TnvMetadataClass itemClass);
    ~TnvMetadataCollectionBase() override;

    TnvMetadataClass ItemClass() const { return FItemClass; }

    TnvMetadataCollectionItemBase *Add();
    TnvMetadataCollectionItemBase *Insert(qsizetype index);
    void Delete(qsizetype index);
    void Remove(TnvMetadataCollectionItemBase *item);
    void Clear();
    void Move(qsizetype from, qsizetype to);
    qsizetype Count() const { return qsizetype(FItems.size()); }
    qsizetype Capacity() const { return qsizetype(FItems.capacity()); }
    void SetCapacity(qsizetype value);
    TnvMetadataCollectionItemBase *Items(qsizetype index) const;
    // Replaces the entry with a copy of Item (Item stays the caller's).
    void SetItems(qsizetype index, const TnvMetadataCollectionItemBase *item);
    qsizetype IndexOf(const TnvMetadataCollectionItemBase *item) const;

    void Assign(const TPersistent *source) override;
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;
    void WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const override;
    virtual QString GetXMLItemName() const { return QStringLiteral("item"); }

    // Appends an item already made with this collection as its owner (the
    // XML reader builds items before they are listed).
    void AdoptItem(TOwned<TnvMetadataCollectionItemBase> item);

protected:
    void SetItemClass(TnvMetadataClass itemClass) { FItemClass = itemClass; }
    TOwned<TnvMetadataCollectionItemBase> NewItem();
    void CheckIndex(qsizetype index, qsizetype limit) const;

    std::vector<TOwned<TnvMetadataCollectionItemBase>> FItems;

private:
    TnvMetadataClass FItemClass = nullptr;
};

} // namespace nvqb
