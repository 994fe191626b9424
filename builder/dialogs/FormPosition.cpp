#include "builder/dialogs/FormPosition.h"
#include "builder/model/QueryBuilderModel.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace nvqb {

namespace {
QRect ScreenArea(const QWidget *form)
{
    QScreen *screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}
} // namespace

void PlaceForm(QWidget *form, TPosition position)
{
    if (!form)
        return;
    QRect area;
    switch (position) {
    case poMainFormCenter:
    case poOwnerFormCenter: {
        QWidget *owner = form->parentWidget() ? form->parentWidget()->window() : QApplication::activeWindow();
        if (owner && owner != form)
            area = owner->frameGeometry();
        else
            area = ScreenArea(form);
        break;
    }
    case poScreenCenter:
    case poDesktopCenter:
        area = ScreenArea(form);
        break;
    default:
        return;
    }
    if (area.isEmpty())
        return;
    QRect frame = form->frameGeometry();
    frame.moveCenter(area.center());
    form->move(frame.topLeft());
}

QWidget *DialogParentOf(TnvQueryBuilderModel *queryBuilder)
{
    if (auto *widget = dynamic_cast<QWidget *>(queryBuilder))
        return widget;
    return QApplication::activeWindow();
}

} // namespace nvqb
