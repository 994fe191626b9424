#pragma once
// The query model as the meaning checks drive it: a query builder without
// widgets, the SQL-92 dialect, and the meaning database's metadata read from
// its XML, offline. Errors the model shows instead of raising (menu actions
// run through the error handler) are collected by the newest model alive.
#include "builder/model/ErrorReport.h"
#include "builder/model/QueryBuilderModel.h"
#include "sql92/SQL92SyntaxProvider.h"

#include <QStringList>

namespace nvqb::meaning {

// The SQL-92 dialect without ANSI joins: links are written as WHERE
// conditions.
class TWhereJoinSyntaxProvider : public TnvSQL92SyntaxProvider {
public:
    using TnvSQL92SyntaxProvider::TnvSQL92SyntaxProvider;
    bool IsSupportANSIJoins() const override { return false; }
};

class TMeaningModel {
public:
    explicit TMeaningModel(const QString &metadataXML);
    ~TMeaningModel();
    TMeaningModel(const TMeaningModel &) = delete;
    TMeaningModel &operator=(const TMeaningModel &) = delete;

    TnvQueryBuilderModel *Builder() const { return FBuilder.get(); }
    TnvSQL92SyntaxProvider *Ansi() { return &FAnsi; }
    TWhereJoinSyntaxProvider *WhereJoins() { return &FWhereJoins; }
    bool IsWhereJoins() const;
    // Switches the model's dialect.
    void UseWhereJoins(bool value);

    // Loads the SQL at once (the road of SQL in) and returns what the model
    // prints; a parse error or any other failure raises.
    QString Load(const QString &sql);
    QString SQL() const;

    // The messages the model showed since the last call.
    QStringList TakeErrors();

private:
    TnvSQL92SyntaxProvider FAnsi;
    TWhereJoinSyntaxProvider FWhereJoins;
    TOwned<TnvQueryBuilderModel> FBuilder;
    QStringList FErrors;
    // The handler before the first live model, put back by the last.
    static inline TnvErrorHandler FPreviousHandler;
};

} // namespace nvqb::meaning
