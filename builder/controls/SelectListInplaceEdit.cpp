#include "builder/controls/SelectListInplaceEdit.h"

#include "builder/controls/SelectListControl.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/QueryBuilderModel.h"
#include "builder/model/SelectItem.h"
#include "builder/model/SubSelectStatementProxy.h"
#include "builder/model/SubQuery.h"
#include "sqlmodel/ModelMessages.h"
#include "support/MessageTexts.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

namespace nvqb {

namespace {
const QString SubQueryText = QStringLiteral("Select From");
} // namespace

TnvQueryBuilderSelectListInplaceEdit::TnvQueryBuilderSelectListInplaceEdit(TnvQueryBuilderSelectListControl *grid)
    : QLineEdit(grid->viewport()), FGrid(grid)
{
    setFrame(false);
    // A drag over the editor goes on to the grid under it.
    setAcceptDrops(false);
    FButton = new QToolButton(this);
    FButton->setCursor(Qt::ArrowCursor);
    FButton->setFocusPolicy(Qt::NoFocus);
    FButton->hide();
    connect(FButton, &QToolButton::clicked, this, &TnvQueryBuilderSelectListInplaceEdit::ButtonClicked);

    FPickList = new QListWidget(this);
    FPickList->setWindowFlags(Qt::Popup);
    FPickList->setFocusPolicy(Qt::NoFocus);
    FPickList->setUniformItemSizes(true);
    FPickList->installEventFilter(this);
    FPickList->hide();
    connect(FPickList, &QListWidget::itemClicked, this, &TnvQueryBuilderSelectListInplaceEdit::PickListClicked);
}

TnvQueryBuilderSelectListInplaceEdit::~TnvQueryBuilderSelectListInplaceEdit() = default;

QToolButton *TnvQueryBuilderSelectListInplaceEdit::Button() const
{
    return FButtonStyle == bsNone ? nullptr : FButton;
}

void TnvQueryBuilderSelectListInplaceEdit::UpdateContents()
{
    setText(FGrid->GetEditText(FGrid->EditorCol() + 1, FGrid->EditorRow() + 1));
    selectAll();
    FTypedPrefix.clear();
}

void TnvQueryBuilderSelectListInplaceEdit::SetButtonStyle(TButtonStyle style)
{
    FButtonStyle = style;
    if (style == bsEllipsis) {
        FButton->setArrowType(Qt::NoArrow);
        FButton->setText(QStringLiteral("..."));
    } else if (style == bsPickList) {
        FButton->setText(QString());
        FButton->setArrowType(Qt::DownArrow);
    }
    FButton->setVisible(style != bsNone);
    PlaceButton();
}

void TnvQueryBuilderSelectListInplaceEdit::PlaceButton()
{
    if (FButtonStyle == bsNone) {
        setTextMargins(0, 0, 0, 0);
        return;
    }
    const int width = std::min(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), height() + 2);
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    FButton->setGeometry(rtl ? 0 : this->width() - width, 0, width, height());
    setTextMargins(rtl ? width : 0, 0, rtl ? 0 : width, 0);
}

void TnvQueryBuilderSelectListInplaceEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    PlaceButton();
}

QStringList TnvQueryBuilderSelectListInplaceEdit::DoGetPickListItems() const
{
    QStringList items;
    if (FGrid->EditorCol() >= 0)
        nvQBCatchAll([&] { FGrid->MyGetPickListForCell(FGrid->EditorCol() + 1, FGrid->EditorRow() + 1, items); });
    return items;
}

// ---------------------------------------------------------------------------
// The drop-down list

bool TnvQueryBuilderSelectListInplaceEdit::IsListVisible() const { return FPickList->isVisible(); }

void TnvQueryBuilderSelectListInplaceEdit::DropDown()
{
    if (FButtonStyle != bsPickList || IsListVisible())
        return;
    const QStringList items = DoGetPickListItems();
    FPickList->clear();
    FPickList->addItems(items);
    if (items.isEmpty())
        return;
    // The entry that the text names is the current one.
    const int current = int(items.indexOf(text()));
    FPickList->setCurrentRow(std::max(current, 0));
    const int rowHeight = std::max(FPickList->sizeHintForRow(0), 1);
    const int rows = std::min<int>(int(items.size()), DropDownRows);
    const int frame = 2 * FPickList->frameWidth();
    const int width = std::max(this->width(), FPickList->sizeHintForColumn(0) + frame +
                                                  (items.size() > DropDownRows
                                                       ? style()->pixelMetric(QStyle::PM_ScrollBarExtent)
                                                       : 0));
    FPickList->resize(width, rows * rowHeight + frame);
    FPickList->move(mapToGlobal(QPoint(0, height())));
    FPickList->show();
}

