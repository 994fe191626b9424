#include "MeaningModel.h"

#include "builder/model/Query.h"

namespace nvqb::meaning {

namespace {

// The models alive, the newest last: what the model shows goes to the
// newest one, whatever order the models go in. No message box ever opens.
QList<TMeaningModel *> &LiveModels()
{
    static QList<TMeaningModel *> models;
    return models;
}

} // namespace

TMeaningModel::TMeaningModel(const QString &metadataXML)
{
    if (LiveModels().isEmpty())
        FPreviousHandler = SetErrorHandler([](const QString &message) {
            if (!LiveModels().isEmpty())
                LiveModels().last()->FErrors.append(message);
        });
    LiveModels().append(this);
    FBuilder = Create<TnvQueryBuilderModel>();
    FBuilder->SetSyntaxProvider(&FAnsi);
    FBuilder->SetMetadataXML(metadataXML);
    FBuilder->SetWorkOffline(true);
}

TMeaningModel::~TMeaningModel()
{
    FBuilder.reset();
    LiveModels().removeOne(this);
    if (LiveModels().isEmpty())
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
