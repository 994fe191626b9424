#include "sqlmodel/sql/MetadataSeam.h"

namespace nvqb {

namespace {
// Constant-initialised: set only by the metadata model's unit start.
const TnvMetadataEntries *InstalledEntries = nullptr;
} // namespace

const TnvMetadataEntries *MetadataEntries() { return InstalledEntries; }

void SetMetadataEntries(const TnvMetadataEntries *entries) { InstalledEntries = entries; }

TnvFieldsListHolder::TnvFieldsListHolder(TnvBaseSyntaxProvider *provider) : FEntries(InstalledEntries)
{
    if (FEntries && FEntries->CreateFieldsList)
        FList = FEntries->CreateFieldsList(provider);
}

TnvFieldsListHolder::~TnvFieldsListHolder()
{
    if (FList)
        FEntries->FreeFieldsList(FList);
}

void TnvFieldsListHolder::Clear()
{
    if (FList)
        FEntries->ClearFieldsList(FList);
}

void TnvFieldsListHolder::AssignFrom(const TnvMetadataFieldsList *source)
{
    if (!FList)
        return;
    if (source)
        FEntries->AssignFieldsList(FList, source);
    else
        FEntries->ClearFieldsList(FList);
}

void TnvFieldsListHolder::SetSyntaxProvider(TnvBaseSyntaxProvider *provider)
{
    if (FList)
        FEntries->SetFieldsListProvider(FList, provider);
}

} // namespace nvqb
