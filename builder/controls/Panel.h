#pragma once
// Two small building blocks of the query pages.
//
// TnvPanel is a panel whose frame can be a single sunken border and an outer
// and inner bevel, with BorderWidth pixels of its colour between frame and
// contents, as a classic panel has, and whose four sides can each give up
// that BorderWidth gap: the children then reach the panel's edge on that side
// (a page joins the tree panel beside it without a seam). The client
// rectangle (ClientRect, also set as the contents margins, so a layout on the
// panel follows it) is where children go.
//
// TnvSplitter is the bar between the diagram and the column grid: it fills
// itself with its colour and reports how far the user drags it.
#include <QColor>
#include <QWidget>

namespace nvqb {

enum TnvPanelBevel { bvNone, bvLowered, bvRaised };

class TnvPanel : public QWidget {
    Q_OBJECT
public:
    explicit TnvPanel(QWidget *parent = nullptr);
    ~TnvPanel() override;

    bool TopBorder() const { return FTopBorder; }
    void SetTopBorder(bool value);
    bool LeftBorder() const { return FLeftBorder; }
    void SetLeftBorder(bool value);
    bool BottomBorder() const { return FBottomBorder; }
    void SetBottomBorder(bool value);
    bool RightBorder() const { return FRightBorder; }
    void SetRightBorder(bool value);

    // The gap of the panel's colour between its frame and its contents.
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value);
    // A single sunken border around the whole panel (as wide as the style's
    // frame).
    bool BorderSingle() const { return FBorderSingle; }
    void SetBorderSingle(bool value);
    TnvPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TnvPanelBevel value);
    TnvPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TnvPanelBevel value);
    // Invalid: the style's window colour.
    QColor Color() const { return FColor; }
    void SetColor(const QColor &value);

    // Where the children go: the panel less its frame, bevels and border gap,
    // given back on the sides whose border is switched off.
    QRect ClientRect() const;

protected:
    // Enlarges the rectangle by BorderWidth on each side whose border is off.
    virtual void AdjustClientRect(QRect &rect) const;
    // Places the children after the client rectangle changed; the base
    // lets a layout follow the contents margins.
    virtual void AlignControls();

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Frame, then realign and repaint.
    void BorderChanged();
    int FrameWidth() const;

    bool FTopBorder = true;
    bool FLeftBorder = true;
    bool FBottomBorder = true;
    bool FRightBorder = true;
    int FBorderWidth = 0;
    bool FBorderSingle = false;
    TnvPanelBevel FBevelOuter = bvNone;
    TnvPanelBevel FBevelInner = bvNone;
    QColor FColor;
};

class TnvSplitter : public QWidget {
    Q_OBJECT
public:
    explicit TnvSplitter(QWidget *parent = nullptr);
    ~TnvSplitter() override;

    // Invalid: the style's window colour.
    QColor Color() const { return FColor; }
    void SetColor(const QColor &value);

signals:
    // The left button is held and moved: the distance from the press.
    void Dragging(int dy);
    void DragStarted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor FColor;
    int FPressY = 0;
    bool FPressed = false;
};

} // namespace nvqb
