#pragma once
// The parameters of the query builder's current query (":p", "?", ...), in
// the order of the syntax tree, each with what binding learnt of it from the
// column it is compared with. A parameter used twice is listed twice.
#include "classlib/ClassInfo.h"
#include "classlib/Dataset.h"
#include "classlib/Exceptions.h"

#include <QList>
#include <QString>
#include <vector>

namespace nvqb {

class TastNodeBase;
class TSQLExpressionParameter;

class TnvParameter : public TObject {
    NV_DECLARE_CLASS(TnvParameter)
public:
    explicit TnvParameter(const TSQLExpressionParameter *node);

    // The prefix symbol (":" of ":p"; empty when none) and the name.
    const QString &Prefix() const { return FPrefix; }
    const QString &Name() const { return FName; }
    QString GetFullName() const { return FPrefix + FName; }
    // The comparison the parameter stands in ("=", ">=", "Like", ...), the
    // compared column's field name, and the alias or name of its source.
    const QString &CompareOperator() const { return FCompareOperator; }
    const QString &FieldName() const { return FFieldName; }
    const QString &ObjectName() const { return FObjectName; }
    // The compared field's type; unknown when binding found no field.
    TFieldType DataType() const { return FDataType; }

private:
    QString FPrefix, FName, FCompareOperator, FFieldName, FObjectName;
    TFieldType FDataType = ftUnknown;
};

class TnvParametersList : public TObject {
    NV_DECLARE_CLASS(TnvParametersList)
public:
    TnvParametersList();
    ~TnvParametersList() override;

    qsizetype Count() const { return qsizetype(FItems.size()); }
    TnvParameter *Items(qsizetype index) const
    {
        if (index < 0 || index >= Count())
            ListIndexError(index);
        return FItems[size_t(index)].get();
    }
    void Clear();
    // Lists every parameter node below Node in the order of a depth-first
    // walk; nil leaves the list empty.
    void ReloadParametersListFromAST(TastNodeBase *node);

private:
    void CollectParameter(TastNodeBase *node);

    std::vector<TOwned<TnvParameter>> FItems;
    // The parameter nodes of the walk; cleared after each reload.
    QList<TSQLExpressionParameter *> FNodes;
};

} // namespace nvqb
