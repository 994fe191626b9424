#include "sqlmodel/metadata/MetadataContainer.h"
#include "classlib/Assert.h"
#include "sqlmodel/metadata/MetadataFilter.h"
#include "sqlmodel/metadata/MetadataNames.h"
#include "sqlmodel/providers/MetadataProvider.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/QueryBuilderError.h"
#include "sqlmodel/providers/SyntaxProvider.h"

#include <QVarLengthArray>
#include <algorithm>

namespace nvqb {

NV_IMPLEMENT_METADATA_CLASS(TnvMetadataContainer, TnvMetadataListBase)

// ---------------------------------------------------------------------------
// The name index

void TnvMetadataObjectHashBucket::Add(TnvMetadataObject *object)
{
    Assert(object->FHashBucket == nullptr, "nvQBBase", "A metadata object indexed twice");
    FObjects.append(object);
    object->FHashBucket = this;
}

void TnvMetadataObjectHashBucket::Remove(TnvMetadataObject *object)
{
    Assert(object->FHashBucket == this, "nvQBBase", "A metadata object removed from a bucket it is not in");
    // Most removals take the objects out in the reverse order of their coming.
    const qsizetype index = FObjects.lastIndexOf(object);
    if (index >= 0)
        FObjects.removeAt(index);
    object->FHashBucket = nullptr;
}

void TnvMetadataObjectHashBucket::Clear()
{
    for (TnvMetadataObject *object : std::as_const(FObjects))
        object->FHashBucket = nullptr;
    FObjects.clear();
}

TnvMetadataObjectHash::TnvMetadataObjectHash(int bucketCount)
{
    Assert(bucketCount > 0, "nvQBBase", "A name index without buckets");
    FBuckets.resize(size_t(bucketCount));
}

TnvMetadataObjectHash::~TnvMetadataObjectHash() { Clear(); }

QString TnvMetadataObjectHash::NameKeyOf(const QString &text)
{
    // Most names are ASCII: upper-cased here without the full Unicode tables.
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return text.toUpper();
    QString key = text;
    char16_t *data = reinterpret_cast<char16_t *>(key.data());
    for (qsizetype i = 0; i < key.size(); ++i)
        if (data[i] >= u'a' && data[i] <= u'z')
            data[i] = char16_t(data[i] - 32);
    return key;
}

quint32 TnvMetadataObjectHash::HashOfString(const QString &text) { return HashOfKey(NameKeyOf(text)); }

quint32 TnvMetadataObjectHash::HashOfKey(QStringView key)
{
    quint32 hash = 0;
    for (QChar c : key)
        hash = ((hash << 2) | (hash >> 30)) ^ quint32(c.unicode());
    return hash;
}

quint32 TnvMetadataObjectHash::HashOfFullName(const TSQLQualifiedName *fullName) const
{
    if (IsQualifiedNameEmpty(fullName))
        return quint32(BucketCount() - 1);
    return HashOfString(fullName->GetItems(0)->Text());
}

quint32 TnvMetadataObjectHash::HashOfName(const TSQLQualifiedName *, const TastTokenIdentifier *,
                                          const TastTokenIdentifier *name) const
{
    if (!name || name->IsEmpty())
        return quint32(BucketCount() - 1);
    return HashOfString(name->Text());
}

TnvMetadataObjectHashBucket *TnvMetadataObjectHash::GetBucketByHash(quint32 hash)
{
    std::unique_ptr<TnvMetadataObjectHashBucket> &bucket = FBuckets[hash % quint32(FBuckets.size())];
    if (!bucket)
        bucket = std::make_unique<TnvMetadataObjectHashBucket>(this);
    return bucket.get();
}

TnvMetadataObjectHashBucket *TnvMetadataObjectHash::FindBucket(quint32 hash) const
{
    return FBuckets[hash % quint32(FBuckets.size())].get();
}

TnvMetadataObjectHashBucket *TnvMetadataObjectHash::FindBucketByFullName(const TSQLQualifiedName *fullName) const
{
    return FindBucket(HashOfFullName(fullName));
}

TnvMetadataObjectHashBucket *TnvMetadataObjectHash::FindBucketByName(const TSQLQualifiedName *database,
                                                                     const TastTokenIdentifier *schema,
                                                                     const TastTokenIdentifier *name) const
{
    return FindBucket(HashOfName(database, schema, name));
}

void TnvMetadataObjectHash::Add(TnvMetadataObject *object) { GetBucketByHash(object->NameHash())->Add(object); }

void TnvMetadataObjectHash::Remove(TnvMetadataObject *object)
{
    Assert(object->HashBucket() != nullptr && object->HashBucket()->Hash() == this, "nvQBBase",
           "A metadata object removed from an index it is not in");
    object->HashBucket()->Remove(object);
}

void TnvMetadataObjectHash::ReHash(TnvMetadataObject *object)
{
    Remove(object);
    Add(object);
}

void TnvMetadataObjectHash::Clear()
{
    for (std::unique_ptr<TnvMetadataObjectHashBucket> &bucket : FBuckets)
        if (bucket)
            bucket->Clear();
}

TnvMetadataObject *TnvMetadataObjectHash::FindByFullName(const TSQLQualifiedName *fullName) const
{
    return FindByFullNameAndClass(fullName, TnvMetadataObject::StaticClassType());
}

TnvMetadataObject *TnvMetadataObjectHash::FindByFullNameAndClass(const TSQLQualifiedName *fullName,
                                                                 TClass objectClass) const
{
    const TnvMetadataObjectHashBucket *bucket = FindBucketByFullName(fullName);
    if (!bucket)
        return nullptr;
    for (qsizetype i = 0; i < bucket->Count(); ++i) {
        TnvMetadataObject *object = bucket->Items(i);
        if (object->InheritsFrom(objectClass) && object->IsFullNameEqual(fullName))
            return object;
    }
    return nullptr;
}

TnvMetadataObject *TnvMetadataObjectHash::FindByName(const TastTokenIdentifier *name, const TastTokenIdentifier *schema,
                                                     const TSQLQualifiedName *database) const
{
    return FindByNameAndClass(name, schema, database, TnvMetadataObject::StaticClassType());
}

TnvMetadataObject *TnvMetadataObjectHash::FindByNameAndClass(const TastTokenIdentifier *name,
                                                             const TastTokenIdentifier *schema,
                                                             const TSQLQualifiedName *database,
                                                             TClass objectClass) const
{
    const TnvMetadataObjectHashBucket *bucket = FindBucketByName(database, schema, name);
    if (!bucket)
        return nullptr;
    for (qsizetype i = 0; i < bucket->Count(); ++i) {
        TnvMetadataObject *object = bucket->Items(i);
        if (object->InheritsFrom(objectClass) && object->IsNameEqual(name, schema, database))
            return object;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// TnvMetadataContainer

TnvMetadataContainer::TnvMetadataContainer(TnvMetadataBase *owner)
    : TnvMetadataListBase(owner),
      FDefaultDatabaseName(Create<TSQLQualifiedName>(SyntaxProvider())),
      FDefaultSchemaNames(Create<TSQLIdentifiersCollection>(SyntaxProvider())),
      FHash(NameHashBuckets)
{
}

TnvMetadataContainer::~TnvMetadataContainer()
{
    // Normally emptied in BeforeDestruction; objects still held must not
    // reach for the index while it goes.
    FHash.Clear();
    FreeItemsSilently();
}

void TnvMetadataContainer::BeforeDestruction()
{
    {
        TnvUpdateScope scope(this);
        Clear();
    }
    TnvMetadataListBase::BeforeDestruction();
}

void TnvMetadataContainer::Notify(TnvMetadataBase *item, TnvMetadataListNotification action)
{
    auto *object = static_cast<TnvMetadataObject *>(item);
    if (action == lnAdded) {
        Assert(item->Is<TnvMetadataObject>(), "nvQBBase", "A container item that is not a metadata object");
        FHash.Add(object);
        FLoaded = true;
    } else if (object->HashBucket()) {
        FHash.Remove(object);
    }
    FObjectsUpdated = true;
}

void TnvMetadataContainer::DoUpdated()
{
    TnvMetadataListBase::DoUpdated();
    FObjectsUpdated = false;
}

TOwned<TnvMetadataObject> TnvMetadataContainer::Extract(TnvMetadataObject *object)
{
    return TOwned<TnvMetadataObject>(static_cast<TnvMetadataObject *>(TnvMetadataListBase::Extract(object).release()));
}

TnvMetadataObject *TnvMetadataContainer::AddObject(const TastTokenIdentifier *schema, const TastTokenIdentifier *name,
                                                   TnvMetadataClass objectClass, bool system,
                                                   const TSQLQualifiedName *database)
{
    Assert(objectClass != nullptr && objectClass->InheritsFrom(TnvMetadataObject::StaticClassType()), "nvQBBase",
           "AddObject of a class that is not a metadata object class");
    TnvUpdateScope scope(this);
    FLoaded = true;
    TOwned<TnvMetadataObject> object(static_cast<TnvMetadataObject *>(CreateOf(objectClass, this).release()));
    // Named before it is listed, so it is indexed once.
    object->SetSchema(schema);
    object->SetName(name);
    object->SetDatabase(database);
    object->SetSystem(system);
    TnvMetadataObject *raw = object.get();
    Add(std::move(object));
    return raw;
}

TnvMetadataObject *TnvMetadataContainer::AddTable(const TastTokenIdentifier *schema, const TastTokenIdentifier *name,
                                                  bool system, const TSQLQualifiedName *database)
{
    return AddObject(schema, name, TnvMetadataTable::StaticClassType(), system, database);
}

TnvMetadataObject *TnvMetadataContainer::AddView(const TastTokenIdentifier *schema, const TastTokenIdentifier *name,
                                                 bool system, const TSQLQualifiedName *database)
{
    return AddObject(schema, name, TnvMetadataView::StaticClassType(), system, database);
}

TnvMetadataObject *TnvMetadataContainer::AddProcedure(const TastTokenIdentifier *schema,
                                                      const TastTokenIdentifier *name, bool system,
                                                      const TSQLQualifiedName *database)
{
    return AddObject(schema, name, TnvMetadataProcedure::StaticClassType(), system, database);
}

TnvMetadataSynonym *TnvMetadataContainer::AddSynonym(const TastTokenIdentifier *schema,
                                                     const TastTokenIdentifier *name, bool system,
                                                     const TSQLQualifiedName *database)
{
    return static_cast<TnvMetadataSynonym *>(
        AddObject(schema, name, TnvMetadataSynonym::StaticClassType(), system, database));
}

void TnvMetadataContainer::ParseObjectNames(const QString &name, const QString &schema, const QString &database,
                                            TOwned<TastTokenIdentifier> &nameOut,
                                            TOwned<TastTokenIdentifier> &schemaOut,
                                            TOwned<TSQLQualifiedName> &databaseOut) const
{
    auto parseIdentifier = [this](const QString &text) {
        if (text.isEmpty())
            return Create<TastTokenIdentifier>(SyntaxProvider());
        CheckSyntaxProvider();
        TOwned<TastTokenIdentifier> identifier = SyntaxProvider()->ParseIdentifierQuoteIfNeed(text);
        if (!identifier)
            throw EnvQueryBuilderError(nvQBMessage(nvQBBadObjectName));
        return identifier;
    };
    nameOut = parseIdentifier(name);
    schemaOut = parseIdentifier(schema);
    if (!database.isEmpty())
        CheckSyntaxProvider();
    databaseOut = ParseMetadataName(SyntaxProvider(), database);
    if (!databaseOut)
        databaseOut = Create<TSQLQualifiedName>(SyntaxProvider());
}

TnvMetadataObject *TnvMetadataContainer::AddObject(const QString &schema, const QString &name,
                                                   TnvMetadataClass objectClass, bool system,
                                                   const QString &database)
{
    TOwned<TastTokenIdentifier> nameId, schemaId;
    TOwned<TSQLQualifiedName> databaseName;
    ParseObjectNames(name, schema, database, nameId, schemaId, databaseName);
    return AddObject(schemaId.get(), nameId.get(), objectClass, system, databaseName.get());
}

TnvMetadataObject *TnvMetadataContainer::AddTable(const QString &schema, const QString &name, bool system,
                                                  const QString &database)
{
    return AddObject(schema, name, TnvMetadataTable::StaticClassType(), system, database);
}

TnvMetadataObject *TnvMetadataContainer::AddView(const QString &schema, const QString &name, bool system,
                                                 const QString &database)
{
    return AddObject(schema, name, TnvMetadataView::StaticClassType(), system, database);
}

TnvMetadataObject *TnvMetadataContainer::AddProcedure(const QString &schema, const QString &name, bool system,
                                                      const QString &database)
{
    return AddObject(schema, name, TnvMetadataProcedure::StaticClassType(), system, database);
}

void TnvMetadataContainer::Clear()
{
    TnvUpdateScope scope(this);
    FLoaded = false;
    if (FDefaultDatabaseName->GetCount() > 0)
        FDefaultDatabaseName->Clear();
    if (FDefaultSchemaNames->GetCount() > 0)
        FDefaultSchemaNames->Clear();
    TnvMetadataListBase::Clear();
    NotifyUpdated();
}

void TnvMetadataContainer::SortItems(bool (*less)(const TnvMetadataObject *a, const TnvMetadataObject *b))
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [less](const TOwned<TnvMetadataBase> &a, const TOwned<TnvMetadataBase> &b) {
                         return less(static_cast<const TnvMetadataObject *>(a.get()),
                                     static_cast<const TnvMetadataObject *>(b.get()));
                     });
    NotifyUpdated();
}

void TnvMetadataContainer::SortByNames()
{
    CheckSyntaxProvider();
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    std::stable_sort(FItems.begin(), FItems.end(),
                     [provider](const TOwned<TnvMetadataBase> &x, const TOwned<TnvMetadataBase> &y) {
                         const auto *a = static_cast<const TnvMetadataObject *>(x.get());
                         const auto *b = static_cast<const TnvMetadataObject *>(y.get());
                         int c = provider->CompareQualifiedNames(a->Database(), b->Database());
                         if (c == 0)
                             c = provider->CompareIdentifiers(a->Schema(), b->Schema());
                         if (c == 0)
                             c = provider->CompareIdentifiers(a->Name(), b->Name());
                         return c < 0;
                     });
    NotifyUpdated();
}

void TnvMetadataContainer::RebuildNamesHash()
{
    FHash.Clear();
    for (const TOwned<TnvMetadataBase> &item : FItems)
        FHash.Add(static_cast<TnvMetadataObject *>(item.get()));
}

// ---------------------------------------------------------------------------
// Name resolution

namespace {

using TokenParts = QVarLengthArray<const TastToken *, 8>;

// Whether the object's full name equals the parts (stored order, part 0 the
// name). The name part is tested first: it is the one that usually differs.
bool FullNameMatches(const TnvBaseSyntaxProvider *provider, const TnvMetadataObject *object, const TokenParts &parts)
{
    const TSQLQualifiedName *full = object->FullName();
    if (full->GetCount() != parts.size())
        return false;
    for (qsizetype i = 0; i < parts.size(); ++i)
        if (provider->CompareTokens(full->GetItems(i), parts[i]) != 0)
            return false;
    return true;
}

// The upper-cased form of the name looked for, made without building a
// string when the name is ASCII (the usual case).
struct TLookupKey {
    explicit TLookupKey(const QString &text) : Text(text)
    {
        Ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
        if (!Ascii) {
            Key = text.toUpper();
            Hash = TnvMetadataObjectHash::HashOfKey(Key);
            return;
        }
        for (QChar c : text) {
            char16_t u = c.unicode();
            if (u >= u'a' && u <= u'z')
                u = char16_t(u - 32);
            Hash = ((Hash << 2) | (Hash >> 30)) ^ quint32(u);
        }
    }
    bool Matches(const QString &objectKey) const
    {
        if (!Ascii)
            return objectKey == Key;
        if (objectKey.size() != Text.size())
            return false;
        for (qsizetype i = 0; i < Text.size(); ++i) {
            char16_t u = Text[i].unicode();
            if (u >= u'a' && u <= u'z')
                u = char16_t(u - 32);
            if (objectKey[i].unicode() != u)
                return false;
        }
        return true;
    }

