#pragma once
// The syntax provider: the component that stands for one SQL dialect. The
// tree, the control and the metadata code never test for a dialect; they ask
// the provider how identifiers are quoted and compared, which aggregates and
// union operators exist, which constructs the dialect supports, and to parse
// text. A dialect derives from TnvBaseSyntaxProvider and overrides what
// differs.
#include "classlib/ComponentClass.h"
#include "classlib/StringList.h"
#include "sqlmodel/parse/ParseDriver.h"
#include "sqlmodel/providers/IdentCaseSensitivity.h"
#include "sqlmodel/sql/QualifiedName.h"

#include <QImage>
#include <QList>
#include <initializer_list>

namespace nvqb {

class TnvBaseMetadataProvider;
class TSQLSelectStatement;
class TSQLFromSource;
class TSQLExpressionItem;
class TSQLSelectItem;
class TSQLDatabaseObject;
class TnvBaseSyntaxProvider;
class TSQLFromObject;

// The metadata model, reached by the provider's metadata operations.
class TnvMetadataContainer;
class TnvMetadataFieldsList;
class TnvMetadataFilter;

enum TnvSyntaxSupportConectedServer { scsNotSupport, scsMaybeSupport, scsSupport };

// What a subscriber of a provider hears: a change of the dialect's settings,
// and the provider's end (sent while the provider is still whole).
class InvSyntaxProviderNotifications {
public:
    virtual void SyntaxProviderPropsChanged(TnvBaseSyntaxProvider *provider) = 0;
    virtual void SyntaxProviderDestroying() = 0;

protected:
    ~InvSyntaxProviderNotifications() = default;
};

struct TastClassToExtenderEntry {
    TClass NodeClass;
    TastNodeClass ExtenderClass;
};

class TnvBaseSyntaxProvider : public TComponent {
    NV_DECLARE_COMPONENT_CLASS(TnvBaseSyntaxProvider)
public:
    explicit TnvBaseSyntaxProvider(TComponent *owner);
    ~TnvBaseSyntaxProvider() override;
    // Tells every subscriber, the last subscribed first, before the inherited
    // destruction.
    void BeforeDestruction() override;

    // Identifier rules.
    virtual TnvIdentCaseSensitivity GetIdentCaseSens() const;
    virtual void SetIdentCaseSens(TnvIdentCaseSensitivity value);
    virtual QString GetQuoteBegin() const;
    virtual QString GetQuoteEnd() const;
    // The name that stands for an absent schema; empty when the dialect has none.
    virtual QString GetEmptySchemaName() const;

    // Each list is cleared and filled with one-part, unflagged names.
    virtual void GetStarAggregateNames(TSQLQualifiedNamesList *list) const;
    virtual void Get1ParamAggregateNames(TSQLQualifiedNamesList *list) const;
    virtual void GetPrefixed1ParamAggregateNames(TSQLQualifiedNamesList *list) const;
    virtual void GetComparisonOperators(TWideStringList *list) const;
    virtual void GetUnionOperatorsList(TWideStringList *list) const;

    // Comparisons (negative, zero or positive); nil arguments are assertion
    // failures.
    virtual int CompareIdentifiers(const TastTokenIdentifier *a, const TastTokenIdentifier *b) const;
    virtual int CompareTokens(const TastToken *a, const TastToken *b) const;
    virtual int CompareQualifiedNames(const TSQLQualifiedName *a, const TSQLQualifiedName *b) const;
    // Whether the column name is the object's name followed by the column's own.
    virtual bool IsColumnOfDBObject(const TSQLQualifiedName *column, const TSQLQualifiedName *object) const;

    // Told before metadata is read through the metadata provider (its
    // connection may be a new one); the base does nothing.
    virtual void ConnectionChanged(TnvBaseMetadataProvider *metadataProvider);

