#include "builder/controls/DragFormats.h"

#include <QDrag>
#include <QDropEvent>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>

namespace nvqb {

namespace {

const char *KindName(TnvDraggedObjectKind kind)
{
    switch (kind) {
    case TnvDraggedObjectKind::View:
        return "view";
    case TnvDraggedObjectKind::Procedure:
        return "procedure";
    case TnvDraggedObjectKind::Synonym:
        return "synonym";
    case TnvDraggedObjectKind::Table:
        break;
    }
    return "table";
}

TnvDraggedObjectKind KindOf(const QString &name)
{
    if (name == QLatin1String("view"))
        return TnvDraggedObjectKind::View;
    if (name == QLatin1String("procedure"))
        return TnvDraggedObjectKind::Procedure;
    if (name == QLatin1String("synonym"))
        return TnvDraggedObjectKind::Synonym;
    return TnvDraggedObjectKind::Table;
}

} // namespace

void WriteMetadataObjectDrag(QMimeData *data, const TnvMetadataObjectDrag &drag)
{
    QJsonObject object;
    object.insert(QStringLiteral("name"), drag.FullName);
    object.insert(QStringLiteral("kind"), QString::fromLatin1(KindName(drag.Kind)));
    data->setData(QString::fromLatin1(MetadataObjectMimeType), QJsonDocument(object).toJson(QJsonDocument::Compact));
    data->setText(drag.FullName);
}

bool ReadMetadataObjectDrag(const QMimeData *data, TnvMetadataObjectDrag &drag)
{
    drag = TnvMetadataObjectDrag();
    if (!data || !data->hasFormat(QString::fromLatin1(MetadataObjectMimeType)))
        return false;
    const QByteArray payload = data->data(QString::fromLatin1(MetadataObjectMimeType));
    const QJsonObject object = QJsonDocument::fromJson(payload).object();
    drag.FullName = object.value(QStringLiteral("name")).toString();
    drag.Kind = KindOf(object.value(QStringLiteral("kind")).toString());
    return true;
}

QObject *DragSource(const QDropEvent *event)
{
    if (!event)
        return nullptr;
    if (auto *data = qobject_cast<const TnvDragMimeData *>(event->mimeData()))
        return data->Source();
    return event->source();
}

namespace {
TnvDragRunner &DragRunner()
{
    static TnvDragRunner runner;
    return runner;
}
} // namespace

TnvDragRunner SetDragRunner(TnvDragRunner runner)
{
    TnvDragRunner before = std::move(DragRunner());
    DragRunner() = std::move(runner);
    return before;
}

Qt::DropAction RunDrag(QDrag *drag, Qt::DropActions actions)
{
    if (const TnvDragRunner &runner = DragRunner())
        return runner(drag);
    return drag->exec(actions);
}

} // namespace nvqb
