#include "builder/model/MetadataTreeOptions.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvMetadataTreeOptions, TnvUpdatablePersistent)

TnvMetadataTreeOptions::TnvMetadataTreeOptions() : TnvUpdatablePersistent(nullptr) {}

void TnvMetadataTreeOptions::SetImageList(const TnvImageList &value)
{
    if (StoreImageList(FImageList, value))
        NotifyUpdated();
}

void TnvMetadataTreeOptions::Assign(const TPersistent *source)
{
    auto *s = As<TnvMetadataTreeOptions>(source);
    if (!s) {
        TnvUpdatablePersistent::Assign(source);
        return;
    }
    // One notification for the whole copy, so the tree is reloaded once.
    TnvUpdateScope update(this);
    SetTreeVisible(s->TreeVisible());
    SetTreeWidth(s->TreeWidth());
    SetShowUserTables(s->ShowUserTables());
    SetShowUserViews(s->ShowUserViews());
    SetShowUserProcedures(s->ShowUserProcedures());
    SetShowUserSynonyms(s->ShowUserSynonyms());
    SetShowSystemTables(s->ShowSystemTables());
    SetShowSystemViews(s->ShowSystemViews());
    SetShowSystemProcedures(s->ShowSystemProcedures());
    SetShowSystemSynonyms(s->ShowSystemSynonyms());
    SetGroupingType(s->GroupingType());
    SetSortingType(s->SortingType());
    SetImageList(s->ImageList());
    SetDatabaseImageIndex(s->DatabaseImageIndex());
    SetSchemaImageIndex(s->SchemaImageIndex());
    SetTablesNodeImageIndex(s->TablesNodeImageIndex());
    SetViewsNodeImageIndex(s->ViewsNodeImageIndex());
    SetProceduresNodeImageIndex(s->ProceduresNodeImageIndex());
    SetSynonymsNodeImageIndex(s->SynonymsNodeImageIndex());
    SetUserTablesImageIndex(s->UserTablesImageIndex());
    SetUserViewsImageIndex(s->UserViewsImageIndex());
    SetUserProceduresImageIndex(s->UserProceduresImageIndex());
    SetUserSynonymsImageIndex(s->UserSynonymsImageIndex());
    SetSystemTablesImageIndex(s->SystemTablesImageIndex());
    SetSystemViewsImageIndex(s->SystemViewsImageIndex());
    SetSystemProceduresImageIndex(s->SystemProceduresImageIndex());
    SetSystemSynonymsImageIndex(s->SystemSynonymsImageIndex());
}

} // namespace nvqb
