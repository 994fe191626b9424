#include "support/Charsets.h"
#include "classlib/Strings.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace nvqb {

namespace {

struct CharsetEntry {
    const char *Name;
    int Number;
    const char *CodePage;
};

// Johab has no converter here; its entry falls back to Latin-1.
constexpr CharsetEntry Charsets[] = {
    {"ANSI_CHARSET", ANSI_CHARSET, "windows-1252"},
    {"DEFAULT_CHARSET", DEFAULT_CHARSET, "windows-1252"},
    {"SYMBOL_CHARSET", SYMBOL_CHARSET, "windows-1252"},
    {"MAC_CHARSET", MAC_CHARSET, "macintosh"},
    {"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET, "CP932"},
    {"HANGEUL_CHARSET", HANGEUL_CHARSET, "windows-949"},
    {"JOHAB_CHARSET", JOHAB_CHARSET, "johab"},
    {"GB2312_CHARSET", GB2312_CHARSET, "GBK"},
    {"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET, "windows-950"},
    {"GREEK_CHARSET", GREEK_CHARSET, "windows-1253"},
    {"TURKISH_CHARSET", TURKISH_CHARSET, "windows-1254"},
    {"VIETNAMESE_CHARSET", VIETNAMESE_CHARSET, "windows-1258"},
    {"HEBREW_CHARSET", HEBREW_CHARSET, "windows-1255"},
    {"ARABIC_CHARSET", ARABIC_CHARSET, "windows-1256"},
    {"BALTIC_CHARSET", BALTIC_CHARSET, "windows-1257"},
    {"RUSSIAN_CHARSET", RUSSIAN_CHARSET, "windows-1251"},
    {"THAI_CHARSET", THAI_CHARSET, "windows-874"},
    {"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET, "windows-1250"},
    {"OEM_CHARSET", OEM_CHARSET, "IBM437"},
};

const CharsetEntry *FindByNumber(int charset)
{
    for (const CharsetEntry &e : Charsets)
        if (e.Number == charset)
            return &e;
    return nullptr;
}

} // namespace

QByteArray CharsetName(int charset)
{
    const CharsetEntry *e = FindByNumber(charset);
    return QByteArray(e ? e->Name : "DEFAULT_CHARSET");
}

int CharsetByName(const QByteArray &name)
{
    for (const CharsetEntry &e : Charsets)
        if (SameText(name, QByteArray(e.Name)))
            return e.Number;
    return DEFAULT_CHARSET;
}

const char *CharsetCodePage(int charset)
{
    const CharsetEntry *e = FindByNumber(charset);
    return e ? e->CodePage : "windows-1252";
}

QString CharsetToUnicode(const QByteArray &text, int charset)
{
    if (text.isEmpty())
        return QString();
    QStringDecoder decoder(CharsetCodePage(charset), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return QString::fromLatin1(text);
    return decoder.decode(text);
}

QByteArray UnicodeToCharset(const QString &text, int charset)
{
    if (text.isEmpty())
        return QByteArray();
    QStringEncoder encoder(CharsetCodePage(charset), QStringEncoder::Flag::Stateless);
    if (!encoder.isValid())
        return text.toLatin1();
    return encoder.encode(text);
}

} // namespace nvqb
