#include "sqlmodel/metadata/MetadataBase.h"
#include "classlib/Assert.h"

#include <QXmlStreamWriter>

namespace nvqb {

// ---------------------------------------------------------------------------
// TnvMetadataBase

TnvMetadataClass TnvMetadataBase::StaticClassType()
{
    static const TnvMetadataClassInfo info{
        {"TnvMetadataBase", TnvUpdatablePersistent::StaticClassType()},
        [](TnvMetadataBase *owner) -> TnvMetadataBase * { return new TnvMetadataBase(owner); }};
    return &info;
}

TClass TnvMetadataBase::ClassType() const { return StaticClassType(); }

TnvMetadataClass TnvMetadataBase::MetadataClassType() const { return StaticClassType(); }

TnvMetadataBase::TnvMetadataBase(TnvMetadataBase *owner)
    : TnvUpdatablePersistent(owner), FSyntaxProvider(owner ? owner->SyntaxProvider() : nullptr)
{
}

TnvMetadataBase::~TnvMetadataBase() = default;

TOwned<TnvMetadataBase> TnvMetadataBase::CreateOf(TnvMetadataClass cls, TnvMetadataBase *owner)
{
    Assert(cls != nullptr && cls->Factory != nullptr, "nvQBBase", "Metadata class without a factory");
    TOwned<TnvMetadataBase> object(cls->Factory(owner));
    object->AfterConstruction();
    return object;
}

void TnvMetadataBase::SetSyntaxProvider(TnvBaseSyntaxProvider *provider) { FSyntaxProvider = provider; }

TOwned<TnvMetadataBase> TnvMetadataBase::Clone(TnvMetadataBase *owner) const
{
    TOwned<TnvMetadataBase> copy = CreateOf(MetadataClassType(), owner);
    copy->Assign(this);
    return copy;
}

void TnvMetadataBase::Assign(const TPersistent *source)
{
    const auto *other = As<TnvMetadataBase>(static_cast<const TObject *>(source));
    if (!other) {
        TnvUpdatablePersistent::Assign(source);
        return;
    }
    TnvUpdateScope scope(this);
    FUserData = other->FUserData;
    TnvBaseSyntaxProvider *provider = MetadataOwner() ? MetadataOwner()->SyntaxProvider() : other->SyntaxProvider();
    if (provider != FSyntaxProvider)
        SetSyntaxProvider(provider);
    NotifyUpdated();
}

void TnvMetadataBase::WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const
{
    writer.writeStartElement(tag);
    writer.writeEndElement();
}

// ---------------------------------------------------------------------------
// TnvMetadataListBase

NV_IMPLEMENT_METADATA_CLASS(TnvMetadataListBase, TnvMetadataBase)

TnvMetadataListBase::TnvMetadataListBase(TnvMetadataBase *owner) : TnvMetadataBase(owner) {}

TnvMetadataListBase::~TnvMetadataListBase() { FreeItemsSilently(); }

void TnvMetadataListBase::FreeItemsSilently()
{
    // Last first, as the items were most likely made in order.
    while (!FItems.empty())
        FItems.pop_back();
}

void TnvMetadataListBase::CheckIndex(qsizetype index, qsizetype limit) const
{
    if (index < 0 || index >= limit)
        ListIndexError(index);
}

qsizetype TnvMetadataListBase::Add(TOwned<TnvMetadataBase> item)
{
    Insert(Count(), std::move(item));
    return Count() - 1;
}

void TnvMetadataListBase::Insert(qsizetype index, TOwned<TnvMetadataBase> item)
{
    Assert(item != nullptr, "nvQBBase", "A nil item added to a metadata list");
    // The list takes the item over, so it cannot be in the list already.
    Assert(item->Owner() == this, "nvQBBase", "An item added to a metadata list it is not owned by");
    CheckIndex(index, Count() + 1);
    TnvMetadataBase *raw = item.get();
    if (raw->SyntaxProvider() != SyntaxProvider())
        raw->SetSyntaxProvider(SyntaxProvider());
    FItems.insert(FItems.begin() + index, std::move(item));
    Notify(raw, lnAdded);
    NotifyUpdated();
}

void TnvMetadataListBase::Delete(qsizetype index)
{
    CheckIndex(index, Count());
    Notify(FItems[size_t(index)].get(), lnDeleted);
    TOwned<TnvMetadataBase> doomed = std::move(FItems[size_t(index)]);
    FItems.erase(FItems.begin() + index);
    doomed.reset();
    NotifyUpdated();
}

void TnvMetadataListBase::Remove(TnvMetadataBase *item)
{
    const qsizetype index = IndexOf(item);
    Assert(index >= 0, "nvQBBase", "Removing an item that is not in the metadata list");
    Delete(index);
}

TOwned<TnvMetadataBase> TnvMetadataListBase::Extract(TnvMetadataBase *item)
{
    const qsizetype index = IndexOf(item);
    Assert(index >= 0, "nvQBBase", "Extracting an item that is not in the metadata list");
    Notify(item, lnExtracted);
    TOwned<TnvMetadataBase> result = std::move(FItems[size_t(index)]);
    FItems.erase(FItems.begin() + index);
    NotifyUpdated();
    return result;
}

void TnvMetadataListBase::Clear()
{
    if (FItems.empty())
        return;
    for (qsizetype i = Count() - 1; i >= 0; --i)
        Notify(FItems[size_t(i)].get(), lnDeleted);
    std::vector<TOwned<TnvMetadataBase>> doomed;
    doomed.swap(FItems);
    while (!doomed.empty())
        doomed.pop_back();
    NotifyUpdated();
}

void TnvMetadataListBase::Move(qsizetype from, qsizetype to)
{
    if (from == to)
        return;
    CheckIndex(from, Count());
    CheckIndex(to, Count());
    TOwned<TnvMetadataBase> item = std::move(FItems[size_t(from)]);
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + to, std::move(item));
    NotifyUpdated();
}

