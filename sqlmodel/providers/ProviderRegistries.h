#pragma once
// The two process-wide registries of provider classes: syntax providers
// (dialects) and metadata providers. A provider's unit registers its class at
// its start; the metadata load wizard lists and instantiates what is
// registered. A class that lives in a library of its own is unregistered
// when that library is unloaded, so no class outlives its code. Classes are found by class name without
// regard to case.
#include "classlib/ComponentClass.h"

#include <QByteArray>
#include <QList>

namespace nvqb {

class TnvProviderClassesList : public TObject {
    NV_DECLARE_CLASS(TnvProviderClassesList)
public:
    qsizetype GetCount() const { return FClasses.size(); }
    TComponentClass GetItems(qsizetype index) const;
    // The first registered class whose name equals Name ignoring case; nil
    // when none does.
    TComponentClass FindClassByClassName(const QByteArray &name) const;

protected:
    void RegisterClass(TComponentClass cls);
    // Removes every registration of the class; nothing when it has none.
    void UnregisterClass(TComponentClass cls) { FClasses.removeAll(cls); }

private:
    QList<TComponentClass> FClasses;
};

class TnvSyntaxProvidersList : public TnvProviderClassesList {
    NV_DECLARE_CLASS(TnvSyntaxProvidersList)
public:
    // Appends the class (a TnvBaseSyntaxProvider class); no duplicate check.
    void RegisterSyntaxProvider(TComponentClass cls);
};

class TnvMetadataProvidersList : public TnvProviderClassesList {
    NV_DECLARE_CLASS(TnvMetadataProvidersList)
public:
    // Appends the class; no duplicate check.
    void RegisterMetadataProvider(TComponentClass cls);
    void UnregisterMetadataProvider(TComponentClass cls) { UnregisterClass(cls); }
};

// The global registries, made at the object model's unit start; using them
// before the start or after the end is an assertion failure.
TnvSyntaxProvidersList *SyntaxProvidersList();
TnvMetadataProvidersList *MetadataProvidersList();

void InitializeProviderRegistries();
void FinalizeProviderRegistries();

} // namespace nvqb
