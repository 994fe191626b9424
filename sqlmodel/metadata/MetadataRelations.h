#pragma once
// Foreign-key relations of a metadata object: each leads from key fields of
// the owning object to fields of a child object named by database, schema
// and name.
#include "sqlmodel/metadata/MetadataFields.h"

namespace nvqb {

class TnvMetadataRelationsList;

class TnvMetadataRelation : public TnvMetadataCollectionItemBase {
    NV_DECLARE_METADATA_CLASS(TnvMetadataRelation)
public:
    explicit TnvMetadataRelation(TnvMetadataBase *owner);
    ~TnvMetadataRelation() override;

    TnvMetadataRelationsList *GetRelations() const;

    TnvMetadataFieldNamesList *KeyFields() const { return FKeyFields.get(); }
    void SetKeyFields(const TnvMetadataFieldNamesList *list);
    TnvMetadataFieldNamesList *ChildFields() const { return FChildFields.get(); }
    void SetChildFields(const TnvMetadataFieldNamesList *list);

    TSQLQualifiedName *ChildDatabase() const { return FChildDatabase.get(); }
    TastTokenIdentifier *ChildSchema() const { return FChildSchema.get(); }
    TastTokenIdentifier *ChildName() const { return FChildName.get(); }
    // Child database, schema (when not empty) and name; part 0 is the name.
    TSQLQualifiedName *ChildFullName() const { return FChildFullName.get(); }

    // Nil clears.
    void SetChildDatabase(const TSQLQualifiedName *name);
    void SetChildSchema(const TastTokenIdentifier *identifier);
    void SetChildName(const TastTokenIdentifier *identifier);
    // Parsed; empty clears, a text that does not parse raises "Invalid object name".
    void SetChildDatabaseStr(const QString &text);
    // The texts taken as they are.
    void SetChildSchemaStr(const QString &text);
    void SetChildNameStr(const QString &text);

    QString GetChildDatabaseStr() const;
    QString GetChildSchemaStr() const;
    QString GetChildNameStr() const;
    QString GetChildTableStr() const;
    QString GetChildDatabaseStrNotQuoted() const;
    QString GetChildSchemaStrNotQuoted() const;
    QString GetChildNameStrNotQuoted() const;
    QString GetChildTableStrNotQuoted() const;

    void UpdateChildFullName();

    void Assign(const TPersistent *source) override;
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;
    void WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const override;

private:
    TOwned<TnvMetadataFieldNamesList> FKeyFields;
    TOwned<TSQLQualifiedName> FChildDatabase;
    TOwned<TastTokenIdentifier> FChildSchema;
    TOwned<TastTokenIdentifier> FChildName;
    TOwned<TSQLQualifiedName> FChildSchemedName;
    TOwned<TSQLQualifiedName> FChildFullName;
    TOwned<TnvMetadataFieldNamesList> FChildFields;
};

class TnvMetadataRelationsList : public TnvMetadataCollectionBase {
    NV_DECLARE_METADATA_CLASS(TnvMetadataRelationsList)
public:
    explicit TnvMetadataRelationsList(TnvMetadataBase *owner);

    TnvMetadataRelation *Add() { return static_cast<TnvMetadataRelation *>(TnvMetadataCollectionBase::Add()); }
    TnvMetadataRelation *Insert(qsizetype index)
    {
        return static_cast<TnvMetadataRelation *>(TnvMetadataCollectionBase::Insert(index));
    }
    TnvMetadataRelation *Items(qsizetype index) const
    {
        return static_cast<TnvMetadataRelation *>(TnvMetadataCollectionBase::Items(index));
    }

    // A new relation holding copies of everything given.
    TnvMetadataRelation *AddRelation(const TnvMetadataFieldNamesList *keyFields, const TastTokenIdentifier *childName,
                                     const TastTokenIdentifier *childSchema, const TSQLQualifiedName *childDatabase,
                                     const TnvMetadataFieldNamesList *childFields);
    // The first relation to the same child with the same key and child
    // fields in the same order; -1 when none. Needs a syntax provider.
    qsizetype FindRelation(const TnvMetadataFieldNamesList *keyFields, const TastTokenIdentifier *childName,
                           const TastTokenIdentifier *childSchema, const TSQLQualifiedName *childDatabase,
                           const TnvMetadataFieldNamesList *childFields) const;

    QString GetXMLItemName() const override { return QStringLiteral("relation"); }
};

} // namespace nvqb
