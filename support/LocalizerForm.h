#pragma once
// The form localizer: the localizer of one dialog or frame. Its section is the
// class name of its form (declare Q_OBJECT in every localized form class so
// the name is the form's own), and it translates the property paths listed in
// Properties:
//   Caption                         a property of the form itself
//   pButtons.bOk.Caption            a control, named along its parent chain
//   actRefresh.Hint                 a non-widget object the form holds (QAction)
//   gbStyle.cbBorder.Items          a string list, stored as Items.Item0, Items.Item1...
// Property names keep the class library's names, mapped onto Qt's:
//   Caption  window title of a form; text of a label, button or action; title
//            of a group box or menu; tab text of a tab page
//   Hint     tool tip (tab tool tip of a tab page)
//   Text     text of a line edit, plain or rich text edit, editable combo box
//   Items    items of a combo box or list widget
// and every widget reached gets the language's reading direction as its layout
// direction. Qt fonts carry no character set: texts are decoded with the
// language's code page instead.
// A form creates its localizer with TnvQBLocalizerForm::Create(this) once its
// widgets exist, lists the paths in Properties and calls Loaded(): the texts
// the form holds then become the defaults (shown again when the host chooses
// no language) and the current language is applied.
// Widgets without an object name, and Qt's internal ones ("qt_..."), add no
// name to the path: the pages of a tab widget are reached as "pcMain.tsPage".
#include "support/Localizer.h"

#include <QPointer>
#include <QSet>
#include <QWidget>
#include <functional>

namespace nvqb {

enum class TnvPropKind { String, Strings };

struct TnvPropInfo {
    const char *Name;
    TnvPropKind Kind;
    QString (*GetText)(const QObject *object);
    void (*SetText)(QObject *object, const QString &value);
    QStringList (*GetItems)(const QObject *object);
    void (*SetItems)(QObject *object, const QStringList &items);
};

// The localizable properties of an object, in a fixed order.
QList<const TnvPropInfo *> LocalizablePropertiesOf(const QObject *object);

using TnvPropertyCallback = std::function<bool(QObject *object, const TnvPropInfo &prop, const QByteArray &path)>;
using TnvObjectCallback = std::function<bool(QObject *object, const QByteArray &path)>;

// Walks the objects of a form: the root, its localizable properties, its child
// widgets (by name along the parent chain) and, for the root, the named
// non-widget objects it holds. Each object is visited once; an object
// callback returning false stops the walk below that object.
bool TraverseLocalazibleEntities(QObject *root, const QByteArray &path, const TnvPropertyCallback &propertyCallback,
                                 const TnvObjectCallback &objectCallback);

class TnvQBLocalizerFormHolder;

class TnvQBLocalizerForm : public TnvQBLocalizerBase {
    NV_DECLARE_CLASS(TnvQBLocalizerForm)
    friend class TnvQBLocalizerFormHolder;

public:
    // Creates the localizer of a form or frame. The widget owns it (through a
    // child object named "Localizer") and frees it with itself; freeing the
    // localizer earlier detaches it from the widget.
    static TnvQBLocalizerForm *Create(QWidget *form);
    ~TnvQBLocalizerForm() override;

    QWidget *Form() const { return FForm; }
    TStringList *Properties() const { return FProperties.get(); }
    void SetProperties(const TStringList *value);
    void Assign(const TPersistent *source) override;

    QByteArray GetSectionName() const override;
    void SaveDefaults() override;
    void Localize() override;

    bool LocalizeObject(QObject *object, const QByteArray &path);
    bool LocalizeProperty(QObject *object, const TnvPropInfo &prop, const QByteArray &path);
    bool SaveDefsProperty(QObject *object, const TnvPropInfo &prop, const QByteArray &path);

private:
    explicit TnvQBLocalizerForm(QWidget *form);
    bool IsListed(const QByteArray &path) const;
    void CollectListed();

    QPointer<QWidget> FForm;
    TnvQBLocalizerFormHolder *FHolder = nullptr;
    TOwned<TStringList> FProperties;
    QSet<QByteArray> FListed; // upper-cased Properties during a walk
};

} // namespace nvqb
