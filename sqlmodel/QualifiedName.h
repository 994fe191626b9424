#pragma once
// Dotted names: a TSQLQualifiedName is a token list whose parts are
// identifiers, stored rightmost first (part 0 is the object's own name, part 1
// its schema or table, part 2 the database). Names are compared only through
// the syntax provider, so case rules and quoting are the dialect's.
#include "sqlmodel/AstIdentifierLists.h"

#include <vector>

namespace nvqb {

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
    void AddPrefix(TOwned<TastToken> token);
    void AddPrefix(const QString &text);
    void AddPrefix(const QString &text, bool caseSensitive);

    // Writes the parts from the leftmost to part 0 with "." between them;
    // identifier parts under the given quotation.
    virtual void BuildQualifiedName(TSQLBuilder *builder, TSQLBuilderSelectFormat *format,
                                    TnvIdentQuotation quotation) const;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

    // The name as SQL, quoted where needed.
    QString GetQualifiedName() const;

    TOwned<TSQLQualifiedName> Clone() const { return CloneAs<TSQLQualifiedName>(this); }

private:
    TOwned<TastTokenIdentifier> ParsePart(const QString &text) const;
};

// True for a nil name or a name without parts.
bool IsQualifiedNameEmpty(const TSQLQualifiedName *name);

// A flat list of names, each given the list's syntax provider.
class TSQLQualifiedNamesList : public TObject {
    NV_DECLARE_CLASS(TSQLQualifiedNamesList)
public:
    explicit TSQLQualifiedNamesList(TnvBaseSyntaxProvider *provider);
    ~TSQLQualifiedNamesList() override;

    TnvBaseSyntaxProvider *SyntaxProvider() const { return FSyntaxProvider; }
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider);

    qsizetype Add(TOwned<TSQLQualifiedName> name);
    // Adds a one-part name made from the text and flag without parsing.
    qsizetype AddIdentifier(const QString &text, bool caseSensitive);
    void Clear();
    qsizetype GetCount() const { return qsizetype(FItems.size()); }
    TSQLQualifiedName *GetItems(qsizetype index) const;
    // Index of the first name the provider finds equal to Name, else -1.
    qsizetype FindByName(const TSQLQualifiedName *name) const;

private:
    TnvBaseSyntaxProvider *FSyntaxProvider;
    std::vector<TOwned<TSQLQualifiedName>> FItems;
};

} // namespace nvqb
