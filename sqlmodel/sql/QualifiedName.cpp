#include "sqlmodel/sql/QualifiedName.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "sqlmodel/providers/SyntaxProvider.h"
#include "sqlmodel/metadata/XmlText.h"
#include "support/XmlGuard.h"

#include <QXmlStreamWriter>
#include <algorithm>

namespace nvqb {

NV_IMPLEMENT_AST_CLASS(TSQLQualifiedName, TastTokenList)
NV_IMPLEMENT_AST_CLASS(TSQLDatabaseObject, TSQLQualifiedName)
NV_IMPLEMENT_AST_CLASS(TSQLObjectColumn, TSQLDatabaseObject)
NV_IMPLEMENT_CLASS(TSQLQualifiedNamesList, TObject)
NV_IMPLEMENT_CLASS(TnvFieldsList, TSQLQualifiedNamesList)
NV_IMPLEMENT_CLASS(TSQLDatabaseObjectsList, TSQLQualifiedNamesList)
NV_IMPLEMENT_CLASS(TSQLObjectColumnsList, TSQLQualifiedNamesList)
NV_IMPLEMENT_CLASS(TSQLMetadataRelation, TObject)

namespace {
[[noreturn]] void RaiseBadObjectName() { throw Exception(nvQBMessage(nvQBBadObjectName)); }
} // namespace

// ---------------------------------------------------------------------------
// TSQLQualifiedName

TSQLQualifiedName::TSQLQualifiedName(TnvBaseSyntaxProvider *provider) : TastTokenList(provider) {}

TOwned<TastTokenIdentifier> TSQLQualifiedName::ParsePart(const QString &text) const
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    Assert(provider != nullptr, "nvAST", "A name parsed from text needs a syntax provider");
    TOwned<TastTokenIdentifier> part = provider->ParseIdentifierQuoteIfNeed(text);
    Assert(part != nullptr, "nvAST", "Text is not an identifier");
    return part;
}

void TSQLQualifiedName::AddName(TOwned<TastToken> token)
{
    Assert(token != nullptr, "nvAST", "AddName of nil");
    Insert(0, std::move(token));
}

void TSQLQualifiedName::AddName(const QString &text) { Insert(0, ParsePart(text)); }

void TSQLQualifiedName::AddName(const QString &text, bool caseSensitive)
{
    Insert(0, Create<TastTokenIdentifier>(SyntaxProvider(), text, caseSensitive));
}

void TSQLQualifiedName::AddName(const TSQLQualifiedName *name)
{
    Assert(name != nullptr, "nvAST", "AddName of nil");
    // Counted before inserting: Name may be this name, which grows meanwhile.
    const qsizetype count = name->GetCount();
    for (qsizetype i = count - 1; i >= 0; --i) {
        // After k insertions at the front the source's part i sits at i + k
        // when the source is this name.
        const qsizetype at = name == this ? i + (count - 1 - i) : i;
        const TastToken *part = name->GetItems(at);
        Insert(0, part ? part->Clone() : nullptr);
    }
}

void TSQLQualifiedName::AddPrefix(TOwned<TastToken> token)
{
    Assert(token != nullptr, "nvAST", "AddPrefix of nil");
    Add(std::move(token));
}

void TSQLQualifiedName::AddPrefix(const QString &text) { Add(ParsePart(text)); }

void TSQLQualifiedName::AddPrefix(const QString &text, bool caseSensitive)
{
    Add(Create<TastTokenIdentifier>(SyntaxProvider(), text, caseSensitive));
}

void TSQLQualifiedName::AddPrefix(const TSQLQualifiedName *name)
{
    Assert(name != nullptr, "nvAST", "AddPrefix of nil");
    // Counted before appending: Name may be this name.
    const qsizetype count = name->GetCount();
    for (qsizetype i = 0; i < count; ++i) {
        const TastToken *part = name->GetItems(i);
        Add(part ? part->Clone() : nullptr);
    }
}

TOwned<TastToken> TSQLQualifiedName::ExtractName() { return GetCount() > 0 ? Extract(qsizetype(0)) : nullptr; }

TOwned<TastToken> TSQLQualifiedName::ExtractPrefix()
{
    return GetCount() > 0 ? Extract(GetCount() - 1) : nullptr;
}

