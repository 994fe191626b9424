#include "sqlmodel/metadata/MetadataNames.h"
#include "classlib/Assert.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/QueryBuilderError.h"
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

void CopyMetadataName(TSQLQualifiedName *dest, const TSQLQualifiedName *source, TnvBaseSyntaxProvider *provider)
{
    if (source != dest) {
        if (source)
            dest->Assign(source);
        else
            dest->Clear();
    }
    if (dest->SyntaxProvider() != provider)
        dest->SetSyntaxProvider(provider);
}

void CopyMetadataIdentifier(TastTokenIdentifier *dest, const TastTokenIdentifier *source,
                            TnvBaseSyntaxProvider *provider)
{
    if (source != dest) {
        if (source) {
            dest->SetText(source->Text());
            dest->SetCaseSensitive(source->CaseSensitive());
        } else {
            dest->Clear();
        }
    }
    if (dest->SyntaxProvider() != provider)
        dest->SetSyntaxProvider(provider);
}

bool MetadataIdentifiersEqual(const TnvBaseSyntaxProvider *provider, const TastTokenIdentifier *a,
                              const TastTokenIdentifier *b)
{
    const bool emptyA = !a || a->IsEmpty();
    const bool emptyB = !b || b->IsEmpty();
    if (emptyA || emptyB)
        return emptyA == emptyB;
    if (!provider)
        return a->Text() == b->Text() && a->CaseSensitive() == b->CaseSensitive();
    return provider->IsIdentifiersEqual(a, b);
}

bool MetadataNamesEqual(const TnvBaseSyntaxProvider *provider, const TSQLQualifiedName *a,
                        const TSQLQualifiedName *b)
{
    if (provider)
        return provider->IsQualifiedNamesEqual(a, b);
    const qsizetype countA = a ? a->GetCount() : 0;
    const qsizetype countB = b ? b->GetCount() : 0;
    if (countA != countB)
        return false;
    for (qsizetype i = 0; i < countA; ++i) {
        const TastToken *x = a->GetItems(i);
        const TastToken *y = b->GetItems(i);
        if (x->Text() != y->Text())
            return false;
    }
    return true;
}

void BuildMetadataFullName(TSQLQualifiedName *schemed, TSQLQualifiedName *full, const TSQLQualifiedName *database,
                           const TastTokenIdentifier *schema, const TastTokenIdentifier *name)
{
    schemed->Clear();
    if (schema && !schema->IsEmpty())
        schemed->Insert(0, schema->Clone());
    schemed->Insert(0, name->Clone());
    if (database)
        full->Assign(database);
    else
        full->Clear();
    if (schema && !schema->IsEmpty())
        full->Insert(0, schema->Clone());
    full->Insert(0, name->Clone());
}

QString MetadataIdentifierStr(const TastTokenIdentifier *identifier)
{
    return identifier && !identifier->IsEmpty() ? identifier->GetIdToken() : QString();
}

QString MetadataIdentifierStrNotQuoted(const TastTokenIdentifier *identifier)
{
    return identifier ? identifier->Text() : QString();
}

QString MetadataNameStr(const TSQLQualifiedName *name)
{
    return IsQualifiedNameEmpty(name) ? QString() : name->GetQualifiedName();
}

QString MetadataNameStrNotQuoted(const TSQLQualifiedName *name)
{
    return IsQualifiedNameEmpty(name) ? QString() : name->GetQualifiedNameWithoutQuotes();
}

TOwned<TSQLQualifiedName> ParseMetadataName(const TnvBaseSyntaxProvider *provider, const QString &text)
{
    if (text.isEmpty())
        return nullptr;
    Assert(provider != nullptr, "nvQBBase", "A name parsed without a syntax provider");
    TOwned<TSQLQualifiedName> name = provider->ParseQualifiedNameQuoteIfNeed(text);
    if (!name)
        throw EnvQueryBuilderError(nvQBMessage(nvQBBadObjectName));
    return name;
}

} // namespace nvqb
