#include "support/LocalizerForm.h"
#include "classlib/Assert.h"
#include "classlib/Strings.h"
#include "support/LanguageManager.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvQBLocalizerForm, TnvQBLocalizerBase)

namespace {

const char *const Unit = "nvQBLocalizer";

template <class T> T *Cast(QObject *o) { return qobject_cast<T *>(o); }
template <class T> const T *Cast(const QObject *o) { return qobject_cast<const T *>(o); }

// A tab page sits in the tab widget's internal stack; its caption is the tab's text.
QTabWidget *TabWidgetOfPage(const QObject *object)
{
    const QWidget *page = Cast<QWidget>(object);
    if (!page || !page->parentWidget())
        return nullptr;
    auto *stack = Cast<QStackedWidget>(page->parentWidget());
    if (!stack)
        return nullptr;
    auto *tabs = Cast<QTabWidget>(stack->parentWidget());
    return tabs && tabs->indexOf(const_cast<QWidget *>(page)) >= 0 ? tabs : nullptr;
}

QString GetWindowTitle(const QObject *o) { return Cast<QWidget>(o)->windowTitle(); }
void SetWindowTitle(QObject *o, const QString &v) { Cast<QWidget>(o)->setWindowTitle(v); }
QString GetToolTip(const QObject *o) { return Cast<QWidget>(o)->toolTip(); }
void SetToolTip(QObject *o, const QString &v) { Cast<QWidget>(o)->setToolTip(v); }
QString GetLabelText(const QObject *o) { return Cast<QLabel>(o)->text(); }
void SetLabelText(QObject *o, const QString &v) { Cast<QLabel>(o)->setText(v); }
QString GetButtonText(const QObject *o) { return Cast<QAbstractButton>(o)->text(); }
void SetButtonText(QObject *o, const QString &v) { Cast<QAbstractButton>(o)->setText(v); }
QString GetGroupTitle(const QObject *o) { return Cast<QGroupBox>(o)->title(); }
void SetGroupTitle(QObject *o, const QString &v) { Cast<QGroupBox>(o)->setTitle(v); }
QString GetMenuTitle(const QObject *o) { return Cast<QMenu>(o)->title(); }
void SetMenuTitle(QObject *o, const QString &v) { Cast<QMenu>(o)->setTitle(v); }
QString GetActionText(const QObject *o) { return Cast<QAction>(o)->text(); }
void SetActionText(QObject *o, const QString &v) { Cast<QAction>(o)->setText(v); }
QString GetActionToolTip(const QObject *o) { return Cast<QAction>(o)->toolTip(); }
void SetActionToolTip(QObject *o, const QString &v) { Cast<QAction>(o)->setToolTip(v); }

QString GetTabText(const QObject *o)
{
    QTabWidget *tabs = TabWidgetOfPage(o);
    return tabs->tabText(tabs->indexOf(const_cast<QWidget *>(Cast<QWidget>(o))));
}
void SetTabText(QObject *o, const QString &v)
{
    QTabWidget *tabs = TabWidgetOfPage(o);
    tabs->setTabText(tabs->indexOf(Cast<QWidget>(o)), v);
}
QString GetTabToolTip(const QObject *o)
{
    QTabWidget *tabs = TabWidgetOfPage(o);
    return tabs->tabToolTip(tabs->indexOf(const_cast<QWidget *>(Cast<QWidget>(o))));
}
void SetTabToolTip(QObject *o, const QString &v)
{
    QTabWidget *tabs = TabWidgetOfPage(o);
    tabs->setTabToolTip(tabs->indexOf(Cast<QWidget>(o)), v);
}

QString GetLineEditText(const QObject *o) { return Cast<QLineEdit>(o)->text(); }
void SetLineEditText(QObject *o, const QString &v) { Cast<QLineEdit>(o)->setText(v); }
QString GetPlainEditText(const QObject *o) { return Cast<QPlainTextEdit>(o)->toPlainText(); }
void SetPlainEditText(QObject *o, const QString &v) { Cast<QPlainTextEdit>(o)->setPlainText(v); }
QString GetTextEditText(const QObject *o) { return Cast<QTextEdit>(o)->toPlainText(); }
void SetTextEditText(QObject *o, const QString &v) { Cast<QTextEdit>(o)->setPlainText(v); }
QString GetComboText(const QObject *o) { return Cast<QComboBox>(o)->currentText(); }
void SetComboText(QObject *o, const QString &v) { Cast<QComboBox>(o)->setEditText(v); }

QStringList GetComboItems(const QObject *o)
{
    const QComboBox *combo = Cast<QComboBox>(o);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}
void SetComboItems(QObject *o, const QStringList &items)
{
    // Texts are replaced in place so the current item and item data survive.
    QComboBox *combo = Cast<QComboBox>(o);
    const int current = combo->currentIndex();
    for (int i = 0; i < items.size(); ++i) {
        if (i < combo->count())
            combo->setItemText(i, items[i]);
        else
            combo->addItem(items[i]);
    }
    while (combo->count() > items.size())
        combo->removeItem(combo->count() - 1);
    if (current >= 0 && current < combo->count())
        combo->setCurrentIndex(current);
}

QStringList GetListItems(const QObject *o)
{
    const QListWidget *list = Cast<QListWidget>(o);
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}
void SetListItems(QObject *o, const QStringList &items)
{
    QListWidget *list = Cast<QListWidget>(o);
    for (int i = 0; i < items.size(); ++i) {
        if (i < list->count())
            list->item(i)->setText(items[i]);
        else
            list->addItem(items[i]);
    }
    while (list->count() > items.size())
        delete list->takeItem(list->count() - 1);
}

constexpr TnvPropInfo WindowCaption{"Caption", TnvPropKind::String, GetWindowTitle, SetWindowTitle, nullptr, nullptr};
constexpr TnvPropInfo LabelCaption{"Caption", TnvPropKind::String, GetLabelText, SetLabelText, nullptr, nullptr};
constexpr TnvPropInfo ButtonCaption{"Caption", TnvPropKind::String, GetButtonText, SetButtonText, nullptr, nullptr};
constexpr TnvPropInfo GroupCaption{"Caption", TnvPropKind::String, GetGroupTitle, SetGroupTitle, nullptr, nullptr};
constexpr TnvPropInfo MenuCaption{"Caption", TnvPropKind::String, GetMenuTitle, SetMenuTitle, nullptr, nullptr};
constexpr TnvPropInfo TabCaption{"Caption", TnvPropKind::String, GetTabText, SetTabText, nullptr, nullptr};
constexpr TnvPropInfo ActionCaption{"Caption", TnvPropKind::String, GetActionText, SetActionText, nullptr, nullptr};
constexpr TnvPropInfo WidgetHint{"Hint", TnvPropKind::String, GetToolTip, SetToolTip, nullptr, nullptr};
constexpr TnvPropInfo TabHint{"Hint", TnvPropKind::String, GetTabToolTip, SetTabToolTip, nullptr, nullptr};
constexpr TnvPropInfo ActionHint{"Hint", TnvPropKind::String, GetActionToolTip, SetActionToolTip, nullptr, nullptr};
constexpr TnvPropInfo ComboItems{"Items", TnvPropKind::Strings, nullptr, nullptr, GetComboItems, SetComboItems};
constexpr TnvPropInfo ListItems{"Items", TnvPropKind::Strings, nullptr, nullptr, GetListItems, SetListItems};
constexpr TnvPropInfo LineEditText{"Text", TnvPropKind::String, GetLineEditText, SetLineEditText, nullptr, nullptr};
constexpr TnvPropInfo PlainEditText{"Text", TnvPropKind::String, GetPlainEditText, SetPlainEditText, nullptr, nullptr};
constexpr TnvPropInfo TextEditText{"Text", TnvPropKind::String, GetTextEditText, SetTextEditText, nullptr, nullptr};
constexpr TnvPropInfo ComboText{"Text", TnvPropKind::String, GetComboText, SetComboText, nullptr, nullptr};

// Widgets that add no name to a path: unnamed ones and Qt's own.
bool IsTransparent(const QWidget *widget)
{
    const QString name = widget->objectName();
    return name.isEmpty() || name.startsWith(QLatin1String("qt_"));
}

} // namespace

