#include "demos/window/OptionsMenus.h"
#include "builder/controls/QueryBuilder.h"
#include "builder/model/ErrorReport.h"
#include "builder/model/LinkPainter.h"
#include "support/LanguageManager.h"

#include <QActionGroup>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QImageReader>
#include <QInputDialog>
#include <QMenu>
#include <QMetaProperty>
#include <QPixmap>
#include <QPointer>

namespace nvqb {

namespace {

// "SnapToGrid" reads "Snap to grid".
QString Caption(const char *propertyName)
{
    const QString name = QString::fromLatin1(propertyName);
    QString caption;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (i > 0 && c.isUpper() && !name[i - 1].isUpper())
            caption += u' ';
        caption += i > 0 && c.isUpper() && (i + 1 >= name.size() || !name[i + 1].isUpper()) ? c.toLower() : c;
    }
    return caption;
}

// The names of the choices of the options that hold an enumeration.
QStringList ChoiceNames(const QByteArray &property)
{
    if (property == "UnionNavBarPos")
        return {QObject::tr("Top right"), QObject::tr("Top left"), QObject::tr("Bottom right"),
                QObject::tr("Bottom left")};
    if (property == "ObjectPrefixSkipping")
        return {QObject::tr("Skip all prefixes"), QObject::tr("Skip the database"), QObject::tr("Skip none")};
    if (property == "BorderStyle")
        return {QObject::tr("3D"), QObject::tr("Flat"), QObject::tr("Ultra flat"), QObject::tr("None")};
    if (property == "BkImagePos")
        return {QObject::tr("Top left"), QObject::tr("Tile")};
    if (property == "BkImageDarkness")
        return {QObject::tr("White"), QObject::tr("Light"), QObject::tr("Dark")};
    if (property == "TabStyle")
        return {QObject::tr("Tabs"), QObject::tr("Buttons"), QObject::tr("Flat buttons")};
    return {};
}

void SetOption(TnvQueryBuilder *queryBuilder, const char *name, const QVariant &value)
{
    nvQBCatchAll([&] { queryBuilder->setProperty(name, value); });
}

void AddChoiceMenu(QMenu *menu, TnvQueryBuilder *queryBuilder, const QMetaProperty &property,
                   const QStringList &choices)
{
    QMenu *sub = menu->addMenu(Caption(property.name()));
    auto *group = new QActionGroup(sub);
    for (int i = 0; i < choices.size(); ++i) {
        QAction *action = sub->addAction(choices[i]);
        action->setCheckable(true);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, queryBuilder,
                         [queryBuilder, name = property.name(), i] { SetOption(queryBuilder, name, i); });
    }
    QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, queryBuilder, property] {
        const int current = property.read(queryBuilder).toInt();
        const QList<QAction *> actions = sub->actions();
        for (int i = 0; i < actions.size(); ++i)
            actions[i]->setChecked(i == current);
    });
}

} // namespace

void FillLanguageMenu(QMenu *menu)
{
    auto *group = new QActionGroup(menu);
    auto add = [&](const QString &caption, qsizetype index) {
        QAction *action = menu->addAction(caption);
        action->setCheckable(true);
        action->setData(qlonglong(index));
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, menu,
                         [index] { nvQBCatchAll([&] { nvQBLanguageManager()->SetCurrentLanguageIndex(index); }); });
    };
    add(QObject::tr("(built-in texts)"), -1);
    TnvQBLanguageManager *manager = nvQBLanguageManager();
    for (qsizetype i = 0; i < manager->GetLanguagesCount(); ++i) {
        add(QString::fromUtf8(manager->GetLanguage(i)->Name()).replace(u'_', u' '), i);
    }
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        const qsizetype current = nvQBLanguageManager()->CurrentLanguageIndex();
        for (QAction *action : menu->actions())
            action->setChecked(action->data().toLongLong() == current);
    });
}

void FillLinkPainterMenu(QMenu *menu, TnvQueryBuilder *queryBuilder)
{
    auto *group = new QActionGroup(menu);
    const TnvQueryBuilderLinkPainters *painters = QueryBuilderLinkPainters();
    for (qsizetype i = 0; i < painters->Count(); ++i) {
        const TClass painterClass = painters->Items(i);
        QAction *action = menu->addAction(painters->GetPainterStyle(painterClass));
        action->setCheckable(true);
        action->setData(painterClass->ClassName());
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, queryBuilder, [queryBuilder, painterClass] {
            nvQBCatchAll([&] { queryBuilder->SetLinkPainterClass(painterClass); });
        });
    }
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu, queryBuilder] {
        for (QAction *action : menu->actions())
            action->setChecked(action->data().toString() == queryBuilder->LinkPainterClassName());
    });
}

