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
#include "builder/controls/QueryBuilderEnums.h"
#include "builder/model/QueryBuilderModel.h"

#include <QPixmap>
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
    Q_PROPERTY(nvqb::TnvQueryBuilderEnums::TnvUnionNavBarPosition UnionNavBarPos READ GetUnionNavBarPos WRITE SetUnionNavBarPos)
    Q_PROPERTY(bool ColumnsPaneVisible READ ColumnsPaneVisible WRITE SetColumnsPaneVisible)
    Q_PROPERTY(bool QuoteAllIdentifiers READ QuoteAllIdentifiers WRITE SetQuoteAllIdentifiers)
    Q_PROPERTY(nvqb::TnvQueryBuilderEnums::TnvObjectPrefixSkipping ObjectPrefixSkipping READ GetObjectPrefixSkipping WRITE SetObjectPrefixSkipping)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(nvqb::TnvQueryBuilderEnums::TnvBorderStyle BorderStyle READ GetBorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(int SplitterHeight READ SplitterHeight WRITE SetSplitterHeight)
    Q_PROPERTY(int TreeSplitterWidth READ TreeSplitterWidth WRITE SetTreeSplitterWidth)
    Q_PROPERTY(QString LinkPainterClassName READ LinkPainterClassName WRITE SetLinkPainterClassName)
    Q_PROPERTY(QColor TableColor READ TableColor WRITE SetTableColor)
    Q_PROPERTY(QFont TableFont READ TableFont WRITE SetTableFont)
    // A pixmap, which Qt Designer edits (from a file or a resource); the
    // model keeps it as an image (BkImage, SetBkImage).
    Q_PROPERTY(QPixmap BkImage READ BkPixmap WRITE SetBkPixmap)
    Q_PROPERTY(nvqb::TnvQueryBuilderEnums::TnvBkImagePos BkImagePos READ GetBkImagePos WRITE SetBkImagePos)
    Q_PROPERTY(nvqb::TnvQueryBuilderEnums::TnvBkImageDarkness BkImageDarkness READ GetBkImageDarkness WRITE SetBkImageDarkness)
    Q_PROPERTY(QColor BkColor READ BkColor WRITE SetBkColor)
    Q_PROPERTY(QFont TreeFont READ TreeFont WRITE SetTreeFont)
    Q_PROPERTY(QFont GridFont READ GridFont WRITE SetGridFont)
    Q_PROPERTY(bool TabHotTrack READ TabHotTrack WRITE SetTabHotTrack)
    Q_PROPERTY(nvqb::TnvQueryBuilderEnums::TnvTabStyle TabStyle READ GetTabStyle WRITE SetTabStyle)
    Q_PROPERTY(int DefColumnsPaneHeight READ DefColumnsPaneHeight WRITE SetDefColumnsPaneHeight)
    Q_PROPERTY(int ColumnWidthExpression READ ColumnWidthExpression WRITE SetColumnWidthExpression)
    Q_PROPERTY(bool UseTableIcons READ UseTableIcons WRITE SetUseTableIcons)
    Q_PROPERTY(int DefaultTableWidth READ DefaultTableWidth WRITE SetDefaultTableWidth)
    Q_PROPERTY(int MaxTableHeight READ MaxTableHeight WRITE SetMaxTableHeight)
    // The SQL is set by the host at run time: not stored with a form, nor
    // edited in a designer, where no syntax provider is given.
    Q_PROPERTY(QString SQL READ SQL WRITE SetSQLProperty STORED false DESIGNABLE false)
    // The metadata container's XML. Qt 6 decides storing per class only, so a
    // writer of saved settings asks IsMetadataStored: it is stored only when
    // the container holds loaded metadata.
    Q_PROPERTY(QString Metadata READ GetMetadataXML WRITE SetMetadataProperty)

public:
    explicit TnvQueryBuilder(QWidget *parent = nullptr);
    ~TnvQueryBuilder() override;

    void AfterConstruction() override;

    // Enumerated options as the property system carries them.
    TnvQueryBuilderEnums::TnvUnionNavBarPosition GetUnionNavBarPos() const { return TnvQueryBuilderEnums::TnvUnionNavBarPosition(UnionNavBarPos()); }
    void SetUnionNavBarPos(TnvQueryBuilderEnums::TnvUnionNavBarPosition value)
    {
        TnvQueryBuilderModel::SetUnionNavBarPos(nvqb::TnvUnionNavBarPosition(value));
    }
    TnvQueryBuilderEnums::TnvObjectPrefixSkipping GetObjectPrefixSkipping() const
    {
        return TnvQueryBuilderEnums::TnvObjectPrefixSkipping(ObjectPrefixSkipping());
    }
    void SetObjectPrefixSkipping(TnvQueryBuilderEnums::TnvObjectPrefixSkipping value)
    {
        TnvQueryBuilderModel::SetObjectPrefixSkipping(nvqb::TnvObjectPrefixSkipping(value));
    }
    TnvQueryBuilderEnums::TnvBorderStyle GetBorderStyle() const { return TnvQueryBuilderEnums::TnvBorderStyle(BorderStyle()); }
    void SetBorderStyle(TnvQueryBuilderEnums::TnvBorderStyle value) { TnvQueryBuilderModel::SetBorderStyle(nvqb::TnvBorderStyle(value)); }
    TnvQueryBuilderEnums::TnvBkImagePos GetBkImagePos() const { return TnvQueryBuilderEnums::TnvBkImagePos(BkImagePos()); }
    void SetBkImagePos(TnvQueryBuilderEnums::TnvBkImagePos value) { TnvQueryBuilderModel::SetBkImagePos(nvqb::TnvBkImagePos(value)); }
    TnvQueryBuilderEnums::TnvBkImageDarkness GetBkImageDarkness() const { return TnvQueryBuilderEnums::TnvBkImageDarkness(BkImageDarkness()); }
    void SetBkImageDarkness(TnvQueryBuilderEnums::TnvBkImageDarkness value)
    {
        TnvQueryBuilderModel::SetBkImageDarkness(nvqb::TnvBkImageDarkness(value));
    }
    TnvQueryBuilderEnums::TnvTabStyle GetTabStyle() const { return TnvQueryBuilderEnums::TnvTabStyle(TabStyle()); }
    void SetTabStyle(TnvQueryBuilderEnums::TnvTabStyle value) { TnvQueryBuilderModel::SetTabStyle(nvqb::TnvTabStyle(value)); }
    QPixmap BkPixmap() const { return QPixmap::fromImage(BkImage()); }
    void SetBkPixmap(const QPixmap &value) { SetBkImage(value.toImage()); }
    using TnvQueryBuilderModel::SetBkImageDarkness;
    using TnvQueryBuilderModel::SetBkImagePos;
    using TnvQueryBuilderModel::SetBorderStyle;
    using TnvQueryBuilderModel::SetObjectPrefixSkipping;
    using TnvQueryBuilderModel::SetTabStyle;
    using TnvQueryBuilderModel::SetUnionNavBarPos;

    // The SQL and the metadata as a form loader (QUiLoader, Qt Designer) or
    // a host writes them through Qt's property system, which no exception
    // may cross: SQL that cannot be parsed and metadata XML that cannot be
    // read are shown and change nothing.
    void SetSQLProperty(const QString &text);
    void SetMetadataProperty(const QString &xml);

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