// The child object through which a form owns its localizer.
class TnvQBLocalizerFormHolder : public QObject {
public:
    TnvQBLocalizerFormHolder(QWidget *form, TnvQBLocalizerForm *localizer) : QObject(form), FLocalizer(localizer)
    {
        setObjectName(QStringLiteral("Localizer"));
    }
    ~TnvQBLocalizerFormHolder() override
    {
        if (TnvQBLocalizerForm *localizer = FLocalizer) {
            FLocalizer = nullptr;
            localizer->FHolder = nullptr;
            TObject::Free(localizer);
        }
    }
    TnvQBLocalizerForm *FLocalizer;
};

QList<const TnvPropInfo *> LocalizablePropertiesOf(const QObject *object)
{
    QList<const TnvPropInfo *> props;
    if (Cast<QAction>(object)) {
        props << &ActionCaption << &ActionHint;
        return props;
    }
    const QWidget *widget = Cast<QWidget>(object);
    if (!widget)
        return props;
    if (TabWidgetOfPage(widget)) {
        props << &TabCaption << &TabHint;
    } else {
        if (Cast<QLabel>(widget))
            props << &LabelCaption;
        else if (Cast<QAbstractButton>(widget))
            props << &ButtonCaption;
        else if (Cast<QGroupBox>(widget))
            props << &GroupCaption;
        else if (Cast<QMenu>(widget))
            props << &MenuCaption;
        else
            props << &WindowCaption;
        props << &WidgetHint;
    }
    if (const QComboBox *combo = Cast<QComboBox>(widget)) {
        props << &ComboItems;
        if (combo->isEditable())
            props << &ComboText;
    } else if (Cast<QListWidget>(widget)) {
        props << &ListItems;
    } else if (Cast<QLineEdit>(widget)) {
        props << &LineEditText;
    } else if (Cast<QPlainTextEdit>(widget)) {
        props << &PlainEditText;
    } else if (Cast<QTextEdit>(widget)) {
        props << &TextEditText;
    }
    return props;
}

