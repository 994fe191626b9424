#pragma once
// The machine's language and console code page, read from its registry as on
// Windows.
#include <QString>

namespace nvqb {

// The three-letter abbreviation of the user's language (HKEY_CURRENT_USER
// "Control Panel\International", value "sLanguage"), upper-cased; "ENU" when
// not set. The two-letter abbreviation is its first two letters.
QString ThreadLanguageAbbreviation();

// The code page of console output (HKEY_LOCAL_MACHINE
// "SYSTEM\CurrentControlSet\Control\Nls\CodePage", value "OEMCP"); 850 when
// not set or not a number.
int OemCodePage();

} // namespace nvqb
