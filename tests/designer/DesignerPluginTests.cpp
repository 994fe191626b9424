// The control in form files: the Qt Designer plugin lets QUiLoader make a
// TnvQueryBuilder from a .ui file with its published properties, and a form
// written back by QFormBuilder keeps them.
#include "builder/controls/QueryBuilder.h"
#include "builder/model/ErrorReport.h"
#include "sqlmodel/metadata/MetadataContainer.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFormBuilder>
#include <QMetaProperty>
#include <QPixmap>
#include <QPluginLoader>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUiLoader>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <gtest/gtest.h>
#include <memory>

using namespace nvqb;

namespace {

const char *const PublishedProperties[] = {
    "WorkOffline",     "CanReorderDatasources", "SnapToGrid",         "GridSize",
    "UnionNavBarPos",  "ColumnsPaneVisible",    "QuoteAllIdentifiers", "ObjectPrefixSkipping",
    "BorderWidth",     "BorderStyle",           "BorderColor",        "SplitterHeight",
    "TreeSplitterWidth", "LinkPainterClassName", "TableColor",        "TableFont",
    "BkImagePos",      "BkImageDarkness",       "BkColor",            "TabHotTrack",
    "TabStyle",        "DefColumnsPaneHeight",  "ColumnWidthExpression", "UseTableIcons",
    "DefaultTableWidth", "MaxTableHeight",      "Metadata"};

// Writes a form as Qt Designer does: a widget that its plugin makes is no
// container, so the control's own children are not part of the form; only
// properties that a designer shows and a form stores are written; and an
// enumerated property is written by name (QFormBuilder does so only for a
// value that comes as an integer, where Qt 6 gives it the enumeration's type).
class TFormWriter : public QFormBuilder {
protected:
    DomWidget *createDom(QWidget *widget, DomWidget *parent, bool recursive) override
    {
        return QFormBuilder::createDom(widget, parent, recursive && !qobject_cast<TnvQueryBuilder *>(widget));
    }
    bool checkProperty(QObject *object, const QString &name) const override
    {
        const QMetaObject *meta = object->metaObject();
        const int index = meta->indexOfProperty(name.toLatin1());
        if (index >= 0 && (!meta->property(index).isStored() || !meta->property(index).isDesignable()))
            return false;
        return QFormBuilder::checkProperty(object, name);
    }
    DomProperty *createProperty(QObject *object, const QString &name, const QVariant &value) override
    {
        const QMetaObject *meta = object->metaObject();
        const int index = meta->indexOfProperty(name.toLatin1());
        if (index >= 0 && meta->property(index).isEnumType() && !meta->property(index).isFlagType())
            return QFormBuilder::createProperty(object, name, QVariant(value.toInt()));
        return QFormBuilder::createProperty(object, name, value);
    }
};

class DesignerPluginTest : public ::testing::Test {
protected:
    QUiLoader loader;
    QStringList errors;
    TnvErrorHandler previousHandler;

    void SetUp() override
    {
        // Only the plugin of this build, not one installed on the machine.
        loader.clearPluginPaths();
        loader.addPluginPath(QStringLiteral(NVQB_DESIGNER_PLUGIN_DIR));
        previousHandler = SetErrorHandler([this](const QString &message) { errors << message; });
    }
    void TearDown() override { SetErrorHandler(previousHandler); }

