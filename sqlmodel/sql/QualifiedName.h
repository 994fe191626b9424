#pragma once
// Dotted names: a TSQLQualifiedName is a token list whose parts are
// identifiers, stored rightmost first (part 0 is the object's own name, part 1
// its schema or table, part 2 the database). Names are compared only through
// the syntax provider, so case rules and quoting are the dialect's.
// TSQLDatabaseObject and TSQLObjectColumn are names bound to the FROM source
// they resolve to; the flat name lists carry object, field and column names
// between the providers, the metadata model and the query model.
#include "sqlmodel/ast/AstIdentifierLists.h"
#include "sqlmodel/ast/TrackedReference.h"

#include <QDomDocument>
#include <QDomElement>
#include <vector>

class QXmlStreamWriter;

namespace nvqb {

class TSQLFromSource;

class TSQLQualifiedName : public TastTokenList {
    NV_DECLARE_AST_CLASS(TSQLQualifiedName)
public:
    explicit TSQLQualifiedName(TnvBaseSyntaxProvider *provider);

    // AddName puts a part in front (it becomes part 0, the object's own name);
    // AddPrefix appends one (the new leftmost prefix). The text forms either
    // parse the text as one identifier or take it as it is with the flag.
    void AddName(TOwned<TastToken> token);
    void AddName(const QString &text);
    void AddName(const QString &text, bool caseSensitive);
    // Copies of all parts of Name in front, in their order (Name's part 0
    // becomes part 0). Name may be this name.
    void AddName(const TSQLQualifiedName *name);
    void AddPrefix(TOwned<TastToken> token);
    void AddPrefix(const QString &text);
    void AddPrefix(const QString &text, bool caseSensitive);
    // Copies of Name's parts 0, 1, ... appended after the leftmost prefix.
    void AddPrefix(const TSQLQualifiedName *name);

    // Take part 0 / the leftmost part out without freeing it (nil when empty).
    TOwned<TastToken> ExtractName();
    TOwned<TastToken> ExtractPrefix();
    void RemoveLastName();
    void RemoveFirstPrefix();
    // Copies without the N rightmost / N leftmost parts; N < 1 gives a plain
    // copy, N at or beyond the part count an empty name.
    TOwned<TSQLQualifiedName> GetNameWithoutNames(qsizetype count) const;
    TOwned<TSQLQualifiedName> GetNameWithoutPrefixes(qsizetype count) const;
    // Whether Other's parts equal this name's leftmost parts.
    bool StartsWith(const TSQLQualifiedName *other) const;

    // Writes the parts from the leftmost to part 0 with "." between them;
    // identifier parts under the given quotation.
    virtual void BuildQualifiedName(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                    TnvIdentQuotation quotation) const;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

    // Parses the text as a dotted name and takes its parts; raises "Invalid
    // object name" and keeps the parts when it does not parse.
    void SetQualifiedName(const QString &text);
    // The name as SQL, quoted where needed / never / always.
    QString GetQualifiedName() const;
    QString GetQualifiedNameWithoutQuotes() const;
    QString GetQualifiedNameWithQuotes() const;
    // The whole name under the quotation, prefixes never skipped.
    QString SimpleSQLFullName(TnvIdentQuotation quotation) const;

    // An element named Tag with one identifier element named ItemName per
    // part, in stored order; reading clears the name first.
    QDomElement GetXMLNode(QDomDocument &document, const QString &tag,
                           const QString &itemName = QStringLiteral("item")) const;
    void LoadFromXMLNode(const QDomElement &element, const QString &itemName = QStringLiteral("item"));
    // The same element written through a streaming writer.
    void WriteXMLNode(QXmlStreamWriter &writer, const QString &tag,
                      const QString &itemName = QStringLiteral("item")) const;

    TOwned<TSQLQualifiedName> Clone() const { return CloneAs<TSQLQualifiedName>(this); }

private:
    TOwned<TastTokenIdentifier> ParsePart(const QString &text) const;
};

// True for a nil name or a name without parts.
bool IsQualifiedNameEmpty(const TSQLQualifiedName *name);

class TSQLDatabaseObject;
// Parses the text as an object name, quoted when it does not parse bare (the
// dialect's quotes around the whole text); nil when neither parses.
TOwned<TSQLDatabaseObject> ParseDatabaseObjectName(const TnvBaseSyntaxProvider *provider, const QString &text);

// The identifier element of the XML documents: attributes "name" and
// "case_sens", no children.
QDomElement IdentifierToXMLNode(const TastTokenIdentifier *identifier, QDomDocument &document, const QString &tag);
void IdentifierFromXMLNode(TastTokenIdentifier *identifier, const QDomElement &element);
// The identifier element written through a streaming writer: "name" first,
// then "case_sens" (1 or 0).
void WriteIdentifierXMLNode(QXmlStreamWriter &writer, const QString &tag, const TastTokenIdentifier *identifier);
// The value of a "case_sens" attribute: 1, -1 and true (any case) are true.
bool XMLCaseSensitiveFlag(QStringView text);

// An object name in a FROM source; bound to the source it names.
class TSQLDatabaseObject : public TSQLQualifiedName {
    NV_DECLARE_AST_CLASS(TSQLDatabaseObject)
public:
    using TSQLQualifiedName::TSQLQualifiedName;

