#pragma once
// The process-wide registry of languages and of the localizers to refresh when
// the current language changes. The library never chooses a language itself:
// until the host does, every text is the caller's built-in default.
#include "classlib/Component.h"
#include "support/LanguageSource.h"

#include <QList>

namespace nvqb {

class TnvQBLocalizerBase;

class TnvQBLanguageManager : public TComponent {
    NV_DECLARE_CLASS(TnvQBLanguageManager)
public:
    explicit TnvQBLanguageManager(TComponent *owner = nullptr);
    ~TnvQBLanguageManager() override;
    void BeforeDestruction() override;

    // Each returns the new language's index; none changes the current language.
    qsizetype AddLanguageFromResource(const QByteArray &name, const QString &resourceName,
                                      const QString &resourceType, bool isDefault = false);
    qsizetype AddLanguageFromFile(const QByteArray &name, const QString &fileName, bool isDefault = false);
    qsizetype AddLanguageFromStrings(const QByteArray &name, const TStringList *strings, bool isDefault = false);
    qsizetype AddLanguageFromString(const QByteArray &name, const QByteArray &text, bool isDefault = false);
    qsizetype AddLanguage(TOwned<TnvQBLanguageSourceBase> source, bool isDefault = false);

    // Deleting the current language first sets no language (refreshing every
    // localizer); deleting one before it keeps the current language current.
    void DeleteLanguage(qsizetype index);
    TnvQBLanguageSourceBase *GetLanguage(qsizetype index) const;
    qsizetype GetLanguagesCount() const { return FLanguages.size(); }
    qsizetype IndexOfLanguage(const TnvQBLanguageSourceBase *source) const;

    TnvQBLanguageSourceBase *DefaultLanguage() const { return FDefaultLanguage; }
    TnvQBLanguageSourceBase *CurrentLanguage() const { return FCurrentLanguage; }
    qsizetype CurrentLanguageIndex() const { return FCurrentLanguageIndex; }
    void SetCurrentLanguage(TnvQBLanguageSourceBase *source);
    // -1 for none; a bad index raises the list-index error and changes nothing.
    void SetCurrentLanguageIndex(qsizetype index);

    void AddLocalizer(TnvQBLocalizerBase *localizer);
    void RemoveLocalizer(TnvQBLocalizerBase *localizer);
    qsizetype LocalizersCount() const { return FLocalizers.size(); }
    TnvQBLocalizerBase *Localizers(qsizetype index) const;

private:
    void RefreshLocalizers();

    QList<TnvQBLanguageSourceBase *> FLanguages; // owned
    QList<TnvQBLocalizerBase *> FLocalizers;     // not owned
    TnvQBLanguageSourceBase *FDefaultLanguage = nullptr;
    TnvQBLanguageSourceBase *FCurrentLanguage = nullptr;
    qsizetype FCurrentLanguageIndex = -1;
};

// The global manager; asserts that the unit start has created it.
TnvQBLanguageManager *nvQBLanguageManager();
// The global manager, or none before the unit start and after the unit end.
TnvQBLanguageManager *nvQBLanguageManagerOrNull();

// Unit start and end of the localization unit (called by the support units).
void InitializeLanguageManager();
void FinalizeLanguageManager();

} // namespace nvqb
