#include "builder/controls/Panel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace nvqb {

// ---------------------------------------------------------------------------
// TnvPanel

TnvPanel::TnvPanel(QWidget *parent) : QWidget(parent)
{
    // The panel paints its whole area itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    BorderChanged();
}

TnvPanel::~TnvPanel() = default;

void TnvPanel::SetTopBorder(bool value)
{
    if (FTopBorder != value) {
        FTopBorder = value;
        BorderChanged();
    }
}

void TnvPanel::SetLeftBorder(bool value)
{
    if (FLeftBorder != value) {
        FLeftBorder = value;
        BorderChanged();
    }
}

void TnvPanel::SetBottomBorder(bool value)
{
    if (FBottomBorder != value) {
        FBottomBorder = value;
        BorderChanged();
    }
}

void TnvPanel::SetRightBorder(bool value)
{
    if (FRightBorder != value) {
        FRightBorder = value;
        BorderChanged();
    }
}

void TnvPanel::SetBorderWidth(int value)
{
    value = std::max(value, 0);
    if (FBorderWidth != value) {
        FBorderWidth = value;
        BorderChanged();
    }
}

void TnvPanel::SetBorderSingle(bool value)
{
    if (FBorderSingle != value) {
        FBorderSingle = value;
        BorderChanged();
    }
}

void TnvPanel::SetBevelOuter(TnvPanelBevel value)
{
    if (FBevelOuter != value) {
        FBevelOuter = value;
        BorderChanged();
    }
}

void TnvPanel::SetBevelInner(TnvPanelBevel value)
{
    if (FBevelInner != value) {
        FBevelInner = value;
        BorderChanged();
    }
}

void TnvPanel::SetColor(const QColor &value)
{
    if (FColor != value) {
        FColor = value;
        update();
    }
}

int TnvPanel::FrameWidth() const
{
    int width = 0;
    if (FBorderSingle)
        width += std::max(style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this), 1);
    if (FBevelOuter != bvNone)
        ++width;
    if (FBevelInner != bvNone)
        ++width;
    return width;
}

QRect TnvPanel::ClientRect() const
{
    const int frame = FrameWidth() + FBorderWidth;
    QRect rect = this->rect().adjusted(frame, frame, -frame, -frame);
    AdjustClientRect(rect);
    return rect;
}

void TnvPanel::AdjustClientRect(QRect &rect) const
{
    if (!FTopBorder)
        rect.setTop(rect.top() - FBorderWidth);
    if (!FLeftBorder)
        rect.setLeft(rect.left() - FBorderWidth);
    if (!FBottomBorder)
        rect.setBottom(rect.bottom() + FBorderWidth);
    if (!FRightBorder)
        rect.setRight(rect.right() + FBorderWidth);
}

void TnvPanel::AlignControls() {}

void TnvPanel::BorderChanged()
{
    const QRect client = ClientRect();
    const QRect all = rect();
    setContentsMargins(client.left() - all.left(), client.top() - all.top(), all.right() - client.right(),
                       all.bottom() - client.bottom());
    AlignControls();
    update();
}

void TnvPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    AlignControls();
}

namespace {

// One ring of a bevel: light on the top and left for raised, dark for
// lowered, the other colour on the bottom and right.
void DrawBevel(QPainter &painter, QRect &rect, TnvPanelBevel bevel, const QPalette &palette)
{
    if (bevel == bvNone || rect.width() < 2 || rect.height() < 2)
        return;
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    const QColor topLeft = bevel == bvRaised ? light : dark;
    const QColor bottomRight = bevel == bvRaised ? dark : light;
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
    rect.adjust(1, 1, -1, -1);
}

} // namespace

void TnvPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor color = FColor.isValid() ? FColor : palette().color(QPalette::Window);
    painter.fillRect(rect(), color);
    QRect frame = rect();
    if (FBorderSingle) {
        const int width = std::max(style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this), 1);
        for (int i = 0; i < width; ++i)
            DrawBevel(painter, frame, bvLowered, palette());
    }
    DrawBevel(painter, frame, FBevelOuter, palette());
    frame.adjust(FBorderWidth, FBorderWidth, -FBorderWidth, -FBorderWidth);
    DrawBevel(painter, frame, FBevelInner, palette());
}

// ---------------------------------------------------------------------------
// TnvSplitter

TnvSplitter::TnvSplitter(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::SplitVCursor);
}

TnvSplitter::~TnvSplitter() = default;

void TnvSplitter::SetColor(const QColor &value)
{
    if (FColor != value) {
        FColor = value;
        update();
    }
}

void TnvSplitter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), FColor.isValid() ? FColor : palette().color(QPalette::Window));
}

void TnvSplitter::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    FPressed = true;
    FPressY = event->globalPosition().toPoint().y();
    emit DragStarted();
}

void TnvSplitter::mouseMoveEvent(QMouseEvent *event)
{
    if (FPressed && (event->buttons() & Qt::LeftButton))
        emit Dragging(event->globalPosition().toPoint().y() - FPressY);
}

void TnvSplitter::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        FPressed = false;
    QWidget::mouseReleaseEvent(event);
}

} // namespace nvqb