void TnvMetadataListBase::SetCapacity(qsizetype value)
{
    if (value > Capacity())
        FItems.reserve(size_t(value));
}

TnvMetadataBase *TnvMetadataListBase::Items(qsizetype index) const
{
    CheckIndex(index, Count());
    return FItems[size_t(index)].get();
}

void TnvMetadataListBase::SetItems(qsizetype index, TOwned<TnvMetadataBase> item)
{
    CheckIndex(index, Count());
    Assert(item != nullptr && item->Owner() == this, "nvQBBase", "An item put into a metadata list it is not owned by");
    if (item.get() == FItems[size_t(index)].get()) {
        (void)item.release();
        return;
    }
    TnvUpdateScope scope(this);
    Notify(FItems[size_t(index)].get(), lnDeleted);
    TOwned<TnvMetadataBase> old = std::move(FItems[size_t(index)]);
    TnvMetadataBase *raw = item.get();
    if (raw->SyntaxProvider() != SyntaxProvider())
        raw->SetSyntaxProvider(SyntaxProvider());
    FItems[size_t(index)] = std::move(item);
    old.reset();
    Notify(raw, lnAdded);
    NotifyUpdated();
}

qsizetype TnvMetadataListBase::IndexOf(const TnvMetadataBase *item) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == item)
            return qsizetype(i);
    return -1;
}

void TnvMetadataListBase::Assign(const TPersistent *source)
{
    if (source == this)
        return;
    const auto *other = As<TnvMetadataListBase>(static_cast<const TObject *>(source));
    TnvUpdateScope scope(this);
    TnvMetadataBase::Assign(source);
    if (!other)
        return;
    // The copies are made before anything is freed, so a source that lives
    // inside this list stays whole while it is copied.
    std::vector<TOwned<TnvMetadataBase>> copies;
    copies.reserve(other->FItems.size());
    for (const TOwned<TnvMetadataBase> &item : other->FItems)
        copies.push_back(item->Clone(this));
    Clear();
    FItems.reserve(copies.size());
    for (TOwned<TnvMetadataBase> &copy : copies)
        Add(std::move(copy));
    NotifyUpdated();
}