void TSQLQualifiedName::RemoveLastName()
{
    Assert(GetCount() > 0, "nvAST", "RemoveLastName of an empty name");
    Delete(0);
}

void TSQLQualifiedName::RemoveFirstPrefix()
{
    Assert(GetCount() > 0, "nvAST", "RemoveFirstPrefix of an empty name");
    Delete(GetCount() - 1);
}

TOwned<TSQLQualifiedName> TSQLQualifiedName::GetNameWithoutNames(qsizetype count) const
{
    TOwned<TSQLQualifiedName> result = Clone();
    for (qsizetype i = 0; i < count && result->GetCount() > 0; ++i)
        result->Delete(0);
    return result;
}

TOwned<TSQLQualifiedName> TSQLQualifiedName::GetNameWithoutPrefixes(qsizetype count) const
{
    TOwned<TSQLQualifiedName> result = Clone();
    for (qsizetype i = 0; i < count && result->GetCount() > 0; ++i)
        result->Delete(result->GetCount() - 1);
    return result;
}

bool TSQLQualifiedName::StartsWith(const TSQLQualifiedName *other) const
{
    if (!other || other->GetCount() > GetCount())
        return false;
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    Assert(provider != nullptr, "nvAST", "Name comparison without a syntax provider");
    // The leftmost parts are the last stored ones.
    for (qsizetype k = 0; k < other->GetCount(); ++k) {
        const TastToken *mine = GetItems(GetCount() - 1 - k);
        const TastToken *theirs = other->GetItems(other->GetCount() - 1 - k);
        if (!mine || !theirs) {
            if (mine != theirs)
                return false;
            continue;
        }
        if (provider->CompareTokens(mine, theirs) != 0)
            return false;
    }
    return true;
}

void TSQLQualifiedName::BuildQualifiedName(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                           TnvIdentQuotation quotation) const
{
    bool written = false;
    for (qsizetype i = GetCount() - 1; i >= 0; --i) {
        const TastToken *part = GetItems(i);
        if (!part)
            continue;
        if (written)
            builder->WriteSymbol(QStringLiteral("."));
        if (const auto *identifier = As<TastTokenIdentifier>(part))
            identifier->BuildIdentifier(builder, format, quotation);
        else
            part->BuildSQL(builder, format);
        written = true;
    }
}

void TSQLQualifiedName::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildQualifiedName(builder, format, builder->QuoteIdentifiers());
}

void TSQLQualifiedName::SetQualifiedName(const QString &text)
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    Assert(provider != nullptr, "nvAST", "SetQualifiedName without a syntax provider");
    TOwned<TSQLQualifiedName> parsed = provider->ParseQualifiedNameQuoteIfNeed(text);
    if (!parsed)
        RaiseBadObjectName();
    Clear();
    Assign(parsed.get());
}

QString TSQLQualifiedName::GetQualifiedName() const { return SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr); }

QString TSQLQualifiedName::GetQualifiedNameWithoutQuotes() const
{
    return SimpleSQL(icNone, opsSkipAll, nullptr, nullptr);
}

QString TSQLQualifiedName::GetQualifiedNameWithQuotes() const
{
    return SimpleSQL(icAll, opsSkipAll, nullptr, nullptr);
}

QString TSQLQualifiedName::SimpleSQLFullName(TnvIdentQuotation quotation) const
{
    TSQLBuilderFastLease builder;
    builder->BeginBuild();
    builder->SetQuoteIdentifiers(quotation);
    // The shared builder keeps the settings of its last text: a full name
    // must not lose a prefix to a default database or schema left there.
    builder->SetObjectPrefixSkipping(opsSkipNone);
    builder->SetDefaultDatabaseName(nullptr);
    builder->SetDefaultSchemaNames(nullptr);
    BuildQualifiedName(builder.Get(), builder->MainQueryFormat(), quotation);
    builder->EndBuild();
    return builder->ResultSQL();
}

QDomElement IdentifierToXMLNode(const TastTokenIdentifier *identifier, QDomDocument &document, const QString &tag)
{
    QDomElement element = document.createElement(tag);
    element.setAttribute(QStringLiteral("name"), XMLSafeText(identifier->Text()));
    element.setAttribute(QStringLiteral("case_sens"), identifier->CaseSensitive() ? QStringLiteral("1")
                                                                                  : QStringLiteral("0"));
    return element;
}

