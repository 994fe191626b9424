#pragma once
// Name handling shared by the metadata classes: copying names and
// identifiers into the ones an object owns, comparing them through the syntax
// provider with a missing part read as empty, and building the cached
// schemed and full names.
#include "sqlmodel/sql/QualifiedName.h"

namespace nvqb {

// Dest takes Source's parts (nil clears) and the provider. Source may be Dest
// or live inside it.
void CopyMetadataName(TSQLQualifiedName *dest, const TSQLQualifiedName *source, TnvBaseSyntaxProvider *provider);
void CopyMetadataIdentifier(TastTokenIdentifier *dest, const TastTokenIdentifier *source,
                            TnvBaseSyntaxProvider *provider);

// Equality by the provider's rules; a nil or empty part equals only an empty
// one. Without a provider the texts and flags must match exactly.
bool MetadataIdentifiersEqual(const TnvBaseSyntaxProvider *provider, const TastTokenIdentifier *a,
                              const TastTokenIdentifier *b);
bool MetadataNamesEqual(const TnvBaseSyntaxProvider *provider, const TSQLQualifiedName *a,
                        const TSQLQualifiedName *b);

// Schemed = name (and schema when not empty); full = schemed plus the
// database parts. Part 0 is always the name.
void BuildMetadataFullName(TSQLQualifiedName *schemed, TSQLQualifiedName *full, const TSQLQualifiedName *database,
                           const TastTokenIdentifier *schema, const TastTokenIdentifier *name);

// The text as SQL (quoted where needed) or bare; empty for nil.
QString MetadataIdentifierStr(const TastTokenIdentifier *identifier);
QString MetadataIdentifierStrNotQuoted(const TastTokenIdentifier *identifier);
QString MetadataNameStr(const TSQLQualifiedName *name);
QString MetadataNameStrNotQuoted(const TSQLQualifiedName *name);

// Parses a name text for a metadata setter: empty text gives nil; a text that
// does not parse even quoted raises "Invalid object name". Needs a provider.
TOwned<TSQLQualifiedName> ParseMetadataName(const TnvBaseSyntaxProvider *provider, const QString &text);

} // namespace nvqb
