#pragma once
// The options of the metadata tree: whether the right panel shows, which
// kinds of database objects it lists, how it groups and sorts them and the
// images of its nodes. The query builder owns one; a change of any value
// updates its controls, which reload the tree.
#include "builder/model/ImageList.h"
#include "sqlmodel/text/UpdatablePersistent.h"

namespace nvqb {

// The group levels above an object node, outer first.
enum TnvQBObjectsGroupingType {
    ogtNone,
    ogtDatabase,
    ogtType,
    ogtDatabaseSchema,
    ogtDatabaseType,
    ogtTypeDatabase,
    ogtDatabaseSchemaType,
    ogtDatabaseTypeSchema,
    ogtTypeDatabaseSchema
};

// The order of the objects: by name; by kind, then name; by schema, kind, name.
enum TnvQBObjectsSortingType { ostName, ostTypeName, ostSchemaTypeName };

class TnvMetadataTreeOptions : public TnvUpdatablePersistent {
    NV_DECLARE_CLASS(TnvMetadataTreeOptions)
public:
    TnvMetadataTreeOptions();
    void Assign(const TPersistent *source) override;

    bool TreeVisible() const { return FTreeVisible; }
    void SetTreeVisible(bool value) { SetAndNotify(FTreeVisible, value); }
    int TreeWidth() const { return FTreeWidth; }
    void SetTreeWidth(int value) { SetAndNotify(FTreeWidth, value); }
    bool ShowUserTables() const { return FShowUserTables; }
    void SetShowUserTables(bool value) { SetAndNotify(FShowUserTables, value); }
    bool ShowUserViews() const { return FShowUserViews; }
    void SetShowUserViews(bool value) { SetAndNotify(FShowUserViews, value); }
    bool ShowUserProcedures() const { return FShowUserProcedures; }
    void SetShowUserProcedures(bool value) { SetAndNotify(FShowUserProcedures, value); }
    bool ShowUserSynonyms() const { return FShowUserSynonyms; }
    void SetShowUserSynonyms(bool value) { SetAndNotify(FShowUserSynonyms, value); }
    bool ShowSystemTables() const { return FShowSystemTables; }
    void SetShowSystemTables(bool value) { SetAndNotify(FShowSystemTables, value); }
    bool ShowSystemViews() const { return FShowSystemViews; }
    void SetShowSystemViews(bool value) { SetAndNotify(FShowSystemViews, value); }
    bool ShowSystemProcedures() const { return FShowSystemProcedures; }
    void SetShowSystemProcedures(bool value) { SetAndNotify(FShowSystemProcedures, value); }
    bool ShowSystemSynonyms() const { return FShowSystemSynonyms; }
    void SetShowSystemSynonyms(bool value) { SetAndNotify(FShowSystemSynonyms, value); }
    TnvQBObjectsGroupingType GroupingType() const { return FGroupingType; }
    void SetGroupingType(TnvQBObjectsGroupingType value) { SetAndNotify(FGroupingType, value); }
    TnvQBObjectsSortingType SortingType() const { return FSortingType; }
    void SetSortingType(TnvQBObjectsSortingType value) { SetAndNotify(FSortingType, value); }
    TnvImageList ImageList() const { return FImageList; }
    void SetImageList(const TnvImageList &value);
    int DatabaseImageIndex() const { return FDatabaseImageIndex; }
    void SetDatabaseImageIndex(int value) { SetAndNotify(FDatabaseImageIndex, value); }
    int SchemaImageIndex() const { return FSchemaImageIndex; }
    void SetSchemaImageIndex(int value) { SetAndNotify(FSchemaImageIndex, value); }
    int TablesNodeImageIndex() const { return FTablesNodeImageIndex; }
    void SetTablesNodeImageIndex(int value) { SetAndNotify(FTablesNodeImageIndex, value); }
    int ViewsNodeImageIndex() const { return FViewsNodeImageIndex; }
    void SetViewsNodeImageIndex(int value) { SetAndNotify(FViewsNodeImageIndex, value); }
    int ProceduresNodeImageIndex() const { return FProceduresNodeImageIndex; }
    void SetProceduresNodeImageIndex(int value) { SetAndNotify(FProceduresNodeImageIndex, value); }
    int SynonymsNodeImageIndex() const { return FSynonymsNodeImageIndex; }
    void SetSynonymsNodeImageIndex(int value) { SetAndNotify(FSynonymsNodeImageIndex, value); }
    int UserTablesImageIndex() const { return FUserTablesImageIndex; }
    void SetUserTablesImageIndex(int value) { SetAndNotify(FUserTablesImageIndex, value); }
    int UserViewsImageIndex() const { return FUserViewsImageIndex; }
    void SetUserViewsImageIndex(int value) { SetAndNotify(FUserViewsImageIndex, value); }
    int UserProceduresImageIndex() const { return FUserProceduresImageIndex; }
    void SetUserProceduresImageIndex(int value) { SetAndNotify(FUserProceduresImageIndex, value); }
    int UserSynonymsImageIndex() const { return FUserSynonymsImageIndex; }
    void SetUserSynonymsImageIndex(int value) { SetAndNotify(FUserSynonymsImageIndex, value); }
    int SystemTablesImageIndex() const { return FSystemTablesImageIndex; }
    void SetSystemTablesImageIndex(int value) { SetAndNotify(FSystemTablesImageIndex, value); }
    int SystemViewsImageIndex() const { return FSystemViewsImageIndex; }
    void SetSystemViewsImageIndex(int value) { SetAndNotify(FSystemViewsImageIndex, value); }
    int SystemProceduresImageIndex() const { return FSystemProceduresImageIndex; }
    void SetSystemProceduresImageIndex(int value) { SetAndNotify(FSystemProceduresImageIndex, value); }
    int SystemSynonymsImageIndex() const { return FSystemSynonymsImageIndex; }
    void SetSystemSynonymsImageIndex(int value) { SetAndNotify(FSystemSynonymsImageIndex, value); }

private:
    bool FTreeVisible = true;
    int FTreeWidth = 150;
    bool FShowUserTables = true;
    bool FShowUserViews = true;
    bool FShowUserProcedures = true;
    bool FShowUserSynonyms = true;
    bool FShowSystemTables = false;
    bool FShowSystemViews = false;
    bool FShowSystemProcedures = false;
    bool FShowSystemSynonyms = false;
    TnvQBObjectsGroupingType FGroupingType = ogtDatabaseSchema;
    TnvQBObjectsSortingType FSortingType = ostName;
    TnvImageList FImageList;
    int FDatabaseImageIndex = -1;
    int FSchemaImageIndex = -1;
    int FTablesNodeImageIndex = -1;
    int FViewsNodeImageIndex = -1;
    int FProceduresNodeImageIndex = -1;
    int FSynonymsNodeImageIndex = -1;
    int FUserTablesImageIndex = -1;
    int FUserViewsImageIndex = -1;
    int FUserProceduresImageIndex = -1;
    int FUserSynonymsImageIndex = -1;
    int FSystemTablesImageIndex = -1;
    int FSystemViewsImageIndex = -1;
    int FSystemProceduresImageIndex = -1;
    int FSystemSynonymsImageIndex = -1;
};

} // namespace nvqb