void IdentifierFromXMLNode(TastTokenIdentifier *identifier, const QDomElement &element)
{
    if (element.hasAttribute(QStringLiteral("name")))
        identifier->SetText(element.attribute(QStringLiteral("name")));
    if (element.hasAttribute(QStringLiteral("case_sens")))
        identifier->SetCaseSensitive(XMLCaseSensitiveFlag(element.attribute(QStringLiteral("case_sens"))));
}

bool XMLCaseSensitiveFlag(QStringView text)
{
    const QStringView flag = text.trimmed();
    return flag == u"1" || flag == u"-1" || flag.compare(u"true", Qt::CaseInsensitive) == 0;
}

void WriteIdentifierXMLNode(QXmlStreamWriter &writer, const QString &tag, const TastTokenIdentifier *identifier)
{
    writer.writeStartElement(tag);
    writer.writeAttribute(QStringLiteral("name"), XMLSafeText(identifier->Text()));
    writer.writeAttribute(QStringLiteral("case_sens"),
                          identifier->CaseSensitive() ? QStringLiteral("1") : QStringLiteral("0"));
    writer.writeEndElement();
}

void TSQLQualifiedName::WriteXMLNode(QXmlStreamWriter &writer, const QString &tag, const QString &itemName) const
{
    writer.writeStartElement(tag);
    for (qsizetype i = 0; i < GetCount(); ++i) {
        const auto *identifier = As<TastTokenIdentifier>(GetItems(i));
        Assert(identifier != nullptr, "nvAST", "Only identifier parts can be written as XML");
        WriteIdentifierXMLNode(writer, itemName, identifier);
    }
    writer.writeEndElement();
}

QDomElement TSQLQualifiedName::GetXMLNode(QDomDocument &document, const QString &tag, const QString &itemName) const
{
    QDomElement element = document.createElement(tag);
    for (qsizetype i = 0; i < GetCount(); ++i) {
        const auto *identifier = As<TastTokenIdentifier>(GetItems(i));
        Assert(identifier != nullptr, "nvAST", "Only identifier parts can be written as XML");
        element.appendChild(IdentifierToXMLNode(identifier, document, itemName));
    }
    return element;
}

void TSQLQualifiedName::LoadFromXMLNode(const QDomElement &element, const QString &itemName)
{
    Clear();
    for (QDomElement child = element.firstChildElement(itemName); !child.isNull();
         child = child.nextSiblingElement(itemName)) {
        TOwned<TastTokenIdentifier> identifier = Create<TastTokenIdentifier>(SyntaxProvider());
        IdentifierFromXMLNode(identifier.get(), child);
        Add(std::move(identifier));
    }
}

bool IsQualifiedNameEmpty(const TSQLQualifiedName *name) { return !name || name->GetCount() == 0; }

TOwned<TSQLDatabaseObject> ParseDatabaseObjectName(const TnvBaseSyntaxProvider *provider, const QString &text)
{
    Assert(provider != nullptr, "nvAST", "Parsing a name without a syntax provider");
    // The dialect's dotted-name entry, then the text in the dialect's quotes.
    TOwned<TSQLQualifiedName> parsed = provider->ParseQualifiedNameQuoteIfNeed(text);
    if (IsQualifiedNameEmpty(parsed.get()))
        return nullptr;
    if (parsed->Is<TSQLDatabaseObject>())
        return TOwned<TSQLDatabaseObject>(static_cast<TSQLDatabaseObject *>(parsed.release()));
    TOwned<TSQLDatabaseObject> object = Create<TSQLDatabaseObject>(const_cast<TnvBaseSyntaxProvider *>(provider));
    object->Assign(parsed.get());
    return object;
}

// ---------------------------------------------------------------------------
// TSQLDatabaseObject

void TSQLDatabaseObject::SetDatasource(TSQLFromSource *source) { FDatasource.reset(source); }

void TSQLDatabaseObject::AssignNode(const TastNodeBase &source)
{
    TSQLQualifiedName::AssignNode(source);
    if (const auto *object = As<TSQLDatabaseObject>(&source))
        FDatasource.CopyFrom(object->FDatasource);
}