namespace {

class Walker {
public:
    Walker(const TnvPropertyCallback &props, const TnvObjectCallback &objects) : FProps(props), FObjects(objects) {}

    bool Visit(QObject *object, const QByteArray &path)
    {
        if (FVisited.contains(object))
            return false;
        const bool result = FObjects ? FObjects(object, path) : true;
        if (!result) {
            FVisited.insert(object);
            return false;
        }
        const QByteArray prefix = Prefix(path);
        if (FProps)
            for (const TnvPropInfo *prop : LocalizablePropertiesOf(object))
                FProps(object, *prop, prefix + prop->Name);
        if (QWidget *widget = Cast<QWidget>(object))
            VisitChildren(widget, path);
        FVisited.insert(object);
        return result;
    }

    static QByteArray Prefix(const QByteArray &path) { return path.isEmpty() ? path : path + '.'; }

private:
    void VisitChildren(QWidget *widget, const QByteArray &path)
    {
        const QByteArray prefix = Prefix(path);
        const QObjectList children = widget->children();
        for (QObject *child : children) {
            QWidget *control = Cast<QWidget>(child);
            if (!control)
                continue;
            if (IsTransparent(control))
                VisitTransparent(control, path);
            else
                Visit(control, prefix + control->objectName().toUtf8());
        }
    }

    void VisitTransparent(QWidget *widget, const QByteArray &path)
    {
        if (FVisited.contains(widget))
            return;
        FVisited.insert(widget);
        if (FObjects && !FObjects(widget, path))
            return;
        VisitChildren(widget, path);
    }

    const TnvPropertyCallback &FProps;
    const TnvObjectCallback &FObjects;
    QSet<QObject *> FVisited;
};

} // namespace

bool TraverseLocalazibleEntities(QObject *root, const QByteArray &path, const TnvPropertyCallback &propertyCallback,
                                 const TnvObjectCallback &objectCallback)
{
    Assert(root != nullptr, Unit, "TraverseLocalazibleEntities: no root");
    Walker walker(propertyCallback, objectCallback);
    const bool result = walker.Visit(root, path);
    // The named non-widget objects the root holds (actions), as the class
    // library's owned components.
    const QByteArray prefix = Walker::Prefix(path);
    const QObjectList children = root->children();
    for (QObject *child : children) {
        if (child->isWidgetType() || dynamic_cast<TnvQBLocalizerFormHolder *>(child) || child->objectName().isEmpty())
            continue;
        walker.Visit(child, prefix + child->objectName().toUtf8());
    }
    return result;
}

// ---------------------------------------------------------------------------

