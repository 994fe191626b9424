#pragma once
// A small dialect and node classes for the syntax-tree tests. The dialect
// parses identifiers (bare words, or "quoted" with "" for a quote inside) and
// dotted names of them; a few reserved words are not bare identifiers.
#include "sqlmodel/ast/AstIdentifierLists.h"
#include "sqlmodel/sql/QualifiedName.h"
#include "sqlmodel/providers/SyntaxProvider.h"

#include <QStringList>

namespace nvqb::test {

class TTestSyntaxProvider : public TnvBaseSyntaxProvider {
    NV_DECLARE_COMPONENT_CLASS(TTestSyntaxProvider)
public:
    explicit TTestSyntaxProvider(TComponent *owner = nullptr, TnvIdentCaseSensitivity caseSens = icsSensitiveUpperCase);

    TnvIdentCaseSensitivity GetIdentCaseSens() const override { return FCaseSens; }
    void SetIdentCaseSens(TnvIdentCaseSensitivity value) override;

    TOwned<TastTokenIdentifier> ParseIdentifier(const QString &text) const override;
    TOwned<TSQLQualifiedName> ParseQualifiedName(const QString &text) const override;
    bool IsValidIdent(const QString &text) const override;

private:
    // Reads one identifier at pos; false when there is none.
    bool ReadPart(const QString &text, qsizetype &pos, QString &name, bool &quoted) const;

    TnvIdentCaseSensitivity FCaseSens;
};

// A dialect whose union operators include EXCEPT.
class TTestUnionProvider : public TTestSyntaxProvider {
    NV_DECLARE_COMPONENT_CLASS(TTestUnionProvider)
public:
    using TTestSyntaxProvider::TTestSyntaxProvider;
    void GetUnionOperatorsList(TWideStringList *list) const override;
};

// Records what the walks visit, as "step:name".
QStringList &WalkLog();

// A node with a name and two child fields; prints its name, then its children.
class TTestNode : public TastNode {
    NV_DECLARE_AST_CLASS(TTestNode)
public:
    using TastNode::TastNode;

    QString Name;
    TastChild<TastNode> First;
    TastChild<TastNode> Second;

    void BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    void SimplifyTree() override { WalkLog() << QStringLiteral("simplify:") + Name; }
    void PrepareAndFixup(TastNodeRefList &, TastNodeRefList &, TnvMetadataContainer *) override
    {
        WalkLog() << QStringLiteral("fixup:") + Name;
    }
    int CalcStatistics() override
    {
        WalkLog() << QStringLiteral("stats:") + Name;
        return 1;
    }
    bool EditPropsInternal(TastNode *node, TObject *param) override;

protected:
    void GetASTFields(TastFieldsList &list) override;
    void AssignNode(const TastNodeBase &source) override;
};

// Two sibling classes below TTestNode, each with a field and a value of its own.
class TTestLeftNode : public TTestNode {
    NV_DECLARE_AST_CLASS(TTestLeftNode)
public:
    using TTestNode::TTestNode;
    QString LeftValue;
    TastChild<TastNode> Left;

protected:
    void GetASTFields(TastFieldsList &list) override;
    void AssignNode(const TastNodeBase &source) override;
};

class TTestRightNode : public TTestNode {
    NV_DECLARE_AST_CLASS(TTestRightNode)
public:
    using TTestNode::TTestNode;
    TastChild<TastNode> Right;

protected:
    void GetASTFields(TastFieldsList &list) override;
};

class TTestGrandChildNode : public TTestLeftNode {
    NV_DECLARE_AST_CLASS(TTestGrandChildNode)
public:
    using TTestLeftNode::TTestLeftNode;
};

// Prints "<" node ">" around the node's own text.
class TTestExtender : public TastExtender {
    NV_DECLARE_AST_CLASS(TTestExtender)
public:
    using TastExtender::TastExtender;
    void BuildSQLForNode(const TastNode *node, TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
    bool EditPropsForNode(TastNode *node, TObject *param) override;
};

class TTestOtherExtender : public TastExtender {
    NV_DECLARE_AST_CLASS(TTestOtherExtender)
public:
    using TastExtender::TastExtender;
    void BuildSQLForNode(const TastNode *node, TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const override;
};

// A stand-in for a sub-query and its proxy.
class TTestSubject : public TTestNode {
    NV_DECLARE_AST_CLASS(TTestSubject)
public:
    using TTestNode::TTestNode;
};

class TTestProxy : public TTestNode {
    NV_DECLARE_AST_CLASS(TTestProxy)
public:
    using TTestNode::TTestNode;
    TObject *Owner = nullptr;
    // Held, not a registered child: walks do not enter the sub-query again.
    TOwned<TastNodeBase> Subject;
    static TastProxyClass ProxyClass();
};

TOwned<TTestNode> MakeNode(TnvBaseSyntaxProvider *provider, const QString &name);
template <class T> TOwned<T> MakeNodeOf(TnvBaseSyntaxProvider *provider, const QString &name)
{
    TOwned<T> node = Create<T>(provider);
    node->Name = name;
    return node;
}

// Prints a node alone with the given quotation.
QString Print(const TastNode *node, TnvIdentQuotation quotation = icIfNeed);

} // namespace nvqb::test
