#include "builder/model/QueryStatistics.h"
#include "sqlmodel/ast/AstTokens.h"
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/metadata/MetadataObjects.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/sql/ExpressionTransforms.h"
#include "sqlmodel/sql/QueryBinding.h"
#include "sqlmodel/sql/QueryStatistics.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <QSet>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvStatisticsBase, TObject)
NV_IMPLEMENT_CLASS(TnvStatisticsDatabaseObject, TnvStatisticsBase)
NV_IMPLEMENT_CLASS(TnvStatisticsColumn, TnvStatisticsBase)
NV_IMPLEMENT_CLASS(TnvStatisticsOutputColumn, TnvStatisticsBase)
NV_IMPLEMENT_CLASS(TnvStatisticsDatabaseObjectsList, TnvStatisticsBase)
NV_IMPLEMENT_CLASS(TnvStatisticsColumnsList, TnvStatisticsBase)
NV_IMPLEMENT_CLASS(TnvStatisticsOutputColumnsList, TnvStatisticsBase)
NV_IMPLEMENT_CLASS(TnvQueryStatistics, TnvStatisticsBase)

namespace {

TOwned<TSQLQualifiedName> CopyName(TnvBaseSyntaxProvider *provider, const TSQLQualifiedName *name)
{
    TOwned<TSQLQualifiedName> copy = Create<TSQLQualifiedName>(provider);
    if (name)
        copy->Assign(name);
    copy->SetSyntaxProvider(provider);
    return copy;
}

TOwned<TastTokenIdentifier> CopyIdentifier(TnvBaseSyntaxProvider *provider, const TastToken *token)
{
    TOwned<TastTokenIdentifier> copy;
    if (const auto *identifier = As<TastTokenIdentifier>(token))
        copy = CloneAs<TastTokenIdentifier>(identifier);
    else if (token)
        copy = Create<TastTokenIdentifier>(provider, token->Text(), false);
    else
        copy = Create<TastTokenIdentifier>(provider);
    copy->SetSyntaxProvider(provider);
    return copy;
}

// Part Index of the name as an identifier; empty when the name is shorter.
TOwned<TastTokenIdentifier> PartOf(TnvBaseSyntaxProvider *provider, const TSQLQualifiedName *name, qsizetype index)
{
    return CopyIdentifier(provider, name && index < name->GetCount() ? name->GetItems(index) : nullptr);
}

QString IdentifierText(const TastTokenIdentifier *identifier)
{
    return identifier && !identifier->IsEmpty() ? identifier->SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr)
                                                : QString();
}

QString NameText(const TSQLQualifiedName *name)
{
    return IsQualifiedNameEmpty(name) ? QString() : name->SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr);
}

bool SupportsSchemas(const TnvBaseSyntaxProvider *provider) { return provider && provider->IsSupportSchemas(); }

QString AliasOf(const TSQLFromSource *source)
{
    return source && source->Alias && source->Alias->Identifier ? source->Alias->Identifier->GetIdToken() : QString();
}

TnvMetadataObject *MetadataObjectOf(const TSQLFromSource *source)
{
    const auto *object = As<TSQLFromObject>(source);
    return object ? object->MetadataObject() : nullptr;
}

// The written name of a column: the prefix that binding took off in front
// of the parts the column kept.
TOwned<TSQLQualifiedName> WrittenColumnName(const TSQLObjectColumn *column)
{
    TOwned<TSQLQualifiedName> name = CopyName(column->SyntaxProvider(), column);
    if (column->RemovedPrefix())
        name->AddPrefix(column->RemovedPrefix());
    return name;
}

// Whether the column's source lists the column.
bool IsKnownColumn(const TSQLObjectColumn *column)
{
    // Counting gave it the lineage of the field it found.
    if (column->StatsColumns() && column->StatsColumns()->GetCount() > 0)
        return true;
    const TSQLFromSource *source = column->Datasource();
    const TnvBaseSyntaxProvider *provider = column->SyntaxProvider();
    if (!source || !provider || !source->FieldsList())
        return false;
    const qsizetype index = provider->FindFieldInFieldsList(column, source->FieldsList());
    return index >= 0 && index < source->FieldsList()->Count();
}

} // namespace

