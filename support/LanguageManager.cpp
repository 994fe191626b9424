#include "support/LanguageManager.h"
#include "classlib/Assert.h"
#include "support/Localizer.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvQBLanguageManager, TComponent)

namespace {
const char *const Unit = "nvQBLocalizer";
TnvQBLanguageManager *GlobalManager = nullptr;

struct BuiltInLanguage {
    const char *Name;
    const char *ResourceName;
};

constexpr BuiltInLanguage BuiltInLanguages[] = {
    {"English", "ENGLISH.LNG"},   {"Spanish", "SPANISH.LNG"},
    {"Italian", "ITALIAN.LNG"},   {"Chinese", "CHINESE.LNG"},
    {"Czech", "CZECH.LNG"},       {"Portuguese(Brazil)", "PORTUGUESE_BRAZIL.LNG"},
    {"Turkish", "TURKISH.LNG"},   {"Japanese", "JAPANESE.LNG"},
    {"Russian", "RUSSIAN.LNG"},
};
} // namespace

TnvQBLanguageManager::TnvQBLanguageManager(TComponent *owner) : TComponent(owner) {}

TnvQBLanguageManager::~TnvQBLanguageManager()
{
    for (TnvQBLocalizerBase *localizer : FLocalizers)
        localizer->FManager = nullptr;
    FLocalizers.clear();
    FCurrentLanguage = nullptr;
    FDefaultLanguage = nullptr;
    while (!FLanguages.isEmpty())
        TObject::Free(FLanguages.takeLast());
}

void TnvQBLanguageManager::BeforeDestruction()
{
    Assert(FLocalizers.isEmpty(), Unit, "TnvQBLanguageManager: localizers are still registered");
    TComponent::BeforeDestruction();
}

qsizetype TnvQBLanguageManager::AddLanguage(TOwned<TnvQBLanguageSourceBase> source, bool isDefault)
{
    Assert(source != nullptr, Unit, "TnvQBLanguageManager.AddLanguage: no source");
    TnvQBLanguageSourceBase *added = source.release();
    FLanguages.append(added);
    if (isDefault)
        FDefaultLanguage = added;
    return FLanguages.size() - 1;
}

qsizetype TnvQBLanguageManager::AddLanguageFromResource(const QByteArray &name, const QString &resourceName,
                                                        const QString &resourceType, bool isDefault)
{
    return AddLanguage(Create<TnvQBLanguageSourceResource>(name, resourceName, resourceType), isDefault);
}

qsizetype TnvQBLanguageManager::AddLanguageFromFile(const QByteArray &name, const QString &fileName, bool isDefault)
{
    return AddLanguage(Create<TnvQBLanguageSourceFile>(name, fileName), isDefault);
}

qsizetype TnvQBLanguageManager::AddLanguageFromStrings(const QByteArray &name, const TStringList *strings,
                                                       bool isDefault)
{
    Assert(strings != nullptr, Unit, "TnvQBLanguageManager.AddLanguageFromStrings: no string list");
    return AddLanguage(Create<TnvQBLanguageSourceStrings>(name, strings), isDefault);
}

qsizetype TnvQBLanguageManager::AddLanguageFromString(const QByteArray &name, const QByteArray &text, bool isDefault)
{
    return AddLanguage(Create<TnvQBLanguageSourceString>(name, text), isDefault);
}

void TnvQBLanguageManager::DeleteLanguage(qsizetype index)
{
    TnvQBLanguageSourceBase *source = GetLanguage(index);
    if (index == FCurrentLanguageIndex)
        SetCurrentLanguage(nullptr);
    if (source == FDefaultLanguage)
        FDefaultLanguage = nullptr;
    FLanguages.removeAt(index);
    // The index follows the current language down when one before it goes.
    if (FCurrentLanguageIndex > index)
        --FCurrentLanguageIndex;
    TObject::Free(source);
}

TnvQBLanguageSourceBase *TnvQBLanguageManager::GetLanguage(qsizetype index) const
{
    if (index < 0 || index >= FLanguages.size())
        ListIndexError(index);
    return FLanguages[index];
}

qsizetype TnvQBLanguageManager::IndexOfLanguage(const TnvQBLanguageSourceBase *source) const
{
    return FLanguages.indexOf(const_cast<TnvQBLanguageSourceBase *>(source));
}

void TnvQBLanguageManager::SetCurrentLanguage(TnvQBLanguageSourceBase *source)
{
    const qsizetype index = source ? IndexOfLanguage(source) : -1;
    Assert(!source || index >= 0, Unit, "TnvQBLanguageManager.SetCurrentLanguage: unknown language");
    if (source != FCurrentLanguage)
        SetCurrentLanguageIndex(index);
}

void TnvQBLanguageManager::SetCurrentLanguageIndex(qsizetype index)
{
    if (index == FCurrentLanguageIndex)
        return;
    TnvQBLanguageSourceBase *source = index == -1 ? nullptr : GetLanguage(index);
    FCurrentLanguageIndex = index;
    FCurrentLanguage = source;
    RefreshLocalizers();
}

void TnvQBLanguageManager::RefreshLocalizers()
{
    // A localizer may go away while another one refreshes; only those still
    // registered are asked.
    const QList<TnvQBLocalizerBase *> localizers = FLocalizers;
    for (TnvQBLocalizerBase *localizer : localizers)
        if (FLocalizers.contains(localizer))
            localizer->Localize();
}

void TnvQBLanguageManager::AddLocalizer(TnvQBLocalizerBase *localizer)
{
    Assert(localizer != nullptr && !FLocalizers.contains(localizer), Unit,
           "TnvQBLanguageManager.AddLocalizer: localizer already registered");
    FLocalizers.append(localizer);
}

void TnvQBLanguageManager::RemoveLocalizer(TnvQBLocalizerBase *localizer)
{
    Assert(FLocalizers.contains(localizer), Unit, "TnvQBLanguageManager.RemoveLocalizer: localizer not registered");
    FLocalizers.removeOne(localizer);
}

TnvQBLocalizerBase *TnvQBLanguageManager::Localizers(qsizetype index) const
{
    if (index < 0 || index >= FLocalizers.size())
        ListIndexError(index);
    return FLocalizers[index];
}

TnvQBLanguageManager *nvQBLanguageManager()
{
    Assert(GlobalManager != nullptr, Unit, "The language manager does not exist");
    return GlobalManager;
}

TnvQBLanguageManager *nvQBLanguageManagerOrNull() { return GlobalManager; }

void InitializeLanguageManager()
{
    if (GlobalManager)
        return;
    GlobalManager = new TnvQBLanguageManager(nullptr);
    GlobalManager->AfterConstruction();
    for (const BuiltInLanguage &language : BuiltInLanguages)
        GlobalManager->AddLanguageFromResource(language.Name, QString::fromLatin1(language.ResourceName),
                                               QStringLiteral("LANGUAGE"));
}

void FinalizeLanguageManager()
{
    TnvQBLanguageManager *manager = GlobalManager;
    GlobalManager = nullptr;
    if (!manager)
        return;
    try {
        TObject::Free(manager);
    } catch (const Exception &e) {
        // Localizers left behind at unload: report it, cut them loose and free
        // the manager anyway rather than abort the process.
        qWarning("%s", qPrintable(e.Message()));
        delete manager;
    }
}

} // namespace nvqb
