#pragma once
// Windows character-set numbers as language texts name them, and the code page
// that turns 8-bit text of each character set into Unicode. Linux has no
// process ANSI code page, so a language's own character set decides how its
// 8-bit texts become QString.
#include <QByteArray>
#include <QString>

namespace nvqb {

inline constexpr quint8 ANSI_CHARSET = 0;
inline constexpr quint8 DEFAULT_CHARSET = 1;
inline constexpr quint8 SYMBOL_CHARSET = 2;
inline constexpr quint8 MAC_CHARSET = 77;
inline constexpr quint8 SHIFTJIS_CHARSET = 128;
inline constexpr quint8 HANGEUL_CHARSET = 129;
inline constexpr quint8 JOHAB_CHARSET = 130;
inline constexpr quint8 GB2312_CHARSET = 134;
inline constexpr quint8 CHINESEBIG5_CHARSET = 136;
inline constexpr quint8 GREEK_CHARSET = 161;
inline constexpr quint8 TURKISH_CHARSET = 162;
inline constexpr quint8 VIETNAMESE_CHARSET = 163;
inline constexpr quint8 HEBREW_CHARSET = 177;
inline constexpr quint8 ARABIC_CHARSET = 178;
inline constexpr quint8 BALTIC_CHARSET = 186;
inline constexpr quint8 RUSSIAN_CHARSET = 204;
inline constexpr quint8 THAI_CHARSET = 222;
inline constexpr quint8 EASTEUROPE_CHARSET = 238;
inline constexpr quint8 OEM_CHARSET = 255;

// The character-set name of a number ("DEFAULT_CHARSET" for numbers without a name).
QByteArray CharsetName(int charset);
// The number of a name, compared without regard to case; DEFAULT_CHARSET for unknown names.
int CharsetByName(const QByteArray &name);

// The code page used for 8-bit texts of a character set (windows-1252 for the
// ANSI and default sets).
const char *CharsetCodePage(int charset);

// 8-bit text of a character set to Unicode and back. A character set whose code
// page this system lacks is read byte for byte as Latin-1, so nothing is lost.
QString CharsetToUnicode(const QByteArray &text, int charset);
QByteArray UnicodeToCharset(const QString &text, int charset);

} // namespace nvqb
