#pragma once
// The catalogue the query builder works against: it owns the metadata
// objects, indexes them by name (1024 buckets keyed by the upper-cased
// object name), resolves names as written in a query against the default
// database and schema names, loads metadata through the syntax and metadata
// providers, and reads and writes its XML document.
#include "classlib/Method.h"
#include "sqlmodel/ast/AstIdentifierLists.h"
#include "sqlmodel/metadata/MetadataObjects.h"

#include <QByteArray>
#include <QList>
#include <memory>

class QDomElement;

namespace nvqb {

class TnvBaseMetadataProvider;
class TnvMetadataFilter;
class TnvMetadataObjectHash;

class TnvMetadataObjectHashBucket {
public:
    explicit TnvMetadataObjectHashBucket(TnvMetadataObjectHash *hash) : FHash(hash) {}
    TnvMetadataObjectHashBucket(const TnvMetadataObjectHashBucket &) = delete;
    TnvMetadataObjectHashBucket &operator=(const TnvMetadataObjectHashBucket &) = delete;

    TnvMetadataObjectHash *Hash() const { return FHash; }
    // The object must be in no bucket.
    void Add(TnvMetadataObject *object);
    // The object must be in this bucket.
    void Remove(TnvMetadataObject *object);
    void Clear();
    qsizetype Count() const { return FObjects.size(); }
    TnvMetadataObject *Items(qsizetype index) const { return FObjects.at(index); }

private:
    TnvMetadataObjectHash *FHash;
    QList<TnvMetadataObject *> FObjects; // not owned, in the order added
};

class TnvMetadataObjectHash {
public:
    explicit TnvMetadataObjectHash(int bucketCount);
    ~TnvMetadataObjectHash();
    TnvMetadataObjectHash(const TnvMetadataObjectHash &) = delete;
    TnvMetadataObjectHash &operator=(const TnvMetadataObjectHash &) = delete;

    int BucketCount() const { return int(FBuckets.size()); }

    void Add(TnvMetadataObject *object);
    void Remove(TnvMetadataObject *object);
    void ReHash(TnvMetadataObject *object);
    void Clear();

    // The text upper-cased, then per UTF-16 unit: hash rotated left by 2
    // bits, xor the unit.
    static quint32 HashOfString(const QString &text);
    // The same for a text already upper-cased.
    static quint32 HashOfKey(QStringView key);
    // The text upper-cased (WideUpperCase).
    static QString NameKeyOf(const QString &text);
    // The hash of part 0 (the object's name); bucket count - 1 without parts.
    quint32 HashOfFullName(const TSQLQualifiedName *fullName) const;
    // The hash of the name; bucket count - 1 for an empty name.
    quint32 HashOfName(const TSQLQualifiedName *database, const TastTokenIdentifier *schema,
                       const TastTokenIdentifier *name) const;
    // Makes the bucket on first use.
    TnvMetadataObjectHashBucket *GetBucketByHash(quint32 hash);
    // Nil while the bucket was never made.
    TnvMetadataObjectHashBucket *FindBucket(quint32 hash) const;
    TnvMetadataObjectHashBucket *FindBucketByFullName(const TSQLQualifiedName *fullName) const;
    TnvMetadataObjectHashBucket *FindBucketByName(const TSQLQualifiedName *database, const TastTokenIdentifier *schema,
                                                  const TastTokenIdentifier *name) const;

    TnvMetadataObject *FindByFullName(const TSQLQualifiedName *fullName) const;
    // Subclasses count: TnvMetadataObject finds every kind.
    TnvMetadataObject *FindByFullNameAndClass(const TSQLQualifiedName *fullName, TClass objectClass) const;
    TnvMetadataObject *FindByName(const TastTokenIdentifier *name, const TastTokenIdentifier *schema,
                                  const TSQLQualifiedName *database) const;
    TnvMetadataObject *FindByNameAndClass(const TastTokenIdentifier *name, const TastTokenIdentifier *schema,
                                          const TSQLQualifiedName *database, TClass objectClass) const;

private:
    std::vector<std::unique_ptr<TnvMetadataObjectHashBucket>> FBuckets;
};

class TnvMetadataContainer;
using TnvMetadataObjectVisibleEvent = TMethod<void(TnvMetadataContainer *, TnvMetadataObject *, bool &)>;

class TnvMetadataContainer : public TnvMetadataListBase {
    NV_DECLARE_METADATA_CLASS(TnvMetadataContainer)
public:
    static constexpr int NameHashBuckets = 1024;

    explicit TnvMetadataContainer(TnvMetadataBase *owner = nullptr);
    ~TnvMetadataContainer() override;
    void BeforeDestruction() override;

