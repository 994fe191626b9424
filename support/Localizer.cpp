#include "support/Localizer.h"
#include "classlib/Assert.h"
#include "support/LanguageManager.h"

namespace nvqb {

NV_IMPLEMENT_CLASS(TnvQBLocalizerBase, TComponent)
NV_IMPLEMENT_CLASS(TnvQBLocalizerStandalone, TnvQBLocalizerBase)

namespace {
const char *const Unit = "nvQBLocalizer";

QByteArray DefKey(const QByteArray &key)
{
    Assert(!key.isEmpty(), Unit, "Localizer defaults: empty key");
    return key.toUpper();
}

template <class List> void CopyOrClear(List *strings, const List *defaults)
{
    Assert(strings != nullptr, Unit, "ReadStrings: no result list");
    if (defaults) {
        strings->Assign(defaults);
    } else {
        strings->BeginUpdate();
        strings->Clear();
        strings->EndUpdate();
    }
}
} // namespace

TnvQBLocalizerBase::TnvQBLocalizerBase(TComponent *owner) : TComponent(owner), FManager(nvQBLanguageManager())
{
    FManager->AddLocalizer(this);
}

TnvQBLocalizerBase::~TnvQBLocalizerBase()
{
    if (FManager)
        FManager->RemoveLocalizer(this);
}

TnvQBLanguageSourceBase *TnvQBLocalizerBase::CurrentLanguage() const
{
    return FManager ? FManager->CurrentLanguage() : nullptr;
}

void TnvQBLocalizerBase::Localize()
{
    // A notification may unregister others; each is looked up again by its id
    // before it runs, and those whose guard object is gone are dropped.
    QList<quint64> ids;
    ids.reserve(FNotifications.size());
    for (const Notification &n : FNotifications)
        ids.append(n.Id);
    for (quint64 id : ids) {
        qsizetype index = -1;
        for (qsizetype i = 0; i < FNotifications.size(); ++i)
            if (FNotifications[i].Id == id) {
                index = i;
                break;
            }
        if (index < 0)
            continue;
        if (FNotifications[index].Guarded && FNotifications[index].Guard.isNull()) {
            FNotifications.removeAt(index);
            continue;
        }
        const TNotifyEvent method = FNotifications[index].Method;
        method(this);
    }
    if (OnLocalize)
        OnLocalize(this);
}

void TnvQBLocalizerBase::Loaded()
{
    if (IsDesigning())
        return;
    SaveDefaults();
    Localize();
}

QByteArray TnvQBLocalizerBase::ReadStringFromLanguage(TnvQBLanguageSourceBase *language, const QByteArray &section,
                                                      const QByteArray &key, const QByteArray &def) const
{
    Assert(!section.isEmpty() && !key.isEmpty(), Unit, "ReadString: empty section or key");
    return language ? language->ReadString(section, key, def) : def;
}

QByteArray TnvQBLocalizerBase::ReadString(const QByteArray &section, const QByteArray &key,
                                          const QByteArray &def) const
{
    return ReadStringFromLanguage(CurrentLanguage(), section, key, def);
}

QByteArray TnvQBLocalizerBase::ReadString(const QByteArray &key, const QByteArray &def) const
{
    return ReadString(GetSectionName(), key, def);
}

QString TnvQBLocalizerBase::ReadWideStringFromLanguage(TnvQBLanguageSourceBase *language, const QByteArray &section,
                                                       const QByteArray &key, const QString &def) const
{
    Assert(!section.isEmpty() && !key.isEmpty(), Unit, "ReadWideString: empty section or key");
    return language ? language->ReadWideString(section, key, def) : def;
}

QString TnvQBLocalizerBase::ReadWideString(const QByteArray &section, const QByteArray &key, const QString &def) const
{
    return ReadWideStringFromLanguage(CurrentLanguage(), section, key, def);
}

QString TnvQBLocalizerBase::ReadWideString(const QByteArray &key, const QString &def) const
{
    return ReadWideString(GetSectionName(), key, def);
}

void TnvQBLocalizerBase::ReadStringsFromLanguage(TnvQBLanguageSourceBase *language, const QByteArray &section,
                                                 const QByteArray &key, TStringList *strings,
                                                 const TStringList *defaults) const
{
    Assert(!section.isEmpty() && !key.isEmpty(), Unit, "ReadStrings: empty section or key");
    if (language)
        language->ReadStrings(section, key, defaults, strings);
    else
        CopyOrClear(strings, defaults);
}

void TnvQBLocalizerBase::ReadStrings(const QByteArray &section, const QByteArray &key, TStringList *strings,
                                     const TStringList *defaults) const
{
    ReadStringsFromLanguage(CurrentLanguage(), section, key, strings, defaults);
}

void TnvQBLocalizerBase::ReadStrings(const QByteArray &key, TStringList *strings, const TStringList *defaults) const
{
    ReadStrings(GetSectionName(), key, strings, defaults);
}

void TnvQBLocalizerBase::ReadWideStringsFromLanguage(TnvQBLanguageSourceBase *language, const QByteArray &section,
                                                     const QByteArray &key, TWideStringList *strings,
                                                     const TWideStringList *defaults) const
{
    Assert(!section.isEmpty() && !key.isEmpty(), Unit, "ReadWideStrings: empty section or key");
    if (language)
        language->ReadWideStrings(section, key, defaults, strings);
    else
        CopyOrClear(strings, defaults);
}

void TnvQBLocalizerBase::ReadWideStrings(const QByteArray &section, const QByteArray &key,
                                         TWideStringList *strings, const TWideStringList *defaults) const
{
    ReadWideStringsFromLanguage(CurrentLanguage(), section, key, strings, defaults);
}

void TnvQBLocalizerBase::ReadWideStrings(const QByteArray &key, TWideStringList *strings,
                                         const TWideStringList *defaults) const
{
    ReadWideStrings(GetSectionName(), key, strings, defaults);
}

TnvQBLanguageSourceBase *TnvQBLocalizerBase::RequireLanguage(TnvQBLanguageSourceBase *language) const
{
    Assert(language != nullptr, Unit, "Localizer: no current language to write to");
    return language;
}

void TnvQBLocalizerBase::WriteStringToLanguage(TnvQBLanguageSourceBase *language, const QByteArray &key,
                                               const QByteArray &value)
{
    RequireLanguage(language)->WriteString(GetSectionName(), key, value);
}

void TnvQBLocalizerBase::WriteWideStringToLanguage(TnvQBLanguageSourceBase *language, const QByteArray &key,
                                                   const QString &value)
{
    RequireLanguage(language)->WriteWideString(GetSectionName(), key, value);
}

void TnvQBLocalizerBase::WriteStringsToLanguage(TnvQBLanguageSourceBase *language, const QByteArray &key,
                                                const TStringList *strings)
{
    RequireLanguage(language)->WriteStrings(GetSectionName(), key, strings);
}

void TnvQBLocalizerBase::WriteWideStringsToLanguage(TnvQBLanguageSourceBase *language, const QByteArray &key,
                                                    const TWideStringList *strings)
{
    RequireLanguage(language)->WriteWideStrings(GetSectionName(), key, strings);
}

void TnvQBLocalizerBase::ClearStringInLanguage(TnvQBLanguageSourceBase *language, const QByteArray &key)
{
    RequireLanguage(language)->ClearString(GetSectionName(), key);
}

void TnvQBLocalizerBase::WriteString(const QByteArray &key, const QByteArray &value)
{
    WriteStringToLanguage(CurrentLanguage(), key, value);
}

void TnvQBLocalizerBase::WriteWideString(const QByteArray &key, const QString &value)
{
    WriteWideStringToLanguage(CurrentLanguage(), key, value);
}

void TnvQBLocalizerBase::WriteStrings(const QByteArray &key, const TStringList *strings)
{
    WriteStringsToLanguage(CurrentLanguage(), key, strings);
}

void TnvQBLocalizerBase::WriteWideStrings(const QByteArray &key, const TWideStringList *strings)
{
    WriteWideStringsToLanguage(CurrentLanguage(), key, strings);
}

void TnvQBLocalizerBase::ClearString(const QByteArray &key) { ClearStringInLanguage(CurrentLanguage(), key); }

void TnvQBLocalizerBase::RegisterLocalizeNotification(const TNotifyEvent &method, QObject *guard)
{
    Assert(method.Assigned(), Unit, "RegisterLocalizeNotification: no method");
    FNotifications.append(Notification{method, QPointer<QObject>(guard), guard != nullptr, FNextNotificationId++});
}

void TnvQBLocalizerBase::UnregisterLocalizeNotification(const TNotifyEvent &method)
{
    for (qsizetype i = FNotifications.size() - 1; i >= 0; --i)
        if (FNotifications[i].Method == method) {
            FNotifications.removeAt(i);
            return;
        }
}

void TnvQBLocalizerBase::SetStrDefValue(const QByteArray &key, const QByteArray &value)
{
    const QByteArray k = DefKey(key);
    if (value.isEmpty())
        FStrDefs.remove(k);
    else
        FStrDefs.insert(k, value);
}

QByteArray TnvQBLocalizerBase::GetStrDefValue(const QByteArray &key) const { return FStrDefs.value(DefKey(key)); }

bool TnvQBLocalizerBase::IsStrHaveDefValue(const QByteArray &key) const { return FStrDefs.contains(DefKey(key)); }

qsizetype TnvQBLocalizerBase::FindWideStrDefNameIndex(const QByteArray &key) const
{
    return FWStrDefNames.indexOf(DefKey(key));
}

void TnvQBLocalizerBase::AddWideStrDef(const QByteArray &key, const QString &value)
{
    FWStrDefNames.append(DefKey(key));
    FWStrDefValues.append(value);
}

void TnvQBLocalizerBase::SetWStrDefValue(const QByteArray &key, const QString &value)
{
    const qsizetype i = FindWideStrDefNameIndex(key);
    if (i >= 0)
        FWStrDefValues[i] = value;
    else
        AddWideStrDef(key, value);
}

QString TnvQBLocalizerBase::GetWStrDefValue(const QByteArray &key) const
{
    const qsizetype i = FindWideStrDefNameIndex(key);
    return i >= 0 ? FWStrDefValues[i] : QString();
}

void TnvQBLocalizerBase::SetStringsDefValue(const QByteArray &key, const TWideStringList *strings)
{
    const QByteArray k = DefKey(key);
    auto it = FStringsDefs.find(k);
    if (it == FStringsDefs.end())
        it = FStringsDefs.insert(k, std::shared_ptr<TWideStringList>(Create<TWideStringList>().release(), TObjectFree()));
    if (strings)
        (*it)->Assign(strings);
    else
        (*it)->Clear();
}

const TWideStringList *TnvQBLocalizerBase::GetStringsDefValue(const QByteArray &key) const
{
    auto it = FStringsDefs.constFind(DefKey(key));
    return it == FStringsDefs.constEnd() ? nullptr : it->get();
}

} // namespace nvqb