void TSQLDatabaseObject::RepointCopiedReferences(const TastNodeBase &source, const TastCopyMap &copies)
{
    TSQLQualifiedName::RepointCopiedReferences(source, copies);
    TSQLFromSource *target = Datasource();
    if (!target)
        return;
    if (TastNodeBase *copy = copies.CopyOf(target)) {
        FDatasource.reset(static_cast<TSQLFromSource *>(copy));
        return;
    }
    // The object name of a FROM object, copied without that object: bound to
    // the original it would print the original's name, whatever it holds.
    const auto *object = As<TSQLFromObject>(target);
    if (object && object->ObjectName.get() == &source)
        FDatasource.reset();
}

void TSQLDatabaseObject::DestroyOwned()
{
    FDatasource.reset();
    TSQLQualifiedName::DestroyOwned();
}

void TSQLDatabaseObject::GetReferencedDatasources(TastNodeRefList &list)
{
    if (TSQLFromSource *source = Datasource(); source && !list.contains(source))
        list.append(source);
}

void TSQLDatabaseObject::RemoveReferencesToFromSource(TastNodeBase *source)
{
    if (source && static_cast<TastNodeBase *>(Datasource()) == source)
        FDatasource.reset();
}

void TSQLDatabaseObject::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    const TSQLFromSource *source = Datasource();
    if (!source) {
        BuildQualifiedName(builder, format, builder->QuoteIdentifiers());
        return;
    }
    if (source->Alias) {
        source->Alias->BuildAliasName(builder, format);
        return;
    }
    if (const auto *object = As<TSQLFromObject>(source); object && object->ObjectName)
        object->ObjectName->BuildQualifiedName(builder, format, builder->QuoteIdentifiers());
}

void TSQLDatabaseObject::BuildQualifiedName(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                            TnvIdentQuotation quotation) const
{
    const TSQLFromSource *source = Datasource();
    if (source) {
        const auto *object = As<TSQLFromObject>(source);
        if (!object) {
            if (source->Alias)
                source->Alias->BuildAliasName(builder, format);
            else
                TSQLQualifiedName::BuildQualifiedName(builder, format, quotation);
            return;
        }
        if (object->ObjectName && object->ObjectName.get() != this) {
            object->ObjectName->BuildQualifiedName(builder, format, quotation);
            return;
        }
    }
    BuildSkippingPrefixes(builder, format, quotation);
}

void TSQLDatabaseObject::BuildSkippingPrefixes(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                               TnvIdentQuotation quotation) const
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    const bool schemas = provider ? provider->IsSupportSchemas() : true;
    const qsizetype count = GetCount();
    const bool hasDatabase = schemas ? count >= 3 : count >= 2;
    if (!hasDatabase || !provider) {
        TSQLQualifiedName::BuildQualifiedName(builder, format, quotation);
        return;
    }
    // Parts: 0 the object, 1 the schema when the dialect has schemas, the rest
    // the database, compared against the builder's defaults without copying.
    const qsizetype firstDatabasePart = schemas ? 2 : 1;
    const TnvObjectPrefixSkipping skipping = builder->ObjectPrefixSkipping();
    bool databaseLeftOut = false;
    if (skipping != opsSkipNone) {
        // Only a database known to be the default one may go: without a
        // default, db.dbo.t printed as dbo.t would name another table.
        const TSQLQualifiedName *defaultDatabase = builder->DefaultDatabaseName();
        if (!IsQualifiedNameEmpty(defaultDatabase) && defaultDatabase->GetCount() == count - firstDatabasePart) {
            databaseLeftOut = true;
            for (qsizetype i = 0; i < defaultDatabase->GetCount() && databaseLeftOut; ++i) {
                const TastToken *mine = GetItems(firstDatabasePart + i);
                const TastToken *theirs = defaultDatabase->GetItems(i);
                databaseLeftOut = mine && theirs && provider->CompareTokens(mine, theirs) == 0;
            }
        }
    }
    if (!databaseLeftOut) {
        for (qsizetype i = count - 1; i >= firstDatabasePart; --i) {
            const TastToken *part = GetItems(i);
            if (const auto *identifier = As<TastTokenIdentifier>(part))
                identifier->BuildIdentifier(builder, format, quotation);
            else if (part)
                part->BuildSQL(builder, format);
            builder->WriteSymbol(QStringLiteral("."));
        }
    }
    if (schemas) {
        const TastToken *schema = GetItems(1);
        bool schemaLeftOut = false;
        const TSQLIdentifiersCollection *defaultSchemas = builder->DefaultSchemaNames();
        if (skipping == opsSkipAll && databaseLeftOut && defaultSchemas && defaultSchemas->GetCount() > 0) {
            if (const auto *identifier = As<TastTokenIdentifier>(schema)) {
                // The builder's copies carry no provider: compare under ours.
                for (qsizetype i = 0; i < defaultSchemas->GetCount() && !schemaLeftOut; ++i)
                    schemaLeftOut = provider->CompareIdentifiers(identifier, defaultSchemas->GetItems(i)) == 0;
            }
        }
        if (!schemaLeftOut) {
            if (const auto *identifier = As<TastTokenIdentifier>(schema))
                identifier->BuildIdentifier(builder, format, quotation);
            else if (schema)
                schema->BuildSQL(builder, format);
            builder->WriteSymbol(QStringLiteral("."));
        }
    }
    if (const TastToken *name = GetItems(0))
        name->BuildSQL(builder, format);
}

