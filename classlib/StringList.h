#pragma once
// String lists with the class library's observable semantics:
// - lines may carry an object reference (not owned);
// - "name=value" lines: Names, Values and IndexOfName find a name without regard
//   to case (unless CaseSensitive), assigning an empty value deletes the line;
// - Text joins lines with CR LF and splits at CR, LF and CR LF;
// - CommaText / DelimitedText quote items that hold blanks, quotes or delimiters;
// - a sorted list keeps its order and treats duplicates as Duplicates says;
// - an index outside the list raises EListError "List index out of bounds (%d)".
// TStringList holds 8-bit texts, TWideStringList wide ones.
#include "classlib/Method.h"
#include "classlib/Persistent.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace nvqb {

enum TDuplicates { dupIgnore, dupAccept, dupError };

template <class S> class TStringsT : public TPersistent {
public:
    using String = S;
    using Char = std::conditional_t<std::is_same_v<S, QString>, QChar, char>;

    TStringsT();
    ~TStringsT() override;

    qsizetype Count() const { return FItems.size(); }
    const S &Strings(qsizetype index) const;
    const S &operator[](qsizetype index) const { return Strings(index); }
    void Put(qsizetype index, const S &value);
    void *Objects(qsizetype index) const;
    void PutObject(qsizetype index, void *object);

    qsizetype Add(const S &value) { return AddObject(value, nullptr); }
    qsizetype AddObject(const S &value, void *object);
    void Insert(qsizetype index, const S &value) { InsertObject(index, value, nullptr); }
    void InsertObject(qsizetype index, const S &value, void *object);
    void Delete(qsizetype index);
    void Clear();
    void Exchange(qsizetype a, qsizetype b);
    void Move(qsizetype from, qsizetype to);
    void AddStrings(const TStringsT &other);
    void Assign(const TPersistent *source) override;

    qsizetype IndexOf(const S &value) const;
    qsizetype IndexOfName(const S &name) const;
    qsizetype IndexOfObject(const void *object) const;
    bool Find(const S &value, qsizetype &index) const;

    S Names(qsizetype index) const;
    S Values(const S &name) const;
    void SetValue(const S &name, const S &value);
    S ValueFromIndex(qsizetype index) const;
    void SetValueFromIndex(qsizetype index, const S &value);

    S Text() const;
    void SetText(const S &text);
    S CommaText() const;
    void SetCommaText(const S &text);
    S DelimitedText() const;
    void SetDelimitedText(const S &text);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool value);
    void Sort();
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates value) { FDuplicates = value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value);
    Char NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(Char c) { FNameValueSeparator = c; }
    Char Delimiter() const { return FDelimiter; }
    void SetDelimiter(Char c) { FDelimiter = c; }
    Char QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(Char c) { FQuoteChar = c; }
    const S &LineBreak() const { return FLineBreak; }
    void SetLineBreak(const S &value) { FLineBreak = value; }

    // Nested BeginUpdate/EndUpdate: OnChange fires once at the outermost end
    // when something changed meanwhile.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    TNotifyEvent OnChange;

    bool Equals(const TStringsT &other) const;
    int CompareStrings(const S &a, const S &b) const;

protected:
    void Changed();

private:
    struct Item {
        S Value;
        void *Object;
    };
    void CheckIndex(qsizetype index) const;
    void CheckNotSorted() const;

    QList<Item> FItems;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
    Char FNameValueSeparator = '=';
    Char FDelimiter = ',';
    Char FQuoteChar = '"';
    S FLineBreak;
    int FUpdateCount = 0;
    bool FChangedWhileUpdating = false;
};

class TStringList : public TStringsT<QByteArray> {
    NV_DECLARE_CLASS(TStringList)
public:
    using TStringsT::TStringsT;
};

class TWideStringList : public TStringsT<QString> {
    NV_DECLARE_CLASS(TWideStringList)
public:
    using TStringsT::TStringsT;
    QStringList ToQStringList() const;
};

extern template class TStringsT<QByteArray>;
extern template class TStringsT<QString>;

} // namespace nvqb
