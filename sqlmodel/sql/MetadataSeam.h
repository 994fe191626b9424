#pragma once
// What the syntax tree needs of the metadata model, reached through a table of
// entries that the metadata model installs at its unit start. The tree holds
// fields lists and points at metadata objects without knowing their classes:
// FROM sources list the columns they offer, select blocks and WITH items their
// result columns. Until the entries are installed no fields list is made and
// every source lists no fields.
#include <QString>

namespace nvqb {

class TnvBaseSyntaxProvider;
class TnvMetadataContainer;
class TnvMetadataFieldsList;
class TnvMetadataObject;
class TnvRefTarget;
class TSQLQualifiedName;

struct TnvMetadataEntries {
    // A new, empty fields list bound to the provider; freed with FreeFieldsList.
    TnvMetadataFieldsList *(*CreateFieldsList)(TnvBaseSyntaxProvider *provider);
    void (*FreeFieldsList)(TnvMetadataFieldsList *list);
    void (*AssignFieldsList)(TnvMetadataFieldsList *dest, const TnvMetadataFieldsList *source);
    void (*ClearFieldsList)(TnvMetadataFieldsList *list);
    void (*SetFieldsListProvider)(TnvMetadataFieldsList *list, TnvBaseSyntaxProvider *provider);
    // Fills Dest with the columns the query would return (may raise).
    void (*LoadFieldsForQuery)(TnvMetadataContainer *container, const QString &sql, TnvMetadataFieldsList *dest);
    // Dest becomes a copy of the object's fields (loaded first unless loaded
    // already or the container works offline), each field recording the object
    // and its source field as its lineage.
    void (*CopyObjectFields)(TnvMetadataObject *object, TnvMetadataContainer *container,
                             TnvMetadataFieldsList *dest);
    TnvMetadataObject *(*FindObjectByFullName)(TnvMetadataContainer *container, const TSQLQualifiedName *name);
    // The tracking part of a metadata object, so tree nodes can point at it
    // without dangling.
    TnvRefTarget *(*ObjectRefTarget)(TnvMetadataObject *object);
};

// The installed entries; nil before the metadata model installs them.
const TnvMetadataEntries *MetadataEntries();
// Installs (or, with nil, removes) the entries; the table must outlive its use.
void SetMetadataEntries(const TnvMetadataEntries *entries);

// An owned fields list made through the installed entries (nil without them).
class TnvFieldsListHolder {
public:
    explicit TnvFieldsListHolder(TnvBaseSyntaxProvider *provider);
    ~TnvFieldsListHolder();
    TnvFieldsListHolder(const TnvFieldsListHolder &) = delete;
    TnvFieldsListHolder &operator=(const TnvFieldsListHolder &) = delete;

    TnvMetadataFieldsList *Get() const { return FList; }
    void Clear();
    void AssignFrom(const TnvMetadataFieldsList *source);
    void SetSyntaxProvider(TnvBaseSyntaxProvider *provider);

private:
    const TnvMetadataEntries *FEntries;
    TnvMetadataFieldsList *FList = nullptr;
};

} // namespace nvqb
