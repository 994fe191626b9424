#pragma once
// The appearance of the Add Object dialog, which the query builder keeps so
// that an application can set it before the dialog is first made: the list
// style and images, which pages show, where the dialog opens and its size.
#include "builder/model/ControlFactory.h"
#include "builder/model/ImageList.h"
#include "sqlmodel/text/UpdatablePersistent.h"

#include <QSize>

namespace nvqb {

// How a list view shows its items, as the class library names the styles.
enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

// The least size of the Add Object dialog. A change notifies the options
// that own it.
class TnvAddObjectSizeConstraints : public TnvUpdatablePersistent {
    NV_DECLARE_CLASS(TnvAddObjectSizeConstraints)
public:
    explicit TnvAddObjectSizeConstraints(TnvUpdatablePersistent *owner);
    void Assign(const TPersistent *source) override;

    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int value) { SetAndNotify(FMinHeight, value); }
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int value) { SetAndNotify(FMinWidth, value); }

private:
    int FMinHeight = 342;
    int FMinWidth = 294;
};

// The open dialog as the options see it. The dialog hands itself to the
// options while it exists (SetForm) and takes itself back before it goes.
class InvAddObjectForm {
public:
    virtual QSize FormSize() const = 0;
    virtual void SetFormSize(const QSize &size) = 0;

protected:
    ~InvAddObjectForm() = default;
};

class TnvAddObjectFormOptions : public TnvUpdatablePersistent {
    NV_DECLARE_CLASS(TnvAddObjectFormOptions)
public:
    TnvAddObjectFormOptions();
    ~TnvAddObjectFormOptions() override;
    void Assign(const TPersistent *source) override;

    TViewStyle ListViewStyle() const { return FListViewStyle; }
    void SetListViewStyle(TViewStyle value) { SetAndNotify(FListViewStyle, value); }
    TnvImageList ImageListSmall() const { return FImageListSmall; }
    void SetImageListSmall(const TnvImageList &value);
    TnvImageList ImageListLarge() const { return FImageListLarge; }
    void SetImageListLarge(const TnvImageList &value);
    int ImageIndexTables() const { return FImageIndexTables; }
    void SetImageIndexTables(int value) { SetAndNotify(FImageIndexTables, value); }
    int ImageIndexViews() const { return FImageIndexViews; }
    void SetImageIndexViews(int value) { SetAndNotify(FImageIndexViews, value); }
    int ImageIndexProcs() const { return FImageIndexProcs; }
    void SetImageIndexProcs(int value) { SetAndNotify(FImageIndexProcs, value); }
    int ImageIndexSynonyms() const { return FImageIndexSynonyms; }
    void SetImageIndexSynonyms(int value) { SetAndNotify(FImageIndexSynonyms, value); }
    int ImageIndexQueries() const { return FImageIndexQueries; }
    void SetImageIndexQueries(int value) { SetAndNotify(FImageIndexQueries, value); }
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition value) { SetAndNotify(FPosition, value); }
    // Owned and never replaced; setting copies the given constraints into it.
    TnvAddObjectSizeConstraints *Constraints() const { return FConstraints.get(); }
    void SetConstraints(const TnvAddObjectSizeConstraints *value) { FConstraints->Assign(value); }
    // The open dialog's size while it exists, else the stored one; setting
    // also sizes the open dialog, so the two never differ.
    int Width() const;
    void SetWidth(int value);
    int Height() const;
    void SetHeight(int value);
    bool TablesVisible() const { return FTablesVisible; }
    void SetTablesVisible(bool value) { SetAndNotify(FTablesVisible, value); }
    bool ViewsVisible() const { return FViewsVisible; }
    void SetViewsVisible(bool value) { SetAndNotify(FViewsVisible, value); }
    bool ProceduresVisible() const { return FProceduresVisible; }
    void SetProceduresVisible(bool value) { SetAndNotify(FProceduresVisible, value); }
    bool SynonymsVisible() const { return FSynonymsVisible; }
    void SetSynonymsVisible(bool value) { SetAndNotify(FSynonymsVisible, value); }

    // The open dialog, or nil; not owned.
    InvAddObjectForm *Form() const { return FForm; }
    void SetForm(InvAddObjectForm *form) { FForm = form; }

private:
    TViewStyle FListViewStyle = vsList;
    TnvImageList FImageListSmall;
    TnvImageList FImageListLarge;
    int FImageIndexTables = -1;
    int FImageIndexViews = -1;
    int FImageIndexProcs = -1;
    int FImageIndexSynonyms = -1;
    int FImageIndexQueries = -1;
    TPosition FPosition = poMainFormCenter;
    TOwned<TnvAddObjectSizeConstraints> FConstraints;
    int FWidth = 294;
    int FHeight = 342;
    bool FTablesVisible = true;
    bool FViewsVisible = true;
    bool FProceduresVisible = true;
    bool FSynonymsVisible = true;
    InvAddObjectForm *FForm = nullptr;
};

} // namespace nvqb
