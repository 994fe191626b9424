#include "DemoTestSupport.h"

#include <QAction>
#include <QMenu>
#include "adoprovider/OdbcDataset.h"
#include "builder/controls/DatasourceControl.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/model/ErrorReport.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMenu>
#include <QProcessEnvironment>

namespace nvqb::test {

QAction *FindAction(QWidget *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text().remove(u'&') == text)
            return action;
        if (action->menu())
            if (QAction *found = FindAction(action->menu(), text))
                return found;
    }
    return nullptr;
}

bool WaitFor(const std::function<bool()> &condition, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

qint64 FirstNumber(TADOConnection *connection, const QString &sql)
{
    auto dataSet = Create<TADODataSet>(nullptr);
    dataSet->SetConnection(connection);
    dataSet->SetCommandText(sql);
    dataSet->Open();
    return dataSet->Fields(0)->AsVariant().toLongLong();
}

QList<QWidget *> VisibleBoxes(TnvDemoWindow &window)
{
    QList<QWidget *> boxes;
    for (auto *box : window.QueryBuilder()->findChildren<TnvQueryBuilderDataSourceControl *>())
        if (box->isVisible())
            boxes.append(box);
    return boxes;
}

QRect RectInWindow(TnvDemoWindow &window, QWidget *widget)
{
    return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
}

double SameShare(const QImage &picture, const QRect &rect, const QImage &widget)
{
    const QImage a = picture.convertToFormat(QImage::Format_RGB32);
    const QImage b = widget.convertToFormat(QImage::Format_RGB32);
    qint64 same = 0, all = 0;
    for (int y = 0; y < rect.height(); ++y)
        for (int x = 0; x < rect.width(); ++x) {
            if (!a.rect().contains(rect.x() + x, rect.y() + y) || !b.rect().contains(x, y))
                continue;
            ++all;
            same += a.pixel(rect.x() + x, rect.y() + y) == b.pixel(x, y);
        }
    return all == 0 ? 0.0 : double(same) / double(all);
}

int DarkPixels(const QImage &picture, const QRect &rect)
{
    int dark = 0;
    const QRect inside = rect.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            dark += picture.pixelColor(x, y).lightness() < 100;
    return dark;
}

void DemoWindowTest::SetUp()
{
    ASSERT_TRUE(Dir.isValid());
    SetErrorHandler([this](const QString &message) { Errors.append(message); });
    Window = std::make_unique<TnvDemoWindow>();
}

void DemoWindowTest::TearDown()
{
    Window.reset();
    QApplication::processEvents();
    SetErrorHandler(nullptr);
}

TDemoRun DemoWindowTest::RunProgram(const QStringList &arguments, int milliseconds, bool offscreen,
                                   const std::function<void(QProcessEnvironment &)> &change)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), Dir.filePath(QStringLiteral("cache")));
    if (offscreen) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
    }
    if (change)
        change(environment);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(NVQB_DEMO_PROGRAM), arguments);
    TDemoRun run;
    if (!process.waitForFinished(milliseconds)) {
        process.kill();
        process.waitForFinished();
        run.Err = QStringLiteral("timed out or failed to start: ") + process.errorString();
        return run;
    }
    run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace nvqb::test
