#include "sqlmodel/QualifiedName.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/SyntaxProvider.h"

namespace nvqb {

NV_IMPLEMENT_AST_CLASS(TSQLQualifiedName, TastTokenList)
NV_IMPLEMENT_CLASS(TSQLQualifiedNamesList, TObject)

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

QString TSQLQualifiedName::GetQualifiedName() const { return SimpleSQL(icIfNeed, opsSkipAll, nullptr, nullptr); }

bool IsQualifiedNameEmpty(const TSQLQualifiedName *name) { return !name || name->GetCount() == 0; }

// ---------------------------------------------------------------------------
// TSQLQualifiedNamesList

TSQLQualifiedNamesList::TSQLQualifiedNamesList(TnvBaseSyntaxProvider *provider) : FSyntaxProvider(provider) {}

TSQLQualifiedNamesList::~TSQLQualifiedNamesList() = default;

void TSQLQualifiedNamesList::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    if (provider == FSyntaxProvider)
        return;
    FSyntaxProvider = provider;
    for (auto &name : FItems)
        name->SetSyntaxProvider(provider);
}

qsizetype TSQLQualifiedNamesList::Add(TOwned<TSQLQualifiedName> name)
{
    Assert(name != nullptr, "nvAST", "Adding nil to a names list");
    name->SetSyntaxProvider(FSyntaxProvider);
    FItems.push_back(std::move(name));
    return GetCount() - 1;
}

qsizetype TSQLQualifiedNamesList::AddIdentifier(const QString &text, bool caseSensitive)
{
    TOwned<TSQLQualifiedName> name = Create<TSQLQualifiedName>(FSyntaxProvider);
    name->AddName(text, caseSensitive);
    return Add(std::move(name));
}

void TSQLQualifiedNamesList::Clear() { FItems.clear(); }

TSQLQualifiedName *TSQLQualifiedNamesList::GetItems(qsizetype index) const
{
    if (index < 0 || index >= GetCount())
        ListIndexError(index);
    return FItems[size_t(index)].get();
}

qsizetype TSQLQualifiedNamesList::FindByName(const TSQLQualifiedName *name) const
{
    Assert(FSyntaxProvider != nullptr, "nvAST", "Name comparison without a syntax provider");
    for (qsizetype i = 0; i < GetCount(); ++i)
        if (FSyntaxProvider->CompareQualifiedNames(FItems[size_t(i)].get(), name) == 0)
            return i;
    return -1;
}

} // namespace nvqb