void TnvMetadataListBase::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TnvMetadataBase::SetSyntaxProvider(provider);
    for (const TOwned<TnvMetadataBase> &item : FItems)
        item->SetSyntaxProvider(provider);
}

void TnvMetadataListBase::WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const
{
    writer.writeStartElement(tag);
    const QString itemName = GetXMLItemName();
    if (!itemName.isEmpty())
        for (const TOwned<TnvMetadataBase> &item : FItems)
            item->WriteXMLNode(writer, itemName);
    writer.writeEndElement();
}

// ---------------------------------------------------------------------------
// Collections

NV_IMPLEMENT_METADATA_CLASS(TnvMetadataCollectionItemBase, TnvMetadataBase)
NV_IMPLEMENT_METADATA_CLASS(TnvMetadataCollectionBase, TnvMetadataBase)

TnvMetadataCollectionItemBase::TnvMetadataCollectionItemBase(TnvMetadataBase *owner) : TnvMetadataBase(owner)
{
    Assert(!owner || owner->Is<TnvMetadataCollectionBase>(), "nvQBBase",
           "A collection item whose owner is not a collection");
}

TnvMetadataCollectionBase *TnvMetadataCollectionItemBase::Collection() const
{
    return static_cast<TnvMetadataCollectionBase *>(MetadataOwner());
}

TnvMetadataCollectionBase::TnvMetadataCollectionBase(TnvMetadataBase *owner)
    : TnvMetadataCollectionBase(owner, TnvMetadataCollectionItemBase::StaticClassType())
{
}

TnvMetadataCollectionBase::TnvMetadataCollectionBase(TnvMetadataBase *owner, TnvMetadataClass itemClass)
    : TnvMetadataBase(owner), FItemClass(itemClass)
{
}

TnvMetadataCollectionBase::~TnvMetadataCollectionBase()
{
    while (!FItems.empty())
        FItems.pop_back();
}

void TnvMetadataCollectionBase::CheckIndex(qsizetype index, qsizetype limit) const
{
    if (index < 0 || index >= limit)
        ListIndexError(index);
}

TOwned<TnvMetadataCollectionItemBase> TnvMetadataCollectionBase::NewItem()
{
    TOwned<TnvMetadataBase> item = CreateOf(FItemClass, this);
    Assert(item->Is<TnvMetadataCollectionItemBase>(), "nvQBBase", "Collection item class is not an item class");
    if (item->SyntaxProvider() != SyntaxProvider())
        item->SetSyntaxProvider(SyntaxProvider());
    return TOwned<TnvMetadataCollectionItemBase>(static_cast<TnvMetadataCollectionItemBase *>(item.release()));
}

TnvMetadataCollectionItemBase *TnvMetadataCollectionBase::Add() { return Insert(Count()); }

TnvMetadataCollectionItemBase *TnvMetadataCollectionBase::Insert(qsizetype index)
{
    CheckIndex(index, Count() + 1);
    TOwned<TnvMetadataCollectionItemBase> item = NewItem();
    TnvMetadataCollectionItemBase *raw = item.get();
    FItems.insert(FItems.begin() + index, std::move(item));
    NotifyUpdated();
    return raw;
}

void TnvMetadataCollectionBase::AdoptItem(TOwned<TnvMetadataCollectionItemBase> item)
{
    Assert(item != nullptr && item->Owner() == this, "nvQBBase", "An item put into a collection it is not owned by");
    if (item->SyntaxProvider() != SyntaxProvider())
        item->SetSyntaxProvider(SyntaxProvider());
    FItems.push_back(std::move(item));
    NotifyUpdated();
}