    // Capabilities of the dialect.
    virtual bool IsSupportANSIJoins() const { return true; }
    virtual bool IsForceBinaryANSIJoins() const { return false; }
    virtual bool IsSupportOracleJoins() const { return false; }
    virtual bool IsSupportCrossJoin() const { return true; }
    virtual bool IsUniversalExpressions() const { return false; }
    virtual bool IsSupportAllTableFieldsSelection() const { return true; }
    virtual bool IsSupportViews() const { return true; }
    virtual bool IsSupportProcedures() const { return false; }
    virtual bool IsSupportSynonyms() const { return false; }
    virtual bool IsSupportUnions() const { return true; }
    virtual bool IsSupportBracketsInUnions() const { return true; }
    virtual bool IsSupportDerivedTables() const { return true; }
    virtual bool IsSupportSubQueryUnions() const { return true; }
    virtual bool IsSupportSubQueryBracketsInUnions() const { return true; }
    virtual bool IsSupportSubQueryDerivedTables() const { return true; }
    virtual bool IsSupportDatabases() const { return true; }
    virtual bool IsSupportSchemas() const { return true; }

    // The property dialog class for a model node; nil when there is none.
    virtual TClass GetEditPropsFormClass(TObject *node) const;
    virtual QString ServerName() const;
    virtual TnvSyntaxSupportConectedServer IsSupportConectedServer(TnvBaseMetadataProvider *metadataProvider) const;

    // The dialect's scanner and parser classes (nil in the base, which
    // therefore parses nothing), and the hooks through which it adjusts a new
    // scanner or parser before a parse.
    virtual TnvScannerClass GetScannerClass() const;
    virtual TnvParserClass GetParserClass() const;
    virtual void SetScannerParams(TnvBaseScanner *scanner) const;
    virtual void SetParserParams(TnvBaseParser *parser) const;

    // Parse entries, run by the parse driver with the dialect's scanner and
    // parser. The caller owns what is returned;
    // nil when the text does not parse.
    // Raise EnvSQLError when the text does not parse.
    virtual TOwned<TSQLSelectStatement> ParseSelect(const QString &text) const;
    virtual TOwned<TSQLFromSource> ParseDatasource(const QString &text) const;
    // The string list is accepted for callers' sake and not read.
    virtual TOwned<TSQLExpressionItem> ParseExpression(const QString &text, const TWideStringList *strings = nullptr) const;
    // Return nil when the text does not parse.
    virtual TOwned<TSQLExpressionItem> ParseLogicalExpression(const QString &text, bool logicalOption) const;
    virtual TOwned<TSQLSelectItem> ParseSelectItem(const QString &text) const;
    // The same parse as ParseLogicalExpression, raising EnvSQLError with the
    // parser's message when the text does not parse.
    TOwned<TSQLExpressionItem> ParseLogicalExpressionOrRaise(const QString &text, bool logicalOption) const;
    virtual TOwned<TSQLDatabaseObject> ParseObjectName(const QString &text) const;
    virtual TOwned<TastTokenIdentifier> ParseIdentifier(const QString &text) const;
    // The object-name grammar, its result returned as a plain dotted name.
    virtual TOwned<TSQLQualifiedName> ParseQualifiedName(const QString &text) const;
    // Whether the text, exactly as given, is one identifier written bare.
    virtual bool IsValidIdent(const QString &text) const;
    // Parse; when that fails, parse the text again in the dialect's quotes
    // (a closing quote inside it doubled), so any typed name is accepted.
    TOwned<TastTokenIdentifier> ParseIdentifierQuoteIfNeed(const QString &text) const;
    TOwned<TSQLQualifiedName> ParseQualifiedNameQuoteIfNeed(const QString &text) const;
    TOwned<TSQLDatabaseObject> ParseObjectNameQuoteIfNeed(const QString &text) const;
    // Text in the dialect's quotes with a closing quote inside it doubled.
    QString QuoteText(const QString &text) const;

    bool IsIdentifiersCaseSensitive() const;
    bool IsNonQuotedIdentifiersToUpperCase() const;
    bool IsIdentifiersEqual(const TastTokenIdentifier *a, const TastTokenIdentifier *b) const;
    // A nil name equals an empty one; otherwise equal part counts and parts.
    bool IsQualifiedNamesEqual(const TSQLQualifiedName *a, const TSQLQualifiedName *b) const;

    // Gives an aggregate's name the dialect's spelling (unchanged when the
    // name is no aggregate).
    void AggregateNormalize(TSQLQualifiedName *name) const;
    bool IsNameOfStarAggregate(const TSQLQualifiedName *name) const;
    bool IsNameOfAggregate(const TSQLQualifiedName *name) const;
    bool IsNameOfPrefixedAggregate(const TSQLQualifiedName *name) const;

