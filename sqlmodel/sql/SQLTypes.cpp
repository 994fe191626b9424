#include "sqlmodel/sql/SQLTypes.h"

namespace nvqb {

NV_IMPLEMENT_AST_CLASS(TSQLType, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLTypeWithTypeBase, TSQLType)
NV_IMPLEMENT_AST_CLASS(TSQLTypeStandard, TSQLType)
NV_IMPLEMENT_AST_CLASS(TSQLTypeUser, TSQLType)

void TSQLTypeWithTypeBase::GetASTFields(TastFieldsList &list)
{
    TSQLType::GetASTFields(list);
    list.Add(TypeBase, TSQLTypeWithTypeBase::StaticClassType());
}

void TSQLTypeStandard::GetASTFields(TastFieldsList &list)
{
    TSQLType::GetASTFields(list);
    list.Add(Tokens, TSQLTypeStandard::StaticClassType());
}

// Made on the first token, so copies and types without a spelling allocate
// nothing for it.
TastNodeWithList *TSQLTypeStandard::EnsureTokens()
{
    if (!Tokens)
        Tokens.reset(Create<TastNodeWithList>(SyntaxProvider()));
    return Tokens.get();
}

TastTokenIdentifier *TSQLTypeStandard::AddIdentifier(const QString &text, bool addSpace, int spaceWeight)
{
    return EnsureTokens()->AddIdentifier(text, addSpace, spaceWeight);
}

TastTokenKeyword *TSQLTypeStandard::AddKeyword(const QString &text, bool addSpace, int spaceWeight)
{
    return EnsureTokens()->AddKeyword(text, addSpace, spaceWeight);
}

TastTokenNumber *TSQLTypeStandard::AddNumber(const QString &text, bool addSpace, int spaceWeight)
{
    return EnsureTokens()->AddNumber(text, addSpace, spaceWeight);
}

TastTokenString *TSQLTypeStandard::AddString(const QString &text, bool addSpace, int spaceWeight)
{
    return EnsureTokens()->AddString(text, addSpace, spaceWeight);
}

TastTokenSymbol *TSQLTypeStandard::AddSymbol(const QString &text, bool addSpace, int spaceWeight)
{
    return EnsureTokens()->AddSymbol(text, addSpace, spaceWeight);
}

TastNodeSpace *TSQLTypeStandard::AddSpace(int weight) { return EnsureTokens()->AddSpace(weight); }

TastNodeBase *TSQLTypeStandard::AddNode(TOwned<TastNodeBase> node, bool addSpace, int spaceWeight)
{
    return EnsureTokens()->AddNode(std::move(node), addSpace, spaceWeight);
}

void TSQLTypeStandard::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(Tokens.get(), builder, format, false);
}

void TSQLTypeUser::GetASTFields(TastFieldsList &list)
{
    TSQLType::GetASTFields(list);
    list.Add(TypeName, TSQLTypeUser::StaticClassType());
}

void TSQLTypeUser::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    BuildASTField(TypeName.get(), builder, format, false);
}

} // namespace nvqb
