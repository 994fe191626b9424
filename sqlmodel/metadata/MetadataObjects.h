#pragma once
// The catalogue entries of the metadata container: one object per table,
// view, stored procedure or synonym, each with its fields and its foreign-key
// relations. Names are syntax-tree names, so quoting and comparison follow
// the syntax provider. Syntax-tree nodes point at objects through tracked
// references, which read nil once the object is freed.
#include "sqlmodel/metadata/MetadataRelations.h"
#include "sqlmodel/ast/TrackedReference.h"

namespace nvqb {

class TnvMetadataContainer;
class TnvMetadataObjectHashBucket;

class TnvMetadataObject : public TnvMetadataBase, public TnvRefTarget {
    NV_DECLARE_METADATA_CLASS(TnvMetadataObject)
public:
    // The owner, when given, must be a container.
    explicit TnvMetadataObject(TnvMetadataBase *owner);
    ~TnvMetadataObject() override;
    void BeforeDestruction() override;

    TnvMetadataContainer *Container() const;
    // The name-index bucket holding the object; nil while not indexed.
    TnvMetadataObjectHashBucket *HashBucket() const { return FHashBucket; }
    // The index key: the upper-cased name text and its hash.
    quint32 NameHash() const { return FNameHash; }
    const QString &NameKey() const { return FNameKey; }

    TSQLQualifiedName *Database() const { return FDatabase.get(); }
    TastTokenIdentifier *Schema() const { return FSchema.get(); }
    TastTokenIdentifier *Name() const { return FName.get(); }
    TSQLQualifiedName *SchemedName() const { return FSchemedName.get(); }
    TSQLQualifiedName *FullName() const { return FFullName.get(); }

    // Copies of the values (nil clears).
    void SetDatabase(const TSQLQualifiedName *name);
    void SetSchema(const TastTokenIdentifier *identifier);
    void SetName(const TastTokenIdentifier *identifier);
    // The texts taken as they are, without parsing.
    void SetSchemaStr(const QString &text);
    void SetNameStr(const QString &text);
    // Parsed; empty clears; a text that does not parse raises "Invalid object
    // name" and keeps the database.
    void SetDatabaseStr(const QString &text);

    QString GetDatabaseStr() const;
    QString GetSchemaStr() const;
    QString GetNameStr() const;
    QString GetSchemedNameStr() const;
    QString GetFullNameStr() const;
    QString GetDatabaseStrNotQuoted() const;
    QString GetSchemaStrNotQuoted() const;
    QString GetNameStrNotQuoted() const;
    QString GetSchemedNameStrNotQuoted() const;
    QString GetFullNameStrNotQuoted() const;

    // Rebuilds the cached names and re-indexes the object under its name.
    void UpdateFullName();
    // A nil schema or database reads as empty.
    bool IsNameEqual(const TastTokenIdentifier *name, const TastTokenIdentifier *schema,
                     const TSQLQualifiedName *database) const;
    bool IsFullNameEqual(const TSQLQualifiedName *fullName) const;

    bool System() const { return FSystem; }
    void SetSystem(bool value) { SetAndNotify(FSystem, value); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value) { SetAndNotify(FVisible, value); }
    const QString &ShortDescription() const { return FShortDescription; }
    void SetShortDescription(const QString &value) { SetAndNotify(FShortDescription, value); }
    const QString &LongDescription() const { return FLongDescription; }
    void SetLongDescription(const QString &value) { SetAndNotify(FLongDescription, value); }
    // A host's note on the object: copied with it, never stored in XML.
    const QString &Remarks() const { return FRemarks; }
    void SetRemarks(const QString &value) { SetAndNotify(FRemarks, value); }

    // The lists the object answers with (a synonym: its target's).
    virtual TnvMetadataFieldsList *GetFields() const;
    virtual void SetFields(const TnvMetadataFieldsList *list);
    virtual TnvMetadataRelationsList *GetRelations() const;
    virtual void SetRelations(const TnvMetadataRelationsList *list);
    // The query whose result columns are the object's fields; empty when the
    // object's fields are not queried.
    virtual QString GetFieldsSQL() const;
    virtual QString GetXMLItemName() const { return QStringLiteral("object"); }
    // Asks the container's metadata provider for the fields unless they are
    // loaded. Raises "Syntax provider is not specified" or "Metadata provider
    // is not specified" when one is missing.
    virtual void LoadFields();

    // The object's own lists, whatever it stands for.
    TnvMetadataFieldsList *OwnFields() const { return FFields.get(); }
    TnvMetadataRelationsList *OwnRelations() const { return FRelations.get(); }

