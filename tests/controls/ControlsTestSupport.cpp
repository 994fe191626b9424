#include "ControlsTestSupport.h"
#include "common/Eventually.h"
#include "builder/JoinTestSupport.h"
#include "builder/controls/DragFormats.h"
#include "builder/controls/UnionNavBar.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/MenuItemData.h"
#include "builder/model/Query.h"
#include "builder/model/SubQuery.h"
#include "builder/model/UnionSubQuery.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTimer>
#include <QtTest/QTest>

namespace nvqb::test {

void TTestWidgetQueryBuilder::DoPopupMenu(const QPoint &point)
{
    if (RealMenus) {
        TnvQueryBuilder::DoPopupMenu(point);
        return;
    }
    ++PopupCount;
    PopupPoint = point;
    PopupCaptions.clear();
    const TnvMenuItemData *menu = PopupMenu();
    for (qsizetype i = 0; i < menu->Count(); ++i) {
        const TnvMenuItemData *item = menu->Items(i);
        PopupCaptions.append(item->Enabled() || item->IsSeparator() ? item->Caption() : u'!' + item->Caption());
    }
}

void ControlsTest::SetUp()
{
    SetErrorHandler([this](const QString &message) { errors.append(message); });
    SetDragRunner([this](QDrag *drag) {
        TRecordedDrag recorded;
        recorded.Source = DragSource(drag);
        recorded.Data = std::make_unique<TnvDragMimeData>(DragSource(drag));
        for (const QString &format : drag->mimeData()->formats())
            recorded.Data->setData(format, drag->mimeData()->data(format));
        drags.push_back(std::move(recorded));
        return Qt::IgnoreAction;
    });
    qb = new TTestWidgetQueryBuilder();
    qb->SetSyntaxProvider(p);
    AddJoinTestMetadata(qb->MetadataContainer(), p);
    qb->resize(640, 480);
    qb->show();
    Process();
}

void ControlsTest::TearDown()
{
    delete qb;
    qb = nullptr;
    Process();
    SetDragRunner(nullptr);
    SetErrorHandler(nullptr);
}

void ControlsTest::Process()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

void ControlsTest::SetSQL(const QString &sql)
{
    qb->SetSyncSQL(sql);
    Process();
}

QString ControlsTest::SQL() const { return qb->GetSQL(); }

TnvSubQuery *ControlsTest::CurrentSubQuery() const { return qb->CurrentSubquery(); }

TnvUnionSubQuery *ControlsTest::CurrentUnion() const
{
    return CurrentSubQuery() ? CurrentSubQuery()->CurrentUnionSubQuery() : nullptr;
}

TnvUnionSubQuery *ControlsTest::Part(qsizetype index) const { return qb->Query()->UnionSubQueries(index); }

TnvQueryBuilderPageControl *ControlsTest::Pages() const { return qb->PageControl(); }

TnvQueryTabSheet *ControlsTest::QueryPage(TnvSubQuery *subQuery) const
{
    return ControlOf<TnvQueryTabSheet>(subQuery ? subQuery : CurrentSubQuery(), 0);
}

TnvUnionSubQueryTabSheet *ControlsTest::UnionPage(TnvUnionSubQuery *part) const
{
    return ControlOf<TnvUnionSubQueryTabSheet>(part ? part : CurrentUnion(), 0);
}

TnvQueryBuilderWorkArea *ControlsTest::WorkArea(TnvUnionSubQuery *part) const
{
    TnvUnionSubQueryTabSheet *page = UnionPage(part);
    return page ? page->WorkArea() : nullptr;
}

TnvUnionNavBar *ControlsTest::NavBar(TnvSubQuery *subQuery) const
{
    TnvQueryTabSheet *page = QueryPage(subQuery);
    return page ? page->UnionNavBar() : nullptr;
}

QString ControlsTest::ChooseUnionOperator(TnvUnionOperator *op, int index)
{
    static const char *const choices[] = {"Union", "Union All", "Except", "Intersect"};
    const QString choice = QString::fromLatin1(choices[index]);
    QTest::mouseClick(op, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    ClickPopupItem(choice);
    return choice;
}

void ControlsTest::ClickPopupItem(const QString &caption)
{
    TnvMenuItemData *item = qb->PopupMenu()->Find(caption);
    ASSERT_NE(item, nullptr) << caption.toStdString();
    qb->ClickMenuItem(item);
    Process();
}

bool ControlsTest::DragOver(QWidget *target, const QPoint &point, const QMimeData *data)
{
    // QDrag::exec runs a nested loop until the user drops, so the test hands
    // the drag's events to the widget itself; the builder reads the source
    // from the drag's data.
    QDragEnterEvent enter(point, Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(point, Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    return move.isAccepted();
}

bool ControlsTest::DragDrop(QWidget *target, const QPoint &point, const QMimeData *data)
{
    const bool accepted = DragOver(target, point, data);
    QDropEvent drop(point, Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    Process();
    return accepted;
}

void ControlsTest::WindowClick(QWidget *widget, const QPoint &point, Qt::MouseButton button)
{
    QWidget *window = widget->window();
    // QTest::mouseDClick on a widget leaves its button marked as held in
    // QTest's own state, which a click through the window would carry.
    QTestPrivate::qtestMouseButtons = Qt::NoButton;
    QTest::mouseClick(window->windowHandle(), button, Qt::NoModifier, widget->mapTo(window, point));
    Process();
}

const QMimeData *ControlsTest::DragFrom(QWidget *widget, const QPoint &start)
{
    const size_t before = drags.size();
    QTest::mousePress(widget, Qt::LeftButton, {}, start);
    // A view takes the first move as the start of a drag and starts it on
    // the next one that has gone far enough.
    QTest::mouseMove(widget, start + QPoint(2, 0));
    QTest::mouseMove(widget, start + QPoint(30, 5));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, start + QPoint(30, 5));
    return drags.size() > before ? drags.back().Data.get() : nullptr;
}

bool ControlsTest::DragByIndicator(QHeaderView *indicator, int from, int to)
{
    const int x = indicator->width() / 2;
    const QPoint start(x, indicator->sectionViewportPosition(from) + indicator->sectionSize(from) / 2);
    const int edge = to > from ? indicator->sectionSize(to) - 2 : 2;
    const QPoint end(x, indicator->sectionViewportPosition(to) + edge);
    if (!indicator->viewport()->rect().contains(start) || !indicator->viewport()->rect().contains(end))
        return false;
    QTest::mousePress(indicator->viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(indicator->viewport(), start + QPoint(0, to > from ? 4 : -4));
    QTest::mouseMove(indicator->viewport(), end);
    QTest::mouseRelease(indicator->viewport(), Qt::LeftButton, {}, end);
    Process();
    return true;
}

QImage ControlsTest::Shot(QWidget *widget, const QString &name)
{
    const QImage image = widget->grab().toImage();
    QDir().mkpath(QStringLiteral(NVQB_SCREENSHOT_DIR));
    image.save(QStringLiteral(NVQB_SCREENSHOT_DIR "/") + name + QStringLiteral(".png"));
    return image;
}

std::string Rgb(const QColor &color)
{
    return QStringLiteral("rgb(%1, %2, %3)").arg(color.red()).arg(color.green()).arg(color.blue()).toStdString();
}

QObject *DragSource(QDrag *drag)
{
    auto *data = qobject_cast<TnvDragMimeData *>(drag->mimeData());
    return data ? data->Source() : drag->source();
}

std::string Rgb(const QImage &image, int x, int y) { return Rgb(image.pixelColor(x, y)); }

QList<QStringList> AnswerPopups(const std::function<void()> &open,
                                const std::function<QAction *(QMenu *menu, int index)> &choose)
{
    QList<QStringList> menus;
    QList<QPointer<QMenu>> seen;
    QTimer timer;
    timer.setInterval(5);
    QDeadlineTimer deadline(EventuallyTimeoutMs);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || seen.contains(menu))
            return;
        if (!HasArrived(menu) && !deadline.hasExpired())
            return;
        deadline = QDeadlineTimer(EventuallyTimeoutMs);
        seen.append(menu);
        QStringList captions;
        for (QAction *action : menu->actions())
            captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        menus.append(captions);
        QAction *chosen = choose ? choose(menu, int(menus.size()) - 1) : nullptr;
        if (chosen) {
            QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(chosen).center());
            return;
        }
        // Nothing chosen: the menu and the menus it opened from close, so
        // that the outermost loop ends.
        for (auto it = seen.rbegin(); it != seen.rend(); ++it)
            if (*it && (*it)->isVisible())
                (*it)->close();
    });
    timer.start();
    open();
    timer.stop();
    return menus;
}

QAction *MenuAction(const QMenu *menu, const QString &caption)
{
    for (QAction *action : menu->actions())
        if (action->text() == caption)
            return action;
    return nullptr;
}

bool ActivateWindow(QWidget *widget)
{
    QWidget *window = widget->window();
    if (window->isVisible() && window->isActiveWindow())
        return true;
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window, EventuallyTimeoutMs);
}

} // namespace nvqb::test
