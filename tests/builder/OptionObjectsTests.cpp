// The option objects the query builder owns for its trees and for the Add
// Object dialog: their defaults, a copy of every value, one notification per
// change, and the dialog's size while it is open.
#include "builder/model/AddObjectFormOptions.h"
#include "builder/model/MetadataTreeOptions.h"
#include "builder/model/TreeOptions.h"

#include <QPixmap>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <gtest/gtest.h>
#include <type_traits>

namespace nvqb::test {
namespace {

// Every value as one comparable variant: enumerations as numbers, image
// lists as the cache keys of their icons.
template <class V> QVariant ToVariant(const V &value)
{
    if constexpr (std::is_enum_v<V>)
        return int(value);
    else if constexpr (std::is_same_v<V, TnvImageList>) {
        QStringList keys;
        for (const QIcon &icon : value)
            keys.append(QString::number(icon.cacheKey()));
        return keys;
    } else
        return QVariant::fromValue(value);
}

TnvImageList SomeIcons()
{
    QPixmap pixmap(4, 4);
    pixmap.fill(Qt::red);
    return {QIcon(pixmap), QIcon(pixmap)};
}

// One value of an options class: its default, how to read it and how to set
// it to something else.
template <class T> struct TOptionRow {
    const char *Name;
    QVariant Default;
    std::function<QVariant(const T &)> Read;
    std::function<void(T &)> Change;
};

#define NV_ROW(Name, Default, Other)                                                                             \
    TOptionRow<Options>                                                                                          \
    {                                                                                                            \
        #Name, ToVariant(Default), [](const Options &o) { return ToVariant(o.Name()); },                         \
            [=](Options &o) { o.Set##Name(Other); }                                                               \
    }

// Checks the defaults, that Assign copies every value, and that a change
// notifies once while setting the same value again does not.
template <class T> class OptionsContract {
public:
    static void CheckDefaults(const std::vector<TOptionRow<T>> &rows)
    {
        T options;
        for (const TOptionRow<T> &row : rows)
            EXPECT_EQ(row.Read(options), row.Default) << row.Name;
    }

    static void CheckAssign(const std::vector<TOptionRow<T>> &rows)
    {
        T source;
        for (const TOptionRow<T> &row : rows)
            row.Change(source);
        T target;
        int notified = 0;
        target.RegisterUpdateNotification(TNotifyEvent::FromCallable([&](TObject *) { ++notified; }));
        target.Assign(&source);
        for (const TOptionRow<T> &row : rows) {
            EXPECT_NE(row.Read(source), row.Default) << row.Name << " is not changed by the table";
            EXPECT_EQ(row.Read(target), row.Read(source)) << row.Name;
        }
        // The whole copy is one change.
        EXPECT_EQ(notified, 1);
    }

    static void CheckNotifications(const std::vector<TOptionRow<T>> &rows)
    {
        for (const TOptionRow<T> &row : rows) {
            T options;
            int notified = 0;
            options.RegisterUpdateNotification(TNotifyEvent::FromCallable([&](TObject *) { ++notified; }));
            row.Change(options);
            EXPECT_EQ(notified, 1) << row.Name;
            row.Change(options);
            EXPECT_EQ(notified, 1) << row.Name << " set to the value it has";
        }
    }
};

std::vector<TOptionRow<TnvTreeOptions>> TreeOptionsRows()
{
    // One set of icons, so that setting it again is no change.
    const TnvImageList icons = SomeIcons();
    using Options = TnvTreeOptions;
    return {
        NV_ROW(TreeVisible, true, false),
        NV_ROW(TreeWidth, 150, 220),
        NV_ROW(UnionsNodeText, QStringLiteral("UNIONS"), QStringLiteral("Unions")),
        NV_ROW(ShowFields, true, false),
        NV_ROW(FieldsNodeText, QStringLiteral("FIELDS"), QStringLiteral("Columns")),
        NV_ROW(ShowFrom, true, false),
        NV_ROW(FromNodeText, QStringLiteral("FROM"), QStringLiteral("Sources")),
        NV_ROW(ImageList, TnvImageList(), icons),
        NV_ROW(QueriesImageIndex, -1, 1),
        NV_ROW(FieldsImageIndex, -1, 2),
        NV_ROW(FieldImageIndex, -1, 3),
        NV_ROW(FromImageIndex, -1, 4),
        NV_ROW(FromObjImageIndex, -1, 5),
        NV_ROW(ExpandQueryNodes, true, false),
        NV_ROW(ExpandUnionsNodes, true, false),
        NV_ROW(ExpandFieldsNodes, true, false),
        NV_ROW(ExpandFromNodes, true, false),
    };
}

std::vector<TOptionRow<TnvMetadataTreeOptions>> MetadataTreeOptionsRows()
{
    // One set of icons, so that setting it again is no change.
    const TnvImageList icons = SomeIcons();
    using Options = TnvMetadataTreeOptions;
    return {
        NV_ROW(TreeVisible, true, false),
        NV_ROW(TreeWidth, 150, 200),
        NV_ROW(ShowUserTables, true, false),
        NV_ROW(ShowUserViews, true, false),
        NV_ROW(ShowUserProcedures, true, false),
        NV_ROW(ShowUserSynonyms, true, false),
        NV_ROW(ShowSystemTables, false, true),
        NV_ROW(ShowSystemViews, false, true),
        NV_ROW(ShowSystemProcedures, false, true),
        NV_ROW(ShowSystemSynonyms, false, true),
        NV_ROW(GroupingType, ogtDatabaseSchema, ogtTypeDatabaseSchema),
        NV_ROW(SortingType, ostName, ostSchemaTypeName),
        NV_ROW(ImageList, TnvImageList(), icons),
        NV_ROW(DatabaseImageIndex, -1, 0),
        NV_ROW(SchemaImageIndex, -1, 1),
        NV_ROW(TablesNodeImageIndex, -1, 2),
        NV_ROW(ViewsNodeImageIndex, -1, 3),
        NV_ROW(ProceduresNodeImageIndex, -1, 4),
        NV_ROW(SynonymsNodeImageIndex, -1, 5),
        NV_ROW(UserTablesImageIndex, -1, 6),
        NV_ROW(UserViewsImageIndex, -1, 7),
        NV_ROW(UserProceduresImageIndex, -1, 8),
        NV_ROW(UserSynonymsImageIndex, -1, 9),
        NV_ROW(SystemTablesImageIndex, -1, 10),
        NV_ROW(SystemViewsImageIndex, -1, 11),
        NV_ROW(SystemProceduresImageIndex, -1, 12),
        NV_ROW(SystemSynonymsImageIndex, -1, 13),
    };
}

std::vector<TOptionRow<TnvAddObjectFormOptions>> AddObjectFormOptionsRows()
{
    // One set of icons, so that setting it again is no change.
    const TnvImageList icons = SomeIcons();
    using Options = TnvAddObjectFormOptions;
    return {
        NV_ROW(ListViewStyle, vsList, vsReport),
        NV_ROW(ImageListSmall, TnvImageList(), icons),
        NV_ROW(ImageListLarge, TnvImageList(), icons),
        NV_ROW(ImageIndexTables, -1, 0),
        NV_ROW(ImageIndexViews, -1, 1),
        NV_ROW(ImageIndexProcs, -1, 2),
        NV_ROW(ImageIndexSynonyms, -1, 3),
        NV_ROW(ImageIndexQueries, -1, 4),
        NV_ROW(Position, poMainFormCenter, poScreenCenter),
        NV_ROW(Width, 294, 500),
        NV_ROW(Height, 342, 480),
        NV_ROW(TablesVisible, true, false),
        NV_ROW(ViewsVisible, true, false),
        NV_ROW(ProceduresVisible, true, false),
        NV_ROW(SynonymsVisible, true, false),
        // The constraints are the options' own: a new dialog is at least 430
        // by 430, and a change of them is a change of the options.
        {"Constraints.MinHeight", 430, [](const Options &o) { return QVariant(o.Constraints()->MinHeight()); },
         [](Options &o) { o.Constraints()->SetMinHeight(600); }},
        {"Constraints.MinWidth", 430, [](const Options &o) { return QVariant(o.Constraints()->MinWidth()); },
         [](Options &o) { o.Constraints()->SetMinWidth(640); }},
    };
}

#undef NV_ROW

TEST(TreeOptionsTest, DefaultsAssignAndNotifications)
{
    OptionsContract<TnvTreeOptions>::CheckDefaults(TreeOptionsRows());
    OptionsContract<TnvTreeOptions>::CheckAssign(TreeOptionsRows());
    OptionsContract<TnvTreeOptions>::CheckNotifications(TreeOptionsRows());
}

TEST(MetadataTreeOptionsTest, DefaultsAssignAndNotifications)
{
    OptionsContract<TnvMetadataTreeOptions>::CheckDefaults(MetadataTreeOptionsRows());
    OptionsContract<TnvMetadataTreeOptions>::CheckAssign(MetadataTreeOptionsRows());
    OptionsContract<TnvMetadataTreeOptions>::CheckNotifications(MetadataTreeOptionsRows());
}

TEST(AddObjectFormOptionsTest, DefaultsAssignAndNotifications)
{
    OptionsContract<TnvAddObjectFormOptions>::CheckDefaults(AddObjectFormOptionsRows());
    OptionsContract<TnvAddObjectFormOptions>::CheckAssign(AddObjectFormOptionsRows());
    OptionsContract<TnvAddObjectFormOptions>::CheckNotifications(AddObjectFormOptionsRows());
}

TEST(AddObjectFormOptionsTest, ConstraintsOfTheirOwnStartAtTheDialogsStoredSize)
{
    // Only the options raise them to 430 by 430.
    TnvAddObjectSizeConstraints constraints(nullptr);
    EXPECT_EQ(constraints.MinHeight(), 342);
    EXPECT_EQ(constraints.MinWidth(), 294);
    TnvAddObjectFormOptions options;
    constraints.Assign(options.Constraints());
    EXPECT_EQ(constraints.MinHeight(), 430);
    EXPECT_EQ(constraints.MinWidth(), 430);
}

TEST(OptionImageListTest, ImageListsCompareByTheirIcons)
{
    TnvTreeOptions options;
    int notified = 0;
    options.RegisterUpdateNotification(TNotifyEvent::FromCallable([&](TObject *) { ++notified; }));
    const TnvImageList icons = SomeIcons();
    options.SetImageList(icons);
    // A copy of the same icons is no change; other icons of the same look are.
    options.SetImageList(TnvImageList(icons));
    EXPECT_EQ(notified, 1);
    options.SetImageList(SomeIcons());
    EXPECT_EQ(notified, 2);
    options.SetImageList(TnvImageList());
    EXPECT_EQ(notified, 3);
}

// An open dialog whose size the options read and set.
class TFakeAddObjectForm : public InvAddObjectForm {
public:
    QSize Size{450, 460};
    QSize FormSize() const override { return Size; }
    void SetFormSize(const QSize &size) override { Size = size; }
};

TEST(AddObjectFormOptionsTest, WhileTheDialogIsOpenTheSizeIsTheDialogs)
{
    TnvAddObjectFormOptions options;
    int notified = 0;
    options.RegisterUpdateNotification(TNotifyEvent::FromCallable([&](TObject *) { ++notified; }));
    TFakeAddObjectForm form;
    options.SetForm(&form);
    EXPECT_EQ(options.Width(), 450);
    EXPECT_EQ(options.Height(), 460);

    // The user resized the dialog: setting the stored size again is a change.
    options.SetWidth(294);
    EXPECT_EQ(form.Size, QSize(294, 460));
    options.SetHeight(500);
    EXPECT_EQ(form.Size, QSize(294, 500));
    EXPECT_EQ(notified, 2);
    options.SetHeight(500);
    EXPECT_EQ(notified, 2);

    // Copied from options with an open dialog, the dialog's size goes along.
    TnvAddObjectFormOptions copy;
    form.Size = QSize(610, 620);
    copy.Assign(&options);
    EXPECT_EQ(copy.Width(), 610);
    EXPECT_EQ(copy.Height(), 620);

    // Closed, the options keep what was set last.
    options.SetForm(nullptr);
    EXPECT_EQ(options.Width(), 294);
    EXPECT_EQ(options.Height(), 500);
}

} // namespace
} // namespace nvqb::test
