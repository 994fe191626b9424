#pragma once
// The side panels of the query builder control and how they share its
// room: the query-structure tree in a panel on the left, the metadata tree
// in a panel on the right, each with a splitter beside it, and the page area
// (where the pages of the sub-queries go) in the rest. The panels' widths
// are the trees' TreeWidth options: a host's value sets the width, a drag of
// the splitter writes it back.
#include "builder/model/QueryBuilderModel.h"

#include <QFrame>
#include <QLayout>
#include <functional>

namespace nvqb {

class TnvQueryBuilder;
class TnvTreeViewMetadata;
class TnvTreeViewQueryStructure;

// A panel holding one tree, with the control's border style.
class TnvTreePanel : public QFrame {
    Q_OBJECT
public:
    TnvTreePanel(QWidget *content, QWidget *parent);
    // The panel's border by the control's border style; Spacing between the
    // border and the tree.
    void SetBorder(TnvBorderStyle style, const QColor &color, int spacing);
};

// The bar between a panel and the page area; dragging it resizes the panel.
class TnvTreePanelSplitter : public QWidget {
    Q_OBJECT
public:
    // Moved gets the distance the mouse went to the right since the press.
    TnvTreePanelSplitter(std::function<void(int startWidth, int dx)> moved, std::function<int()> width,
                         QWidget *parent);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::function<void(int, int)> FMoved;
    std::function<int()> FWidth;
    bool FDragging = false;
    int FStartX = 0;
    int FStartWidth = 0;
};

class TnvQueryBuilderPanels : public QLayout {
    Q_OBJECT
public:
    static constexpr int LeftPanelWidth = 105;
    static constexpr int LeftPanelMaxWidth = 300;
    static constexpr int RightPanelWidth = 150;
    // The least a drag leaves to a panel.
    static constexpr int MinPanelWidth = 30;

    explicit TnvQueryBuilderPanels(TnvQueryBuilder *queryBuilder);
    ~TnvQueryBuilderPanels() override;

    TnvTreeViewQueryStructure *StructureTree() const { return FStructureTree; }
    TnvTreeViewMetadata *MetadataTree() const { return FMetadataTree; }
    TnvTreePanel *LeftPanel() const { return FLeftPanel; }
    TnvTreePanel *RightPanel() const { return FRightPanel; }
    TnvTreePanelSplitter *LeftSplitter() const { return FLeftSplitter; }
    TnvTreePanelSplitter *RightSplitter() const { return FRightSplitter; }
    // Where the pages of the sub-queries go; it has a layout of its own.
    QWidget *PageArea() const { return FPageArea; }
    int LeftWidth() const { return FLeftWidth; }
    int RightWidth() const { return FRightWidth; }
    // While a splitter writes the panel's width into the options.
    bool IsResizing() const { return FResizing > 0; }

    // The panel part of the control's DoUpdateControlParams.
    void UpdateControlParams();
    // Frees the panels with their trees (the page area stays).
    void DestroyPanels();

    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    void SetLeftWidth(int width, bool fromSplitter);
    void SetRightWidth(int width, bool fromSplitter);
    // The room a drag may give a panel: what the other panel, both
    // splitters and a sliver of the page area leave.
    int RoomFor(bool left) const;
    int SplitterWidth() const;
    // The room the panels and the page area share.
    QRect Area() const;

    TnvQueryBuilder *FQueryBuilder;
    TnvTreeViewQueryStructure *FStructureTree = nullptr;
    TnvTreeViewMetadata *FMetadataTree = nullptr;
    TnvTreePanel *FLeftPanel = nullptr;
    TnvTreePanel *FRightPanel = nullptr;
    TnvTreePanelSplitter *FLeftSplitter = nullptr;
    TnvTreePanelSplitter *FRightSplitter = nullptr;
    QWidget *FPageArea = nullptr;
    QList<QLayoutItem *> FItems;
    int FLeftWidth = LeftPanelWidth;
    int FRightWidth = RightPanelWidth;
    int FResizing = 0;
};

} // namespace nvqb
