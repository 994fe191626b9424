#pragma once
// What the query builder's current query uses, for the application: the
// database objects and columns it reads and the columns it outputs. The
// lists are rebuilt from scratch from the result statement after every
// change, once the statistics walk of the syntax tree has filled the
// statement's own object and column statistics. Entries refer to metadata
// objects and fields through tracked references, so a cleared container
// leaves them without metadata, never dangling.
#include "classlib/ClassInfo.h"
#include "classlib/Dataset.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/ast/TrackedReference.h"

#include <QString>
#include <vector>

namespace nvqb {

class TastTokenIdentifier;
class TnvBaseSyntaxProvider;
class TnvMetadataField;
class TnvMetadataObject;
class TnvStatsColumns;
class TnvStatsObjects;
class TSQLQualifiedName;
class TSQLSelectStatement;

class TnvStatisticsBase : public TObject {
    NV_DECLARE_CLASS(TnvStatisticsBase)
public:
    explicit TnvStatisticsBase(TnvBaseSyntaxProvider *provider) : FSyntaxProvider(provider) {}
    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    // Passes the provider on to everything the object owns.
    virtual void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) { FSyntaxProvider = provider; }

private:
    TnvBaseSyntaxProvider *FSyntaxProvider;
};

// One database object the query uses: a metadata object, or a name that the
// metadata does not know.
class TnvStatisticsDatabaseObject : public TnvStatisticsBase {
    NV_DECLARE_CLASS(TnvStatisticsDatabaseObject)
public:
    // Bound to the metadata object when there is one; otherwise made from
    // the written name (part 0 the object's own name, part 1 its schema when
    // the dialect has schemas).
    TnvStatisticsDatabaseObject(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object,
                                const TSQLQualifiedName *writtenName);
    ~TnvStatisticsDatabaseObject() override;

    TnvMetadataObject *MetadataObject() const { return FMetadataObject.get(); }
    TastTokenIdentifier *ObjectName() const { return FObjectName.get(); }
    // The schema or other prefix; an empty identifier when there is none.
    TastTokenIdentifier *Schema() const { return FSchema.get(); }
    TSQLQualifiedName *WrittenName() const { return FWrittenName.get(); }
    TSQLQualifiedName *FullName() const { return FFullName.get(); }
    QString ObjectNameStr() const;
    QString SchemaStr() const;
    QString FullNameStr() const;
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;

private:
    TnvTrackedRef<TnvMetadataObject> FMetadataObject;
    TOwned<TastTokenIdentifier> FObjectName;
    TOwned<TastTokenIdentifier> FSchema;
    TOwned<TSQLQualifiedName> FWrittenName;
    TOwned<TSQLQualifiedName> FFullName;
};

// One column the query reads: a metadata field, or a name that the metadata
// does not know (whose type is then unknown).
class TnvStatisticsColumn : public TnvStatisticsBase {
    NV_DECLARE_CLASS(TnvStatisticsColumn)
public:
    // Bound to the field and its object when there is a field; otherwise
    // made from the names: the column name's last part is the column, its
    // prefix parts (or else the object name's parts) the object and schema.
    TnvStatisticsColumn(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object, TnvMetadataField *field,
                        const TSQLQualifiedName *objectName, const TSQLQualifiedName *columnName);
    ~TnvStatisticsColumn() override;

    TnvMetadataField *MetadataField() const { return FMetadataField.get(); }
    TnvMetadataObject *MetadataObject() const { return FMetadataObject.get(); }
    TSQLQualifiedName *ColumnName() const { return FColumnName.get(); }
    TastTokenIdentifier *ObjectName() const { return FObjectName.get(); }
    TastTokenIdentifier *Schema() const { return FSchema.get(); }
    TSQLQualifiedName *ObjectQualifiedName() const { return FObjectQualifiedName.get(); }
    // The column's own name (its last part).
    QString ColumnNameStr() const;
    QString ObjectNameStr() const;
    QString SchemaStr() const;
    // The metadata field's type; unknown without one.
    TFieldType GetFieldType() const;
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;

private:
    TnvTrackedRef<TnvMetadataField> FMetadataField;
    TnvTrackedRef<TnvMetadataObject> FMetadataObject;
    TOwned<TSQLQualifiedName> FColumnName;
    TOwned<TastTokenIdentifier> FObjectName;
    TOwned<TastTokenIdentifier> FSchema;
    TOwned<TSQLQualifiedName> FObjectQualifiedName;
};

