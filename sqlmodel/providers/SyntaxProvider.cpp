#include "sqlmodel/providers/SyntaxProvider.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/providers/UnionOperatorIcons.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/sql/SQLExpressions.h"
#include "sqlmodel/sql/SQLFromClause.h"
// The metadata model and the error it reports with.
#include "sqlmodel/metadata/MetadataFields.h"
#include "sqlmodel/providers/MetadataProvider.h"
#include "sqlmodel/QueryBuilderError.h"
#include "sqlmodel/sql/SQLSelectItems.h"
#include "sqlmodel/sql/SQLStatements.h"

#include <climits>

namespace nvqb {

NV_IMPLEMENT_COMPONENT_CLASS(TnvBaseSyntaxProvider, TComponent)

TnvBaseSyntaxProvider::TnvBaseSyntaxProvider(TComponent *owner) : TComponent(owner) {}

TnvBaseSyntaxProvider::~TnvBaseSyntaxProvider() = default;

void TnvBaseSyntaxProvider::BeforeDestruction()
{
    // A subscriber usually unsubscribes when it hears of the end; only those
    // still subscribed are told.
    const QList<InvSyntaxProviderNotifications *> subscribers = FSubscribers;
    for (qsizetype i = subscribers.size() - 1; i >= 0; --i)
        if (FSubscribers.contains(subscribers[i]))
            subscribers[i]->SyntaxProviderDestroying();
    FSubscribers.clear();
    FExtenders.clear();
    TComponent::BeforeDestruction();
}

// ---------------------------------------------------------------------------
// Identifier rules

TnvIdentCaseSensitivity TnvBaseSyntaxProvider::GetIdentCaseSens() const { return icsSensitiveUpperCase; }

void TnvBaseSyntaxProvider::SetIdentCaseSens(TnvIdentCaseSensitivity) {}

QString TnvBaseSyntaxProvider::GetQuoteBegin() const { return QStringLiteral("\""); }

QString TnvBaseSyntaxProvider::GetQuoteEnd() const { return QStringLiteral("\""); }

QString TnvBaseSyntaxProvider::GetEmptySchemaName() const { return QString(); }

bool TnvBaseSyntaxProvider::IsIdentifiersCaseSensitive() const
{
    TnvIdentCaseSensitivity sensitivity = GetIdentCaseSens();
    return sensitivity == icsSensitiveUpperCase || sensitivity == icsSensitiveLowerCase;
}

bool TnvBaseSyntaxProvider::IsNonQuotedIdentifiersToUpperCase() const
{
    return GetIdentCaseSens() == icsSensitiveUpperCase;
}

// ---------------------------------------------------------------------------
// Lists

void TnvBaseSyntaxProvider::GetStarAggregateNames(TSQLQualifiedNamesList *list) const
{
    list->Clear();
    list->AddIdentifier(QStringLiteral("Count"), false);
}

void TnvBaseSyntaxProvider::Get1ParamAggregateNames(TSQLQualifiedNamesList *list) const { list->Clear(); }

void TnvBaseSyntaxProvider::GetPrefixed1ParamAggregateNames(TSQLQualifiedNamesList *list) const
{
    list->Clear();
    for (const char *name : {"Avg", "Count", "Max", "Min", "Sum"})
        list->AddIdentifier(QString::fromLatin1(name), false);
}

void TnvBaseSyntaxProvider::GetComparisonOperators(TWideStringList *list) const
{
    list->Clear();
    for (const char *op : {"=", ">", ">=", "<", "<=", "<>"})
        list->Add(QString::fromLatin1(op));
}

void TnvBaseSyntaxProvider::GetUnionOperatorsList(TWideStringList *list) const
{
    list->Clear();
    list->Add(QStringLiteral("Union"));
    list->Add(QStringLiteral("Union All"));
}

// ---------------------------------------------------------------------------
// Comparisons

QString TnvBaseSyntaxProvider::IdentifierKey(const TastTokenIdentifier *identifier) const
{
    switch (GetIdentCaseSens()) {
    case icsNonSensitive:
        return identifier->Text().toUpper();
    case icsSensitiveUpperCase:
        return identifier->CaseSensitive() ? identifier->Text() : identifier->Text().toUpper();
    case icsSensitiveLowerCase:
        return identifier->CaseSensitive() ? identifier->Text() : identifier->Text().toLower();
    }
    return identifier->Text();
}

namespace {
// How an identifier's text becomes its key: kept, upper-cased or lower-cased.
enum class KeyFold { Keep, Upper, Lower };

// The ordinal comparison of the two keys when both texts are ASCII, where
// folding maps one code unit to one, so no key needs to be built (metadata
// look-ups compare names by the million). False when a text is not ASCII.
bool CompareAsciiKeys(const QString &a, KeyFold foldA, const QString &b, KeyFold foldB, int &result)
{
    auto fold = [](char16_t c, KeyFold how) -> char16_t {
        if (how == KeyFold::Upper && c >= u'a' && c <= u'z')
            return char16_t(c - 32);
        if (how == KeyFold::Lower && c >= u'A' && c <= u'Z')
            return char16_t(c + 32);
        return c;
    };
    const qsizetype count = qMin(a.size(), b.size());
    const char16_t *x = reinterpret_cast<const char16_t *>(a.constData());
    const char16_t *y = reinterpret_cast<const char16_t *>(b.constData());
    for (qsizetype i = 0; i < count; ++i) {
        if (x[i] >= 0x80 || y[i] >= 0x80)
            return false;
        const char16_t cx = fold(x[i], foldA);
        const char16_t cy = fold(y[i], foldB);
        if (cx != cy) {
            result = cx < cy ? -1 : 1;
            return true;
        }
    }
    for (qsizetype i = count; i < a.size(); ++i)
        if (x[i] >= 0x80)
            return false;
    for (qsizetype i = count; i < b.size(); ++i)
        if (y[i] >= 0x80)
            return false;
    result = a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    return true;
}
} // namespace

int TnvBaseSyntaxProvider::CompareIdentifiers(const TastTokenIdentifier *a, const TastTokenIdentifier *b) const
{
    Assert(a != nullptr && b != nullptr, "nvAST", "Comparing a nil identifier");
    const TnvIdentCaseSensitivity sensitivity = GetIdentCaseSens();
    auto foldOf = [sensitivity](const TastTokenIdentifier *identifier) {
        switch (sensitivity) {
        case icsNonSensitive:
            return KeyFold::Upper;
        case icsSensitiveUpperCase:
            return identifier->CaseSensitive() ? KeyFold::Keep : KeyFold::Upper;
        case icsSensitiveLowerCase:
            return identifier->CaseSensitive() ? KeyFold::Keep : KeyFold::Lower;
        }
        return KeyFold::Keep;
    };
    int result = 0;
    if (CompareAsciiKeys(a->Text(), foldOf(a), b->Text(), foldOf(b), result))
        return result;
    return IdentifierKey(a).compare(IdentifierKey(b), Qt::CaseSensitive);
}

int TnvBaseSyntaxProvider::CompareTokens(const TastToken *a, const TastToken *b) const
{
    Assert(a != nullptr && b != nullptr, "nvAST", "Comparing a nil token");
    const auto *idA = As<TastTokenIdentifier>(a);
    const auto *idB = As<TastTokenIdentifier>(b);
    if (idA && idB)
        return CompareIdentifiers(idA, idB);
    return a->Text().compare(b->Text(), Qt::CaseSensitive);
}

int TnvBaseSyntaxProvider::CompareQualifiedNames(const TSQLQualifiedName *a, const TSQLQualifiedName *b) const
{
    Assert(a != nullptr && b != nullptr, "nvAST", "Comparing a nil name");
    if (a->GetCount() != b->GetCount())
        return a->GetCount() < b->GetCount() ? -1 : 1;
    // From the outermost prefix to the object's own name.
    for (qsizetype i = a->GetCount() - 1; i >= 0; --i) {
        const TastToken *partA = a->GetItems(i);
        const TastToken *partB = b->GetItems(i);
        if (!partA || !partB) {
            if (partA != partB)
                return partA ? 1 : -1;
            continue;
        }
        if (int result = CompareTokens(partA, partB))
            return result;
    }
    return 0;
}

bool TnvBaseSyntaxProvider::IsColumnOfDBObject(const TSQLQualifiedName *column, const TSQLQualifiedName *object) const
{
    if (!column || !object)
        return false;
    qsizetype columnParts = column->GetCount();
    qsizetype objectParts = object->GetCount();
    // The column's name is the object's name followed by the column's own
    // part, so it needs at least one part more than the object's.
    if (columnParts < 2 || columnParts <= objectParts)
        return false;
    for (qsizetype k = 0; k < objectParts; ++k) {
        const TastToken *columnPart = column->GetItems(columnParts - 1 - k);
        const TastToken *objectPart = object->GetItems(objectParts - 1 - k);
        if (!columnPart || !objectPart || CompareTokens(columnPart, objectPart) != 0)
            return false;
    }
    return true;
}

bool TnvBaseSyntaxProvider::IsIdentifiersEqual(const TastTokenIdentifier *a, const TastTokenIdentifier *b) const
{
    return a == b || CompareIdentifiers(a, b) == 0;
}

bool TnvBaseSyntaxProvider::IsQualifiedNamesEqual(const TSQLQualifiedName *a, const TSQLQualifiedName *b) const
{
    if (a == b)
        return true;
    if (!a || !b)
        return IsQualifiedNameEmpty(a) && IsQualifiedNameEmpty(b);
    if (a->GetCount() != b->GetCount())
        return false;
    return CompareQualifiedNames(a, b) == 0;
}

// ---------------------------------------------------------------------------
// Aggregates and union operators

void TnvBaseSyntaxProvider::AggregateNormalize(TSQLQualifiedName *name) const
{
    if (!name)
        return;
    TSQLQualifiedNamesList list(const_cast<TnvBaseSyntaxProvider *>(this));
    for (auto fill : {&TnvBaseSyntaxProvider::GetStarAggregateNames, &TnvBaseSyntaxProvider::Get1ParamAggregateNames,
                      &TnvBaseSyntaxProvider::GetPrefixed1ParamAggregateNames}) {
        (this->*fill)(&list);
        qsizetype index = list.FindByName(name);
        if (index >= 0) {
            name->Clear();
            name->Assign(list.GetItems(index));
            return;
        }
    }
}

bool TnvBaseSyntaxProvider::IsInAggregateList(void (TnvBaseSyntaxProvider::*fill)(TSQLQualifiedNamesList *) const,
                                              const TSQLQualifiedName *name) const
{
    if (!name)
        return false;
    TSQLQualifiedNamesList list(const_cast<TnvBaseSyntaxProvider *>(this));
    (this->*fill)(&list);
    return list.FindByName(name) >= 0;
}

bool TnvBaseSyntaxProvider::IsNameOfStarAggregate(const TSQLQualifiedName *name) const
{
    return IsInAggregateList(&TnvBaseSyntaxProvider::GetStarAggregateNames, name);
}

bool TnvBaseSyntaxProvider::IsNameOfAggregate(const TSQLQualifiedName *name) const
{
    return IsInAggregateList(&TnvBaseSyntaxProvider::Get1ParamAggregateNames, name);
}

bool TnvBaseSyntaxProvider::IsNameOfPrefixedAggregate(const TSQLQualifiedName *name) const
{
    return IsInAggregateList(&TnvBaseSyntaxProvider::GetPrefixed1ParamAggregateNames, name);
}

QString TnvBaseSyntaxProvider::NormalizeUnionOperator(const QString &text) const
{
    TWideStringList list;
    GetUnionOperatorsList(&list);
    QString lowered = text.toLower();
    for (qsizetype i = 0; i < list.Count(); ++i)
        if (list[i].toLower() == lowered)
            return list[i];
    return text;
}

const QImage *TnvBaseSyntaxProvider::GetUnionOperatorIcon(const QString &text)
{
    QString op = text.toUpper();
    if (op == u"UNION")
        return UnionOperatorIcon(uoiUnion);
    if (op == u"UNION ALL")
        return UnionOperatorIcon(uoiUnionAll);
    if (op == u"EXCEPT" || op == u"MINUS")
        return UnionOperatorIcon(uoiExcept);
    if (op == u"EXCEPT ALL")
        return UnionOperatorIcon(uoiExceptAll);
    if (op == u"INTERSECT")
        return UnionOperatorIcon(uoiIntersect);
    if (op == u"INTERSECT ALL")
        return UnionOperatorIcon(uoiIntersectAll);
    return nullptr;
}

// ---------------------------------------------------------------------------
// Capabilities and metadata

void TnvBaseSyntaxProvider::ConnectionChanged(TnvBaseMetadataProvider *) {}

TClass TnvBaseSyntaxProvider::GetEditPropsFormClass(TObject *) const { return nullptr; }

QString TnvBaseSyntaxProvider::ServerName() const { return ClassName(); }

TnvSyntaxSupportConectedServer TnvBaseSyntaxProvider::IsSupportConectedServer(TnvBaseMetadataProvider *) const
{
    return scsMaybeSupport;
}

QString TnvBaseSyntaxProvider::TableExistsSQL(const QString &objectName) const
{
    TOwned<TSQLQualifiedName> name = ParseQualifiedName(objectName);
    if (IsQualifiedNameEmpty(name.get()))
        return QString();
    return QStringLiteral("select count(*) from ") + name->SimpleSQL(icAll, opsSkipNone, nullptr, nullptr);
}

// ---------------------------------------------------------------------------
// Parsing

TnvScannerClass TnvBaseSyntaxProvider::GetScannerClass() const { return nullptr; }

TnvParserClass TnvBaseSyntaxProvider::GetParserClass() const { return nullptr; }

void TnvBaseSyntaxProvider::SetScannerParams(TnvBaseScanner *) const {}

void TnvBaseSyntaxProvider::SetParserParams(TnvBaseParser *) const {}

TnvParseSetup TnvBaseSyntaxProvider::ParseSetup(std::optional<QString> failureMessage) const
{
    TnvParseSetup setup;
    setup.ScannerClass = GetScannerClass();
    setup.ParserClass = GetParserClass();
    setup.Provider = const_cast<TnvBaseSyntaxProvider *>(this);
    setup.SetScannerParams = [this](TnvBaseScanner &scanner) { SetScannerParams(&scanner); };
    setup.SetParserParams = [this](TnvBaseParser &parser) { SetParserParams(&parser); };
    setup.FailureMessage = std::move(failureMessage);
    return setup;
}

// The pass pair of one parser entry, for the driver.
#define NVQB_PARSE_PAIR(Entry)                                                                      \
    [](TnvBaseParser &p, TnvWayPointsList &list) { p.Entry##WayCalc(list); },                     \
        [](TnvBaseParser &p) { return p.Entry(); }

TOwned<TSQLSelectStatement> TnvBaseSyntaxProvider::ParseSelect(const QString &text) const
{
    return RunParse(ParseSetup(nvQBMessage(nvQBBadSelectStatement)), text, NVQB_PARSE_PAIR(ParseSelect));
}

TOwned<TSQLFromSource> TnvBaseSyntaxProvider::ParseDatasource(const QString &text) const
{
    return RunParse(ParseSetup(nvQBMessage(nvQBBadFromObjectExpression)), text, NVQB_PARSE_PAIR(ParseFromSource));
}

TOwned<TSQLExpressionItem> TnvBaseSyntaxProvider::ParseExpression(const QString &text, const TWideStringList *) const
{
    return RunParse(ParseSetup(QStringLiteral("Bad expression")), text, NVQB_PARSE_PAIR(ParseExpression));
}

TOwned<TSQLExpressionItem> TnvBaseSyntaxProvider::ParseLogicalExpression(const QString &text, bool logicalOption) const
{
    return RunLogicalParse(text, logicalOption, std::nullopt);
}

TOwned<TSQLExpressionItem> TnvBaseSyntaxProvider::ParseLogicalExpressionOrRaise(const QString &text,
                                                                               bool logicalOption) const
{
    return RunLogicalParse(text, logicalOption, QStringLiteral("Bad expression"));
}

TOwned<TSQLExpressionItem> TnvBaseSyntaxProvider::RunLogicalParse(const QString &text, bool logicalOption,
                                                                  std::optional<QString> failureMessage) const
{
    TnvParseSetup setup = ParseSetup(std::move(failureMessage));
    setup.SetParserParams = [this, logicalOption](TnvBaseParser &parser) {
        SetParserParams(&parser);
        parser.SetLogicalOption(logicalOption);
    };
    return RunParse(setup, text, NVQB_PARSE_PAIR(ParseLogicalExpression));
}

TOwned<TSQLSelectItem> TnvBaseSyntaxProvider::ParseSelectItem(const QString &text) const
{
    return RunParse(ParseSetup(), text, NVQB_PARSE_PAIR(ParseSelectItem));
}

TOwned<TSQLDatabaseObject> TnvBaseSyntaxProvider::ParseObjectName(const QString &text) const
{
    return RunParse(ParseSetup(), text, NVQB_PARSE_PAIR(ParseObjectName));
}

TOwned<TSQLQualifiedName> TnvBaseSyntaxProvider::ParseQualifiedName(const QString &text) const
{
    if (text.isEmpty())
        return nullptr;
    return ParseObjectName(text);
}

TOwned<TSQLDatabaseObject> TnvBaseSyntaxProvider::ParseObjectNameQuoteIfNeed(const QString &text) const
{
    TOwned<TSQLDatabaseObject> result = ParseObjectName(text);
    if (!result)
        result = ParseObjectName(QuoteText(text));
    return result;
}

TOwned<TastTokenIdentifier> TnvBaseSyntaxProvider::ParseIdentifier(const QString &text) const
{
    if (text.isEmpty())
        return nullptr;
    return RunParse(ParseSetup(), text, NVQB_PARSE_PAIR(ParseIdentifier));
}


bool TnvBaseSyntaxProvider::IsValidIdent(const QString &text) const
{
    if (text.isEmpty())
        return false;
    // Exactly the text: blanks and comments are characters like any other
    // here, so a name with a blank around it is not a bare identifier.
    TnvParseSetup setup;
    setup.ScannerClass = GetScannerClass();
    setup.ParserClass = GetParserClass();
    setup.Provider = const_cast<TnvBaseSyntaxProvider *>(this);
    setup.SetScannerParams = [](TnvBaseScanner &scanner) {
        scanner.SetCommentsEnabled(false);
        scanner.SetSkipIgnored(false);
    };
    return RunParse(
        setup, text, [](TnvBaseParser &p, TnvWayPointsList &list) { p.ParseIdentifierWayCalc(list); },
        [](TnvBaseParser &) { return true; });
}

QString TnvBaseSyntaxProvider::QuoteText(const QString &text) const
{
    QString quoteEnd = GetQuoteEnd();
    QString inner = text;
    if (!quoteEnd.isEmpty())
        inner.replace(quoteEnd, quoteEnd + quoteEnd);
    return GetQuoteBegin() + inner + quoteEnd;
}

TOwned<TastTokenIdentifier> TnvBaseSyntaxProvider::ParseIdentifierQuoteIfNeed(const QString &text) const
{
    if (text.isEmpty())
        return nullptr;
    TOwned<TastTokenIdentifier> result = ParseIdentifier(text);
    if (!result)
        result = ParseIdentifier(QuoteText(text));
    return result;
}

TOwned<TSQLQualifiedName> TnvBaseSyntaxProvider::ParseQualifiedNameQuoteIfNeed(const QString &text) const
{
    if (text.isEmpty())
        return nullptr;
    TOwned<TSQLQualifiedName> result = ParseQualifiedName(text);
    if (!result)
        result = ParseQualifiedName(QuoteText(text));
    return result;
}

// ---------------------------------------------------------------------------
// Extenders

void TnvBaseSyntaxProvider::RegisterExtender(TClass nodeClass, TastNodeClass extenderClass)
{
    Assert(nodeClass != nullptr && extenderClass != nullptr, "nvAST", "RegisterExtender of nil");
    Assert(extenderClass->InheritsFrom(TastExtender::StaticClassType()), "nvAST",
           "Extender class is not a TastExtender");
    if (FindExtenderClass(nodeClass, false))
        throw Exception(QStringLiteral("Extender for \"") + nodeClass->ClassName() +
                        QStringLiteral("\" already registered!"));
    FExtenders.append(TastClassToExtenderEntry{nodeClass, extenderClass});
}

void TnvBaseSyntaxProvider::RegisterExtender(std::initializer_list<TClass> nodeClasses, TastNodeClass extenderClass)
{
    for (TClass nodeClass : nodeClasses)
        RegisterExtender(nodeClass, extenderClass);
}

TastNodeClass TnvBaseSyntaxProvider::FindExtenderClass(TClass nodeClass, bool useInheritance) const
{
    TastNodeClass best = nullptr;
    int bestDistance = INT_MAX;
    for (const TastClassToExtenderEntry &entry : FExtenders) {
        if (entry.NodeClass == nodeClass)
            return entry.ExtenderClass;
        if (!useInheritance)
            continue;
        int distance = 0;
        for (TClass cls = nodeClass; cls; cls = cls->Parent, ++distance) {
            if (cls == entry.NodeClass) {
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = entry.ExtenderClass;
                }
                break;
            }
        }
    }
    return best;
}

// ---------------------------------------------------------------------------
// Subscribers

void TnvBaseSyntaxProvider::SubscribeForNotifications(InvSyntaxProviderNotifications *subscriber)
{
    Assert(subscriber != nullptr, "nvAST", "Subscribing nil");
    FSubscribers.append(subscriber);
}

void TnvBaseSyntaxProvider::UnsubscribeFromNotifications(InvSyntaxProviderNotifications *subscriber)
{
    FSubscribers.removeOne(subscriber);
}

void TnvBaseSyntaxProvider::SendNotifications()
{
    // A subscriber may unsubscribe itself or another one while it is told.
    const QList<InvSyntaxProviderNotifications *> subscribers = FSubscribers;
    for (InvSyntaxProviderNotifications *subscriber : subscribers)
        if (FSubscribers.contains(subscriber))
            subscriber->SyntaxProviderPropsChanged(this);
}

// ---------------------------------------------------------------------------
// FROM sources made from object names

namespace {
TOwned<TSQLFromObject> MakeFromObject(TnvBaseSyntaxProvider *provider, TOwned<TSQLDatabaseObject> name,
                                      TOwned<TastTokenIdentifier> alias)
{
    TOwned<TSQLFromObject> source = Create<TSQLFromObject>(provider);
    name->SetDatasource(source.get());
    source->ObjectName.reset(std::move(name));
    if (alias) {
        TOwned<TSQLAliasObjectAlias> aliasNode = Create<TSQLAliasObjectAlias>(provider);
        aliasNode->Identifier.reset(std::move(alias));
        source->Alias.reset(std::move(aliasNode));
    }
    source->SetSyntaxProvider(provider);
    return source;
}
} // namespace

TOwned<TSQLFromObject> TnvBaseSyntaxProvider::CreateSQLFromObject(const QString &objectName, const QString &alias)
{
    TOwned<TSQLDatabaseObject> name = ParseDatabaseObjectName(this, objectName);
    if (!name)
        throw EnvQueryBuilderError(nvQBMessage(nvQBBadObjectName));
    TOwned<TastTokenIdentifier> aliasId;
    if (!alias.isEmpty()) {
        aliasId = ParseIdentifierQuoteIfNeed(alias);
        // An alias that is no identifier even quoted is refused like a bad name.
        if (!aliasId)
            throw EnvQueryBuilderError(nvQBMessage(nvQBBadObjectName));
    }
    return MakeFromObject(this, std::move(name), std::move(aliasId));
}

TOwned<TSQLFromObject> TnvBaseSyntaxProvider::CreateSQLFromObject(const TSQLQualifiedName *name,
                                                                  const TastTokenIdentifier *alias)
{
    Assert(name != nullptr, "nvAST", "CreateSQLFromObject without a name");
    TOwned<TSQLDatabaseObject> object = Create<TSQLDatabaseObject>(this);
    object->Assign(name);
    return MakeFromObject(this, std::move(object), alias ? alias->Clone() : nullptr);
}

// ---------------------------------------------------------------------------
// Metadata

qsizetype TnvBaseSyntaxProvider::FindFieldInFieldsList(const TSQLQualifiedName *column,
                                                       const TnvMetadataFieldsList *fields) const
{
    for (qsizetype i = 0; i < fields->Count(); ++i)
        if (IsQualifiedNamesEqual(fields->Items(i)->Name(), column))
            return i;
    return -1;
}

void TnvBaseSyntaxProvider::GetDatabasesList(TnvBaseMetadataProvider *metadataProvider, TSQLQualifiedNamesList *list)
{
    Assert(metadataProvider != nullptr, "nvAST", "GetDatabasesList without a metadata provider");
    metadataProvider->GetDatabasesList(this, list);
}

void TnvBaseSyntaxProvider::LoadMetadataObjects(TnvBaseMetadataProvider *metadataProvider, TnvMetadataFilter *filter,
                                                TnvMetadataContainer *container, const TSQLQualifiedName *database)
{
    Assert(metadataProvider != nullptr, "nvAST", "LoadMetadataObjects without a metadata provider");
    metadataProvider->LoadMetadataObjects(this, filter, container, database);
}

void TnvBaseSyntaxProvider::LoadMetadataRelations(TnvBaseMetadataProvider *metadataProvider,
                                                  TnvMetadataFilter *filter, TnvMetadataContainer *container,
                                                  const TSQLQualifiedName *database)
{
    Assert(metadataProvider != nullptr, "nvAST", "LoadMetadataRelations without a metadata provider");
    metadataProvider->LoadMetadataRelations(this, filter, container, database);
}

TOwned<TSQLQualifiedName> TnvBaseSyntaxProvider::GetDefaultDatabaseName(TnvBaseMetadataProvider *metadataProvider)
{
    if (!IsSupportDatabases())
        throw Exception(QStringLiteral("The server doesn't support queries with objects from different databases."));
    Assert(metadataProvider != nullptr, "nvAST", "GetDefaultDatabaseName without a metadata provider");
    return metadataProvider->GetDefaultDatabaseName(this);
}

void TnvBaseSyntaxProvider::GetDefaultSchemaNames(TnvBaseMetadataProvider *metadataProvider,
                                                  TSQLIdentifiersCollection *names)
{
    if (!IsSupportSchemas())
        throw Exception(QStringLiteral("The server doesn't support schemas."));
    Assert(metadataProvider != nullptr, "nvAST", "GetDefaultSchemaNames without a metadata provider");
    metadataProvider->GetDefaultSchemaNames(this, names);
}

bool TnvBaseSyntaxProvider::IsTableExists(const QString &name, TnvBaseMetadataProvider *metadataProvider) const
{
    // Whatever goes wrong (no provider, a name that does not parse, a failing
    // query) means the table cannot be used.
    try {
        if (!metadataProvider || !metadataProvider->GetCanExecSQL())
            return false;
        const QString sql = TableExistsSQL(name);
        if (sql.isEmpty())
            return false;
        TOwned<TDataSet> dataset = metadataProvider->ExecSQL(sql, true);
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace nvqb
