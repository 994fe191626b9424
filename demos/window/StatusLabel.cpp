#include "demos/window/StatusLabel.h"

#include <QResizeEvent>

namespace nvqb {

TnvStatusLabel::TnvStatusLabel(QWidget *parent) : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setTextFormat(Qt::PlainText);
}

void TnvStatusLabel::SetFullText(const QString &text)
{
    // One line: line breaks of a message become spaces.
    FFullText = text.simplified();
    Elide();
    updateGeometry();
}

QSize TnvStatusLabel::minimumSizeHint() const { return QSize(0, QLabel::minimumSizeHint().height()); }

QSize TnvStatusLabel::sizeHint() const
{
    // As wide as the text up to a modest width; never the whole message.
    const int width = qMin(fontMetrics().horizontalAdvance(FFullText), 40 * fontMetrics().averageCharWidth());
    return QSize(width + 2 * margin(), QLabel::minimumSizeHint().height());
}

void TnvStatusLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    Elide();
}

void TnvStatusLabel::Elide()
{
    const int room = qMax(0, contentsRect().width() - 2 * margin());
    const QString shown = fontMetrics().elidedText(FFullText, Qt::ElideRight, room);
    setText(shown);
    setToolTip(FFullText);
}

} // namespace nvqb