TnvQBLocalizerForm *TnvQBLocalizerForm::Create(QWidget *form)
{
    Assert(form != nullptr, Unit, "TnvQBLocalizerForm: no owner form");
    auto *localizer = new TnvQBLocalizerForm(form);
    localizer->AfterConstruction();
    localizer->FHolder = new TnvQBLocalizerFormHolder(form, localizer);
    return localizer;
}

TnvQBLocalizerForm::TnvQBLocalizerForm(QWidget *form)
    : TnvQBLocalizerBase(nullptr), FForm(form), FProperties(nvqb::Create<TStringList>())
{
    SetName(QStringLiteral("Localizer"));
}

TnvQBLocalizerForm::~TnvQBLocalizerForm()
{
    if (TnvQBLocalizerFormHolder *holder = FHolder) {
        FHolder = nullptr;
        holder->FLocalizer = nullptr;
        delete holder;
    }
}

void TnvQBLocalizerForm::SetProperties(const TStringList *value)
{
    if (value)
        FProperties->Assign(value);
    else
        FProperties->Clear();
}

void TnvQBLocalizerForm::Assign(const TPersistent *source)
{
    if (auto *other = As<TnvQBLocalizerForm>(const_cast<TPersistent *>(source))) {
        SetProperties(other->Properties());
        return;
    }
    TnvQBLocalizerBase::Assign(source);
}

QByteArray TnvQBLocalizerForm::GetSectionName() const
{
    if (!FForm)
        return QByteArray();
    QByteArray name(FForm->metaObject()->className());
    const qsizetype colons = name.lastIndexOf("::");
    return colons >= 0 ? name.mid(colons + 2) : name;
}

void TnvQBLocalizerForm::CollectListed()
{
    FListed.clear();
    for (qsizetype i = 0; i < FProperties->Count(); ++i)
        FListed.insert(Trim(FProperties->Strings(i)).toUpper());
}

bool TnvQBLocalizerForm::IsListed(const QByteArray &path) const { return FListed.contains(path.toUpper()); }

bool TnvQBLocalizerForm::LocalizeObject(QObject *object, const QByteArray &path)
{
    if (QWidget *widget = Cast<QWidget>(object)) {
        TnvQBLanguageSourceBase *language = CurrentLanguage();
        const bool rightToLeft = language && language->BiDiMode() != bdLeftToRight;
        widget->setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    }
    return true;
}

bool TnvQBLocalizerForm::LocalizeProperty(QObject *object, const TnvPropInfo &prop, const QByteArray &path)
{
    if (!IsListed(path))
        return false;
    if (prop.Kind == TnvPropKind::String) {
        prop.SetText(object, ReadWideString(path, GetWStrDefValue(path)));
    } else {
        TOwned<TWideStringList> items = nvqb::Create<TWideStringList>();
        ReadWideStrings(path, items.get(), GetStringsDefValue(path));
        prop.SetItems(object, items->ToQStringList());
    }
    return true;
}

bool TnvQBLocalizerForm::SaveDefsProperty(QObject *object, const TnvPropInfo &prop, const QByteArray &path)
{
    if (!IsListed(path))
        return false;
    if (prop.Kind == TnvPropKind::String) {
        SetWStrDefValue(path, prop.GetText(object));
    } else {
        TOwned<TWideStringList> items = nvqb::Create<TWideStringList>();
        for (const QString &item : prop.GetItems(object))
            items->Add(item);
        SetStringsDefValue(path, items.get());
    }
    return true;
}

void TnvQBLocalizerForm::SaveDefaults()
{
    if (!FForm)
        return;
    CollectListed();
    TraverseLocalazibleEntities(
        FForm, QByteArray(),
        [this](QObject *object, const TnvPropInfo &prop, const QByteArray &path) {
            return SaveDefsProperty(object, prop, path);
        },
        nullptr);
}

void TnvQBLocalizerForm::Localize()
{
    TnvQBLocalizerBase::Localize();
    if (!FForm)
        return;
    CollectListed();
    TraverseLocalazibleEntities(
        FForm, QByteArray(),
        [this](QObject *object, const TnvPropInfo &prop, const QByteArray &path) {
            return LocalizeProperty(object, prop, path);
        },
        [this](QObject *object, const QByteArray &path) { return LocalizeObject(object, path); });
}

} // namespace nvqb
