#include "installer/wizard/IDEComboBox.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace nvqb {

namespace {

class TIDEItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        TIDEComboBox::DrawItem(*painter, option.rect, index.data(Qt::DecorationRole).value<QIcon>(),
                               index.data(Qt::DisplayRole).toString(),
                               option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return QSize(size.width(), qMax(size.height(), TIDEComboBox::IconSize + 4));
    }
};

} // namespace

TIDEComboBox::TIDEComboBox(QWidget *parent) : QComboBox(parent)
{
    setItemDelegate(new TIDEItemDelegate(this));
    setIconSize(QSize(IconSize, IconSize));
}

void TIDEComboBox::DrawItem(QPainter &painter, const QRect &rect, const QIcon &icon, const QString &text,
                            const QColor &textColor)
{
    const QRect iconRect(rect.left() + 1, rect.top() + (rect.height() - IconSize) / 2, IconSize, IconSize);
    if (!icon.isNull())
        icon.paint(&painter, iconRect);
    painter.setPen(textColor);
    const QRect textRect(iconRect.right() + 1 + 3, rect.top(), rect.right() - iconRect.right() - 3, rect.height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

void TIDEComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0)
        return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawItem(painter, field, itemIcon(currentIndex()), itemText(currentIndex()),
             palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
}

} // namespace nvqb
