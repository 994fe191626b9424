#include "sqlmodel/providers/ProviderRegistries.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"
#include "sqlmodel/providers/SyntaxProvider.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvProviderClassesList, TObject)
NV_IMPLEMENT_CLASS(TnvSyntaxProvidersList, TnvProviderClassesList)
NV_IMPLEMENT_CLASS(TnvMetadataProvidersList, TnvProviderClassesList)

namespace {
TnvSyntaxProvidersList *GSyntaxProviders = nullptr;
TnvMetadataProvidersList *GMetadataProviders = nullptr;
} // namespace

TComponentClass TnvProviderClassesList::GetItems(qsizetype index) const
{
    if (index < 0 || index >= FClasses.size())
        ListIndexError(index);
    return FClasses[index];
}

TComponentClass TnvProviderClassesList::FindClassByClassName(const QByteArray &name) const
{
    for (TComponentClass cls : FClasses)
        if (QByteArray(cls->Name).compare(name, Qt::CaseInsensitive) == 0)
            return cls;
    return nullptr;
}

void TnvProviderClassesList::RegisterClass(TComponentClass cls)
{
    Assert(cls != nullptr, "nvAST", "Registering a nil provider class");
    FClasses.append(cls);
}

void TnvSyntaxProvidersList::RegisterSyntaxProvider(TComponentClass cls)
{
    Assert(cls != nullptr && cls->InheritsFrom(TnvBaseSyntaxProvider::StaticClassType()), "nvAST",
           "Not a syntax provider class");
    RegisterClass(cls);
}

void TnvMetadataProvidersList::RegisterMetadataProvider(TComponentClass cls) { RegisterClass(cls); }

TnvSyntaxProvidersList *SyntaxProvidersList()
{
    Assert(GSyntaxProviders != nullptr, "nvAST", "The syntax provider registry does not exist");
    return GSyntaxProviders;
}

TnvMetadataProvidersList *MetadataProvidersList()
{
    Assert(GMetadataProviders != nullptr, "nvAST", "The metadata provider registry does not exist");
    return GMetadataProviders;
}

void InitializeProviderRegistries()
{
    if (!GSyntaxProviders)
        GSyntaxProviders = new TnvSyntaxProvidersList;
    if (!GMetadataProviders)
        GMetadataProviders = new TnvMetadataProvidersList;
}

void FinalizeProviderRegistries()
{
    delete GMetadataProviders;
    GMetadataProviders = nullptr;
    delete GSyntaxProviders;
    GSyntaxProviders = nullptr;
}

} // namespace nvqb