    const QString &Text;
    QString Key;
    quint32 Hash = 0;
    bool Ascii = true;
};

TnvMetadataObject *ScanBucket(const TnvBaseSyntaxProvider *provider, const TnvMetadataObjectHashBucket *bucket,
                              const TLookupKey &key, TClass objectClass, const TokenParts &parts)
{
    for (qsizetype i = 0; i < bucket->Count(); ++i) {
        TnvMetadataObject *object = bucket->Items(i);
        // Names the provider finds equal have equal upper-cased texts (the
        // index rests on it), so a different key rules the object out
        // before the provider is asked.
        if (object->NameHash() == key.Hash && key.Matches(object->NameKey()) && object->InheritsFrom(objectClass) &&
            FullNameMatches(provider, object, parts))
            return object;
    }
    return nullptr;
}

} // namespace

TnvMetadataObject *TnvMetadataContainer::FindByFullNameAndClass(const TSQLQualifiedName *fullName,
                                                                TClass objectClass) const
{
    Assert(!IsQualifiedNameEmpty(fullName), "nvQBBase", "Finding a metadata object by an empty name");
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (!provider)
        return nullptr;
    const TastToken *name = fullName->GetItems(0);
    const TLookupKey key(name->Text());
    const quint32 nameHash = key.Hash;
    // Every candidate keeps the written object name, so all of them live in
    // the one bucket of that name.
    const TnvMetadataObjectHashBucket *bucket = FHash.FindBucket(nameHash);
    if (!bucket || bucket->Count() == 0)
        return nullptr;

    const qsizetype count = fullName->GetCount();
    TokenParts candidate;
    for (qsizetype i = 0; i < count; ++i)
        candidate.append(fullName->GetItems(i));
    if (TnvMetadataObject *hit = ScanBucket(provider, bucket, key, objectClass, candidate))
        return hit;
    if (!provider->IsSupportSchemas())
        return nullptr;

    const TastToken *schema = count > 1 ? fullName->GetItems(1) : nullptr;
    TokenParts prefix;
    for (qsizetype i = count > 1 ? 2 : 1; i < count; ++i)
        prefix.append(fullName->GetItems(i));
    if (prefix.size() == 1 && prefix[0]->IsEmpty())
        prefix.clear();
    if (prefix.isEmpty() && provider->IsSupportDatabases())
        for (qsizetype i = 0; i < FDefaultDatabaseName->GetCount(); ++i)
            prefix.append(FDefaultDatabaseName->GetItems(i));

    auto tryWithSchema = [&](const TastToken *schemaPart) -> TnvMetadataObject * {
        candidate.clear();
        candidate.append(name);
        candidate.append(schemaPart);
        candidate.append(prefix.constData(), prefix.size());
        return ScanBucket(provider, bucket, key, objectClass, candidate);
    };
    if (schema && !schema->IsEmpty())
        return tryWithSchema(schema);
    for (qsizetype i = 0; i < FDefaultSchemaNames->GetCount(); ++i)
        if (TnvMetadataObject *hit = tryWithSchema(FDefaultSchemaNames->GetItems(i)))
            return hit;
    return nullptr;
}

TnvMetadataObject *TnvMetadataContainer::FindObjectByFullName(const TSQLQualifiedName *fullName) const
{
    return FindByFullNameAndClass(fullName, TnvMetadataObject::StaticClassType());
}

TnvMetadataObject *TnvMetadataContainer::FindTableByFullName(const TSQLQualifiedName *fullName) const
{
    return FindByFullNameAndClass(fullName, TnvMetadataTable::StaticClassType());
}

TnvMetadataObject *TnvMetadataContainer::FindViewByFullName(const TSQLQualifiedName *fullName) const
{
    return FindByFullNameAndClass(fullName, TnvMetadataView::StaticClassType());
}

TnvMetadataObject *TnvMetadataContainer::FindProcedureByFullName(const TSQLQualifiedName *fullName) const
{
    return FindByFullNameAndClass(fullName, TnvMetadataProcedure::StaticClassType());
}

TnvMetadataSynonym *TnvMetadataContainer::FindSynonymByFullName(const TSQLQualifiedName *fullName) const
{
    return static_cast<TnvMetadataSynonym *>(FindByFullNameAndClass(fullName, TnvMetadataSynonym::StaticClassType()));
}

namespace {
TOwned<TSQLQualifiedName> ParseForFind(const TnvBaseSyntaxProvider *provider, const QString &text)
{
    if (text.isEmpty() || !provider)
        return nullptr;
    TOwned<TSQLQualifiedName> name = provider->ParseQualifiedNameQuoteIfNeed(text);
    return IsQualifiedNameEmpty(name.get()) ? nullptr : std::move(name);
}
} // namespace

#define NVQB_FIND_BY_TEXT(Method, Result)                                                  \
    Result *TnvMetadataContainer::Method(const QString &text) const                       \
    {                                                                                      \
        TOwned<TSQLQualifiedName> name = ParseForFind(SyntaxProvider(), text);             \
        return name ? Method(name.get()) : nullptr;                                        \
    }
NVQB_FIND_BY_TEXT(FindObjectByFullName, TnvMetadataObject)
NVQB_FIND_BY_TEXT(FindTableByFullName, TnvMetadataObject)
NVQB_FIND_BY_TEXT(FindViewByFullName, TnvMetadataObject)
NVQB_FIND_BY_TEXT(FindProcedureByFullName, TnvMetadataObject)
NVQB_FIND_BY_TEXT(FindSynonymByFullName, TnvMetadataSynonym)
#undef NVQB_FIND_BY_TEXT

TnvMetadataObject *TnvMetadataContainer::FindByNameAndClass(const TastTokenIdentifier *name,
                                                            const TastTokenIdentifier *schema,
                                                            const TSQLQualifiedName *database,
                                                            TClass objectClass) const
{
    return FHash.FindByNameAndClass(name, schema, database, objectClass);
}

#define NVQB_FIND_BY_NAME(Method, Class, Result)                                                        \
    Result *TnvMetadataContainer::Method(const TastTokenIdentifier *name, const TastTokenIdentifier *schema, \
                                         const TSQLQualifiedName *database) const                      \
    {                                                                                                   \
        return static_cast<Result *>(FindByNameAndClass(name, schema, database, Class::StaticClassType())); \
    }                                                                                                   \
    Result *TnvMetadataContainer::Method(const QString &name, const QString &schema,                    \
                                         const QString &database) const                                 \
    {                                                                                                   \
        TOwned<TastTokenIdentifier> nameId, schemaId;                                                   \
        TOwned<TSQLQualifiedName> databaseName;                                                         \
        try {                                                                                           \
            ParseObjectNames(name, schema, database, nameId, schemaId, databaseName);                   \
        } catch (const Exception &) {                                                                   \
            return nullptr;                                                                             \
        }                                                                                               \
        return Method(nameId.get(), schemaId.get(), databaseName.get());                                \
    }
NVQB_FIND_BY_NAME(FindObjectByName, TnvMetadataObject, TnvMetadataObject)
NVQB_FIND_BY_NAME(FindTableByName, TnvMetadataTable, TnvMetadataObject)
NVQB_FIND_BY_NAME(FindViewByName, TnvMetadataView, TnvMetadataObject)
NVQB_FIND_BY_NAME(FindProcedureByName, TnvMetadataProcedure, TnvMetadataObject)
NVQB_FIND_BY_NAME(FindSynonymByName, TnvMetadataSynonym, TnvMetadataSynonym)
#undef NVQB_FIND_BY_NAME

// ---------------------------------------------------------------------------
// Loading

void TnvMetadataContainer::CheckSyntaxProvider() const
{
    if (!SyntaxProvider())
        throw EnvQueryBuilderError(nvQBMessage(nvQBNoSyntaxProvider));
}

void TnvMetadataContainer::CheckMetadataProvider() const
{
    if (!FMetadataProvider)
        throw EnvQueryBuilderError(nvQBMessage(nvQBNoMetadataProvider));
}

void TnvMetadataContainer::LoadMetadataByFilter(TnvMetadataFilter *filter, const TSQLQualifiedName *database)
{
    // A load refused for want of a provider does not count as loaded.
    CheckSyntaxProvider();
    CheckMetadataProvider();
    FLoaded = true;
    // Names are made by the dialect's case rule, which may follow the server's.
    SyntaxProvider()->ConnectionChanged(FMetadataProvider);
    TnvUpdateScope scope(this);
    SyntaxProvider()->LoadMetadataObjects(FMetadataProvider, filter, this, database);
    SyntaxProvider()->LoadMetadataRelations(FMetadataProvider, filter, this, database);
}

namespace {
TOwned<TnvMetadataFilter> MaskFilter(const QString &objectMask, const QString &schemaMask)
{
    TOwned<TnvMetadataFilter> filter = Create<TnvMetadataFilter>(nullptr);
    TnvMetadataFilterItem *item = filter->Add();
    item->ObjectMask = objectMask;
    item->SchemaMask = schemaMask;
    return filter;
}
} // namespace

void TnvMetadataContainer::LoadMetadataByMask(const QString &objectMask, const QString &schemaMask,
                                              const TSQLQualifiedName *database)
{
    TOwned<TnvMetadataFilter> filter = MaskFilter(objectMask, schemaMask);
    LoadMetadataByFilter(filter.get(), database);
}

void TnvMetadataContainer::LoadMetadataByMask(const QString &objectMask, const QString &schemaMask,
                                              const QString &database)
{
    CheckSyntaxProvider();
    TOwned<TSQLQualifiedName> name = ParseMetadataName(SyntaxProvider(), database);
    LoadMetadataByMask(objectMask, schemaMask, name.get());
}

void TnvMetadataContainer::ClearMetadataByMask(const QString &objectMask, const QString &schemaMask,
                                               const TSQLQualifiedName *database)
{
    TOwned<TnvMetadataFilter> filter = MaskFilter(objectMask, schemaMask);
    const TnvBaseSyntaxProvider *provider = SyntaxProvider();
    DeleteWhere([&](TnvMetadataBase *item) {
        const auto *object = static_cast<const TnvMetadataObject *>(item);
        return MetadataNamesEqual(provider, object->Database(), database) && filter->FilterMetadataObject(object);
    });
}

void TnvMetadataContainer::ClearMetadataByMask(const QString &objectMask, const QString &schemaMask,
                                               const QString &database)
{
    TOwned<TSQLQualifiedName> name;
    if (!database.isEmpty()) {
        CheckSyntaxProvider();
        name = ParseMetadataName(SyntaxProvider(), database);
    }
    ClearMetadataByMask(objectMask, schemaMask, name.get());
}

void TnvMetadataContainer::LoadFields()
{
    TnvUpdateScope scope(this);
    for (qsizetype i = 0; i < Count(); ++i) {
        TnvMetadataObject *object = Items(i);
        if (!object->GetFields()->Loaded())
            object->LoadFields();
    }
}

void TnvMetadataContainer::LoadFieldsForQuery(const QString &sql, TnvMetadataFieldsList *fields)
{
    if (!FWorkOffline && FMetadataProvider)
        FMetadataProvider->LoadFieldsForQuery(SyntaxProvider(), sql, fields);
}

// ---------------------------------------------------------------------------
// Defaults and visibility

void TnvMetadataContainer::SetDefaultDatabaseName(const TSQLQualifiedName *name)
{
    if (name == FDefaultDatabaseName.get())
        return;
    CopyMetadataName(FDefaultDatabaseName.get(), name, SyntaxProvider());
    NotifyUpdated();
}

QString TnvMetadataContainer::GetDefaultDatabaseNameStr() const { return MetadataNameStr(FDefaultDatabaseName.get()); }

void TnvMetadataContainer::SetDefaultDatabaseNameStr(const QString &text)
{
    if (text == GetDefaultDatabaseNameStr())
        return;
    TOwned<TSQLQualifiedName> name = ParseMetadataName(SyntaxProvider(), text);
    CopyMetadataName(FDefaultDatabaseName.get(), name.get(), SyntaxProvider());
    NotifyUpdated();
}

void TnvMetadataContainer::SetDefaultSchemaNames(const TSQLIdentifiersCollection *names)
{
    if (names == FDefaultSchemaNames.get())
        return;
    if (names)
        FDefaultSchemaNames->Assign(names);
    else
        FDefaultSchemaNames->Clear();
    FDefaultSchemaNames->SetSyntaxProvider(SyntaxProvider());
    NotifyUpdated();
}

QString TnvMetadataContainer::GetDefaultSchemaNamesStr() const
{
    QString result;
    for (qsizetype i = 0; i < FDefaultSchemaNames->GetCount(); ++i) {
        if (i > 0)
            result += u';';
        result += MetadataIdentifierStr(FDefaultSchemaNames->GetItems(i));
    }
    return result;
}

void TnvMetadataContainer::SetDefaultSchemaNamesStr(const QString &text)
{
    if (text == GetDefaultSchemaNamesStr())
        return;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    const QString quoteBegin = provider ? provider->GetQuoteBegin() : QStringLiteral("\"");
    const QString quoteEnd = provider ? provider->GetQuoteEnd() : QStringLiteral("\"");
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size();) {
        if (i == text.size() || text[i] == u';') {
            pieces << text.mid(start, i - start).trimmed();
            start = ++i;
            continue;
        }
        if (!quoteBegin.isEmpty() && QStringView(text).mid(i).startsWith(quoteBegin)) {
            // A quoted part runs to its closing quote; a doubled closing
            // quote stands for one inside the name.
            i += quoteBegin.size();
            while (i < text.size()) {
                if (QStringView(text).mid(i).startsWith(quoteEnd)) {
                    i += quoteEnd.size();
                    if (QStringView(text).mid(i).startsWith(quoteEnd)) {
                        i += quoteEnd.size();
                        continue;
                    }
                    break;
                }
                ++i;
            }
            continue;
        }
        ++i;
    }
    TOwned<TSQLIdentifiersCollection> names = Create<TSQLIdentifiersCollection>(provider);
    for (const QString &piece : std::as_const(pieces)) {
        if (piece.isEmpty())
            continue;
        if (provider)
            names->AddIdentifier(piece);
        else
            names->Add()->SetText(piece);
    }
    SetDefaultSchemaNames(names.get());
}

bool TnvMetadataContainer::IsMetadataObjectVisible(TnvMetadataObject *object)
{
    bool visible = true;
    if (GetMetadataObjectVisible)
        GetMetadataObjectVisible(this, object, visible);
    return visible;
}

void TnvMetadataContainer::Assign(const TPersistent *source)
{
    if (source == this)
        return;
    const auto *other = As<TnvMetadataContainer>(static_cast<const TObject *>(source));
    TnvUpdateScope scope(this);
    TnvMetadataListBase::Assign(source);
    RebuildNamesHash();
    if (!other)
        return;
    FLoaded = other->FLoaded;
    CopyMetadataName(FDefaultDatabaseName.get(), other->FDefaultDatabaseName.get(), SyntaxProvider());
    FDefaultSchemaNames->Assign(other->FDefaultSchemaNames.get());
    FDefaultSchemaNames->SetSyntaxProvider(SyntaxProvider());
    FObjectsUpdated = true;
    NotifyUpdated();
}

void TnvMetadataContainer::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TnvMetadataListBase::SetSyntaxProvider(provider);
    FDefaultDatabaseName->SetSyntaxProvider(provider);
    FDefaultSchemaNames->SetSyntaxProvider(provider);
}

} // namespace nvqb