    // The union operator as the dialect's list writes it, matched ignoring
    // case; the text unchanged when the dialect has no such operator.
    QString NormalizeUnionOperator(const QString &text) const;
    // The icon of a union operator (MINUS shows as EXCEPT); nil for others.
    // The unit owns the icons.
    static const QImage *GetUnionOperatorIcon(const QString &text);

    // The query that tells whether a table exists: the name is parsed as an
    // object name and written fully quoted, so no text of the caller reaches
    // the SQL unchecked. Empty when the name does not parse.
    QString TableExistsSQL(const QString &objectName) const;

    // Extenders: the extender class that prints and edits the nodes of a class.
    void RegisterExtender(TClass nodeClass, TastNodeClass extenderClass);
    void RegisterExtender(std::initializer_list<TClass> nodeClasses, TastNodeClass extenderClass);
    // The extender of the class itself or, with inheritance, of its nearest
    // registered ancestor (the earliest registered among equals); nil if none.
    TastNodeClass FindExtenderClass(TClass nodeClass, bool useInheritance) const;
    const QList<TastClassToExtenderEntry> &Extenders() const { return FExtenders; }

    // Subscribers are not owned; a subscriber unsubscribes before it goes.
    void SubscribeForNotifications(InvSyntaxProviderNotifications *subscriber);
    void UnsubscribeFromNotifications(InvSyntaxProviderNotifications *subscriber);
    // SyntaxProviderPropsChanged to every subscriber in subscription order.
    void SendNotifications();
    qsizetype SubscriberCount() const { return FSubscribers.size(); }

protected:
    // The driver's set-up for one entry: the dialect's classes and hooks, and
    // the message to raise when the text does not parse (none: return nil).
    TnvParseSetup ParseSetup(std::optional<QString> failureMessage = std::nullopt) const;

private:
    QString IdentifierKey(const TastTokenIdentifier *identifier) const;
    TOwned<TSQLExpressionItem> RunLogicalParse(const QString &text, bool logicalOption,
                                               std::optional<QString> failureMessage) const;
    bool IsInAggregateList(void (TnvBaseSyntaxProvider::*fill)(TSQLQualifiedNamesList *) const,
                           const TSQLQualifiedName *name) const;

    QList<TastClassToExtenderEntry> FExtenders;
    QList<InvSyntaxProviderNotifications *> FSubscribers;

    // --- FROM sources made from object names -----------------------------
public:
    // A FROM object for the object name (quoted when it does not parse bare)
    // with an optional alias, bound to its own name; the caller owns it.
    // Raises "Invalid object name" when the name does not parse.
    TOwned<TSQLFromObject> CreateSQLFromObject(const QString &objectName, const QString &alias);
    // The same from ready parts: a copy of Name, and a copy of Alias when given.
    TOwned<TSQLFromObject> CreateSQLFromObject(const TSQLQualifiedName *name, const TastTokenIdentifier *alias);

    // --- Metadata ----------------------------------------------------------
public:
    // Index of the first field whose name equals the column's; -1 when none.
    virtual qsizetype FindFieldInFieldsList(const TSQLQualifiedName *column, const TnvMetadataFieldsList *fields) const;
    // The base hands these to the metadata provider; a dialect that reads its
    // own catalogue overrides them.
    virtual void GetDatabasesList(TnvBaseMetadataProvider *metadataProvider, TSQLQualifiedNamesList *list);
    virtual void LoadMetadataObjects(TnvBaseMetadataProvider *metadataProvider, TnvMetadataFilter *filter,
                                     TnvMetadataContainer *container, const TSQLQualifiedName *database);
    virtual void LoadMetadataRelations(TnvBaseMetadataProvider *metadataProvider, TnvMetadataFilter *filter,
                                       TnvMetadataContainer *container, const TSQLQualifiedName *database);
    // Nil when none is known. Raises "The server doesn't support queries with
    // objects from different databases." in a dialect without databases.
    virtual TOwned<TSQLQualifiedName> GetDefaultDatabaseName(TnvBaseMetadataProvider *metadataProvider);
    // Raises "The server doesn't support schemas." in a dialect without schemas.
    virtual void GetDefaultSchemaNames(TnvBaseMetadataProvider *metadataProvider, TSQLIdentifiersCollection *names);
    // Whether the table can be queried through the metadata provider; never raises.
    bool IsTableExists(const QString &name, TnvBaseMetadataProvider *metadataProvider) const;
};

} // namespace nvqb
