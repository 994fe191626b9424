#pragma once
// Columns of a metadata object, the object's fields list, and the lists of
// field names that make up the two sides of a relation.
#include "classlib/Dataset.h"
#include "sqlmodel/metadata/MetadataBase.h"
#include "sqlmodel/sql/QualifiedName.h"

class QDomElement;

namespace nvqb {

class TnvMetadataFieldsList;
class TnvStatsObjects;
class TnvStatsColumns;

// A field is a tracked target: statistics entries point at the base columns
// they stem from and read nil once those are freed.
class TnvMetadataField : public TnvMetadataCollectionItemBase, public TnvRefTarget {
    NV_DECLARE_METADATA_CLASS(TnvMetadataField)
public:
    explicit TnvMetadataField(TnvMetadataBase *owner);
    ~TnvMetadataField() override;

    TnvMetadataFieldsList *FieldsList() const;

    // Normally one part.
    TSQLQualifiedName *Name() const { return FName.get(); }
    void SetName(const TSQLQualifiedName *name);
    QString NameStr() const;
    QString NameStrNotQuoted() const;
    // Empty text clears; a text that does not parse raises "Invalid object
    // name" and keeps the name.
    void SetNameStr(const QString &text);
    // The name becomes the one-part name of a copy of the token.
    void SetNameToken(const TastToken *token);

    const QString &AltName() const { return FAltName; }
    void SetAltName(const QString &value) { SetAndNotify(FAltName, value); }
    const QString &ShortDescription() const { return FShortDescription; }
    void SetShortDescription(const QString &value) { SetAndNotify(FShortDescription, value); }
    const QString &LongDescription() const { return FLongDescription; }
    void SetLongDescription(const QString &value) { SetAndNotify(FLongDescription, value); }
    TFieldType FieldType() const { return FFieldType; }
    void SetFieldType(TFieldType value) { SetAndNotify(FFieldType, value); }
    int Size() const { return FSize; }
    void SetSize(int value) { SetAndNotify(FSize, value); }
    int Precision() const { return FPrecision; }
    void SetPrecision(int value) { SetAndNotify(FPrecision, value); }
    bool PrimaryKey() const { return FPrimaryKey; }
    void SetPrimaryKey(bool value) { SetAndNotify(FPrimaryKey, value); }
    bool Nullable() const { return FNullable; }
    void SetNullable(bool value) { SetAndNotify(FNullable, value); }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { SetAndNotify(FReadOnly, value); }
    // The field's lineage: the objects and base columns it comes from.
    TnvStatsObjects *StatsObjects() const { return FStatsObjects.get(); }
    TnvStatsColumns *StatsColumns() const { return FStatsColumns.get(); }

    void Assign(const TPersistent *source) override;
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;
    void WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const override;

private:
    TOwned<TSQLQualifiedName> FName;
    QString FAltName;
    QString FShortDescription;
    QString FLongDescription;
    TFieldType FFieldType = ftUnknown;
    int FSize = 0;
    int FPrecision = 0;
    bool FPrimaryKey = false;
    bool FNullable = true;
    bool FReadOnly = false;
    TOwned<TnvStatsObjects> FStatsObjects;
    TOwned<TnvStatsColumns> FStatsColumns;
};

class TnvMetadataFieldsList : public TnvMetadataCollectionBase {
    NV_DECLARE_METADATA_CLASS(TnvMetadataFieldsList)
public:
    explicit TnvMetadataFieldsList(TnvMetadataBase *owner);

    // Set once a provider has filled the list or it was read from XML; the
    // object then does not ask for its fields again.
    bool Loaded() const { return FLoaded; }
    void SetLoaded(bool value) { FLoaded = value; }

    TnvMetadataField *Add() { return static_cast<TnvMetadataField *>(TnvMetadataCollectionBase::Add()); }
    TnvMetadataField *Insert(qsizetype index)
    {
        return static_cast<TnvMetadataField *>(TnvMetadataCollectionBase::Insert(index));
    }
    TnvMetadataField *Items(qsizetype index) const
    {
        return static_cast<TnvMetadataField *>(TnvMetadataCollectionBase::Items(index));
    }

    // A new field with a copy of the name and the given properties.
    TnvMetadataField *AddField(const TSQLQualifiedName *name, TFieldType fieldType, int size, bool nullable,
                               bool readOnly, const QString &shortDescription = QString(),
                               const QString &longDescription = QString(), const QString &altName = QString());
    // The name parsed (quoted when it does not parse bare); a text that does
    // not parse raises "Invalid object name" and adds nothing.
    TnvMetadataField *AddField(const QString &text);
    // A one-part name from the definition's name, flagged when the dialect's
    // identifiers are case sensitive, and the definition's properties.
    TnvMetadataField *AddField(const TFieldDef &def);

    // The first field whose one-part name equals the text, both upper-cased.
    qsizetype FindFieldByName(const QString &text) const;
    // The first field whose name the provider finds equal.
    qsizetype FindFieldByName(const TSQLQualifiedName *name) const;

    QString GetXMLItemName() const override { return QStringLiteral("field"); }
    void Assign(const TPersistent *source) override;

private:
    bool FLoaded = false;
};

// An ordered list of owned field names: one side of a relation.
class TnvMetadataFieldNamesList : public TnvMetadataBase {
    NV_DECLARE_METADATA_CLASS(TnvMetadataFieldNamesList)
public:
    explicit TnvMetadataFieldNamesList(TnvMetadataBase *owner);
    ~TnvMetadataFieldNamesList() override;

    // Appends a copy (the caller keeps its own).
    qsizetype Add(const TSQLQualifiedName *name);
    // A one-part name: parsed from the text, or the text as it is with the flag.
    qsizetype AddField(const QString &text);
    qsizetype AddField(const QString &text, bool caseSensitive);
    qsizetype AddField(const TastTokenIdentifier *identifier);
    void Insert(qsizetype index, const TSQLQualifiedName *name);
    void Delete(qsizetype index);
    void Remove(const TSQLQualifiedName *name);
    void Move(qsizetype from, qsizetype to);
    void Clear();
    qsizetype Count() const { return qsizetype(FItems.size()); }
    TSQLQualifiedName *Items(qsizetype index) const;
    qsizetype IndexOf(const TSQLQualifiedName *name) const;

    void Assign(const TPersistent *source) override;
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;
    void WriteXMLNode(QXmlStreamWriter &writer, const QString &tag) const override;

    // Adopts a name made for this list (the XML reader).
    void AdoptName(TOwned<TSQLQualifiedName> name);

private:
    void CheckIndex(qsizetype index, qsizetype limit) const;

    std::vector<TOwned<TSQLQualifiedName>> FItems;
};

} // namespace nvqb
