#pragma once
// What the builder's widgets put into a drag: the MIME types and the payload
// of a metadata object dragged from the metadata tree onto a diagram.
//
// - A field dragged out of a box's field list carries
//   DatasourceFieldMimeType; the box that started the drag is the drag's
//   source. Only another field takes it (as a link); the diagram refuses it.
// - A node of the metadata tree carries MetadataObjectMimeType with the
//   payload below. A node without an object (a folder) carries the type with
//   an empty payload, so the diagram can refuse it as such.
#include <QMimeData>
#include <QPointer>
#include <QString>
#include <Qt>
#include <functional>

class QDrag;
class QDropEvent;

namespace nvqb {

inline constexpr char DatasourceFieldMimeType[] = "application/x-nvqb-datasource-field";
inline constexpr char MetadataObjectMimeType[] = "application/x-nvqb-metadata-object";

// The data of every drag the builder's widgets start: it names the widget
// that started it. Qt reports a drag's source only while the drag runs in its
// own loop, so the builder reads the source from the data instead.
class TnvDragMimeData : public QMimeData {
    Q_OBJECT
public:
    explicit TnvDragMimeData(QObject *source) : FSource(source) {}
    QObject *Source() const { return FSource.data(); }

private:
    QPointer<QObject> FSource;
};

// The widget that started the drag: the data's source for the builder's own
// drags, else what Qt reports.
QObject *DragSource(const QDropEvent *event);

// What kind of object a metadata node stands for; a procedure is added as a
// call whose arguments the user is asked for, any other object as a box.
enum class TnvDraggedObjectKind { Table, View, Procedure, Synonym };

struct TnvMetadataObjectDrag {
    // The object's full qualified name as SQL text ("dbo.Customers").
    QString FullName;
    TnvDraggedObjectKind Kind = TnvDraggedObjectKind::Table;
    // The alias the new data source gets; empty for none (a procedure's
    // box is named after the procedure: its name followed by "_").
    QString Alias;

    bool HasObject() const { return !FullName.isEmpty(); }
};

// Puts the payload into Data under MetadataObjectMimeType, and the full name
// as plain text for drop targets outside the builder.
void WriteMetadataObjectDrag(QMimeData *data, const TnvMetadataObjectDrag &drag);
// Reads the payload; false when Data carries no metadata-object payload at all.
// A folder node reads true with an empty FullName.
bool ReadMetadataObjectDrag(const QMimeData *data, TnvMetadataObjectDrag &drag);

// Every drag the builder's widgets start runs through RunDrag. QDrag::exec
// runs a nested event loop until the user drops; a test installs a runner
// that records the drag and answers at once, then delivers the drag's events
// itself. Without a runner the drag is executed.
using TnvDragRunner = std::function<Qt::DropAction(QDrag *drag)>;
// Installs the runner (nil: execute) and returns the one before.
TnvDragRunner SetDragRunner(TnvDragRunner runner);
Qt::DropAction RunDrag(QDrag *drag, Qt::DropActions actions = Qt::MoveAction);

} // namespace nvqb