void TnvMetadataCollectionBase::Delete(qsizetype index)
{
    CheckIndex(index, Count());
    TOwned<TnvMetadataCollectionItemBase> doomed = std::move(FItems[size_t(index)]);
    FItems.erase(FItems.begin() + index);
    doomed.reset();
    NotifyUpdated();
}

void TnvMetadataCollectionBase::Remove(TnvMetadataCollectionItemBase *item)
{
    const qsizetype index = IndexOf(item);
    Assert(index >= 0, "nvQBBase", "Removing an item that is not in the collection");
    Delete(index);
}

void TnvMetadataCollectionBase::Clear()
{
    if (FItems.empty())
        return;
    std::vector<TOwned<TnvMetadataCollectionItemBase>> doomed;
    doomed.swap(FItems);
    while (!doomed.empty())
        doomed.pop_back();
    NotifyUpdated();
}

void TnvMetadataCollectionBase::Move(qsizetype from, qsizetype to)
{
    if (from == to)
        return;
    CheckIndex(from, Count());
    CheckIndex(to, Count());
    TOwned<TnvMetadataCollectionItemBase> item = std::move(FItems[size_t(from)]);
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + to, std::move(item));
    NotifyUpdated();
}

void TnvMetadataCollectionBase::SetCapacity(qsizetype value)
{
    if (value > Capacity())
        FItems.reserve(size_t(value));
}

TnvMetadataCollectionItemBase *TnvMetadataCollectionBase::Items(qsizetype index) const
{
    CheckIndex(index, Count());
    return FItems[size_t(index)].get();
}

void TnvMetadataCollectionBase::SetItems(qsizetype index, const TnvMetadataCollectionItemBase *item)
{
    CheckIndex(index, Count());
    if (item == FItems[size_t(index)].get())
        return;
    // Copied first: the item given may be the one replaced or live inside it.
    TOwned<TnvMetadataCollectionItemBase> copy = NewItem();
    copy->Assign(item);
    TOwned<TnvMetadataCollectionItemBase> old = std::move(FItems[size_t(index)]);
    FItems[size_t(index)] = std::move(copy);
    old.reset();
    NotifyUpdated();
}

qsizetype TnvMetadataCollectionBase::IndexOf(const TnvMetadataCollectionItemBase *item) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == item)
            return qsizetype(i);
    return -1;
}

void TnvMetadataCollectionBase::Assign(const TPersistent *source)
{
    if (source == this)
        return;
    const auto *other = As<TnvMetadataCollectionBase>(static_cast<const TObject *>(source));
    TnvUpdateScope scope(this);
    TnvMetadataBase::Assign(source);
    if (!other)
        return;
    std::vector<TOwned<TnvMetadataCollectionItemBase>> copies;
    copies.reserve(other->FItems.size());
    for (const TOwned<TnvMetadataCollectionItemBase> &item : other->FItems)
        copies.push_back(item->CloneAs<TnvMetadataCollectionItemBase>(this));
    Clear();
    FItems.reserve(copies.size());
    for (TOwned<TnvMetadataCollectionItemBase> &copy : copies)
        AdoptItem(std::move(copy));
    NotifyUpdated();
}

void TnvMetadataCollectionBase::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TnvMetadataBase::SetSyntaxProvider(provider);
    for (const TOwned<TnvMetadataCollectionItemBase> &item : FItems)
        item->SetSyntaxProvider(provider);
}

void TnvMetadataCollectionBase::WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const
{
    writer.writeStartElement(tag);
    const QString itemName = GetXMLItemName();
    if (!itemName.isEmpty())
        for (const TOwned<TnvMetadataCollectionItemBase> &item : FItems)
            item->WriteXMLNode(writer, itemName);
    writer.writeEndElement();
}

} // namespace nvqb