// ---------------------------------------------------------------------------
// TSQLObjectColumn

void TSQLObjectColumn::AssignNode(const TastNodeBase &source)
{
    TSQLDatabaseObject::AssignNode(source);
    if (const auto *column = As<TSQLObjectColumn>(&source)) {
        FOracleOuterJoin = column->FOracleOuterJoin;
        FRemovedPrefix = column->FRemovedPrefix ? column->FRemovedPrefix->Clone() : nullptr;
    } else {
        FRemovedPrefix.reset();
    }
}

void TSQLObjectColumn::GetReferencedColumns(TastNodeRefList &list)
{
    if (!list.contains(this))
        list.append(this);
}

void TSQLObjectColumn::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    Assert(!IsDestroying(), "nvAST", "Printing a column being destroyed");
    const TSQLFromSource *source = Datasource();
    if (source) {
        Assert(!source->IsDestroying(), "nvAST", "Printing a column whose source is being destroyed");
        bool prefixed = false;
        if (source->Alias) {
            source->Alias->BuildAliasName(builder, format);
            prefixed = true;
        } else if (const auto *object = As<TSQLFromObject>(source); object && object->ObjectName) {
            object->ObjectName->BuildQualifiedName(builder, format, builder->QuoteIdentifiers());
            prefixed = true;
        }
        if (prefixed)
            builder->WriteSymbol(QStringLiteral("."));
        bool written = false;
        for (qsizetype i = GetCount() - 1; i >= 0; --i) {
            const TastToken *part = GetItems(i);
            if (!part)
                continue;
            if (written)
                builder->WriteSymbol(QStringLiteral("."));
            part->BuildSQL(builder, format);
            written = true;
        }
    } else {
        TSQLDatabaseObject::BuildQualifiedName(builder, format, builder->QuoteIdentifiers());
    }
    if (FOracleOuterJoin)
        builder->WriteSymbol(QStringLiteral("(+)"));
}

// ---------------------------------------------------------------------------
// TSQLQualifiedNamesList

TSQLQualifiedNamesList::TSQLQualifiedNamesList(TnvBaseSyntaxProvider *provider, bool ownsObjects)
    : FSyntaxProvider(provider), FOwnsObjects(ownsObjects)
{
}

TSQLQualifiedNamesList::~TSQLQualifiedNamesList() { Clear(); }

void TSQLQualifiedNamesList::FreeItem(TSQLQualifiedName *name) const
{
    if (FOwnsObjects)
        TObject::Free(name);
}

void TSQLQualifiedNamesList::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    if (provider == FSyntaxProvider)
        return;
    FSyntaxProvider = provider;
    for (TSQLQualifiedName *name : FItems)
        if (name)
            name->SetSyntaxProvider(provider);
}

qsizetype TSQLQualifiedNamesList::Add(TSQLQualifiedName *name)
{
    Assert(name != nullptr, "nvAST", "Adding nil to a names list");
    name->SetSyntaxProvider(FSyntaxProvider);
    FItems.push_back(name);
    return GetCount() - 1;
}

qsizetype TSQLQualifiedNamesList::Add(TOwned<TSQLQualifiedName> name)
{
    Assert(FOwnsObjects, "nvAST", "Handing an owned name to a list that does not own its names");
    return Add(name.release());
}

