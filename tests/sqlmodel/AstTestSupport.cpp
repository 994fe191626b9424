#include "AstTestSupport.h"

namespace nvqb::test {

NV_IMPLEMENT_COMPONENT_CLASS(TTestSyntaxProvider, TnvBaseSyntaxProvider)
NV_IMPLEMENT_COMPONENT_CLASS(TTestUnionProvider, TTestSyntaxProvider)
NV_IMPLEMENT_AST_CLASS(TTestNode, TastNode)
NV_IMPLEMENT_AST_CLASS(TTestLeftNode, TTestNode)
NV_IMPLEMENT_AST_CLASS(TTestRightNode, TTestNode)
NV_IMPLEMENT_AST_CLASS(TTestGrandChildNode, TTestLeftNode)
NV_IMPLEMENT_AST_CLASS(TTestExtender, TastExtender)
NV_IMPLEMENT_AST_CLASS(TTestOtherExtender, TastExtender)
NV_IMPLEMENT_AST_CLASS(TTestSubject, TTestNode)
NV_IMPLEMENT_AST_CLASS(TTestProxy, TTestNode)

TTestSyntaxProvider::TTestSyntaxProvider(TComponent *owner, TnvIdentCaseSensitivity caseSens)
    : TnvBaseSyntaxProvider(owner), FCaseSens(caseSens)
{
}

void TTestSyntaxProvider::SetIdentCaseSens(TnvIdentCaseSensitivity value)
{
    if (value == FCaseSens)
        return;
    FCaseSens = value;
    SendNotifications();
}

namespace {
bool IsReserved(const QString &word)
{
    static const QStringList reserved = {"SELECT", "FROM", "WHERE", "TABLE", "ORDER", "GROUP"};
    return reserved.contains(word.toUpper());
}
} // namespace

bool TTestSyntaxProvider::ReadPart(const QString &text, qsizetype &pos, QString &name, bool &quoted) const
{
    name.clear();
    if (pos >= text.size())
        return false;
    if (text[pos] == u'"') {
        quoted = true;
        for (qsizetype i = pos + 1; i < text.size(); ++i) {
            if (text[i] != u'"') {
                name += text[i];
                continue;
            }
            if (i + 1 < text.size() && text[i + 1] == u'"') {
                name += u'"';
                ++i;
                continue;
            }
            pos = i + 1;
            return !name.isEmpty();
        }
        return false;
    }
    quoted = false;
    qsizetype end = pos;
    while (end < text.size() && (text[end].isLetterOrNumber() || text[end] == u'_'))
        ++end;
    name = text.mid(pos, end - pos);
    if (!IsPlainIdentifier(name) || IsReserved(name))
        return false;
    pos = end;
    return true;
}

TOwned<TastTokenIdentifier> TTestSyntaxProvider::ParseIdentifier(const QString &text) const
{
    qsizetype pos = 0;
    QString name;
    bool quoted = false;
    if (!ReadPart(text, pos, name, quoted) || pos != text.size())
        return nullptr;
    return Create<TastTokenIdentifier>(const_cast<TTestSyntaxProvider *>(this), name, quoted);
}

TOwned<TSQLQualifiedName> TTestSyntaxProvider::ParseQualifiedName(const QString &text) const
{
    auto *self = const_cast<TTestSyntaxProvider *>(this);
    TOwned<TSQLQualifiedName> result = Create<TSQLQualifiedName>(self);
    qsizetype pos = 0;
    for (;;) {
        QString name;
        bool quoted = false;
        if (!ReadPart(text, pos, name, quoted))
            return nullptr;
        result->AddName(name, quoted);
        if (pos == text.size())
            return result;
        if (text[pos] != u'.')
            return nullptr;
        ++pos;
    }
}

bool TTestSyntaxProvider::IsValidIdent(const QString &text) const { return IsPlainIdentifier(text) && !IsReserved(text); }

void TTestUnionProvider::GetUnionOperatorsList(TWideStringList *list) const
{
    TTestSyntaxProvider::GetUnionOperatorsList(list);
    list->Add(QStringLiteral("Except"));
}

QStringList &WalkLog()
{
    static QStringList log;
    return log;
}

void TTestNode::BuildSQLDirect(TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteIdentifier(Name);
    if (First || Second) {
        builder->WriteSymbol(QStringLiteral("("));
        BuildASTField(First.get(), builder, format, Second.get() != nullptr);
        BuildASTField(Second.get(), builder, format, false);
        builder->WriteSymbol(QStringLiteral(")"));
    }
}

bool TTestNode::EditPropsInternal(TastNode *node, TObject *param)
{
    // The tests pass a non-nil param to accept the edit.
    static_cast<TTestNode *>(node)->Name += QStringLiteral("-edited");
    return param != nullptr;
}

void TTestNode::GetASTFields(TastFieldsList &list)
{
    TastNode::GetASTFields(list);
    list.Add(First, TTestNode::StaticClassType());
    list.Add(Second, TTestNode::StaticClassType());
}

void TTestNode::AssignNode(const TastNodeBase &source)
{
    TastNode::AssignNode(source);
    if (const auto *node = As<TTestNode>(&source))
        Name = node->Name;
}

void TTestLeftNode::GetASTFields(TastFieldsList &list)
{
    TTestNode::GetASTFields(list);
    list.Add(Left, TTestLeftNode::StaticClassType());
}

void TTestLeftNode::AssignNode(const TastNodeBase &source)
{
    TTestNode::AssignNode(source);
    if (const auto *node = As<TTestLeftNode>(&source))
        LeftValue = node->LeftValue;
}

void TTestRightNode::GetASTFields(TastFieldsList &list)
{
    TTestNode::GetASTFields(list);
    list.Add(Right, TTestRightNode::StaticClassType());
}

void TTestExtender::BuildSQLForNode(const TastNode *node, TSQLBuilder *builder, TSQLBuilderSelectFormat *format) const
{
    builder->WriteSymbol(QStringLiteral("<"));
    node->BuildSQLDirect(builder, format);
    builder->WriteSymbol(QStringLiteral(">"));
}

bool TTestExtender::EditPropsForNode(TastNode *node, TObject *)
{
    static_cast<TTestNode *>(node)->Name = QStringLiteral("by-extender");
    return true;
}

void TTestOtherExtender::BuildSQLForNode(const TastNode *node, TSQLBuilder *builder,
                                         TSQLBuilderSelectFormat *format) const
{
    builder->WriteSymbol(QStringLiteral("{"));
    node->BuildSQLDirect(builder, format);
    builder->WriteSymbol(QStringLiteral("}"));
}

namespace {
TastNodeBase *MakeProxy(TnvBaseSyntaxProvider *provider, TOwned<TastNodeBase> subject, TObject *owner)
{
    auto *proxy = new TTestProxy(provider);
    proxy->Name = QStringLiteral("proxy");
    proxy->Owner = owner;
    proxy->Subject = std::move(subject);
    return proxy;
}
} // namespace

TastProxyClass TTestProxy::ProxyClass()
{
    static const TastProxyClassInfo info{TTestProxy::StaticClassType(), TTestSubject::StaticClassType(), &MakeProxy};
    return &info;
}

TOwned<TTestNode> MakeNode(TnvBaseSyntaxProvider *provider, const QString &name)
{
    return MakeNodeOf<TTestNode>(provider, name);
}

QString Print(const TastNode *node, TnvIdentQuotation quotation)
{
    return node->SimpleSQL(quotation, opsSkipNone, nullptr, nullptr);
}

} // namespace nvqb::test