    // Not owned.
    TnvBaseMetadataProvider *MetadataProvider() const { return FMetadataProvider; }
    void SetMetadataProvider(TnvBaseMetadataProvider *provider) { FMetadataProvider = provider; }
    bool WorkOffline() const { return FWorkOffline; }
    void SetWorkOffline(bool value) { FWorkOffline = value; }
    // Set when an object is added or a load starts; cleared by Clear.
    bool Loaded() const { return FLoaded; }
    void SetLoaded(bool value) { FLoaded = value; }
    // Set when objects come or go; cleared after each update notification.
    bool ObjectsUpdated() const { return FObjectsUpdated; }
    void SetObjectsUpdated() { FObjectsUpdated = true; }
    void ClearObjectsUpdated() { FObjectsUpdated = false; }
    // Decides the visible flag of each loaded object.
    TnvMetadataObjectVisibleEvent GetMetadataObjectVisible;

    // Objects.
    qsizetype Add(TOwned<TnvMetadataObject> object) { return TnvMetadataListBase::Add(std::move(object)); }
    void Insert(qsizetype index, TOwned<TnvMetadataObject> object)
    {
        TnvMetadataListBase::Insert(index, std::move(object));
    }
    TOwned<TnvMetadataObject> Extract(TnvMetadataObject *object);
    TnvMetadataObject *Items(qsizetype index) const
    {
        return static_cast<TnvMetadataObject *>(TnvMetadataListBase::Items(index));
    }
    // A new object of the class with copies of the names, added.
    TnvMetadataObject *AddObject(const TastTokenIdentifier *schema, const TastTokenIdentifier *name,
                                 TnvMetadataClass objectClass, bool system, const TSQLQualifiedName *database);
    TnvMetadataObject *AddTable(const TastTokenIdentifier *schema, const TastTokenIdentifier *name, bool system,
                                const TSQLQualifiedName *database);
    TnvMetadataObject *AddView(const TastTokenIdentifier *schema, const TastTokenIdentifier *name, bool system,
                               const TSQLQualifiedName *database);
    TnvMetadataObject *AddProcedure(const TastTokenIdentifier *schema, const TastTokenIdentifier *name, bool system,
                                    const TSQLQualifiedName *database);
    TnvMetadataSynonym *AddSynonym(const TastTokenIdentifier *schema, const TastTokenIdentifier *name, bool system,
                                   const TSQLQualifiedName *database);
    // The texts parsed as names (see ParseObjectNames).
    TnvMetadataObject *AddObject(const QString &schema, const QString &name, TnvMetadataClass objectClass,
                                 bool system = false, const QString &database = QString());
    TnvMetadataObject *AddTable(const QString &schema, const QString &name, bool system = false,
                                const QString &database = QString());
    TnvMetadataObject *AddView(const QString &schema, const QString &name, bool system = false,
                               const QString &database = QString());
    TnvMetadataObject *AddProcedure(const QString &schema, const QString &name, bool system = false,
                                    const QString &database = QString());
    // Non-empty texts parsed (quoted when they do not parse bare); empty
    // texts give empty names. Raises "Invalid object name" for a text that
    // does not parse even quoted.
    void ParseObjectNames(const QString &name, const QString &schema, const QString &database,
                          TOwned<TastTokenIdentifier> &nameOut, TOwned<TastTokenIdentifier> &schemaOut,
                          TOwned<TSQLQualifiedName> &databaseOut) const;

    // Clears the loaded flag and the default names, then frees every object.
    void Clear() override;
    void SortByNames();
    void SortItems(bool (*less)(const TnvMetadataObject *a, const TnvMetadataObject *b));
    void RebuildNamesHash();
    const TnvMetadataObjectHash &NamesHash() const { return FHash; }