qsizetype TSQLQualifiedNamesList::Add(const QString &text)
{
    Assert(FSyntaxProvider != nullptr, "nvAST", "Parsing a name without a syntax provider");
    TOwned<TSQLDatabaseObject> name = ParseDatabaseObjectName(FSyntaxProvider, text);
    // Neither the text nor the quoted text is a name: refuse it rather than
    // add nothing and report an index.
    if (!name)
        RaiseBadObjectName();
    return Add(name.release());
}

qsizetype TSQLQualifiedNamesList::AddIdentifier(const QString &text, bool caseSensitive)
{
    TOwned<TSQLQualifiedName> name = NewName();
    name->AddName(text, caseSensitive);
    return Add(name.release());
}

void TSQLQualifiedNamesList::Insert(qsizetype index, TSQLQualifiedName *name)
{
    Assert(name != nullptr, "nvAST", "Inserting nil into a names list");
    if (index < 0 || index > GetCount())
        ListIndexError(index);
    name->SetSyntaxProvider(FSyntaxProvider);
    FItems.insert(FItems.begin() + index, name);
}

TSQLQualifiedName *TSQLQualifiedNamesList::Extract(TSQLQualifiedName *name)
{
    qsizetype index = IndexOf(name);
    if (index < 0)
        return nullptr;
    FItems.erase(FItems.begin() + index);
    return name;
}

qsizetype TSQLQualifiedNamesList::Remove(TSQLQualifiedName *name)
{
    qsizetype index = IndexOf(name);
    if (index >= 0)
        Delete(index);
    return index;
}

void TSQLQualifiedNamesList::Delete(qsizetype index)
{
    TSQLQualifiedName *name = GetItems(index);
    FItems.erase(FItems.begin() + index);
    FreeItem(name);
}

void TSQLQualifiedNamesList::Clear()
{
    std::vector<TSQLQualifiedName *> items;
    items.swap(FItems);
    for (TSQLQualifiedName *name : items)
        FreeItem(name);
}

TSQLQualifiedName *TSQLQualifiedNamesList::GetItems(qsizetype index) const
{
    if (index < 0 || index >= GetCount())
        ListIndexError(index);
    return FItems[size_t(index)];
}

qsizetype TSQLQualifiedNamesList::IndexOf(const TSQLQualifiedName *name) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i] == name)
            return qsizetype(i);
    return -1;
}

void TSQLQualifiedNamesList::Assign(const TSQLQualifiedNamesList *other)
{
    if (other == this)
        return;
    Clear();
    if (!other)
        return;
    for (const TSQLQualifiedName *name : other->FItems) {
        TOwned<TSQLQualifiedName> copy = name->Clone();
        Add(copy.release());
    }
}

qsizetype TSQLQualifiedNamesList::FindByName(const TSQLQualifiedName *name) const
{
    Assert(FSyntaxProvider != nullptr, "nvAST", "Name comparison without a syntax provider");
    for (qsizetype i = 0; i < GetCount(); ++i)
        if (FSyntaxProvider->CompareQualifiedNames(FItems[size_t(i)], name) == 0)
            return i;
    return -1;
}

void TSQLQualifiedNamesList::SortByNames()
{
    Assert(FSyntaxProvider != nullptr, "nvAST", "Sorting names without a syntax provider");
    std::stable_sort(FItems.begin(), FItems.end(), [](const TSQLQualifiedName *a, const TSQLQualifiedName *b) {
        TnvBaseSyntaxProvider *provider = a->SyntaxProvider();
        Assert(provider != nullptr, "nvAST", "Sorting names without a syntax provider");
        return provider->CompareQualifiedNames(a, b) < 0;
    });
}

TOwned<TSQLQualifiedName> TSQLQualifiedNamesList::NewName() const
{
    return Create<TSQLQualifiedName>(FSyntaxProvider);
}

QDomElement TSQLQualifiedNamesList::GetXMLNode(QDomDocument &document, const QString &tag,
                                               const QString &itemName) const
{
    QDomElement element = document.createElement(tag);
    for (const TSQLQualifiedName *name : FItems)
        element.appendChild(name->GetXMLNode(document, itemName));
    return element;
}

