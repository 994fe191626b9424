#include "builder/model/ControlFactory.h"
#include "builder/model/ModelControl.h"
#include "classlib/Assert.h"

namespace nvqb {

namespace {
TnvControlFactory *GControlFactory = nullptr;
}

TnvControlFactory::TnvControlFactory() = default;

TnvControlFactory::~TnvControlFactory() = default;

void TnvControlFactory::RegisterControlClass(const char *className, TnvControlCreator creator)
{
    Assert(className != nullptr && creator != nullptr, "nvQBBase", "A control class registered without a creator");
    FCreators.insert(QByteArray(className), std::move(creator));
}

void TnvControlFactory::UnregisterControlClass(const char *className) { FCreators.remove(QByteArray(className)); }

bool TnvControlFactory::IsControlClassRegistered(const char *className) const
{
    return FCreators.contains(QByteArray::fromRawData(className, qsizetype(qstrlen(className))));
}

TnvModelControl *TnvControlFactory::CreateControl(const char *className, TnvQueryBuilderControlOwner *owner,
                                                  int index) const
{
    const auto it = FCreators.constFind(QByteArray::fromRawData(className, qsizetype(qstrlen(className))));
    return it == FCreators.constEnd() ? nullptr : (*it)(owner, index);
}

bool TnvControlFactory::ShowEditPropsDialog(TClass formClass, TnvQueryBuilderControlOwner *node,
                                            TPosition position) const
{
    return FEditPropsDialog ? FEditPropsDialog(formClass, node, position) : false;
}

void TnvControlFactory::ShowAboutDialog(TnvQueryBuilderModel *queryBuilder) const
{
    if (FAboutDialog)
        FAboutDialog(queryBuilder);
}

std::unique_ptr<TnvAddObjectFormHandle> TnvControlFactory::CreateAddObjectForm(TnvQueryBuilderModel *queryBuilder) const
{
    return FAddObjectFormCreator ? FAddObjectFormCreator(queryBuilder) : nullptr;
}

bool TnvControlFactory::ShowProcedureParamsDialog(const QString &procedureName, QString &expression) const
{
    return FProcedureParamsDialog ? FProcedureParamsDialog(procedureName, expression) : false;
}

TnvControlFactory *ControlFactory()
{
    Assert(GControlFactory != nullptr, "nvQBBase", "The control factory is used outside the library's lifetime");
    return GControlFactory;
}

void InitializeControlFactory()
{
    if (!GControlFactory)
        GControlFactory = new TnvControlFactory;
}

void FinalizeControlFactory()
{
    delete GControlFactory;
    GControlFactory = nullptr;
}

} // namespace nvqb
