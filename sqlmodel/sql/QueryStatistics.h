#pragma once
// What a query depends on: the database objects and the base columns that a
// node of the syntax tree, a select block or one result column comes from.
// Every tree node carries one list of each (filled by the statistics walk),
// and so does every field of a fields list, where the lists record the
// field's lineage. Entries point at metadata objects and fields through
// tracked references, so clearing the container never leaves them dangling.
// The lists near the root of a large query hold thousands of entries and are
// asked for each entry of every list below them: a long list indexes its
// entries (by metadata object or field, and by name) for those questions.
// An entry's names are copies that nothing but a change of provider
// touches, so the copies of an entry in the lists above it share them.
#include "classlib/Persistent.h"
#include "sqlmodel/ast/TrackedReference.h"

#include <memory>
#include <vector>

namespace nvqb {

class TnvBaseSyntaxProvider;
class TnvMetadataObject;
class TnvMetadataField;
class TSQLQualifiedName;

// A copy of a name, made for the provider, that statistics entries share.
using TnvStatsName = std::shared_ptr<const TSQLQualifiedName>;
// The copy; the name must not be empty.
TnvStatsName MakeStatsName(TnvBaseSyntaxProvider *provider, const TSQLQualifiedName *name);

class TnvStatsObject : public TPersistent {
    NV_DECLARE_CLASS(TnvStatsObject)
public:
    // Keeps a copy of the name, which must not be empty.
    TnvStatsObject(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object, const TSQLQualifiedName *name);
    // Shares the copy when it was made for the provider.
    TnvStatsObject(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object, const TnvStatsName &name);
    ~TnvStatsObject() override;

    TnvMetadataObject *MetadataObject() const { return FMetadataObject.get(); }
    const TSQLQualifiedName *ObjectName() const { return FObjectName.get(); }
    const TnvStatsName &SharedObjectName() const { return FObjectName; }
    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider);
    void Assign(const TPersistent *source) override;

private:
    TnvBaseSyntaxProvider *FSyntaxProvider;
    TnvTrackedRef<TnvMetadataObject> FMetadataObject;
    TnvStatsName FObjectName;
};

class TnvStatsColumn : public TPersistent {
    NV_DECLARE_CLASS(TnvStatsColumn)
public:
    // Keeps copies of both names, which must not be empty.
    TnvStatsColumn(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object, const TSQLQualifiedName *objectName,
                   TnvMetadataField *field, const TSQLQualifiedName *columnName);
    // Shares the copies that were made for the provider.
    TnvStatsColumn(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object, const TnvStatsName &objectName,
                   TnvMetadataField *field, const TnvStatsName &columnName);
    ~TnvStatsColumn() override;

    TnvMetadataObject *MetadataObject() const { return FMetadataObject.get(); }
    TnvMetadataField *MetadataField() const { return FMetadataField.get(); }
    const TSQLQualifiedName *ObjectName() const { return FObjectName.get(); }
    const TSQLQualifiedName *ColumnName() const { return FColumnName.get(); }
    const TnvStatsName &SharedObjectName() const { return FObjectName; }
    const TnvStatsName &SharedColumnName() const { return FColumnName; }
    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider);
    void Assign(const TPersistent *source) override;

private:
    TnvBaseSyntaxProvider *FSyntaxProvider;
    TnvTrackedRef<TnvMetadataObject> FMetadataObject;
    TnvTrackedRef<TnvMetadataField> FMetadataField;
    TnvStatsName FObjectName;
    TnvStatsName FColumnName;
};

class TnvStatsObjects : public TPersistent {
    NV_DECLARE_CLASS(TnvStatsObjects)
public:
    explicit TnvStatsObjects(TnvBaseSyntaxProvider *provider);
    ~TnvStatsObjects() override;

    void Clear();
    qsizetype GetCount() const { return qsizetype(FItems.size()); }
    TnvStatsObject *GetItems(qsizetype index) const { return FItems.at(size_t(index)).get(); }
    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider);
    // Copies of all of Source's entries replace this list's.
    void Assign(const TPersistent *source) override;

    TnvStatsObject *AddObject(TnvMetadataObject *object, const TSQLQualifiedName *name);
    TnvStatsObject *AddObject(TnvMetadataObject *object, const TnvStatsName &name);
    // 1 when a new entry was appended, 0 when FindObject found one.
    int AddObjectIfNotExists(TnvMetadataObject *object, const TSQLQualifiedName *name);
    // The number of Other's entries that were new here.
    int AddObjects(const TnvStatsObjects *other);
    // With an object: the entry holding that object; without one, the first
    // entry without object whose name is equal.
    TnvStatsObject *FindObject(const TnvMetadataObject *object, const TSQLQualifiedName *name) const;

private:
    struct TIndex;
    // Brings the index up to the list's end; nil while the list is short.
    const TIndex *Index() const;

    TnvBaseSyntaxProvider *FSyntaxProvider;
    std::vector<TOwned<TnvStatsObject>> FItems;
    mutable std::unique_ptr<TIndex> FIndex;
};

class TnvStatsColumns : public TPersistent {
    NV_DECLARE_CLASS(TnvStatsColumns)
public:
    explicit TnvStatsColumns(TnvBaseSyntaxProvider *provider);
    ~TnvStatsColumns() override;

    void Clear();
    qsizetype GetCount() const { return qsizetype(FItems.size()); }
    TnvStatsColumn *GetItems(qsizetype index) const { return FItems.at(size_t(index)).get(); }
    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider);
    void Assign(const TPersistent *source) override;

    TnvStatsColumn *AddColumn(TnvMetadataObject *object, const TSQLQualifiedName *objectName, TnvMetadataField *field,
                              const TSQLQualifiedName *columnName);
    TnvStatsColumn *AddColumn(TnvMetadataObject *object, const TnvStatsName &objectName, TnvMetadataField *field,
                              const TnvStatsName &columnName);
    int AddColumnIfNotExists(TnvMetadataObject *object, const TSQLQualifiedName *objectName, TnvMetadataField *field,
                             const TSQLQualifiedName *columnName);
    int AddColumns(const TnvStatsColumns *other);
    // Each side matches by identity when an object (field) is given, else by
    // name.
    TnvStatsColumn *FindColumn(const TnvMetadataObject *object, const TSQLQualifiedName *objectName,
                               const TnvMetadataField *field, const TSQLQualifiedName *columnName) const;

private:
    struct TIndex;
    const TIndex *Index() const;

    TnvBaseSyntaxProvider *FSyntaxProvider;
    std::vector<TOwned<TnvStatsColumn>> FItems;
    mutable std::unique_ptr<TIndex> FIndex;
};

} // namespace nvqb
