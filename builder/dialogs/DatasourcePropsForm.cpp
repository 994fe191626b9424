#include "builder/dialogs/DatasourcePropsForm.h"
#include "builder/dialogs/DialogWidgets.h"
#include "builder/model/Datasource.h"
#include "builder/model/UnionSubQuery.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/ModelMessages.h"
#include "sqlmodel/ast/AstTokens.h"
#include "sqlmodel/sql/SQLFromClause.h"
#include "support/LocalizerForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace nvqb {

NV_IMPLEMENT_FORM_CLASS(TnvDatasourcePropsForm, TnvQBPropertiesForm::StaticClassType())

namespace {
constexpr int DatasourceHeight = 100;
constexpr int ButtonsHeight = 34;
} // namespace

TnvDatasourcePropsForm::TnvDatasourcePropsForm(QWidget *parent) : TnvQBPropertiesForm(parent)
{
    setWindowTitle(QStringLiteral("Datasource Properties"));
    resize(356, 228);

    pDatasource = NewPanel(this, "pDatasource");
    pDatasource->setFixedHeight(DatasourceHeight);
    {
        auto *layout = new QVBoxLayout(pDatasource);
        layout->setContentsMargins(8, 8, 8, 4);
        layout->setSpacing(2);
        lObject = NewLabel(pDatasource, "lObject", QStringLiteral("Object"));
        eObj = NewEdit(pDatasource, "eObj", true);
        lAlias = NewLabel(pDatasource, "lAlias", QStringLiteral("Alias"));
        eAlias = NewEdit(pDatasource, "eAlias", false);
        lAlias->setBuddy(eAlias);
        layout->addWidget(lObject);
        layout->addWidget(eObj);
        layout->addSpacing(4);
        layout->addWidget(lAlias);
        layout->addWidget(eAlias);
    }
    pButtons = NewOkCancelPanel(this, ButtonsHeight, bOk, bCancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pDatasource);
    layout->addStretch(1);
    layout->addWidget(pButtons);

    Localizer = NewFormLocalizer(this, {"Caption", "pDatasource.lObject.Caption", "pDatasource.lAlias.Caption",
                                        "pButtons.bOk.Caption", "pButtons.bCancel.Caption"});
}

TnvDatasourcePropsForm::~TnvDatasourcePropsForm() = default;

void TnvDatasourcePropsForm::LoadProps()
{
    FDatasource = EditedObjectAs<TnvDatasource>(QStringLiteral("data source"));
    const TSQLFromSource *source = FDatasource->DatasourceAST();
    eObj->setText(source ? source->GetSimpleExpression() : QString());
    FLoadedAlias = FDatasource->GetAlias();
    eAlias->setText(FLoadedAlias);
    resize(width(), DatasourceHeight + ButtonsHeight);
}

void TnvDatasourcePropsForm::SaveProps()
{
    if (!FDatasource)
        return;
    const QString alias = eAlias->text();
    if (alias == FLoadedAlias)
        return;
    // A derived table cannot be written without a name.
    TnvUnionSubQuery *part = FDatasource->UnionSubQuery();
    if (alias.isEmpty() && FDatasource->Is<TnvDataSourceQuery>())
        FDatasource->SetAlias(part ? part->FreeDatasourceName(QStringLiteral("Query"), 1, FDatasource)
                                   : QStringLiteral("Query1"));
    else
        FDatasource->SetAlias(alias);
    FLoadedAlias = FDatasource->GetAlias();
}

void TnvDatasourcePropsForm::CheckCanClose()
{
    if (result() != QDialog::Accepted || !FDatasource || eAlias->text() == FLoadedAlias)
        return;
    TnvUnionSubQuery *part = FDatasource->UnionSubQuery();
    const TSQLFromSource *source = FDatasource->DatasourceAST();
    if (!part || !source)
        return;
    const QString alias = eAlias->text();
    // The name the source would go by: the alias, or without one its
    // object's own name (a derived table gets a free one when saved).
    TOwned<TastTokenIdentifier> name;
    if (!alias.isEmpty()) {
        name = Create<TastTokenIdentifier>(SyntaxProvider(), alias, false);
    } else if (const auto *object = As<TSQLFromObject>(source); object && !IsQualifiedNameEmpty(object->ObjectName.get())) {
        if (const auto *last = As<TastTokenIdentifier>(object->ObjectName->GetItems(0)))
            name = last->Clone();
    }
    if (name && part->IsDatasourceNameTaken(name.get(), FDatasource))
        throw Exception(nvQBFormatMessage("nvQBDatasourceNameInUse",
                                          QStringLiteral("The name \"%s\" is already used by another object of "
                                                         "this query."),
                                          {name->Text()}));
}

void TnvDatasourcePropsForm::showEvent(QShowEvent *event)
{
    TnvQBPropertiesForm::showEvent(event);
    eAlias->setFocus();
}

} // namespace nvqb