    void Assign(const TPersistent *source) override;
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;
    void WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const override;

protected:
    // Shared by the synonym's forms.
    void WriteObjectContent(QXmlStreamWriter &writer) const;
    void LoadOwnFields();

private:
    friend class TnvMetadataObjectHashBucket;
    friend class TnvMetadataObjectHash;

    TnvMetadataObjectHashBucket *FHashBucket = nullptr;
    quint32 FNameHash = 0;
    QString FNameKey;
    TOwned<TSQLQualifiedName> FDatabase;
    TOwned<TastTokenIdentifier> FSchema;
    TOwned<TastTokenIdentifier> FName;
    TOwned<TSQLQualifiedName> FSchemedName;
    TOwned<TSQLQualifiedName> FFullName;
    bool FSystem = false;
    bool FVisible = true;
    QString FShortDescription;
    QString FLongDescription;
    QString FRemarks;
    TOwned<TnvMetadataFieldsList> FFields;
    TOwned<TnvMetadataRelationsList> FRelations;
};

class TnvMetadataTable : public TnvMetadataObject {
    NV_DECLARE_METADATA_CLASS(TnvMetadataTable)
public:
    using TnvMetadataObject::TnvMetadataObject;
    QString GetFieldsSQL() const override;
    QString GetXMLItemName() const override { return QStringLiteral("table"); }
};

class TnvMetadataView : public TnvMetadataObject {
    NV_DECLARE_METADATA_CLASS(TnvMetadataView)
public:
    using TnvMetadataObject::TnvMetadataObject;
    QString GetFieldsSQL() const override;
    QString GetXMLItemName() const override { return QStringLiteral("view"); }
};

// Fields of a procedure are never queried.
class TnvMetadataProcedure : public TnvMetadataObject {
    NV_DECLARE_METADATA_CLASS(TnvMetadataProcedure)
public:
    using TnvMetadataObject::TnvMetadataObject;
    QString GetXMLItemName() const override { return QStringLiteral("procedure"); }
};

// Another name for an object. Fields and relations are those of the object
// it finally refers to, found in the container on each use; a synonym that
// refers to nothing found, or to a chain of synonyms that comes back to
// itself, answers with its own lists.
class TnvMetadataSynonym : public TnvMetadataObject {
    NV_DECLARE_METADATA_CLASS(TnvMetadataSynonym)
public:
    explicit TnvMetadataSynonym(TnvMetadataBase *owner);
    ~TnvMetadataSynonym() override;

    TSQLQualifiedName *ReferencedDatabase() const { return FRefDatabase.get(); }
    TastTokenIdentifier *ReferencedSchema() const { return FRefSchema.get(); }
    TastTokenIdentifier *ReferencedName() const { return FRefName.get(); }
    TSQLQualifiedName *ReferencedSchemedName() const { return FRefSchemedName.get(); }
    TSQLQualifiedName *ReferencedFullName() const { return FRefFullName.get(); }
    void SetReferencedDatabase(const TSQLQualifiedName *name);
    void SetReferencedSchema(const TastTokenIdentifier *identifier);
    void SetReferencedName(const TastTokenIdentifier *identifier);
    void UpdateReferencedFullName();

    // The object the referenced name resolves to in the container; nil when
    // the name is empty or the synonym has no container.
    TnvMetadataObject *GetReferencedObject() const;
    // The object whose lists the synonym answers with: the end of the chain
    // of synonyms, or the synonym itself (nothing found, or a loop).
    TnvMetadataObject *GetTargetObject() const;

    TnvMetadataFieldsList *GetFields() const override;
    void SetFields(const TnvMetadataFieldsList *list) override;
    TnvMetadataRelationsList *GetRelations() const override;
    void SetRelations(const TnvMetadataRelationsList *list) override;
    QString GetFieldsSQL() const override;
    QString GetXMLItemName() const override { return QStringLiteral("synonym"); }
    void LoadFields() override;

    void Assign(const TPersistent *source) override;
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;
    void WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const override;

private:
    TOwned<TSQLQualifiedName> FRefDatabase;
    TOwned<TastTokenIdentifier> FRefSchema;
    TOwned<TastTokenIdentifier> FRefName;
    TOwned<TSQLQualifiedName> FRefSchemedName;
    TOwned<TSQLQualifiedName> FRefFullName;
};

using TnvMetadataObjectClass = TnvMetadataClass;

} // namespace nvqb