void TnvQueryBuilderSelectListInplaceEdit::CloseUp(bool accept)
{
    if (!IsListVisible())
        return;
    QListWidgetItem *item = FPickList->currentItem();
    FPickList->hide();
    if (accept && item)
        PickListClicked(item);
}

void TnvQueryBuilderSelectListInplaceEdit::PickListClicked(QListWidgetItem *item)
{
    const QString chosen = item ? item->text() : QString();
    FPickList->hide();
    setFocus(Qt::OtherFocusReason);
    setText(chosen);
    // A choice is written at once and shown as the cell reads it.
    FGrid->UpdateText();
    nvQBCatchAll([this] { FGrid->UpdateEditor(); });
}

void TnvQueryBuilderSelectListInplaceEdit::ButtonClicked()
{
    nvQBCatchAll([&] {
        if (FButtonStyle == bsEllipsis)
            DoEditButtonClick();
        else if (IsListVisible())
            CloseUp(false);
        else
            DropDown();
    });
}

bool TnvQueryBuilderSelectListInplaceEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FPickList && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            CloseUp(true);
            return true;
        case Qt::Key_Escape:
            CloseUp(false);
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (key->modifiers() & Qt::AltModifier) {
                CloseUp(true);
                return true;
            }
            return false;
        default:
            return false;
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Sub-queries

void TnvQueryBuilderSelectListInplaceEdit::ShowCellText()
{
    nvQBCatchAll([this] {
        if (FGrid->EditorCol() >= 0 &&
            FGrid->GetEditText(FGrid->EditorCol() + 1, FGrid->EditorRow() + 1) != text())
            FGrid->UpdateEditor();
    });
}

void TnvQueryBuilderSelectListInplaceEdit::DoEditButtonClick()
{
    FGrid->UpdateText();
    // Bringing a sub-query's page to the front takes the focus from the
    // editor, and the focus leaving writes the editor's text. Were the text
    // still the one typed rather than the one the row prints, that write
    // would parse the cell again and make its sub-queries anew, freeing the
    // very page being shown.
    ShowCellText();
    const int col = FGrid->EditorCol(), row = FGrid->EditorRow();
    TnvSelectItem *item = FGrid->GridModel()->Row(row);
    if (!item)
        return;
    const TastNodeBase *root = nullptr;
    if (col == TnvSelectListGridModel::colExpression)
        root = item->ExpressionNode();
    else if (col >= TnvSelectListGridModel::colCriteria)
        root = item->GetASTCondition(TnvSelectListGridModel::ConditionIndex(col));
    if (!root)
        return;
    QList<TnvSubSelectStatementProxy *> proxies;
    item->GetSubqueriesByRootNode(root, proxies);
    if (proxies.size() == 1) {
        if (TnvSubQuery *subQuery = proxies.first()->SubQuery(); subQuery && item->QueryBuilder())
            item->QueryBuilder()->SetCurrentSubquery(subQuery);
    } else if (proxies.size() > 1) {
        const QWidget *anchor = FButtonStyle == bsNone ? static_cast<const QWidget *>(this) : FButton;
        item->ShowSubQueriesPopup(anchor->mapToGlobal(QPoint(0, anchor->height())), proxies);
    }
}

TnvQueryBuilderSelectListInplaceEdit::TInsertion
TnvQueryBuilderSelectListInplaceEdit::InsertSubQueryText(const QString &text, int start, int length, bool criteria)
{
    start = std::clamp(start, 0, int(text.size()));
    length = std::clamp(length, 0, int(text.size()) - start);
    const int end = start + length;
    // The characters around the selection exist only away from the ends of
    // the text.
    const bool inBrackets = start > 0 && end < text.size() && text.at(start - 1) == QLatin1Char('(') &&
                            text.at(end) == QLatin1Char(')');
    QString inserted = SubQueryText;
    if (!inBrackets)
        inserted = criteria ? QStringLiteral("In (") + SubQueryText + QLatin1Char(')')
                            : QLatin1Char('(') + SubQueryText + QLatin1Char(')');
    TInsertion result;
    result.Text = text.left(start) + inserted + text.mid(end);
    result.Start = start;
    result.Length = int(inserted.size());
    return result;
}

void TnvQueryBuilderSelectListInplaceEdit::InsertSubQueryEvent()
{
    const int col = FGrid->EditorCol();
    const bool criteria = col >= TnvSelectListGridModel::colCriteria;
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int length = hasSelectedText() ? int(selectedText().size()) : 0;
    const TInsertion insertion = InsertSubQueryText(text(), start, length, criteria);
    setText(insertion.Text);
    setSelection(insertion.Start, insertion.Length);
    // The new sub-query is made when the text reaches the row, and its page
    // comes to the front.
    nvQBCatchAll([&] { DoEditButtonClick(); });
}

// ---------------------------------------------------------------------------
// Context menu and clipboard

