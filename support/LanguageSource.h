#pragma once
// Language sources: one language text in memory (a TnvMemIniFile) with its
// character set and reading direction, and the conventions for multi-line
// texts (Key, Key.0, Key.1, ...) and string lists (Key.Item0, Key.Item1, ...).
// The concrete sources differ only in where the text comes from.
#include "classlib/ClassInfo.h"
#include "classlib/StringList.h"
#include "support/Charsets.h"
#include "support/MemIniFile.h"

#include <QByteArray>
#include <QString>

namespace nvqb {

enum TBiDiMode : quint8 { bdLeftToRight = 0, bdRightToLeft = 1 };

class TnvQBLanguageSourceBase : public TObject {
    NV_DECLARE_CLASS(TnvQBLanguageSourceBase)
public:
    explicit TnvQBLanguageSourceBase(const QByteArray &name);
    ~TnvQBLanguageSourceBase() override;

    // Line numbers of multi-line texts above this are ignored: a stray
    // "Key.2000000000" must not turn into two billion empty lines.
    static constexpr int MaxLineNumber = 9999;

    const QByteArray &Name() const { return FName; }
    quint8 BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(quint8 value) { FBiDiMode = value; }
    quint8 Charset() const { return FCharset; }
    void SetCharset(quint8 value) { FCharset = value; }
    TnvMemIniFile *IniFile() const { return FIniFile.get(); }

    // "CharSet" and "BiDiMode" of the "General Settings" section.
    void ReadParams();
    void WriteParams();

    static quint8 CharsetStringToVal(const QByteArray &name);
    static QByteArray CharsetValToString(int charset);
    static quint8 BiDiStringToVal(const QByteArray &text);
    static QByteArray BiDIValToString(quint8 mode);

    // One text, multi-line aware.
    QByteArray ReadString(const QByteArray &section, const QByteArray &key, const QByteArray &def) const;
    void WriteString(const QByteArray &section, const QByteArray &key, const QByteArray &value);
    // The same for Unicode text, converted with the language's character set.
    QString ReadWideString(const QByteArray &section, const QByteArray &key, const QString &def) const;
    void WriteWideString(const QByteArray &section, const QByteArray &key, const QString &value);

    // String lists: as many items as defaults, stored items first (in the order
    // of their numbers), then the remaining defaults. Without a defaults list
    // every stored item is read.
    void ReadStrings(const QByteArray &section, const QByteArray &key, const TStringList *defaults,
                     TStringList *result) const;
    void ReadWideStrings(const QByteArray &section, const QByteArray &key, const TWideStringList *defaults,
                         TWideStringList *result) const;
    void WriteStrings(const QByteArray &section, const QByteArray &key, const TStringList *strings);
    void WriteWideStrings(const QByteArray &section, const QByteArray &key, const TWideStringList *strings);

    // The key's own line and its numbered lines, nothing else.
    void ClearString(const QByteArray &section, const QByteArray &key);
    void ClearWideString(const QByteArray &section, const QByteArray &key) { ClearString(section, key); }
    bool IsStringExists(const QByteArray &section, const QByteArray &key) const;
    bool IsWideStringExists(const QByteArray &section, const QByteArray &key) const
    {
        return IsStringExists(section, key);
    }
    // The lines of a string list (Key.ItemN and Key.ItemN.M).
    void ClearStrings(const QByteArray &section, const QByteArray &key);
    bool IsStringsExists(const QByteArray &section, const QByteArray &key) const;

    virtual void SaveLanguage() {}

    QString ToUnicode(const QByteArray &text) const;
    QByteArray FromUnicode(const QString &text) const;

protected:
    bool TryReadString(const QByteArray &section, const QByteArray &key, QByteArray &value) const;

private:
    template <class List, class Convert>
    void ReadStringsImpl(const QByteArray &section, const QByteArray &key, const List *defaults,
                         List *result, Convert convert) const;

    QByteArray FName;
    quint8 FBiDiMode = bdLeftToRight;
    quint8 FCharset = DEFAULT_CHARSET;
    TOwned<TnvMemIniFile> FIniFile;
};

// The text of a resource of the library, found at ":/<type>/<name>".
class TnvQBLanguageSourceResource : public TnvQBLanguageSourceBase {
    NV_DECLARE_CLASS(TnvQBLanguageSourceResource)
public:
    TnvQBLanguageSourceResource(const QByteArray &name, const QString &resourceName, const QString &resourceType);
};

class TnvQBLanguageSourceFile : public TnvQBLanguageSourceBase {
    NV_DECLARE_CLASS(TnvQBLanguageSourceFile)
public:
    TnvQBLanguageSourceFile(const QByteArray &name, const QString &fileName);
    const QString &FileName() const { return FFileName; }
    // Writes the text back through a temporary file that replaces the file only
    // once complete, so a failed save leaves the old text in place.
    void SaveLanguage() override;

private:
    QString FFileName;
};

class TnvQBLanguageSourceStrings : public TnvQBLanguageSourceBase {
    NV_DECLARE_CLASS(TnvQBLanguageSourceStrings)
public:
    TnvQBLanguageSourceStrings(const QByteArray &name, const TStringList *strings);
};

class TnvQBLanguageSourceString : public TnvQBLanguageSourceBase {
    NV_DECLARE_CLASS(TnvQBLanguageSourceString)
public:
    TnvQBLanguageSourceString(const QByteArray &name, const QByteArray &text);
};

} // namespace nvqb