// One column of the query's result.
class TnvStatisticsOutputColumn : public TnvStatisticsBase {
    NV_DECLARE_CLASS(TnvStatisticsOutputColumn)
public:
    TnvStatisticsOutputColumn(TnvBaseSyntaxProvider *provider, const QString &expression, const QString &alias,
                              const QString &columnName, const QString &datasourceAlias,
                              const QString &objectName, TFieldType fieldType);

    // The output expression as SQL.
    const QString &Expression() const { return FExpression; }
    // Empty when the item has no alias.
    const QString &Alias() const { return FAlias; }
    // Empty unless the expression is a column.
    const QString &ColumnName() const { return FColumnName; }
    const QString &DatasourceAlias() const { return FDatasourceAlias; }
    // The full name of the database object the column comes from.
    const QString &ObjectName() const { return FObjectName; }
    // Unknown unless the expression is a column of a known field.
    TFieldType FieldType() const { return FFieldType; }

private:
    QString FExpression, FAlias, FColumnName, FDatasourceAlias, FObjectName;
    TFieldType FFieldType;
};

// An owning list of statistics entries.
template <class T> class TnvStatisticsList : public TnvStatisticsBase {
public:
    using TnvStatisticsBase::TnvStatisticsBase;
    qsizetype Count() const { return qsizetype(FItems.size()); }
    T *Items(qsizetype index) const
    {
        if (index < 0 || index >= Count())
            ListIndexError(index);
        return FItems[size_t(index)].get();
    }
    void Clear() { FItems.clear(); }
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override
    {
        TnvStatisticsBase::SetSyntaxProvider(provider);
        for (const auto &item : FItems)
            item->SetSyntaxProvider(provider);
    }

protected:
    T *Append(TOwned<T> item)
    {
        FItems.push_back(std::move(item));
        return FItems.back().get();
    }

private:
    std::vector<TOwned<T>> FItems;
};

class TnvStatisticsDatabaseObjectsList : public TnvStatisticsList<TnvStatisticsDatabaseObject> {
    NV_DECLARE_CLASS(TnvStatisticsDatabaseObjectsList)
public:
    using TnvStatisticsList::TnvStatisticsList;
    // One entry for each entry of the statement's object statistics, in order.
    void ReloadStatistics(const TSQLSelectStatement *statement, const TnvStatsObjects *statsObjects);
};

class TnvStatisticsColumnsList : public TnvStatisticsList<TnvStatisticsColumn> {
    NV_DECLARE_CLASS(TnvStatisticsColumnsList)
public:
    using TnvStatisticsList::TnvStatisticsList;
    // One entry for each entry of the statement's column statistics, in
    // order; then every column of the statement that the metadata does not
    // know, by its name as written, once.
    void ReloadStatistics(const TSQLSelectStatement *statement, const TnvStatsColumns *statsColumns);
};

class TnvStatisticsOutputColumnsList : public TnvStatisticsList<TnvStatisticsOutputColumn> {
    NV_DECLARE_CLASS(TnvStatisticsOutputColumnsList)
public:
    using TnvStatisticsList::TnvStatisticsList;
    // The columns of the statement's (first) select list in order; * and t.*
    // give one column for each field of each source they cover.
    void ReloadStatistics(const TSQLSelectStatement *statement);
};

class TnvQueryStatistics : public TnvStatisticsBase {
    NV_DECLARE_CLASS(TnvQueryStatistics)
public:
    explicit TnvQueryStatistics(TnvBaseSyntaxProvider *provider);
    ~TnvQueryStatistics() override;

    TnvStatisticsDatabaseObjectsList *UsedDatabaseObjects() const { return FUsedDatabaseObjects.get(); }
    TnvStatisticsColumnsList *UsedColumns() const { return FUsedColumns.get(); }
    TnvStatisticsOutputColumnsList *OutputColumns() const { return FOutputColumns.get(); }

    // Objects, then columns, then output columns; nil empties all three.
    void ReloadStatistics(const TSQLSelectStatement *statement);
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider) override;

private:
    TOwned<TnvStatisticsDatabaseObjectsList> FUsedDatabaseObjects;
    TOwned<TnvStatisticsColumnsList> FUsedColumns;
    TOwned<TnvStatisticsOutputColumnsList> FOutputColumns;
};

} // namespace nvqb
