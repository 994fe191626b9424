#include "builder/controls/CheckListBoxBase.h"
#include "support/Helpers.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QApplication>
#include <QStyledItemDelegate>

namespace nvqb {

namespace {

// Paints the check box in the list's own column and the item's text, icon
// and selection to the right of it. It leaves the toggling to the list: the
// style's delegate would toggle on release inside the style's indicator
// rectangle, which is not the column the list reserves.
class TnvCheckListItemDelegate : public QStyledItemDelegate {
public:
    explicit TnvCheckListItemDelegate(TnvCheckListBoxBase *list) : QStyledItemDelegate(list), FList(list) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int checkWidth = FList->GetCheckWidth();
        QStyleOptionViewItem textOption = option;
        initStyleOption(&textOption, index);
        textOption.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        textOption.rect.setLeft(option.rect.left() + checkWidth);
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &textOption, painter, widget);

        const QVariant state = index.data(Qt::CheckStateRole);
        TCheckBoxState checkState = cbUnchecked;
        if (state.isValid()) {
            switch (state.value<Qt::CheckState>()) {
            case Qt::Checked:
                checkState = cbChecked;
                break;
            case Qt::PartiallyChecked:
                checkState = cbGrayed;
                break;
            case Qt::Unchecked:
                break;
            }
        }
        const QRect column(option.rect.left(), option.rect.top(), checkWidth, option.rect.height());
        DrawCheck(painter, column, checkState, (option.state & QStyle::State_Enabled) != 0);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem textOption = option;
        initStyleOption(&textOption, index);
        textOption.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        const QSize text = QStyledItemDelegate::sizeHint(textOption, index);
        return QSize(text.width() + FList->GetCheckWidth(), FList->ItemHeight());
    }

    bool editorEvent(QEvent *, QAbstractItemModel *, const QStyleOptionViewItem &, const QModelIndex &) override
    {
        return false;
    }

private:
    TnvCheckListBoxBase *FList;
};

} // namespace

TnvCheckListBoxBase::TnvCheckListBoxBase(QWidget *parent) : QListWidget(parent)
{
    setItemDelegate(new TnvCheckListItemDelegate(this));
    setUniformItemSizes(true);
}

TnvCheckListBoxBase::~TnvCheckListBoxBase() = default;

int TnvCheckListBoxBase::GetCheckWidth() const { return GetCheckSize().width() + 2; }

int TnvCheckListBoxBase::ItemHeight() const { return qMax(fontMetrics().height(), GetCheckSize().height() + 2); }

int TnvCheckListBoxBase::CalcOptimalHeight() const { return count() * ItemHeight() + 2 * frameWidth() + 4; }

bool TnvCheckListBoxBase::Checked(int index) const
{
    const QListWidgetItem *it = item(index);
    return it && it->checkState() == Qt::Checked;
}

void TnvCheckListBoxBase::SetChecked(int index, bool value)
{
    if (QListWidgetItem *it = item(index))
        it->setCheckState(value ? Qt::Checked : Qt::Unchecked);
}

void TnvCheckListBoxBase::ClickCheck(int) {}

void TnvCheckListBoxBase::ToggleClickCheck(int index)
{
    QListWidgetItem *it = item(index);
    if (!it || !(it->flags() & Qt::ItemIsEnabled))
        return;
    it->setCheckState(it->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    ClickCheck(index);
}

void TnvCheckListBoxBase::CheckColumnPress(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    if (index.isValid() && at.x() - visualRect(index).left() < GetCheckWidth())
        ToggleClickCheck(index.row());
}

void TnvCheckListBoxBase::mousePressEvent(QMouseEvent *event)
{
    QListWidget::mousePressEvent(event);
    CheckColumnPress(event);
}

void TnvCheckListBoxBase::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->position().x() > GetCheckWidth()) {
        QListWidget::mouseDoubleClickEvent(event);
        return;
    }
    // Quick clicks on a check box are clicks, not a double click on the item.
    QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                      event->globalPosition(), event->button(), event->buttons(), event->modifiers());
    mousePressEvent(&press);
}

void TnvCheckListBoxBase::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && currentRow() >= 0) {
        ToggleClickCheck(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TnvCheckListBoxBase::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QListWidget::rowsInserted(parent, start, end);
    for (int row = start; row <= end; ++row) {
        QListWidgetItem *it = item(row);
        if (it && !it->data(Qt::CheckStateRole).isValid())
            it->setCheckState(Qt::Unchecked);
    }
}

} // namespace nvqb