// ---------------------------------------------------------------------------
// Entries

TnvStatisticsDatabaseObject::TnvStatisticsDatabaseObject(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object,
                                                         const TSQLQualifiedName *writtenName)
    : TnvStatisticsBase(provider), FWrittenName(CopyName(provider, writtenName))
{
    FMetadataObject.reset(object);
    if (object) {
        FObjectName = CopyIdentifier(provider, object->Name());
        FSchema = CopyIdentifier(provider, object->Schema());
        FFullName = CopyName(provider, object->FullName());
    } else {
        FObjectName = PartOf(provider, writtenName, 0);
        FSchema = SupportsSchemas(provider) ? PartOf(provider, writtenName, 1) : CopyIdentifier(provider, nullptr);
        FFullName = CopyName(provider, writtenName);
    }
}

TnvStatisticsDatabaseObject::~TnvStatisticsDatabaseObject() = default;

QString TnvStatisticsDatabaseObject::ObjectNameStr() const { return IdentifierText(FObjectName.get()); }
QString TnvStatisticsDatabaseObject::SchemaStr() const { return IdentifierText(FSchema.get()); }
QString TnvStatisticsDatabaseObject::FullNameStr() const { return NameText(FFullName.get()); }

void TnvStatisticsDatabaseObject::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TnvStatisticsBase::SetSyntaxProvider(provider);
    FObjectName->SetSyntaxProvider(provider);
    FSchema->SetSyntaxProvider(provider);
    FWrittenName->SetSyntaxProvider(provider);
    FFullName->SetSyntaxProvider(provider);
}

TnvStatisticsColumn::TnvStatisticsColumn(TnvBaseSyntaxProvider *provider, TnvMetadataObject *object,
                                         TnvMetadataField *field, const TSQLQualifiedName *objectName,
                                         const TSQLQualifiedName *columnName)
    : TnvStatisticsBase(provider)
{
    FMetadataField.reset(field);
    FMetadataObject.reset(field ? object : nullptr);
    if (field) {
        FColumnName = CopyName(provider, field->Name());
    } else {
        // The column's own name; its prefix parts name the object.
        FColumnName = CopyName(provider, columnName);
        while (FColumnName->GetCount() > 1)
            FColumnName->RemoveFirstPrefix();
    }
    if (field && object) {
        FObjectName = CopyIdentifier(provider, object->Name());
        FSchema = CopyIdentifier(provider, object->Schema());
        FObjectQualifiedName = CopyName(provider, object->FullName());
    } else {
        TOwned<TSQLQualifiedName> prefix = !field && columnName && columnName->GetCount() > 1
                                               ? columnName->GetNameWithoutNames(1)
                                               : CopyName(provider, objectName);
        FObjectName = PartOf(provider, prefix.get(), 0);
        FSchema = SupportsSchemas(provider) ? PartOf(provider, prefix.get(), 1) : CopyIdentifier(provider, nullptr);
        FObjectQualifiedName = CopyName(provider, prefix.get());
    }
}

TnvStatisticsColumn::~TnvStatisticsColumn() = default;

QString TnvStatisticsColumn::ColumnNameStr() const { return NameText(FColumnName.get()); }
QString TnvStatisticsColumn::ObjectNameStr() const { return IdentifierText(FObjectName.get()); }
QString TnvStatisticsColumn::SchemaStr() const { return IdentifierText(FSchema.get()); }

TFieldType TnvStatisticsColumn::GetFieldType() const
{
    return FMetadataField ? FMetadataField->FieldType() : ftUnknown;
}

void TnvStatisticsColumn::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TnvStatisticsBase::SetSyntaxProvider(provider);
    FColumnName->SetSyntaxProvider(provider);
    FObjectName->SetSyntaxProvider(provider);
    FSchema->SetSyntaxProvider(provider);
    FObjectQualifiedName->SetSyntaxProvider(provider);
}

