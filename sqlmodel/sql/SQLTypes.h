#pragma once
// Data types as written in CAST and CONVERT: a standard type keeps the tokens
// of its fixed spelling (keywords, numbers, symbols and the spaces between
// them) as the parser read them; a user type is a dotted name.
#include "sqlmodel/sql/QualifiedName.h"

namespace nvqb {

class TSQLType : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLType)
public:
    using TastNode::TastNode;
};

// A type built on a base type node; what a dialect keeps there is its own.
class TSQLTypeWithTypeBase : public TSQLType {
    NV_DECLARE_AST_CLASS(TSQLTypeWithTypeBase)
public:
    using TSQLType::TSQLType;
    TastChild<TastNode> TypeBase;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TSQLTypeStandard : public TSQLType {
    NV_DECLARE_AST_CLASS(TSQLTypeStandard)
public:
    using TSQLType::TSQLType;

    // The spelling, printed item by item.
    TastChild<TastNodeWithList> Tokens;

    TastTokenIdentifier *AddIdentifier(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenKeyword *AddKeyword(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenNumber *AddNumber(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenString *AddString(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastTokenSymbol *AddSymbol(const QString &text, bool addSpace = false, int spaceWeight = 3);
    TastNodeSpace *AddSpace(int weight = 3);
    TastNodeBase *AddNode(TOwned<TastNodeBase> node, bool addSpace = false, int spaceWeight = 3);

    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;

private:
    TastNodeWithList *EnsureTokens();
};

class TSQLTypeUser : public TSQLType {
    NV_DECLARE_AST_CLASS(TSQLTypeUser)
public:
    using TSQLType::TSQLType;
    TastChild<TSQLQualifiedName> TypeName;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

} // namespace nvqb
