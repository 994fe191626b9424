#pragma once
// The join kinds that connect a FROM source to what precedes it in its chain.
#include "sqlmodel/ast/AstNode.h"

namespace nvqb {

class TSQLJoinKind : public TastNode {
    NV_DECLARE_AST_CLASS(TSQLJoinKind)
public:
    using TastNode::TastNode;
    // Whether rows of the left / right side are kept without a match.
    virtual bool IsLeftOuter() const;
    virtual bool IsRightOuter() const;
};

class TSQLJoinKindCross : public TSQLJoinKind {
    NV_DECLARE_AST_CLASS(TSQLJoinKindCross)
public:
    using TSQLJoinKind::TSQLJoinKind;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLJoinKindInner : public TSQLJoinKind {
    NV_DECLARE_AST_CLASS(TSQLJoinKindInner)
public:
    using TSQLJoinKind::TSQLJoinKind;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

// Left, right and full joins; Outer writes the optional word OUTER.
class TSQLJoinKindOuter : public TSQLJoinKind {
    NV_DECLARE_AST_CLASS(TSQLJoinKindOuter)
public:
    using TSQLJoinKind::TSQLJoinKind;
    bool Outer = false;

protected:
    void AssignNode(const TastNodeBase &source) override;
    // word [OUTER] JOIN
    void BuildOuterJoin(const QString &word, TSQLBuilder *builder) const;
};

class TSQLJoinKindLeft : public TSQLJoinKindOuter {
    NV_DECLARE_AST_CLASS(TSQLJoinKindLeft)
public:
    using TSQLJoinKindOuter::TSQLJoinKindOuter;
    bool IsLeftOuter() const override;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLJoinKindRight : public TSQLJoinKindOuter {
    NV_DECLARE_AST_CLASS(TSQLJoinKindRight)
public:
    using TSQLJoinKindOuter::TSQLJoinKindOuter;
    bool IsRightOuter() const override;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

class TSQLJoinKindFull : public TSQLJoinKindOuter {
    NV_DECLARE_AST_CLASS(TSQLJoinKindFull)
public:
    using TSQLJoinKindOuter::TSQLJoinKindOuter;
    bool IsLeftOuter() const override;
    bool IsRightOuter() const override;
    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

} // namespace nvqb
