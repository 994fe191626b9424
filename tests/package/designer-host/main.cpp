// Loads a designer plugin by its path, lists the widgets it offers (one
// interface or a collection of them) and makes each, printing
//   widget <name> <group> <include file>
//   made <class name of the widget made>
// Exits with 1 and the loader's message when the plugin does not load.
#include <QApplication>
#include <QPluginLoader>
#include <QTextStream>
#include <QWidget>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QPluginLoader loader(app.arguments().value(1));
    QObject *instance = loader.instance();
    if (!instance) {
        QTextStream(stderr) << loader.errorString() << Qt::endl;
        return 1;
    }
    QList<QDesignerCustomWidgetInterface *> widgets;
    if (auto *collection = qobject_cast<QDesignerCustomWidgetCollectionInterface *>(instance))
        widgets = collection->customWidgets();
    else if (auto *single = qobject_cast<QDesignerCustomWidgetInterface *>(instance))
        widgets << single;
    if (widgets.isEmpty()) {
        QTextStream(stderr) << "the plugin offers no widget" << Qt::endl;
        return 1;
    }
    for (QDesignerCustomWidgetInterface *widget : widgets) {
        out << "widget " << widget->name() << ' ' << widget->group() << ' ' << widget->includeFile() << Qt::endl;
        QWidget parent;
        QWidget *made = widget->createWidget(&parent);
        out << "made " << (made ? made->metaObject()->className() : "nothing") << Qt::endl;
    }
    return 0;
}