QMenu *TnvQueryBuilderSelectListInplaceEdit::GetPopupMenu()
{
    auto *menu = new QMenu(this);
    const int col = FGrid->EditorCol();
    if (col == TnvSelectListGridModel::colExpression || col >= TnvSelectListGridModel::colCriteria)
        menu->addAction(nvQBMessage(nvQBInsertSubQuery), this, [this] { InsertSubQueryEvent(); });
    QMenu *edit = menu->addMenu(nvQBMessage(nvQBEditSubMenu));
    edit->addAction(nvQBMessage(nvQBCut), this, [this] { CutEvent(); })->setEnabled(hasSelectedText());
    edit->addAction(nvQBMessage(nvQBCopy), this, [this] { CopyEvent(); })->setEnabled(hasSelectedText());
    const QClipboard *clipboard = QApplication::clipboard();
    const QMimeData *clip = clipboard ? clipboard->mimeData() : nullptr;
    edit->addAction(nvQBMessage(nvQBPaste), this, [this] { PasteEvent(); })->setEnabled(clip && clip->hasText());
    edit->addSeparator();
    edit->addAction(nvQBMessage(nvQBSelectAll), this, [this] { SelectAllEvent(); });
    return menu;
}

void TnvQueryBuilderSelectListInplaceEdit::CopyEvent() { copy(); }

void TnvQueryBuilderSelectListInplaceEdit::CutEvent() { cut(); }

void TnvQueryBuilderSelectListInplaceEdit::PasteEvent() { paste(); }

void TnvQueryBuilderSelectListInplaceEdit::SelectAllEvent() { selectAll(); }

void TnvQueryBuilderSelectListInplaceEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = GetPopupMenu();
    menu->exec(event->globalPos());
    delete menu;
    event->accept();
}

// ---------------------------------------------------------------------------
// Keys

bool TnvQueryBuilderSelectListInplaceEdit::event(QEvent *event)
{
    // Tab moves between the grid's cells, not out of the grid.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            FGrid->EditorNavigate(key);
            return true;
        }
    }
    return QLineEdit::event(event);
}

bool TnvQueryBuilderSelectListInplaceEdit::AutoComplete(const QString &typed, int key)
{
    if (key == Qt::Key_Backspace) {
        if (hasSelectedText()) {
            del();
        } else if (!text().isEmpty()) {
            // A surrogate pair goes as one character.
            cursorBackward(true, 1);
            del();
        }
        FTypedPrefix.chop(1);
        return true;
    }
    const QString candidate = (hasSelectedText() ? text().left(selectionStart()) : FTypedPrefix) + typed;
    for (const QString &entry : DoGetPickListItems()) {
        if (!entry.startsWith(candidate, Qt::CaseInsensitive))
            continue;
        setText(entry);
        setSelection(int(entry.size()), -int(entry.size() - candidate.size()));
        FTypedPrefix = candidate;
        return true;
    }
    FTypedPrefix += typed;
    return false;
}

void TnvQueryBuilderSelectListInplaceEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (IsListVisible()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (plain) {
            FGrid->UpdateText();
            nvQBCatchAll([this] { FGrid->UpdateEditor(); });
            return;
        }
        break;
    case Qt::Key_Escape:
        if (plain) {
            UpdateContents();
            return;
        }
        break;
    case Qt::Key_Down:
    case Qt::Key_F4:
        if ((key == Qt::Key_Down && event->modifiers() & Qt::AltModifier) || (key == Qt::Key_F4 && plain)) {
            DropDown();
            return;
        }
        if (key == Qt::Key_Down) {
            FGrid->EditorNavigate(event);
            return;
        }
        break;
    case Qt::Key_Up:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        FGrid->EditorNavigate(event);
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // At the end of the text the arrow goes on to the next cell.
        if (plain && !hasSelectedText() &&
            ((key == Qt::Key_Left && cursorPosition() == 0) ||
             (key == Qt::Key_Right && cursorPosition() == text().size()))) {
            FGrid->EditorNavigate(event);
            return;
        }
        break;
    default:
        break;
    }
    const QString typed = event->text();
    const bool isTyped = key == Qt::Key_Backspace ||
                         (!typed.isEmpty() && typed.at(0).category() != QChar::Other_Control &&
                          !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)));
    if (isTyped && !DoGetPickListItems().isEmpty() && AutoComplete(typed, key))
        return;
    QLineEdit::keyPressEvent(event);
}

void TnvQueryBuilderSelectListInplaceEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || IsListVisible())
        return;
    // Focus staying in the grid keeps the grid's own editor logic; leaving
    // it hides the editor, which writes the text.
    QWidget *next = QApplication::focusWidget();
    if (next && (next == FGrid || FGrid->isAncestorOf(next)))
        return;
    FGrid->HideEditor();
}

} // namespace nvqb
