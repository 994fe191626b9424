#pragma once
// The object model's messages: every message with a key is read through the
// unit's standalone localizer (section "Norvane Query Builder") with its
// built-in text as default.
#include "classlib/Format.h"
#include "support/Localizer.h"
#include "support/MessageTexts.h"

#include <QString>
#include <initializer_list>

namespace nvqb {

// The unit's localizer; asserts that the unit start has created it.
TnvQBLocalizerStandalone *QueryBuilderLocalizer();

// The localized text of a message, or its built-in text.
QString nvQBMessage(const TnvResString &res);
// For message keys without a built-in resource string.
QString nvQBMessage(const char *key, const QString &defaultText);
// The localized text formatted with args. A translation whose placeholders do
// not fit the arguments falls back to the built-in text.
QString nvQBFormatMessage(const TnvResString &res, std::initializer_list<FormatArg> args);
QString nvQBFormatMessage(const char *key, const QString &defaultText, std::initializer_list<FormatArg> args);

// Unit start and end of the message localizer (called by the object model's units).
void InitializeModelMessages();
void FinalizeModelMessages();

} // namespace nvqb
