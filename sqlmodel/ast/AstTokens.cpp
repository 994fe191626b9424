#include "sqlmodel/ast/AstTokens.h"
#include "classlib/Assert.h"
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

NV_IMPLEMENT_AST_CLASS(TastToken, TastNode)
NV_IMPLEMENT_AST_CLASS(TastTokenKeyword, TastToken)
NV_IMPLEMENT_AST_CLASS(TastTokenSymbol, TastToken)
NV_IMPLEMENT_AST_CLASS(TastTokenNumber, TastToken)
NV_IMPLEMENT_AST_CLASS(TastTokenString, TastToken)
NV_IMPLEMENT_AST_CLASS(TastTokenIdentifier, TastToken)
NV_IMPLEMENT_AST_CLASS(TastNodeSpace, TastNode)
NV_IMPLEMENT_AST_CLASS(TastNodeNewLine, TastNode)
NV_IMPLEMENT_AST_CLASS(TastTokenList, TastNodeWithList)

bool IsPlainIdentifier(const QString &text)
{
    if (text.isEmpty())
        return false;
    auto isLetter = [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; };
    if (!isLetter(text[0]))
        return false;
    for (QChar c : text)
        if (!isLetter(c) && !(c >= u'0' && c <= u'9'))
            return false;
    return true;
}

namespace {
bool HoldsQuote(const QString &text, const TnvBaseSyntaxProvider &provider)
{
    // Printing asks this of nearly every name, and quotes are single
    // characters in practice: a character search costs far less there.
    auto holds = [&text](const QString &quote) {
        return quote.size() == 1 ? text.contains(quote.front()) : !quote.isEmpty() && text.contains(quote);
    };
    const QString quoteBegin = provider.GetQuoteBegin();
    const QString quoteEnd = provider.GetQuoteEnd();
    return holds(quoteBegin) || (quoteEnd != quoteBegin && holds(quoteEnd));
}
} // namespace

// ---------------------------------------------------------------------------
// Tokens

TastToken::TastToken(TnvBaseSyntaxProvider *provider) : TastNode(provider) {}

TastToken::TastToken(TnvBaseSyntaxProvider *provider, const QString &text) : TastNode(provider), FText(text) {}

void TastToken::AssignNode(const TastNodeBase &source)
{
    TastNode::AssignNode(source);
    if (const auto *token = As<TastToken>(&source))
        FText = token->FText;
}

void TastTokenKeyword::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    builder->WriteKeyword(Text());
}

void TastTokenSymbol::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    builder->WriteSymbol(Text());
}

void TastTokenNumber::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    builder->WriteNumber(Text());
}

void TastTokenString::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    builder->WriteString(Text());
}

// ---------------------------------------------------------------------------
// Identifiers

TastTokenIdentifier::TastTokenIdentifier(TnvBaseSyntaxProvider *provider) : TastToken(provider) {}

TastTokenIdentifier::TastTokenIdentifier(TnvBaseSyntaxProvider *provider, const QString &text, bool caseSensitive)
    : TastToken(provider, text), FCaseSensitive(caseSensitive)
{
}

TastTokenIdentifier::TastTokenIdentifier(TnvBaseSyntaxProvider *provider, const QString &text) : TastToken(provider)
{
    Assert(provider != nullptr, "nvAST", "An identifier parsed from text needs a syntax provider");
    if (!text.isEmpty())
        TakeParsed(text);
}

void TastTokenIdentifier::TakeParsed(const QString &text)
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    Assert(provider != nullptr, "nvAST", "An identifier parsed from text needs a syntax provider");
    TOwned<TastTokenIdentifier> parsed = provider->ParseIdentifierQuoteIfNeed(text);
    Assert(parsed != nullptr, "nvAST", "Text is not an identifier");
    // Only the name and its flag: the node keeps its own links.
    SetText(parsed->Text());
    FCaseSensitive = parsed->FCaseSensitive;
}

void TastTokenIdentifier::Clear()
{
    SetText(QString());
    FCaseSensitive = false;
}

QString TastTokenIdentifier::GetIdToken() const { return SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr); }

void TastTokenIdentifier::SetIdToken(const QString &text)
{
    if (text == GetIdToken())
        return;
    if (text.isEmpty())
        Clear();
    else
        TakeParsed(text);
}

void TastTokenIdentifier::AssignNode(const TastNodeBase &source)
{
    TastToken::AssignNode(source);
    if (const auto *identifier = As<TastTokenIdentifier>(&source))
        FCaseSensitive = identifier->FCaseSensitive;
}

QString TastTokenIdentifier::Folded() const
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    return provider && provider->IsNonQuotedIdentifiersToUpperCase() ? Text().toUpper() : Text().toLower();
}

bool TastTokenIdentifier::NeedsQuotes(TnvIdentQuotation quotation) const
{
    switch (quotation) {
    case icNone:
        return false;
    case icAll:
        return true;
    case icIfNeed:
        break;
    }
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    if (!provider)
        return !IsPlainIdentifier(Text());
    // Bare only when the name's own text reads as a plain word. A text
    // holding a quote character may read as a quoted identifier of another
    // name (the name "a", quotes included, written bare comes back as a),
    // so such a name is always quoted, its closing quotes doubled.
    if (!provider->IsValidIdent(Text()) || HoldsQuote(Text(), *provider))
        return true;
    // A flagged name that the dialect would fold to something else unquoted.
    return FCaseSensitive && provider->IsIdentifiersCaseSensitive() && Text() != Folded();
}

void TastTokenIdentifier::BuildIdentifier(TSQLBuilder *builder, TSQLBuilderSelectFormat *,
                                          TnvIdentQuotation quotation) const
{
    if (Text().isEmpty())
        return;
    if (!NeedsQuotes(quotation)) {
        builder->WriteIdentifier(Text());
        return;
    }
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    QString quoteBegin = provider ? provider->GetQuoteBegin() : QStringLiteral("\"");
    QString quoteEnd = provider ? provider->GetQuoteEnd() : QStringLiteral("\"");
    // An unflagged name keeps the meaning it has unquoted: quote its folded form.
    QString name = !FCaseSensitive && provider && provider->IsIdentifiersCaseSensitive() ? Folded() : Text();
    // A closing quote inside the name is doubled, so the quoted text reads
    // back as the same name.
    if (!quoteEnd.isEmpty())
        name.replace(quoteEnd, quoteEnd + quoteEnd);
    builder->WriteIdentifier(quoteBegin + name + quoteEnd);
}

void TastTokenIdentifier::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildIdentifier(builder, format, builder->QuoteIdentifiers());
}

// ---------------------------------------------------------------------------
// Layout nodes

TastNodeSpace::TastNodeSpace(TnvBaseSyntaxProvider *provider, int weight) : TastNode(provider), FWeight(weight) {}

void TastNodeSpace::AssignNode(const TastNodeBase &source)
{
    TastNode::AssignNode(source);
    if (const auto *space = As<TastNodeSpace>(&source))
        FWeight = space->FWeight;
}

void TastNodeSpace::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    builder->Space(FWeight);
}

void TastNodeNewLine::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const { builder->NewLine(); }

// ---------------------------------------------------------------------------
// TastTokenList

TastTokenList::TastTokenList(TnvBaseSyntaxProvider *provider)
    : TastNodeWithList(provider, TastToken::StaticClassType())
{
}

TastTokenList::TastTokenList(TnvBaseSyntaxProvider *provider, TClass itemClass)
    : TastNodeWithList(provider, itemClass)
{
}

} // namespace nvqb
