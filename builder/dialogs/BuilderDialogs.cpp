#include "builder/dialogs/BuilderDialogs.h"
#include "builder/dialogs/AboutForm.h"
#include "builder/dialogs/AddObjectForm.h"
#include "builder/dialogs/DatasourcePropsForm.h"
#include "builder/dialogs/FormPosition.h"
#include "builder/dialogs/LinkPropsForm.h"
#include "builder/dialogs/ProcedureParams.h"
#include "builder/model/Datasource.h"
#include "builder/model/Link.h"
#include "builder/model/QueryBuilderModel.h"
#include "sqlmodel/providers/EditPropsFormClasses.h"

#include <QApplication>
#include <QHash>
#include <memory>

namespace nvqb {

namespace {
QHash<TClass, TnvPropertiesFormCreator> &FormCreators()
{
    static QHash<TClass, TnvPropertiesFormCreator> creators;
    return creators;
}
} // namespace

void RegisterPropertiesFormClass(TClass formClass, TnvPropertiesFormCreator creator)
{
    if (formClass && creator)
        FormCreators().insert(formClass, std::move(creator));
}

TnvQBPropertiesForm *CreatePropertiesForm(TClass formClass, QWidget *parent)
{
    const auto it = FormCreators().constFind(formClass);
    return it == FormCreators().constEnd() ? nullptr : (*it)(parent);
}

bool ShowEditPropsForm(TClass formClass, TnvQueryBuilderControlOwner *node, TPosition position)
{
    if (!node)
        return false;
    TnvQueryBuilderModel *queryBuilder = node->QueryBuilder();
    std::unique_ptr<TnvQBPropertiesForm> form(CreatePropertiesForm(formClass, DialogParentOf(queryBuilder)));
    if (!form)
        return false;
    form->SetMetadataContainer(queryBuilder ? queryBuilder->MetadataContainer() : nullptr);
    PlaceForm(form.get(), position);
    TnvBaseSyntaxProvider *provider = queryBuilder && queryBuilder->SyntaxProvider() ? queryBuilder->SyntaxProvider()
                                                                                     : node->SyntaxProvider();
    return form->Edit(node, provider);
}

void RegisterBuilderDialogs(TnvControlFactory &factory)
{
    RegisterPropertiesFormClass(TnvLinkPropsForm::StaticClassType(),
                                [](QWidget *parent) { return new TnvLinkPropsForm(parent); });
    RegisterPropertiesFormClass(TnvDatasourcePropsForm::StaticClassType(),
                                [](QWidget *parent) { return new TnvDatasourcePropsForm(parent); });
    RegisterEditPropsFormClass(TnvLink::StaticClassType(), TnvLinkPropsForm::StaticClassType());
    RegisterEditPropsFormClass(TnvDatasource::StaticClassType(), TnvDatasourcePropsForm::StaticClassType());

    factory.SetEditPropsDialog(ShowEditPropsForm);
    factory.SetAboutDialog([](TnvQueryBuilderModel *queryBuilder) {
        ShowNorvaneQueryBuilderAbout(DialogParentOf(queryBuilder));
    });
    factory.SetAddObjectFormCreator([](TnvQueryBuilderModel *queryBuilder) -> std::unique_ptr<TnvAddObjectFormHandle> {
        if (!queryBuilder)
            return nullptr;
        return std::make_unique<TnvAddObjectFormHolder>(queryBuilder);
    });
    factory.SetProcedureParamsDialog([](const QString &procedureName, QString &expression) {
        TnvProcedureParams form(QApplication::activeWindow());
        PlaceForm(&form, poMainFormCenter);
        if (form.ShowModal(procedureName) != QDialog::Accepted)
            return false;
        expression = form.GetResultExpression();
        return true;
    });
}

} // namespace nvqb