    // The FROM source this name resolves to; nil when unbound or freed.
    TSQLFromSource *Datasource() const { return FDatasource.get(); }
    void SetDatasource(TSQLFromSource *source);

    void BuildQualifiedName(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                            TnvIdentQuotation quotation) const override;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

    void GetReferencedDatasources(TastNodeRefList &list) override;
    void RemoveReferencesToFromSource(TastNodeBase *source) override;
    // A table name used elsewhere (as in t.*) binds to the innermost visible
    // source it names, by alias or by object name.
    void PrepareAndFixup(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                         TnvMetadataContainer *container) override;
    int CalcStatistics() override;

    TOwned<TSQLDatabaseObject> Clone() const { return CloneAs<TSQLDatabaseObject>(this); }

protected:
    void AssignNode(const TastNodeBase &source) override;
    // A source of the copied tree is replaced by its copy; a source outside
    // it stays (a column keeps printing its source's alias), except that the
    // name of a FROM object copied alone is no longer bound to that object.
    void RepointCopiedReferences(const TastNodeBase &source, const TastCopyMap &copies) override;
    void DestroyOwned() override;
    // The name with the default database and schema left out as the
    // builder's prefix skipping asks.
    void BuildSkippingPrefixes(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                               TnvIdentQuotation quotation) const;

private:
    TnvTrackedRef<TSQLFromSource> FDatasource;
};

// A column reference; bound to the FROM source it belongs to, after which it
// keeps only the parts that follow the source's alias or object name.
class TSQLObjectColumn : public TSQLDatabaseObject {
    NV_DECLARE_AST_CLASS(TSQLObjectColumn)
public:
    using TSQLDatabaseObject::TSQLDatabaseObject;

    // Written followed by "(+)".
    bool OracleOuterJoin() const { return FOracleOuterJoin; }
    void SetOracleOuterJoin(bool value) { FOracleOuterJoin = value; }

    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void GetReferencedColumns(TastNodeRefList &list) override;
    // Binds to the innermost visible source that the prefix or the column's
    // name points at, dropping the prefix that named the source.
    void PrepareAndFixup(TastNodeRefList &withItems, TastNodeRefList &fromSources,
                         TnvMetadataContainer *container) override;
    // Writes the source's alias or object name back into the name; the
    // column is then unbound, so it prints that prefix exactly once.
    void RestoreColumnPrefix() override;
    int CalcStatistics() override;
    // The parts the last binding took off the front of the name (nil when
    // none); binding again puts them back first.
    const TSQLQualifiedName *RemovedPrefix() const { return FRemovedPrefix.get(); }

    TOwned<TSQLObjectColumn> Clone() const { return CloneAs<TSQLObjectColumn>(this); }

protected:
    void AssignNode(const TastNodeBase &source) override;

private:
    bool FOracleOuterJoin = false;
    TOwned<TSQLQualifiedName> FRemovedPrefix;
};

// A flat list of names, each given the list's syntax provider.
class TSQLQualifiedNamesList : public TObject {
    NV_DECLARE_CLASS(TSQLQualifiedNamesList)
public:
    explicit TSQLQualifiedNamesList(TnvBaseSyntaxProvider *provider, bool ownsObjects = true);
    ~TSQLQualifiedNamesList() override;

    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider);
    bool OwnsObjects() const { return FOwnsObjects; }

