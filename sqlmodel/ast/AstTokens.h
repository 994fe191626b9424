#pragma once
// The leaves of the syntax tree: one keyword, identifier, symbol, number or
// string literal each, the layout nodes that steer the SQL text builder (a
// space of a given break weight, a forced new line), and the token list on
// which every dotted name rests. Identifier quoting is decided here.
#include "sqlmodel/ast/AstLists.h"

namespace nvqb {

class TastToken : public TastNode {
    NV_DECLARE_AST_CLASS(TastToken)
public:
    explicit TastToken(TnvBaseSyntaxProvider *provider);
    TastToken(TnvBaseSyntaxProvider *provider, const QString &text);

    const QString &Text() const { return FText; }
    void SetText(const QString &text) { FText = text; }
    bool IsEmpty() const { return FText.isEmpty(); }

    TOwned<TastToken> Clone() const { return CloneAs<TastToken>(this); }

protected:
    void AssignNode(const TastNodeBase &source) override;

private:
    QString FText;
};

class TastTokenKeyword : public TastToken {
    NV_DECLARE_AST_CLASS(TastTokenKeyword)
public:
    using TastToken::TastToken;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    TOwned<TastTokenKeyword> Clone() const { return CloneAs<TastTokenKeyword>(this); }
};

class TastTokenSymbol : public TastToken {
    NV_DECLARE_AST_CLASS(TastTokenSymbol)
public:
    using TastToken::TastToken;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    TOwned<TastTokenSymbol> Clone() const { return CloneAs<TastTokenSymbol>(this); }
};

class TastTokenNumber : public TastToken {
    NV_DECLARE_AST_CLASS(TastTokenNumber)
public:
    using TastToken::TastToken;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    TOwned<TastTokenNumber> Clone() const { return CloneAs<TastTokenNumber>(this); }
};

// A string literal; its text includes the quotes as the scanner read them.
class TastTokenString : public TastToken {
    NV_DECLARE_AST_CLASS(TastTokenString)
public:
    using TastToken::TastToken;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    TOwned<TastTokenString> Clone() const { return CloneAs<TastTokenString>(this); }
};

// An identifier. Its text is the name itself, without quotes; the
// case-sensitive flag marks a name that was written quoted and must be
// written with exactly that text.
class TastTokenIdentifier : public TastToken {
    NV_DECLARE_AST_CLASS(TastTokenIdentifier)
public:
    // Empty and not case sensitive.
    explicit TastTokenIdentifier(TnvBaseSyntaxProvider *provider);
    // The text taken as it is, with the flag.
    TastTokenIdentifier(TnvBaseSyntaxProvider *provider, const QString &text, bool caseSensitive);
    // The text parsed as one identifier (quoted first when it does not parse
    // bare), so it needs a provider.
    TastTokenIdentifier(TnvBaseSyntaxProvider *provider, const QString &text);

    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value) { FCaseSensitive = value; }
    void Clear();

    // The identifier as SQL, quoted where the rule requires it.
    QString GetIdToken() const;
    // Takes an identifier typed as SQL: a plain word stays unflagged, a name
    // that only parses quoted (a blank in it) becomes flagged. An empty text
    // clears the identifier.
    void SetIdToken(const QString &text);

    // Whether the identifier is written in quotes under the given quotation.
    bool NeedsQuotes(TnvIdentQuotation quotation) const;
    void BuildIdentifier(TSQLBuilder *builder, TSQLBuilderSelectFormat *format, TnvIdentQuotation quotation) const;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

    TOwned<TastTokenIdentifier> Clone() const { return CloneAs<TastTokenIdentifier>(this); }

protected:
    void AssignNode(const TastNodeBase &source) override;

private:
    void TakeParsed(const QString &text);
    QString Folded() const;

    bool FCaseSensitive = false;
};

// A space of a break weight (lower is a better place to break a long line).
class TastNodeSpace : public TastNode {
    NV_DECLARE_AST_CLASS(TastNodeSpace)
public:
    explicit TastNodeSpace(TnvBaseSyntaxProvider *provider, int weight = 3);

    int Weight() const { return FWeight; }
    void SetWeight(int weight) { FWeight = weight; }
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void AssignNode(const TastNodeBase &source) override;

private:
    int FWeight;
};

class TastNodeNewLine : public TastNode {
    NV_DECLARE_AST_CLASS(TastNodeNewLine)
public:
    using TastNode::TastNode;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

// A list of tokens, printed one after the other.
class TastTokenList : public TastNodeWithList {
    NV_DECLARE_AST_CLASS(TastTokenList)
public:
    explicit TastTokenList(TnvBaseSyntaxProvider *provider);

    qsizetype Add(TOwned<TastToken> token) { return TastNodeWithList::Add(std::move(token)); }
    void Insert(qsizetype index, TOwned<TastToken> token) { TastNodeWithList::Insert(index, std::move(token)); }
    TOwned<TastToken> Extract(TastToken *token) { return Typed(TastNodeWithList::Extract(token)); }
    TOwned<TastToken> Extract(qsizetype index) { return Typed(TastNodeWithList::Extract(index)); }
    TOwned<TastToken> Extract(int index) { return Extract(qsizetype(index)); }
    qsizetype Remove(TastToken *token) { return TastNodeWithList::Remove(token); }
    TastToken *GetItems(qsizetype index) const { return static_cast<TastToken *>(TastNodeWithList::GetItems(index)); }
    void SetItems(qsizetype index, TOwned<TastToken> token) { TastNodeWithList::SetItems(index, std::move(token)); }

protected:
    TastTokenList(TnvBaseSyntaxProvider *provider, TClass itemClass);

private:
    static TOwned<TastToken> Typed(TOwned<TastNodeBase> node)
    {
        return TOwned<TastToken>(static_cast<TastToken *>(node.release()));
    }
};

// Whether a text is a plain identifier (a letter or underscore, then letters,
// digits and underscores): the rule for identifiers that have no provider to
// ask.
bool IsPlainIdentifier(const QString &text);

} // namespace nvqb
