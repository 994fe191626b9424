#include "MeaningModel.h"

#include "builder/model/Query.h"

namespace nvqb::meaning {

TMeaningModel::TMeaningModel(const QString &metadataXML)
{
    FBuilder = Create<TnvQueryBuilderModel>();
    FBuilder->SetSyntaxProvider(&FAnsi);
    FBuilder->SetMetadataXML(metadataXML);
    FBuilder->SetWorkOffline(true);
    FPreviousHandler = SetErrorHandler([this](const QString &message) { FErrors.append(message); });
}

TMeaningModel::~TMeaningModel()
{
    FBuilder.reset();
    SetErrorHandler(FPreviousHandler);
}

bool TMeaningModel::IsWhereJoins() const { return FBuilder->SyntaxProvider() == &FWhereJoins; }

void TMeaningModel::UseWhereJoins(bool value)
{
    FBuilder->SetSyntaxProvider(value ? static_cast<TnvBaseSyntaxProvider *>(&FWhereJoins) : &FAnsi);
}

QString TMeaningModel::Load(const QString &sql)
{
    FBuilder->SetSyncSQL(sql);
    return SQL();
}

QString TMeaningModel::SQL() const { return FBuilder->GetSQL(); }

QStringList TMeaningModel::TakeErrors()
{
    QStringList errors;
    errors.swap(FErrors);
    return errors;
}

} // namespace nvqb::meaning