    // Appends the name, gives it the list's provider and returns its index.
    qsizetype Add(TSQLQualifiedName *name);
    qsizetype Add(TOwned<TSQLQualifiedName> name);
    // Parses the text as an object name (quoted when it does not parse bare);
    // raises "Invalid object name" when neither parses.
    qsizetype Add(const QString &text);
    // Adds a one-part name made from the text and flag without parsing.
    qsizetype AddIdentifier(const QString &text, bool caseSensitive);
    void Insert(qsizetype index, TSQLQualifiedName *name);
    // Takes the name out without freeing it; nil when not in the list.
    TSQLQualifiedName *Extract(TSQLQualifiedName *name);
    // Takes the name out (freeing it when the list owns it); its former index or -1.
    qsizetype Remove(TSQLQualifiedName *name);
    void Delete(qsizetype index);
    void Clear();
    qsizetype GetCount() const { return qsizetype(FItems.size()); }
    TSQLQualifiedName *GetItems(qsizetype index) const;
    TSQLQualifiedName *First() const { return GetItems(0); }
    TSQLQualifiedName *Last() const { return GetItems(GetCount() - 1); }
    qsizetype IndexOf(const TSQLQualifiedName *name) const;

    // Clears, then adds a clone of each of Other's names in order.
    void Assign(const TSQLQualifiedNamesList *other);
    // Index of the first name the provider finds equal to Name, else -1.
    qsizetype FindByName(const TSQLQualifiedName *name) const;
    void SortByNames();

    // A document whose root element RootName holds one name element ItemName
    // per name (parts as "item"), and back.
    QString GetXML(const QString &rootName, const QString &itemName) const;
    void SetXML(const QString &text, const QString &itemName);
    QDomElement GetXMLNode(QDomDocument &document, const QString &tag, const QString &itemName) const;
    void LoadFromXMLNode(const QDomElement &element, const QString &itemName);

protected:
    // A new empty name of the list's kind for reading.
    virtual TOwned<TSQLQualifiedName> NewName() const;

private:
    void FreeItem(TSQLQualifiedName *name) const;

    TnvBaseSyntaxProvider *FSyntaxProvider;
    bool FOwnsObjects;
    std::vector<TSQLQualifiedName *> FItems;
};

class TnvFieldsList : public TSQLQualifiedNamesList {
    NV_DECLARE_CLASS(TnvFieldsList)
public:
    using TSQLQualifiedNamesList::TSQLQualifiedNamesList;

    // A one-part name from the text as it is, with the flag; its index.
    qsizetype AddField(const QString &name, bool caseSensitive);
    // A one-part name holding a copy of the identifier; its index.
    qsizetype AddFieldId(const TastTokenIdentifier *identifier);
    // The first one-part name whose text equals Name ignoring case; -1 when none.
    qsizetype FindFieldByName(const QString &name) const;
};

class TSQLDatabaseObjectsList : public TSQLQualifiedNamesList {
    NV_DECLARE_CLASS(TSQLDatabaseObjectsList)
public:
    using TSQLQualifiedNamesList::TSQLQualifiedNamesList;
    // An empty name with the list's provider, added; the caller fills it.
    TSQLQualifiedName *CreateSQLDatabaseObject();
};

class TSQLObjectColumnsList : public TSQLQualifiedNamesList {
    NV_DECLARE_CLASS(TSQLObjectColumnsList)
public:
    using TSQLQualifiedNamesList::TSQLQualifiedNamesList;

    qsizetype Add(TSQLObjectColumn *column) { return TSQLQualifiedNamesList::Add(column); }
    qsizetype Add(TOwned<TSQLObjectColumn> column) { return TSQLQualifiedNamesList::Add(std::move(column)); }
    TSQLObjectColumn *GetItems(qsizetype index) const
    {
        return static_cast<TSQLObjectColumn *>(TSQLQualifiedNamesList::GetItems(index));
    }
    // Index of the first column with the same source and name, or with the
    // same name and a source that names the same object; -1 when none.
    qsizetype FindByNameAndDatasource(const TSQLObjectColumn *column) const;

protected:
    TOwned<TSQLQualifiedName> NewName() const override;
};

// The record by which an event handler hands a foreign-key relation to the
// event metadata provider. The two object names are made by whoever fills the
// record; the record frees all four members.
class TSQLMetadataRelation : public TObject {
    NV_DECLARE_CLASS(TSQLMetadataRelation)
public:
    explicit TSQLMetadataRelation(TnvBaseSyntaxProvider *provider);
    ~TSQLMetadataRelation() override;

    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    TOwned<TSQLQualifiedName> PrimaryObjectName;
    TnvFieldsList *PrimaryFields() const { return FPrimaryFields.get(); }
    // Part 1 is read as the child's schema, part 0 as its name.
    TOwned<TSQLQualifiedName> ChildObjectName;
    TnvFieldsList *ChildFields() const { return FChildFields.get(); }

private:
    TnvBaseSyntaxProvider *FSyntaxProvider;
    TOwned<TnvFieldsList> FPrimaryFields;
    TOwned<TnvFieldsList> FChildFields;
};

} // namespace nvqb
