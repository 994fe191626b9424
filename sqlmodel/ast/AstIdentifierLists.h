#pragma once
// Lists of identifiers: a token list that holds only identifiers, and a
// collection of identifiers such as the default schema names.
#include "sqlmodel/ast/AstTokens.h"

class QDomDocument;
class QDomElement;
class QXmlStreamWriter;

namespace nvqb {

class TastIdentifiersList : public TastTokenList {
    NV_DECLARE_AST_CLASS(TastIdentifiersList)
public:
    explicit TastIdentifiersList(TnvBaseSyntaxProvider *provider);

    qsizetype Add(TOwned<TastTokenIdentifier> identifier) { return TastTokenList::Add(std::move(identifier)); }
    void Insert(qsizetype index, TOwned<TastTokenIdentifier> identifier)
    {
        TastTokenList::Insert(index, std::move(identifier));
    }
    TOwned<TastTokenIdentifier> Extract(TastTokenIdentifier *identifier) { return Typed(TastTokenList::Extract(identifier)); }
    TOwned<TastTokenIdentifier> Extract(qsizetype index) { return Typed(TastTokenList::Extract(index)); }
    TOwned<TastTokenIdentifier> Extract(int index) { return Extract(qsizetype(index)); }
    qsizetype Remove(TastTokenIdentifier *identifier) { return TastTokenList::Remove(identifier); }
    TastTokenIdentifier *GetItems(qsizetype index) const
    {
        return static_cast<TastTokenIdentifier *>(TastTokenList::GetItems(index));
    }
    void SetItems(qsizetype index, TOwned<TastTokenIdentifier> identifier)
    {
        TastTokenList::SetItems(index, std::move(identifier));
    }

private:
    static TOwned<TastTokenIdentifier> Typed(TOwned<TastToken> token)
    {
        return TOwned<TastTokenIdentifier>(static_cast<TastTokenIdentifier *>(token.release()));
    }
};

class TSQLIdentifiersCollection : public TastNodeWithCollection {
    NV_DECLARE_AST_CLASS(TSQLIdentifiersCollection)
public:
    explicit TSQLIdentifiersCollection(TnvBaseSyntaxProvider *provider);

    TastTokenIdentifier *Add() { return static_cast<TastTokenIdentifier *>(TastNodeWithCollection::Add()); }
    TastTokenIdentifier *Insert(qsizetype index)
    {
        return static_cast<TastTokenIdentifier *>(TastNodeWithCollection::Insert(index));
    }
    TastTokenIdentifier *GetItems(qsizetype index) const
    {
        return static_cast<TastTokenIdentifier *>(TastNodeWithCollection::GetItems(index));
    }
    // Adds an identifier typed as SQL (see TastTokenIdentifier::SetIdToken).
    TastTokenIdentifier *AddIdentifier(const QString &text);
    // Whether some item equals the identifier by the provider's rules.
    bool ContainsSameId(const TastTokenIdentifier *identifier) const;
    // The same for an identifier typed as SQL; false when it is none.
    bool ContainsSameIdStr(const QString &text) const;

    // An element named Tag with one identifier element named ItemName per
    // identifier, in order; reading clears the collection first and reads
    // every child element named ItemName.
    QDomElement GetXMLNode(QDomDocument &document, const QString &tag, const QString &itemName) const;
    void WriteXMLNode(QXmlStreamWriter &writer, const QString &tag, const QString &itemName) const;
    void LoadFromXMLNode(const QDomElement &element, const QString &itemName);

    TOwned<TSQLIdentifiersCollection> Clone() const { return CloneAs<TSQLIdentifiersCollection>(this); }
};

} // namespace nvqb
