#include "builder/model/AddObjectFormOptions.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvAddObjectSizeConstraints, TnvUpdatablePersistent)
NV_IMPLEMENT_CLASS(TnvAddObjectFormOptions, TnvUpdatablePersistent)

TnvAddObjectSizeConstraints::TnvAddObjectSizeConstraints(TnvUpdatablePersistent *owner)
    : TnvUpdatablePersistent(owner)
{
}

void TnvAddObjectSizeConstraints::Assign(const TPersistent *source)
{
    auto *s = As<TnvAddObjectSizeConstraints>(source);
    if (!s) {
        TnvUpdatablePersistent::Assign(source);
        return;
    }
    TnvUpdateScope update(this);
    SetMinHeight(s->MinHeight());
    SetMinWidth(s->MinWidth());
}

TnvAddObjectFormOptions::TnvAddObjectFormOptions()
    : TnvUpdatablePersistent(nullptr), FConstraints(Create<TnvAddObjectSizeConstraints>(this))
{
    // The dialog's list pages need more room than its stored size gives, so
    // a new dialog is at least 430 by 430.
    FConstraints->SetMinHeight(430);
    FConstraints->SetMinWidth(430);
}

TnvAddObjectFormOptions::~TnvAddObjectFormOptions() = default;

void TnvAddObjectFormOptions::SetImageListSmall(const TnvImageList &value)
{
    if (StoreImageList(FImageListSmall, value))
        NotifyUpdated();
}

void TnvAddObjectFormOptions::SetImageListLarge(const TnvImageList &value)
{
    if (StoreImageList(FImageListLarge, value))
        NotifyUpdated();
}

int TnvAddObjectFormOptions::Width() const { return FForm ? FForm->FormSize().width() : FWidth; }

void TnvAddObjectFormOptions::SetWidth(int value)
{
    if (value == Width())
        return;
    FWidth = value;
    if (FForm)
        FForm->SetFormSize(QSize(value, FForm->FormSize().height()));
    NotifyUpdated();
}

int TnvAddObjectFormOptions::Height() const { return FForm ? FForm->FormSize().height() : FHeight; }

void TnvAddObjectFormOptions::SetHeight(int value)
{
    if (value == Height())
        return;
    FHeight = value;
    if (FForm)
        FForm->SetFormSize(QSize(FForm->FormSize().width(), value));
    NotifyUpdated();
}

void TnvAddObjectFormOptions::Assign(const TPersistent *source)
{
    auto *s = As<TnvAddObjectFormOptions>(source);
    if (!s) {
        TnvUpdatablePersistent::Assign(source);
        return;
    }
    TnvUpdateScope update(this);
    SetListViewStyle(s->ListViewStyle());
    SetImageListSmall(s->ImageListSmall());
    SetImageListLarge(s->ImageListLarge());
    SetImageIndexTables(s->ImageIndexTables());
    SetImageIndexViews(s->ImageIndexViews());
    SetImageIndexProcs(s->ImageIndexProcs());
    SetImageIndexSynonyms(s->ImageIndexSynonyms());
    SetImageIndexQueries(s->ImageIndexQueries());
    SetPosition(s->Position());
    SetConstraints(s->Constraints());
    // The source's dialog size when it has one open: what the user sees is
    // what is copied.
    SetWidth(s->Width());
    SetHeight(s->Height());
    SetTablesVisible(s->TablesVisible());
    SetViewsVisible(s->ViewsVisible());
    SetProceduresVisible(s->ProceduresVisible());
    SetSynonymsVisible(s->SynonymsVisible());
}

} // namespace nvqb
