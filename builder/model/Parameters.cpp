#include "builder/model/Parameters.h"
#include "sqlmodel/sql/SQLExpressions.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvParameter, TObject)
NV_IMPLEMENT_CLASS(TnvParametersList, TObject)

namespace {
QString TextOf(const TastNode *node)
{
    return node ? node->SimpleSQL(icIfNeed, opsSkipNone, nullptr, nullptr) : QString();
}
} // namespace

TnvParameter::TnvParameter(const TSQLExpressionParameter *node)
    : FPrefix(TextOf(node->Prefix.get())), FName(TextOf(node->Name.get())), FCompareOperator(node->CompareOperator),
      FFieldName(node->FieldName), FObjectName(node->ObjectName), FDataType(TFieldType(node->DataType))
{
}

TnvParametersList::TnvParametersList() = default;

TnvParametersList::~TnvParametersList() = default;

void TnvParametersList::Clear()
{
    FItems.clear();
    FNodes.clear();
}

void TnvParametersList::CollectParameter(TastNodeBase *node)
{
    if (auto *parameter = As<TSQLExpressionParameter>(node))
        FNodes.append(parameter);
}

void TnvParametersList::ReloadParametersListFromAST(TastNodeBase *node)
{
    Clear();
    if (!node)
        return;
    if (auto *parameter = As<TSQLExpressionParameter>(node))
        FNodes.append(parameter);
    node->TraverseASTTreeDepthFirst(TastTraverseProc::Bind<&TnvParametersList::CollectParameter>(this));
    FItems.reserve(size_t(FNodes.size()));
    for (const TSQLExpressionParameter *parameter : FNodes)
        FItems.push_back(Create<TnvParameter>(parameter));
    // The nodes belong to the tree, which may go before the list does.
    FNodes.clear();
}

} // namespace nvqb
