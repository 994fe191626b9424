#include "sqlmodel/ModelMessages.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"
#include "support/LanguageManager.h"

namespace nvqb {

namespace {
TnvQBLocalizerStandalone *ModelLocalizer = nullptr;
}

TnvQBLocalizerStandalone *QueryBuilderLocalizer()
{
    Assert(ModelLocalizer != nullptr, "nvAST", "The object model's localizer does not exist");
    return ModelLocalizer;
}

QString nvQBMessage(const TnvResString &res) { return nvQBMessage(res.Key, LoadResString(res)); }

QString nvQBMessage(const char *key, const QString &defaultText)
{
    // Before the unit start and after its end the built-in text still serves.
    if (!ModelLocalizer)
        return defaultText;
    return ModelLocalizer->ReadWideString(QByteArray(key), defaultText);
}

QString nvQBFormatMessage(const TnvResString &res, std::initializer_list<FormatArg> args)
{
    return nvQBFormatMessage(res.Key, LoadResString(res), args);
}

QString nvQBFormatMessage(const char *key, const QString &defaultText, std::initializer_list<FormatArg> args)
{
    const QString text = nvQBMessage(key, defaultText);
    try {
        return Format(text, args);
    } catch (const EConvertError &) {
        return Format(defaultText, args);
    }
}

void InitializeModelMessages()
{
    if (ModelLocalizer || !nvQBLanguageManagerOrNull())
        return;
    auto localizer = Create<TnvQBLocalizerStandalone>(nullptr);
    localizer->SetSectionName("Norvane Query Builder");
    ModelLocalizer = localizer.release();
}

void FinalizeModelMessages()
{
    TnvQBLocalizerStandalone *localizer = ModelLocalizer;
    ModelLocalizer = nullptr;
    TObject::Free(localizer);
}

} // namespace nvqb
