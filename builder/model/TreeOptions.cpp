#include "builder/model/TreeOptions.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvTreeOptions, TnvUpdatablePersistent)

TnvTreeOptions::TnvTreeOptions() : TnvUpdatablePersistent(nullptr) {}

void TnvTreeOptions::SetImageList(const TnvImageList &value)
{
    if (StoreImageList(FImageList, value))
        NotifyUpdated();
}

void TnvTreeOptions::Assign(const TPersistent *source)
{
    auto *s = As<TnvTreeOptions>(source);
    if (!s) {
        TnvUpdatablePersistent::Assign(source);
        return;
    }
    // One notification for the whole copy, so the tree is rebuilt once.
    TnvUpdateScope update(this);
    SetTreeVisible(s->TreeVisible());
    SetTreeWidth(s->TreeWidth());
    SetUnionsNodeText(s->UnionsNodeText());
    SetShowFields(s->ShowFields());
    SetFieldsNodeText(s->FieldsNodeText());
    SetShowFrom(s->ShowFrom());
    SetFromNodeText(s->FromNodeText());
    SetImageList(s->ImageList());
    SetQueriesImageIndex(s->QueriesImageIndex());
    SetFieldsImageIndex(s->FieldsImageIndex());
    SetFieldImageIndex(s->FieldImageIndex());
    SetFromImageIndex(s->FromImageIndex());
    SetFromObjImageIndex(s->FromObjImageIndex());
    SetExpandQueryNodes(s->ExpandQueryNodes());
    SetExpandUnionsNodes(s->ExpandUnionsNodes());
    SetExpandFieldsNodes(s->ExpandFieldsNodes());
    SetExpandFromNodes(s->ExpandFromNodes());
}

} // namespace nvqb
