#include "sqlmodel/ast/AstIdentifierLists.h"
#include "classlib/Assert.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "sqlmodel/providers/SyntaxProvider.h"

#include <QDomDocument>
#include <QDomElement>
#include <QXmlStreamWriter>

namespace nvqb {

NV_IMPLEMENT_AST_CLASS(TastIdentifiersList, TastTokenList)
NV_IMPLEMENT_AST_CLASS(TSQLIdentifiersCollection, TastNodeWithCollection)

TastIdentifiersList::TastIdentifiersList(TnvBaseSyntaxProvider *provider)
    : TastTokenList(provider, TastTokenIdentifier::StaticClassType())
{
}

TSQLIdentifiersCollection::TSQLIdentifiersCollection(TnvBaseSyntaxProvider *provider)
    : TastNodeWithCollection(provider, TastTokenIdentifier::StaticClassType())
{
}

TastTokenIdentifier *TSQLIdentifiersCollection::AddIdentifier(const QString &text)
{
    TastTokenIdentifier *identifier = Add();
    try {
        identifier->SetIdToken(text);
    } catch (...) {
        Delete(GetCount() - 1);
        throw;
    }
    return identifier;
}

bool TSQLIdentifiersCollection::ContainsSameId(const TastTokenIdentifier *identifier) const
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    Assert(provider != nullptr, "nvAST", "Identifier comparison without a syntax provider");
    for (qsizetype i = 0; i < GetCount(); ++i)
        if (provider->IsIdentifiersEqual(GetItems(i), identifier))
            return true;
    return false;
}

bool TSQLIdentifiersCollection::ContainsSameIdStr(const QString &text) const
{
    TnvBaseSyntaxProvider *provider = SyntaxProvider();
    Assert(provider != nullptr, "nvAST", "Identifier comparison without a syntax provider");
    TOwned<TastTokenIdentifier> identifier = provider->ParseIdentifierQuoteIfNeed(text);
    return identifier && ContainsSameId(identifier.get());
}

QDomElement TSQLIdentifiersCollection::GetXMLNode(QDomDocument &document, const QString &tag,
                                                  const QString &itemName) const
{
    QDomElement element = document.createElement(tag);
    for (qsizetype i = 0; i < GetCount(); ++i)
        element.appendChild(IdentifierToXMLNode(GetItems(i), document, itemName));
    return element;
}

void TSQLIdentifiersCollection::WriteXMLNode(QXmlStreamWriter &writer, const QString &tag,
                                             const QString &itemName) const
{
    writer.writeStartElement(tag);
    for (qsizetype i = 0; i < GetCount(); ++i)
        WriteIdentifierXMLNode(writer, itemName, GetItems(i));
    writer.writeEndElement();
}

void TSQLIdentifiersCollection::LoadFromXMLNode(const QDomElement &element, const QString &itemName)
{
    Clear();
    for (QDomElement child = element.firstChildElement(itemName); !child.isNull();
         child = child.nextSiblingElement(itemName))
        IdentifierFromXMLNode(Add(), child);
}

} // namespace nvqb
