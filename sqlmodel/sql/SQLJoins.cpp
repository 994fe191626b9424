#include "sqlmodel/sql/SQLJoins.h"

namespace nvqb {

NV_IMPLEMENT_AST_CLASS(TSQLJoinKind, TastNode)
NV_IMPLEMENT_AST_CLASS(TSQLJoinKindCross, TSQLJoinKind)
NV_IMPLEMENT_AST_CLASS(TSQLJoinKindInner, TSQLJoinKind)
NV_IMPLEMENT_AST_CLASS(TSQLJoinKindOuter, TSQLJoinKind)
NV_IMPLEMENT_AST_CLASS(TSQLJoinKindLeft, TSQLJoinKindOuter)
NV_IMPLEMENT_AST_CLASS(TSQLJoinKindRight, TSQLJoinKindOuter)
NV_IMPLEMENT_AST_CLASS(TSQLJoinKindFull, TSQLJoinKindOuter)

bool TSQLJoinKind::IsLeftOuter() const { return false; }
bool TSQLJoinKind::IsRightOuter() const { return false; }

void TSQLJoinKindCross::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    builder->WriteKeyword(QStringLiteral("Cross"));
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("Join"));
}

void TSQLJoinKindInner::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    builder->WriteKeyword(QStringLiteral("Inner"));
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("Join"));
}

void TSQLJoinKindOuter::AssignNode(const TastNodeBase &source)
{
    TSQLJoinKind::AssignNode(source);
    if (const auto *kind = As<TSQLJoinKindOuter>(&source))
        Outer = kind->Outer;
}

void TSQLJoinKindOuter::BuildOuterJoin(const QString &word, TSQLBuilder *builder) const
{
    builder->WriteKeyword(word);
    if (Outer) {
        builder->Space(3);
        builder->WriteKeyword(QStringLiteral("Outer"));
    }
    builder->Space(3);
    builder->WriteKeyword(QStringLiteral("Join"));
}

bool TSQLJoinKindLeft::IsLeftOuter() const { return true; }

void TSQLJoinKindLeft::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    BuildOuterJoin(QStringLiteral("Left"), builder);
}

bool TSQLJoinKindRight::IsRightOuter() const { return true; }

void TSQLJoinKindRight::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    BuildOuterJoin(QStringLiteral("Right"), builder);
}

bool TSQLJoinKindFull::IsLeftOuter() const { return true; }
bool TSQLJoinKindFull::IsRightOuter() const { return true; }

void TSQLJoinKindFull::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *) const
{
    BuildOuterJoin(QStringLiteral("Full"), builder);
}

} // namespace nvqb
