#include "sqlmodel/metadata/MetadataEntries.h"
#include "sqlmodel/metadata/MetadataContainer.h"
#include "sqlmodel/sql/QueryStatistics.h"

namespace nvqb {

namespace {

TnvMetadataFieldsList *CreateFieldsList(TnvBaseSyntaxProvider *provider)
{
    TOwned<TnvMetadataFieldsList> list = Create<TnvMetadataFieldsList>(nullptr);
    list->SetSyntaxProvider(provider);
    return list.release();
}

void FreeFieldsList(TnvMetadataFieldsList *list) { TObject::Free(list); }

void AssignFieldsList(TnvMetadataFieldsList *dest, const TnvMetadataFieldsList *source)
{
    TnvBaseSyntaxProvider *provider = dest->SyntaxProvider();
    dest->Assign(source);
    // The copy stays bound to the node that holds it.
    dest->SetSyntaxProvider(provider);
}

void ClearFieldsList(TnvMetadataFieldsList *list) { list->Clear(); }

void SetFieldsListProvider(TnvMetadataFieldsList *list, TnvBaseSyntaxProvider *provider)
{
    list->SetSyntaxProvider(provider);
}

void LoadFieldsForQuery(TnvMetadataContainer *container, const QString &sql, TnvMetadataFieldsList *dest)
{
    container->LoadFieldsForQuery(sql, dest);
}

void CopyObjectFields(TnvMetadataObject *object, TnvMetadataContainer *container, TnvMetadataFieldsList *dest)
{
    TnvMetadataFieldsList *fields = object->GetFields();
    if (!fields->Loaded() && container && !container->WorkOffline() && container->MetadataProvider()) {
        // An object the database cannot describe offers the columns it has.
        try {
            object->LoadFields();
        } catch (const std::exception &) {
        }
        fields = object->GetFields();
    }
    AssignFieldsList(dest, fields);
    // Each copy remembers where it comes from, for the query's statistics;
    // one copy of the object's name serves all of them.
    if (IsQualifiedNameEmpty(object->FullName()))
        return;
    TnvStatsName objectName;
    for (qsizetype i = 0; i < dest->Count() && i < fields->Count(); ++i) {
        TnvMetadataField *copy = dest->Items(i);
        TnvMetadataField *original = fields->Items(i);
        if (IsQualifiedNameEmpty(original->Name()))
            continue;
        if (!objectName)
            objectName = MakeStatsName(copy->StatsObjects()->SyntaxProvider(), object->FullName());
        copy->StatsObjects()->AddObject(object, objectName);
        copy->StatsColumns()->AddColumn(object, objectName, original,
                                        MakeStatsName(copy->StatsColumns()->SyntaxProvider(), original->Name()));
    }
}

TnvMetadataObject *FindObjectByFullName(TnvMetadataContainer *container, const TSQLQualifiedName *name)
{
    if (!container || IsQualifiedNameEmpty(name))
        return nullptr;
    return container->FindObjectByFullName(name);
}

TnvRefTarget *ObjectRefTarget(TnvMetadataObject *object) { return object; }

constexpr TnvMetadataEntries Entries{
    &CreateFieldsList, &FreeFieldsList,     &AssignFieldsList,     &ClearFieldsList, &SetFieldsListProvider,
    &LoadFieldsForQuery, &CopyObjectFields, &FindObjectByFullName, &ObjectRefTarget,
};

} // namespace

const TnvMetadataEntries *MetadataModelEntries() { return &Entries; }

void InitializeMetadataEntries() { SetMetadataEntries(&Entries); }

void FinalizeMetadataEntries()
{
    if (MetadataEntries() == &Entries)
        SetMetadataEntries(nullptr);
}

} // namespace nvqb
