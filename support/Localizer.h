#pragma once
// Localizers: components through which code and forms read their texts in the
// current language. Each reads one section of the current language text and
// falls back to the caller's default when no language is current or the key is
// missing.
#include "classlib/Component.h"
#include "classlib/Method.h"
#include "classlib/StringList.h"
#include "support/LanguageSource.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <memory>

namespace nvqb {

class TnvQBLanguageManager;

class TnvQBLocalizerBase : public TComponent {
    NV_DECLARE_CLASS(TnvQBLocalizerBase)
    friend class TnvQBLanguageManager;

public:
    // Registers the localizer with the global language manager.
    explicit TnvQBLocalizerBase(TComponent *owner);
    ~TnvQBLocalizerBase() override;

    TnvQBLanguageManager *LanguageManager() const { return FManager; }
    TnvQBLanguageSourceBase *CurrentLanguage() const;

    virtual QByteArray GetSectionName() const = 0;
    virtual void SaveDefaults() {}
    // Runs the registered notifications in registration order, then OnLocalize.
    virtual void Localize();
    // Once the owner is built: save the texts it holds as defaults, then
    // translate them (nothing happens while designing).
    virtual void Loaded();

    QByteArray ReadString(const QByteArray &key, const QByteArray &def) const;
    QByteArray ReadString(const QByteArray &section, const QByteArray &key, const QByteArray &def) const;
    QByteArray ReadStringFromLanguage(TnvQBLanguageSourceBase *language, const QByteArray &section,
                                      const QByteArray &key, const QByteArray &def) const;
    QString ReadWideString(const QByteArray &key, const QString &def) const;
    QString ReadWideString(const QByteArray &section, const QByteArray &key, const QString &def) const;
    QString ReadWideStringFromLanguage(TnvQBLanguageSourceBase *language, const QByteArray &section,
                                       const QByteArray &key, const QString &def) const;

    // Without a language the result is a copy of the defaults (cleared when
    // none are given).
    void ReadStrings(const QByteArray &key, TStringList *strings, const TStringList *defaults) const;
    void ReadStrings(const QByteArray &section, const QByteArray &key, TStringList *strings,
                     const TStringList *defaults) const;
    void ReadStringsFromLanguage(TnvQBLanguageSourceBase *language, const QByteArray &section,
                                 const QByteArray &key, TStringList *strings, const TStringList *defaults) const;
    void ReadWideStrings(const QByteArray &key, TWideStringList *strings, const TWideStringList *defaults) const;
    void ReadWideStrings(const QByteArray &section, const QByteArray &key, TWideStringList *strings,
                         const TWideStringList *defaults) const;
    void ReadWideStringsFromLanguage(TnvQBLanguageSourceBase *language, const QByteArray &section,
                                     const QByteArray &key, TWideStringList *strings,
                                     const TWideStringList *defaults) const;

    // Writing and clearing need a current language (or the given one).
    void WriteString(const QByteArray &key, const QByteArray &value);
    void WriteWideString(const QByteArray &key, const QString &value);
    void WriteStrings(const QByteArray &key, const TStringList *strings);
    void WriteWideStrings(const QByteArray &key, const TWideStringList *strings);
    void ClearString(const QByteArray &key);
    void WriteStringToLanguage(TnvQBLanguageSourceBase *language, const QByteArray &key, const QByteArray &value);
    void WriteWideStringToLanguage(TnvQBLanguageSourceBase *language, const QByteArray &key, const QString &value);
    void WriteStringsToLanguage(TnvQBLanguageSourceBase *language, const QByteArray &key,
                                const TStringList *strings);
    void WriteWideStringsToLanguage(TnvQBLanguageSourceBase *language, const QByteArray &key,
                                    const TWideStringList *strings);
    void ClearStringInLanguage(TnvQBLanguageSourceBase *language, const QByteArray &key);

    // The same method may be registered twice; unregistering removes the last
    // equal entry. A notification registered with a guard object is dropped,
    // never called, once that object is destroyed.
    void RegisterLocalizeNotification(const TNotifyEvent &method, QObject *guard = nullptr);
    void UnregisterLocalizeNotification(const TNotifyEvent &method);
    qsizetype LocalizeNotificationCount() const { return FNotifications.size(); }

    // Default stores; keys are matched without regard to case.
    void SetStrDefValue(const QByteArray &key, const QByteArray &value);
    QByteArray GetStrDefValue(const QByteArray &key) const;
    bool IsStrHaveDefValue(const QByteArray &key) const;
    void SetWStrDefValue(const QByteArray &key, const QString &value);
    QString GetWStrDefValue(const QByteArray &key) const;
    bool IsWStrHaveDefValue(const QByteArray &key) const { return FindWideStrDefNameIndex(key) >= 0; }
    void AddWideStrDef(const QByteArray &key, const QString &value);
    qsizetype FindWideStrDefNameIndex(const QByteArray &key) const;
    void SetStringsDefValue(const QByteArray &key, const TWideStringList *strings);
    const TWideStringList *GetStringsDefValue(const QByteArray &key) const;
    bool IsStringsHaveDefValue(const QByteArray &key) const { return GetStringsDefValue(key) != nullptr; }

    TNotifyEvent OnLocalize;

protected:
    TnvQBLanguageSourceBase *RequireLanguage(TnvQBLanguageSourceBase *language) const;

private:
    struct Notification {
        TNotifyEvent Method;
        QPointer<QObject> Guard;
        bool Guarded;
        quint64 Id;
    };

    TnvQBLanguageManager *FManager = nullptr;
    QHash<QByteArray, QByteArray> FStrDefs;
    QList<QByteArray> FWStrDefNames; // upper case, parallel to FWStrDefValues
    QList<QString> FWStrDefValues;
    QHash<QByteArray, std::shared_ptr<TWideStringList>> FStringsDefs;
    QList<Notification> FNotifications;
    quint64 FNextNotificationId = 1;
};

// A localizer whose section is set by its owner: the object model's message
// localizer reads the section "Norvane Query Builder".
class TnvQBLocalizerStandalone : public TnvQBLocalizerBase {
    NV_DECLARE_CLASS(TnvQBLocalizerStandalone)
public:
    using TnvQBLocalizerBase::TnvQBLocalizerBase;
    const QByteArray &SectionName() const { return FSectionName; }
    void SetSectionName(const QByteArray &value) { FSectionName = value; }
    QByteArray GetSectionName() const override { return FSectionName; }

private:
    QByteArray FSectionName;
};

} // namespace nvqb