    // Resolution of a name as written: exactly, then with the default
    // database and schemas filled in. The name must not be empty.
    TnvMetadataObject *FindByFullNameAndClass(const TSQLQualifiedName *fullName, TClass objectClass) const;
    TnvMetadataObject *FindObjectByFullName(const TSQLQualifiedName *fullName) const;
    TnvMetadataObject *FindTableByFullName(const TSQLQualifiedName *fullName) const;
    TnvMetadataObject *FindViewByFullName(const TSQLQualifiedName *fullName) const;
    TnvMetadataObject *FindProcedureByFullName(const TSQLQualifiedName *fullName) const;
    TnvMetadataSynonym *FindSynonymByFullName(const TSQLQualifiedName *fullName) const;
    // Text forms: nil for an empty text or one that does not parse.
    TnvMetadataObject *FindObjectByFullName(const QString &text) const;
    TnvMetadataObject *FindTableByFullName(const QString &text) const;
    TnvMetadataObject *FindViewByFullName(const QString &text) const;
    TnvMetadataObject *FindProcedureByFullName(const QString &text) const;
    TnvMetadataSynonym *FindSynonymByFullName(const QString &text) const;
    // Exact match of the three parts, without default names.
    TnvMetadataObject *FindByNameAndClass(const TastTokenIdentifier *name, const TastTokenIdentifier *schema,
                                          const TSQLQualifiedName *database, TClass objectClass) const;
    TnvMetadataObject *FindObjectByName(const TastTokenIdentifier *name, const TastTokenIdentifier *schema,
                                        const TSQLQualifiedName *database) const;
    TnvMetadataObject *FindTableByName(const TastTokenIdentifier *name, const TastTokenIdentifier *schema,
                                       const TSQLQualifiedName *database) const;
    TnvMetadataObject *FindViewByName(const TastTokenIdentifier *name, const TastTokenIdentifier *schema,
                                      const TSQLQualifiedName *database) const;
    TnvMetadataObject *FindProcedureByName(const TastTokenIdentifier *name, const TastTokenIdentifier *schema,
                                           const TSQLQualifiedName *database) const;
    TnvMetadataSynonym *FindSynonymByName(const TastTokenIdentifier *name, const TastTokenIdentifier *schema,
                                          const TSQLQualifiedName *database) const;
    TnvMetadataObject *FindObjectByName(const QString &name, const QString &schema, const QString &database) const;
    TnvMetadataObject *FindTableByName(const QString &name, const QString &schema, const QString &database) const;
    TnvMetadataObject *FindViewByName(const QString &name, const QString &schema, const QString &database) const;
    TnvMetadataObject *FindProcedureByName(const QString &name, const QString &schema,
                                           const QString &database) const;
    TnvMetadataSynonym *FindSynonymByName(const QString &name, const QString &schema, const QString &database) const;

    // Loading through the providers.
    void LoadMetadataByFilter(TnvMetadataFilter *filter, const TSQLQualifiedName *database);
    void LoadMetadataByMask(const QString &objectMask, const QString &schemaMask, const TSQLQualifiedName *database);
    void LoadMetadataByMask(const QString &objectMask, const QString &schemaMask, const QString &database);
    // Deletes the objects of the database (nil or empty: objects without a
    // database) that a one-rule filter of the masks accepts.
    void ClearMetadataByMask(const QString &objectMask, const QString &schemaMask, const TSQLQualifiedName *database);
    void ClearMetadataByMask(const QString &objectMask, const QString &schemaMask, const QString &database);
    // Loads the fields of every object whose fields are not loaded.
    void LoadFields();
    // The columns of a query, through the metadata provider unless offline.
    void LoadFieldsForQuery(const QString &sql, TnvMetadataFieldsList *fields);
    void CheckSyntaxProvider() const;
    void CheckMetadataProvider() const;

    // Default names.
    TSQLQualifiedName *DefaultDatabaseName() const { return FDefaultDatabaseName.get(); }
    void SetDefaultDatabaseName(const TSQLQualifiedName *name);
    QString GetDefaultDatabaseNameStr() const;
    void SetDefaultDatabaseNameStr(const QString &text);
    TSQLIdentifiersCollection *DefaultSchemaNames() const { return FDefaultSchemaNames.get(); }
    void SetDefaultSchemaNames(const TSQLIdentifiersCollection *names);
    // The names as SQL joined by ";".
    QString GetDefaultSchemaNamesStr() const;
    // Replaces the names by the pieces of the text cut at each ";" outside
    // quotes; blank pieces are skipped.
    void SetDefaultSchemaNamesStr(const QString &text);

    bool IsMetadataObjectVisible(TnvMetadataObject *object);

    void Assign(const TPersistent *source) override;
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;

    // The XML document.
    QString GetXML() const;
    void SetXML(const QString &text) { LoadFromXML(text); }
    // Replace or add to the objects. A text or file that cannot be read, or
    // whose root is not "metadata", raises and leaves the container as it was.
    void LoadFromXML(const QString &text);
    void AddFromXML(const QString &text);
    void LoadFromXMLFile(const QString &fileName);
    void AddFromXMLFile(const QString &fileName);
    void SaveToXMLFile(const QString &fileName) const;
    // The document as UTF-8 bytes with the XML declaration (the file's content).
    QByteArray GetXMLBytes() const;
    void WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const override;
    // Adds what the element (a "metadata" element) holds.
    void LoadFromXMLNode(const QDomElement &element);

protected:
    void Notify(TnvMetadataBase *item, TnvMetadataListNotification action) override;
    void DoUpdated() override;

private:
    friend class TnvMetadataXmlReader;
    void AddFromXMLBytes(const QByteArray &data, bool replace);

    TnvBaseMetadataProvider *FMetadataProvider = nullptr;
    bool FWorkOffline = false;
    bool FLoaded = false;
    bool FObjectsUpdated = false;
    TOwned<TSQLQualifiedName> FDefaultDatabaseName;
    TOwned<TSQLIdentifiersCollection> FDefaultSchemaNames;
    TnvMetadataObjectHash FHash;
};

} // namespace nvqb