void TSQLQualifiedNamesList::LoadFromXMLNode(const QDomElement &element, const QString &itemName)
{
    Clear();
    for (QDomElement child = element.firstChildElement(itemName); !child.isNull();
         child = child.nextSiblingElement(itemName)) {
        TOwned<TSQLQualifiedName> name = NewName();
        name->LoadFromXMLNode(child);
        Add(name.release());
    }
}

QString TSQLQualifiedNamesList::GetXML(const QString &rootName, const QString &itemName) const
{
    QDomDocument document;
    document.appendChild(GetXMLNode(document, rootName, itemName));
    return document.toString(-1);
}

void TSQLQualifiedNamesList::SetXML(const QString &text, const QString &itemName)
{
    // Root, names, their parts: three levels. The DOM takes time quadratic in
    // the depth of a tree and in the attributes of an element, so text that
    // goes beyond what such a document holds is refused before it is parsed.
    if (const QString refused = XmlShapeError(text, TXmlShapeLimits{3, 64}); !refused.isEmpty())
        throw Exception(QStringLiteral("Invalid XML: %1").arg(refused));
    QDomDocument document;
    if (!document.setContent(text))
        throw Exception(QStringLiteral("Invalid XML"));
    LoadFromXMLNode(document.documentElement(), itemName);
}

TSQLQualifiedName *TSQLDatabaseObjectsList::CreateSQLDatabaseObject()
{
    TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(SyntaxProvider());
    TSQLQualifiedName *result = name.get();
    Add(name.release());
    return result;
}

TOwned<TSQLQualifiedName> TSQLObjectColumnsList::NewName() const
{
    return Create<TSQLObjectColumn>(SyntaxProvider());
}

namespace {
// The name of the object a source stands for: a table's name, a function's
// name; nil for other sources.
const TSQLQualifiedName *SourceObjectName(const TSQLFromSource *source)
{
    if (const auto *object = As<TSQLFromObject>(source))
        return object->ObjectName.get();
    if (const auto *function = As<TSQLFromFunction>(source))
        return function->Function ? function->Function->FunctionName.get() : nullptr;
    return nullptr;
}
} // namespace

qsizetype TSQLObjectColumnsList::FindByNameAndDatasource(const TSQLObjectColumn *column) const
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    Assert(provider != nullptr, "nvAST", "Name comparison without a syntax provider");
    for (qsizetype i = 0; i < GetCount(); ++i) {
        const TSQLObjectColumn *candidate = GetItems(i);
        if (!provider->IsQualifiedNamesEqual(candidate, column))
            continue;
        if (candidate->Datasource() == column->Datasource())
            return i;
        if (!candidate->Datasource() || !column->Datasource())
            continue;
        const TSQLQualifiedName *mine = SourceObjectName(candidate->Datasource());
        const TSQLQualifiedName *theirs = SourceObjectName(column->Datasource());
        if (mine && theirs && provider->IsQualifiedNamesEqual(mine, theirs))
            return i;
    }
    return -1;
}

// ---------------------------------------------------------------------------
// TSQLMetadataRelation

TSQLMetadataRelation::TSQLMetadataRelation(TnvBaseSyntaxProvider *provider)
    : FSyntaxProvider(provider), FPrimaryFields(Create<TnvFieldsList>(provider)),
      FChildFields(Create<TnvFieldsList>(provider))
{
}

TSQLMetadataRelation::~TSQLMetadataRelation() = default;

} // namespace nvqb

namespace nvqb {

qsizetype TnvFieldsList::AddField(const QString &name, bool caseSensitive)
{
    return AddIdentifier(name, caseSensitive);
}

qsizetype TnvFieldsList::AddFieldId(const TastTokenIdentifier *identifier)
{
    TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(SyntaxProvider());
    if (identifier)
        name->AddName(TOwned<TastToken>(identifier->Clone().release()));
    return Add(std::move(name));
}

qsizetype TnvFieldsList::FindFieldByName(const QString &name) const
{
    const QString key = name.toUpper();
    for (qsizetype i = 0; i < GetCount(); ++i) {
        const TSQLQualifiedName *item = GetItems(i);
        if (item->GetCount() == 1 && item->GetItems(0)->Text().toUpper() == key)
            return i;
    }
    return -1;
}

} // namespace nvqb