    std::unique_ptr<QWidget> Load(QIODevice *device)
    {
        std::unique_ptr<QWidget> form(loader.load(device));
        EXPECT_TRUE(form) << loader.errorString().toStdString();
        return form;
    }
    std::unique_ptr<QWidget> LoadFile(const QString &name)
    {
        QFile file(QStringLiteral(NVQB_DESIGNER_TEST_DIR "/") + name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return Load(&file);
    }
    static TnvQueryBuilder *Control(QWidget *form)
    {
        return form ? form->findChild<TnvQueryBuilder *>(QStringLiteral("queryBuilder")) : nullptr;
    }
};

TEST_F(DesignerPluginTest, PluginOffersTheControlUnderItsClassName)
{
    ASSERT_TRUE(loader.availableWidgets().contains(QStringLiteral("nvqb::TnvQueryBuilder")));

    QPluginLoader plugin(QStringLiteral(NVQB_DESIGNER_PLUGIN_FILE));
    auto *entry = qobject_cast<QDesignerCustomWidgetInterface *>(plugin.instance());
    ASSERT_NE(entry, nullptr) << plugin.errorString().toStdString();
    EXPECT_FALSE(entry->isContainer());
    // uic writes this include for the form; the installed package's include
    // folder resolves it.
    EXPECT_EQ(entry->includeFile(), QStringLiteral("nvQueryBuilder/builder/controls/QueryBuilder.h"));
    std::unique_ptr<QWidget> made(entry->createWidget(nullptr));
    ASSERT_NE(qobject_cast<TnvQueryBuilder *>(made.get()), nullptr);
    EXPECT_EQ(QString::fromLatin1(made->metaObject()->className()), entry->name());

    // The widget box entry is a form of its own, which makes the control.
    QByteArray dom = entry->domXml().toUtf8();
    QBuffer buffer(&dom);
    std::unique_ptr<QWidget> fromBox = Load(&buffer);
    EXPECT_NE(qobject_cast<TnvQueryBuilder *>(fromBox.get()), nullptr);
}

TEST_F(DesignerPluginTest, FormFileSetsThePublishedProperties)
{
    std::unique_ptr<QWidget> form = LoadFile(QStringLiteral("QueryBuilderForm.ui"));
    TnvQueryBuilder *qb = Control(form.get());
    ASSERT_NE(qb, nullptr);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();

    EXPECT_TRUE(qb->WorkOffline());
    EXPECT_FALSE(qb->CanReorderDatasources());
    EXPECT_FALSE(qb->SnapToGrid());
    EXPECT_EQ(qb->GridSize(), 8);
    EXPECT_EQ(qb->UnionNavBarPos(), unbBottomLeft);
    EXPECT_FALSE(qb->ColumnsPaneVisible());
    EXPECT_TRUE(qb->QuoteAllIdentifiers());
    EXPECT_EQ(qb->ObjectPrefixSkipping(), opsSkipNone);
    EXPECT_EQ(qb->BorderWidth(), 2);
    EXPECT_EQ(qb->BorderStyle(), qbbsUltraFlat);
    EXPECT_EQ(qb->BorderColor(), QColor(200, 30, 40));
    EXPECT_EQ(qb->SplitterHeight(), 5);
    EXPECT_EQ(qb->TreeSplitterWidth(), 6);
    EXPECT_EQ(qb->LinkPainterClassName(), QStringLiteral("TnvQueryBuilderLinkPainterAccess"));
    EXPECT_EQ(qb->TableColor(), QColor(255, 250, 205));
    EXPECT_EQ(qb->TableFont().pointSize(), 11);
    EXPECT_TRUE(qb->TableFont().bold());
    EXPECT_EQ(qb->BkImagePos(), bkipTile);
    EXPECT_EQ(qb->BkImageDarkness(), bgidDark);
    EXPECT_EQ(qb->BkColor(), QColor(10, 20, 30));
    EXPECT_TRUE(qb->TabHotTrack());
    EXPECT_EQ(qb->TabStyle(), tsFlatButtons);
    EXPECT_EQ(qb->DefColumnsPaneHeight(), 120);
    EXPECT_EQ(qb->ColumnWidthExpression(), 150);
    EXPECT_FALSE(qb->UseTableIcons());
    EXPECT_EQ(qb->DefaultTableWidth(), 120);
    EXPECT_EQ(qb->MaxTableHeight(), 200);
    // No syntax provider yet: the container holds the table as read.
    EXPECT_TRUE(qb->IsMetadataStored());
    ASSERT_EQ(qb->MetadataContainer()->Count(), 1);
    EXPECT_TRUE(qb->GetMetadataXML().contains(u"name=\"Orders\"")) << qb->GetMetadataXML().toStdString();

    // A designer offers the enumerated options by name.
    const QMetaObject *meta = qb->metaObject();
    const QMetaProperty tabStyle = meta->property(meta->indexOfProperty("TabStyle"));
    ASSERT_TRUE(tabStyle.isEnumType());
    EXPECT_STREQ(tabStyle.enumerator().valueToKey(tsButtons), "tsButtons");
    // The SQL belongs to the running host, not to the form.
    const QMetaProperty sql = meta->property(meta->indexOfProperty("SQL"));
    EXPECT_FALSE(sql.isStored());
    EXPECT_FALSE(sql.isDesignable());
}

TEST_F(DesignerPluginTest, FormWrittenBackKeepsThePublishedProperties)
{
    std::unique_ptr<QWidget> form = LoadFile(QStringLiteral("QueryBuilderForm.ui"));
    TnvQueryBuilder *qb = Control(form.get());
    ASSERT_NE(qb, nullptr);

    TFormWriter writer;
    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    writer.save(&saved, form.get());
    const QByteArray text = saved.data();
    // Enumerated options are stored by name.
    EXPECT_TRUE(text.contains("unbBottomLeft")) << text.toStdString();
    EXPECT_TRUE(text.contains("tsFlatButtons"));

    QBuffer reread;
    reread.setData(text);
    reread.open(QIODevice::ReadOnly);
    std::unique_ptr<QWidget> again = Load(&reread);
    TnvQueryBuilder *copy = Control(again.get());
    ASSERT_NE(copy, nullptr) << text.toStdString();
    for (const char *name : PublishedProperties)
        EXPECT_EQ(copy->property(name), qb->property(name)) << name;
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

TEST_F(DesignerPluginTest, PropertyErrorsInAFormAreShownAndTheFormLoads)
{
    QFile file(QStringLiteral(NVQB_DESIGNER_TEST_DIR "/QueryBuilderForm.ui"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    const QByteArray control = "<widget class=\"nvqb::TnvQueryBuilder\" name=\"queryBuilder\">";
    ASSERT_TRUE(original.contains(control));

    struct TCase {
        const char *Name;
        QByteArray Property; // the control's first property
        const char *Error;
    };
    const TCase cases[] = {
        {"unreadable metadata", "<property name=\"Metadata\"><string>&lt;metadata&gt;&lt;table&gt;</string></property>",
         "Error parsing XML"},
        // The form gives no syntax provider: a host sets one in code.
        {"SQL without a syntax provider", "<property name=\"SQL\"><string>select 1</string></property>",
         "Syntax provider is not specified"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        errors.clear();
        QByteArray text = original;
        text.replace(control, control + c.Property);
        QBuffer buffer(&text);

        // The loader is the host's code: what the control raises must not
        // cross it.
        std::unique_ptr<QWidget> form;
        EXPECT_NO_THROW(form = Load(&buffer));
        TnvQueryBuilder *qb = Control(form.get());
        ASSERT_NE(qb, nullptr);
        ASSERT_EQ(errors.size(), 1) << errors.join(u'\n').toStdString();
        EXPECT_TRUE(errors[0].contains(QLatin1String(c.Error))) << errors[0].toStdString();
        // The properties after it are still read.
        EXPECT_EQ(qb->MaxTableHeight(), 200);
    }
}

// The background picture is a pixmap, as Qt Designer edits one: a form file
// names it by its file, and the control draws that image.
TEST_F(DesignerPluginTest, TheBackgroundPictureComesFromAFileTheFormNames)
{
    const QMetaObject *meta = &TnvQueryBuilder::staticMetaObject;
    const QMetaProperty property = meta->property(meta->indexOfProperty("BkImage"));
    ASSERT_TRUE(property.isValid());
    EXPECT_EQ(property.typeId(), QMetaType::QPixmap);
    EXPECT_TRUE(property.isDesignable());
    EXPECT_TRUE(property.isWritable());

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(250, 10, 20));
    const QString file = dir.filePath(QStringLiteral("background.png"));
    ASSERT_TRUE(image.save(file));
    QFile form(QStringLiteral(NVQB_DESIGNER_TEST_DIR "/QueryBuilderForm.ui"));
    ASSERT_TRUE(form.open(QIODevice::ReadOnly));
    QByteArray text = form.readAll();
    const QByteArray control = "<widget class=\"nvqb::TnvQueryBuilder\" name=\"queryBuilder\">";
    ASSERT_TRUE(text.contains(control));
    text.replace(control, control + "<property name=\"BkImage\"><pixmap>" + file.toUtf8() + "</pixmap></property>");
    QBuffer buffer(&text);
    std::unique_ptr<QWidget> loaded = Load(&buffer);
    TnvQueryBuilder *qb = Control(loaded.get());
    ASSERT_NE(qb, nullptr);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    ASSERT_EQ(qb->BkImage().size(), QSize(40, 30));
    EXPECT_EQ(qb->BkImage().pixelColor(5, 5), QColor(250, 10, 20));
    // Callers of the image keep their accessors.
    qb->SetBkImage(QImage());
    EXPECT_TRUE(qb->property("BkImage").value<QPixmap>().isNull());
}

// What a property editor lets a user type: a negative size is stored as 0,
// and never reaches the widgets.
TEST_F(DesignerPluginTest, NegativeSizesAreStoredAsZero)
{
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
        warnings << message;
    });
    {
        // Put back however the block ends, after the form is gone.
        const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });
        std::unique_ptr<QWidget> form = LoadFile(QStringLiteral("QueryBuilderForm.ui"));
        TnvQueryBuilder *qb = Control(form.get());
        ASSERT_NE(qb, nullptr);
        qb->SetColumnsPaneVisible(true);
        form->show();
        for (const char *name : {"BorderWidth", "SplitterHeight", "TreeSplitterWidth", "ColumnWidthExpression",
                                 "DefaultTableWidth", "GridSize", "MaxTableHeight", "DefColumnsPaneHeight"}) {
            SCOPED_TRACE(name);
            EXPECT_TRUE(qb->setProperty(name, -7));
            EXPECT_EQ(qb->property(name).toInt(), 0);
        }
        QApplication::processEvents();
    }
    for (const QString &warning : warnings)
        EXPECT_FALSE(warning.contains(QLatin1String("egative"))) << warning.toStdString();
}

} // namespace
