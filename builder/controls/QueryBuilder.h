#pragma once
// The query builder control that a host puts in a window. The model side
// (SQL in and out, providers, metadata, options, menus as data) is
// TnvQueryBuilderModel; this widget adds what needs a window: the options
// as Qt properties, the controls made when it is first shown, the popup
// menu shown as a QMenu, and the reading direction of the current language.
//
// Make it with new like any widget; it is complete when the constructor
// returns. A class deriving from it sees its own overrides of the model's
// virtual operations only after its constructor, as with any widget.
#include "builder/model/QueryBuilderModel.h"

#include <QWidget>

class QMenu;

namespace nvqb {

class TnvQueryBuilderPanels;
class TnvTreeViewMetadata;
class TnvTreeViewQueryStructure;
class TnvQueryBuilderPageControl;

class TnvQueryBuilder : public QWidget, public TnvQueryBuilderModel {
    Q_OBJECT
    NV_DECLARE_CLASS(TnvQueryBuilder)

    Q_PROPERTY(bool WorkOffline READ WorkOffline WRITE SetWorkOffline)
    Q_PROPERTY(bool CanReorderDatasources READ CanReorderDatasources WRITE SetCanReorderDatasources)
    Q_PROPERTY(bool SnapToGrid READ SnapToGrid WRITE SetSnapToGrid)
    Q_PROPERTY(int GridSize READ GridSize WRITE SetGridSize)
    Q_PROPERTY(int UnionNavBarPos READ GetUnionNavBarPos WRITE SetUnionNavBarPos)
    Q_PROPERTY(bool ColumnsPaneVisible READ ColumnsPaneVisible WRITE SetColumnsPaneVisible)
    Q_PROPERTY(bool QuoteAllIdentifiers READ QuoteAllIdentifiers WRITE SetQuoteAllIdentifiers)
    Q_PROPERTY(int ObjectPrefixSkipping READ GetObjectPrefixSkipping WRITE SetObjectPrefixSkipping)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(int BorderStyle READ GetBorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(int SplitterHeight READ SplitterHeight WRITE SetSplitterHeight)
    Q_PROPERTY(int TreeSplitterWidth READ TreeSplitterWidth WRITE SetTreeSplitterWidth)
    Q_PROPERTY(QString LinkPainterClassName READ LinkPainterClassName WRITE SetLinkPainterClassName)
    Q_PROPERTY(QColor TableColor READ TableColor WRITE SetTableColor)
    Q_PROPERTY(QFont TableFont READ TableFont WRITE SetTableFont)
    Q_PROPERTY(QImage BkImage READ BkImage WRITE SetBkImage)
    Q_PROPERTY(int BkImagePos READ GetBkImagePos WRITE SetBkImagePos)
    Q_PROPERTY(int BkImageDarkness READ GetBkImageDarkness WRITE SetBkImageDarkness)
    Q_PROPERTY(QColor BkColor READ BkColor WRITE SetBkColor)
    Q_PROPERTY(QFont TreeFont READ TreeFont WRITE SetTreeFont)
    Q_PROPERTY(QFont GridFont READ GridFont WRITE SetGridFont)
    Q_PROPERTY(bool TabHotTrack READ TabHotTrack WRITE SetTabHotTrack)
    Q_PROPERTY(int TabStyle READ GetTabStyle WRITE SetTabStyle)
    Q_PROPERTY(int DefColumnsPaneHeight READ DefColumnsPaneHeight WRITE SetDefColumnsPaneHeight)
    Q_PROPERTY(int ColumnWidthExpression READ ColumnWidthExpression WRITE SetColumnWidthExpression)
    Q_PROPERTY(bool UseTableIcons READ UseTableIcons WRITE SetUseTableIcons)
    Q_PROPERTY(int DefaultTableWidth READ DefaultTableWidth WRITE SetDefaultTableWidth)
    Q_PROPERTY(int MaxTableHeight READ MaxTableHeight WRITE SetMaxTableHeight)
    // The SQL is set by the host at run time, not stored with a form.
    Q_PROPERTY(QString SQL READ SQL WRITE SetSQL STORED false)
    // The metadata container's XML. Qt 6 decides storing per class only, so a
    // writer of saved settings asks IsMetadataStored: it is stored only when
    // the container holds loaded metadata.
    Q_PROPERTY(QString Metadata READ GetMetadataXML WRITE SetMetadataXML)

public:
    explicit TnvQueryBuilder(QWidget *parent = nullptr);
    ~TnvQueryBuilder() override;

    void AfterConstruction() override;

    // Enumerated options as the property system carries them.
    int GetUnionNavBarPos() const { return UnionNavBarPos(); }
    void SetUnionNavBarPos(int value) { TnvQueryBuilderModel::SetUnionNavBarPos(TnvUnionNavBarPosition(value)); }
    int GetObjectPrefixSkipping() const { return ObjectPrefixSkipping(); }
    void SetObjectPrefixSkipping(int value)
    {
        TnvQueryBuilderModel::SetObjectPrefixSkipping(TnvObjectPrefixSkipping(value));
    }
    int GetBorderStyle() const { return BorderStyle(); }
    void SetBorderStyle(int value) { TnvQueryBuilderModel::SetBorderStyle(TnvBorderStyle(value)); }
    int GetBkImagePos() const { return BkImagePos(); }
    void SetBkImagePos(int value) { TnvQueryBuilderModel::SetBkImagePos(TnvBkImagePos(value)); }
    int GetBkImageDarkness() const { return BkImageDarkness(); }
    void SetBkImageDarkness(int value) { TnvQueryBuilderModel::SetBkImageDarkness(TnvBkImageDarkness(value)); }
    int GetTabStyle() const { return TabStyle(); }
    void SetTabStyle(int value) { TnvQueryBuilderModel::SetTabStyle(TnvTabStyle(value)); }
    using TnvQueryBuilderModel::SetBkImageDarkness;
    using TnvQueryBuilderModel::SetBkImagePos;
    using TnvQueryBuilderModel::SetBorderStyle;
    using TnvQueryBuilderModel::SetObjectPrefixSkipping;
    using TnvQueryBuilderModel::SetTabStyle;
    using TnvQueryBuilderModel::SetUnionNavBarPos;

    int ControlHeight() const override { return height(); }

    // The pages of the sub-queries, filling the centre of the control.
    TnvQueryBuilderPageControl *PageControl() const { return FPageControl; }
    void DoUpdateControlParams() override;
    void SQLUpdated() override;

    // The popup menu's items as a QMenu whose actions run them; the caller
    // owns the menu, which is valid until the popup menu is built anew.
    QMenu *CreateQMenu(QWidget *parent) const;

    // Takes the current language's reading direction (the application's
    // without one) and updates the controls.
    void LanguageChanged(TObject *sender);

    // The side panels' trees and the area between them that holds the pages.
    TnvTreeViewQueryStructure *TreeViewQueryStructure() const;
    TnvTreeViewMetadata *TreeViewMetadata() const;
    QWidget *PageArea() const;
    TnvQueryBuilderPanels *Panels() const { return FPanels; }
    // While a panel's splitter writes its width into the tree options.
    bool IsPanelResizing() const;

protected:
    void showEvent(QShowEvent *event) override;
    void DoPopupMenu(const QPoint &point) override;
    void UpdateQueryStructure() override;
    void UpdateTreePosition(TnvQueryBuilderControlOwner *node) override;

private:
    bool FConstructed = false;
    TnvQueryBuilderPanels *FPanels = nullptr;
    TnvQueryBuilderPageControl *FPageControl = nullptr;
};

} // namespace nvqb