TnvStatisticsOutputColumn::TnvStatisticsOutputColumn(TnvBaseSyntaxProvider *provider, const QString &expression,
                                                     const QString &alias, const QString &columnName,
                                                     const QString &datasourceAlias, const QString &objectName,
                                                     TFieldType fieldType)
    : TnvStatisticsBase(provider), FExpression(expression), FAlias(alias), FColumnName(columnName),
      FDatasourceAlias(datasourceAlias), FObjectName(objectName), FFieldType(fieldType)
{
}

// ---------------------------------------------------------------------------
// Lists

void TnvStatisticsDatabaseObjectsList::ReloadStatistics(const TSQLSelectStatement *,
                                                        const TnvStatsObjects *statsObjects)
{
    Clear();
    if (!statsObjects)
        return;
    for (qsizetype i = 0; i < statsObjects->GetCount(); ++i) {
        const TnvStatsObject *entry = statsObjects->GetItems(i);
        Append(Create<TnvStatisticsDatabaseObject>(SyntaxProvider(), entry->MetadataObject(), entry->ObjectName()));
    }
}

void TnvStatisticsColumnsList::ReloadStatistics(const TSQLSelectStatement *statement,
                                                const TnvStatsColumns *statsColumns)
{
    Clear();
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (statsColumns) {
        for (qsizetype i = 0; i < statsColumns->GetCount(); ++i) {
            const TnvStatsColumn *entry = statsColumns->GetItems(i);
            if (!entry->MetadataField() && IsQualifiedNameEmpty(entry->ColumnName()))
                continue;
            Append(Create<TnvStatisticsColumn>(provider, entry->MetadataObject(), entry->MetadataField(),
                                               entry->ObjectName(), entry->ColumnName()));
        }
    }
    // The statistics hold only what the metadata knows; a column it does not
    // know is still something the query reads.
    if (!statement || !provider)
        return;
    std::vector<TOwned<TSQLQualifiedName>> unknown;
    // The ORDER BY of a statement names result columns, which the select
    // lists account for already.
    QSet<const TastNodeBase *> resultColumns;
    auto skipOrderBy = [&](const TastNodeBase *node) {
        const auto *nested = As<TSQLSubSelectStatement>(node);
        if (!nested || !nested->OrderByClause)
            return;
        nested->OrderByClause->TraverseASTTreeDepthFirst(
            TastTraverseProc::FromCallable([&](TastNodeBase *column) { resultColumns.insert(column); }));
    };
    skipOrderBy(statement);
    const_cast<TSQLSelectStatement *>(statement)->TraverseASTTreeDepthFirst(
        TastTraverseProc::FromCallable([&](TastNodeBase *node) {
            skipOrderBy(node);
            const auto *column = As<TSQLObjectColumn>(node);
            if (!column || column->GetCount() == 0 || resultColumns.contains(column) || IsKnownColumn(column))
                return;
            TOwned<TSQLQualifiedName> name = WrittenColumnName(column);
            for (const auto &seen : unknown)
                if (provider->IsQualifiedNamesEqual(seen.get(), name.get()))
                    return;
            unknown.push_back(std::move(name));
        }));
    for (const auto &name : unknown)
        Append(Create<TnvStatisticsColumn>(provider, nullptr, nullptr, nullptr, name.get()));
}