void FillDisplayOptionsMenu(QMenu *menu, TnvQueryBuilder *queryBuilder)
{
    const QMetaObject *meta = queryBuilder->metaObject();
    QList<QAction *> switches;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        const QByteArray name = property.name();
        if (name == "SQL" || name == "Metadata" || name == "LinkPainterClassName" || !property.isWritable())
            continue;
        const QString caption = Caption(property.name());
        // The control's enumerations are their own types; the menu offers
        // their choices in value order.
        if (property.isEnumType()) {
            const QStringList choices = ChoiceNames(name);
            if (!choices.isEmpty())
                AddChoiceMenu(menu, queryBuilder, property, choices);
            continue;
        }
        switch (property.metaType().id()) {
        case QMetaType::Bool: {
            QAction *action = menu->addAction(caption);
            action->setCheckable(true);
            switches.append(action);
            QObject::connect(action, &QAction::toggled, queryBuilder, [queryBuilder, property](bool on) {
                if (property.read(queryBuilder).toBool() != on)
                    SetOption(queryBuilder, property.name(), on);
            });
            action->setData(name);
            break;
        }
        case QMetaType::Int: {
            const QStringList choices = ChoiceNames(name);
            if (!choices.isEmpty()) {
                AddChoiceMenu(menu, queryBuilder, property, choices);
                break;
            }
            QObject::connect(menu->addAction(caption + QStringLiteral("...")), &QAction::triggered, queryBuilder,
                             [queryBuilder, property, caption] {
                                 bool ok = false;
                                 const int value = QInputDialog::getInt(queryBuilder->window(), caption, caption,
                                                                        property.read(queryBuilder).toInt(), 0,
                                                                        10000, 1, &ok);
                                 if (ok)
                                     SetOption(queryBuilder, property.name(), value);
                             });
            break;
        }
        case QMetaType::QColor:
            QObject::connect(menu->addAction(caption + QStringLiteral("...")), &QAction::triggered, queryBuilder,
                             [queryBuilder, property, caption] {
                                 const QColor color = QColorDialog::getColor(
                                     property.read(queryBuilder).value<QColor>(), queryBuilder->window(), caption);
                                 if (color.isValid())
                                     SetOption(queryBuilder, property.name(), color);
                             });
            break;
        case QMetaType::QFont:
            QObject::connect(menu->addAction(caption + QStringLiteral("...")), &QAction::triggered, queryBuilder,
                             [queryBuilder, property, caption] {
                                 bool ok = false;
                                 const QFont font = QFontDialog::getFont(
                                     &ok, property.read(queryBuilder).value<QFont>(), queryBuilder->window(), caption);
                                 if (ok)
                                     SetOption(queryBuilder, property.name(), font);
                             });
            break;
        case QMetaType::QImage:
        case QMetaType::QPixmap:
            QObject::connect(menu->addAction(caption + QStringLiteral("...")), &QAction::triggered, queryBuilder,
                             [queryBuilder, property, caption] {
                                 const QString fileName = QFileDialog::getOpenFileName(
                                     queryBuilder->window(), caption, QString(),
                                     QObject::tr("Images (*.png *.jpg *.bmp);;All files (*)"));
                                 if (fileName.isEmpty())
                                     return;
                                 QImageReader reader(fileName);
                                 const QImage image = reader.read();
                                 if (image.isNull())
                                     nvQBShowError(QObject::tr("The image %1 cannot be read: %2")
                                                       .arg(fileName, reader.errorString()));
                                 else if (property.metaType().id() == QMetaType::QPixmap)
                                     SetOption(queryBuilder, property.name(), QPixmap::fromImage(image));
                                 else
                                     SetOption(queryBuilder, property.name(), image);
                             });
            break;
        default:
            break;
        }
    }
    QObject::connect(menu, &QMenu::aboutToShow, menu, [switches, queryBuilder] {
        for (QAction *action : switches) {
            const QSignalBlocker block(action);
            action->setChecked(queryBuilder->property(action->data().toByteArray().constData()).toBool());
        }
    });
}

} // namespace nvqb