void TnvStatisticsOutputColumnsList::ReloadStatistics(const TSQLSelectStatement *statement)
{
    Clear();
    const TSQLSubQuerySelectExpression *block = statement ? statement->FirstSelectBlock() : nullptr;
    if (!block || !block->SelectItems)
        return;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    auto addSourceFields = [&](const TSQLFromSource *source) {
        if (!source || !source->FieldsList())
            return;
        const QString alias = AliasOf(source);
        QString qualifier = alias;
        if (qualifier.isEmpty())
            if (const auto *object = As<TSQLFromObject>(source))
                qualifier = NameText(object->ObjectName.get());
        const TnvMetadataObject *metadata = MetadataObjectOf(source);
        const QString objectName = metadata ? NameText(metadata->FullName()) : QString();
        const TnvMetadataFieldsList *fields = source->FieldsList();
        for (qsizetype k = 0; k < fields->Count(); ++k) {
            const TnvMetadataField *field = fields->Items(k);
            const QString fieldName = NameText(field->Name());
            Append(Create<TnvStatisticsOutputColumn>(
                provider, qualifier.isEmpty() ? fieldName : qualifier + u'.' + fieldName, QString(), fieldName, alias,
                objectName, field->FieldType()));
        }
    };
    QList<TSQLFromSource *> sources;
    CollectChainSources(block->FromClause.get(), sources);
    for (qsizetype i = 0; i < block->SelectItems->GetCount(); ++i) {
        const TSQLSelectItem *item = block->SelectItems->GetItems(i);
        if (const auto *expression = As<TSQLSelectItemExpression>(item)) {
            const QString text = expression->Expression
                                     ? expression->Expression->SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr)
                                     : QString();
            const QString alias =
                expression->Alias ? IdentifierText(expression->Alias->Identifier.get()) : QString();
            QString columnName, sourceAlias, objectName;
            TFieldType type = ftUnknown;
            const auto *columnExpression =
                As<TSQLExpressionColumn>(ExpressionRemoveBrackets(expression->Expression.get()));
            if (const TSQLObjectColumn *column = columnExpression ? columnExpression->Column.get() : nullptr;
                column && column->GetCount() > 0) {
                columnName = column->GetItems(0)->SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr);
                const TSQLFromSource *source = column->Datasource();
                sourceAlias = AliasOf(source);
                if (TnvMetadataObject *metadata = MetadataObjectOf(source)) {
                    objectName = NameText(metadata->FullName());
                    TOwned<TSQLQualifiedName> ownName = CopyName(provider, column);
                    while (ownName->GetCount() > 1)
                        ownName->RemoveFirstPrefix();
                    const TnvMetadataFieldsList *fields = metadata->GetFields();
                    const qsizetype index = fields ? fields->FindFieldByName(ownName.get()) : -1;
                    if (index >= 0 && index < fields->Count())
                        type = fields->Items(index)->FieldType();
                }
            }
            Append(Create<TnvStatisticsOutputColumn>(provider, text, alias, columnName, sourceAlias, objectName,
                                                     type));
        } else if (const auto *tableColumns = As<TSQLSelectItemAllTableColumns>(item)) {
            if (block->FromClause && tableColumns->TableName)
                addSourceFields(tableColumns->TableName->Datasource());
        } else if (As<TSQLSelectItemAllColumns>(item) && block->FromClause) {
            for (const TSQLFromSource *source : sources)
                addSourceFields(source);
        }
    }
}

// ---------------------------------------------------------------------------

TnvQueryStatistics::TnvQueryStatistics(TnvBaseSyntaxProvider *provider)
    : TnvStatisticsBase(provider), FUsedDatabaseObjects(Create<TnvStatisticsDatabaseObjectsList>(provider)),
      FUsedColumns(Create<TnvStatisticsColumnsList>(provider)),
      FOutputColumns(Create<TnvStatisticsOutputColumnsList>(provider))
{
}

TnvQueryStatistics::~TnvQueryStatistics() = default;

void TnvQueryStatistics::ReloadStatistics(const TSQLSelectStatement *statement)
{
    FUsedDatabaseObjects->ReloadStatistics(statement, statement ? statement->StatsObjects() : nullptr);
    FUsedColumns->ReloadStatistics(statement, statement ? statement->StatsColumns() : nullptr);
    FOutputColumns->ReloadStatistics(statement);
}

void TnvQueryStatistics::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    TnvStatisticsBase::SetSyntaxProvider(provider);
    FUsedDatabaseObjects->SetSyntaxProvider(provider);
    FUsedColumns->SetSyntaxProvider(provider);
    FOutputColumns->SetSyntaxProvider(provider);
}

} // namespace nvqb
