#include "classlib/StringList.h"
#include "classlib/Exceptions.h"
#include "classlib/Strings.h"

#include <algorithm>

namespace nvqb {

namespace {
template <class S> S FromAscii(const char *text)
{
    if constexpr (std::is_same_v<S, QString>)
        return QString::fromLatin1(text);
    else
        return QByteArray(text);
}
template <class C> ushort Code(C c)
{
    if constexpr (std::is_same_v<C, QChar>)
        return c.unicode();
    else
        return uchar(c);
}
} // namespace

template <class S> TStringsT<S>::TStringsT() : FLineBreak(FromAscii<S>("\r\n")) {}

template <class S> TStringsT<S>::~TStringsT() = default;

template <class S> void TStringsT<S>::CheckIndex(qsizetype index) const
{
    if (index < 0 || index >= FItems.size())
        ListIndexError(index);
}

template <class S> void TStringsT<S>::CheckNotSorted() const
{
    if (FSorted)
        throw EListError(QStringLiteral("Operation not allowed on sorted list"));
}

template <class S> void TStringsT<S>::Changed()
{
    if (FUpdateCount > 0) {
        FChangedWhileUpdating = true;
        return;
    }
    if (OnChange)
        OnChange(this);
}

template <class S> void TStringsT<S>::EndUpdate()
{
    if (FUpdateCount <= 0)
        throw EAssertionFailed(QStringLiteral("Unpaired EndUpdate of a string list"));
    if (--FUpdateCount == 0 && FChangedWhileUpdating) {
        FChangedWhileUpdating = false;
        Changed();
    }
}

template <class S> int TStringsT<S>::CompareStrings(const S &a, const S &b) const
{
    if (FCaseSensitive)
        return a < b ? -1 : (b < a ? 1 : 0);
    return CompareText(a, b);
}

template <class S> const S &TStringsT<S>::Strings(qsizetype index) const
{
    CheckIndex(index);
    return FItems[index].Value;
}

template <class S> void TStringsT<S>::Put(qsizetype index, const S &value)
{
    CheckNotSorted();
    CheckIndex(index);
    FItems[index].Value = value;
    Changed();
}

template <class S> void *TStringsT<S>::Objects(qsizetype index) const
{
    CheckIndex(index);
    return FItems[index].Object;
}

template <class S> void TStringsT<S>::PutObject(qsizetype index, void *object)
{
    CheckIndex(index);
    FItems[index].Object = object;
    Changed();
}

template <class S> qsizetype TStringsT<S>::AddObject(const S &value, void *object)
{
    qsizetype index = FItems.size();
    if (FSorted) {
        if (Find(value, index)) {
            if (FDuplicates == dupIgnore)
                return index;
            if (FDuplicates == dupError)
                throw EListError(QStringLiteral("String list does not allow duplicates"));
        }
    }
    FItems.insert(index, Item{value, object});
    Changed();
    return index;
}

template <class S> void TStringsT<S>::InsertObject(qsizetype index, const S &value, void *object)
{
    CheckNotSorted();
    if (index < 0 || index > FItems.size())
        ListIndexError(index);
    FItems.insert(index, Item{value, object});
    Changed();
}

template <class S> void TStringsT<S>::Delete(qsizetype index)
{
    CheckIndex(index);
    FItems.removeAt(index);
    Changed();
}

template <class S> void TStringsT<S>::Clear()
{
    if (FItems.isEmpty())
        return;
    FItems.clear();
    Changed();
}

template <class S> void TStringsT<S>::Exchange(qsizetype a, qsizetype b)
{
    CheckNotSorted();
    CheckIndex(a);
    CheckIndex(b);
    std::swap(FItems[a], FItems[b]);
    Changed();
}

template <class S> void TStringsT<S>::Move(qsizetype from, qsizetype to)
{
    CheckNotSorted();
    CheckIndex(from);
    CheckIndex(to);
    FItems.move(from, to);
    Changed();
}

template <class S> void TStringsT<S>::AddStrings(const TStringsT &other)
{
    BeginUpdate();
    try {
        // A snapshot, so adding a list to itself doubles it once.
        const QList<Item> items = other.FItems;
        for (const Item &item : items)
            AddObject(item.Value, item.Object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

template <class S> void TStringsT<S>::Assign(const TPersistent *source)
{
    if (auto *other = dynamic_cast<const TStringsT *>(source)) {
        if (other == this)
            return;
        BeginUpdate();
        FItems.clear();
        FChangedWhileUpdating = true;
        try {
            AddStrings(*other);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(source);
}

template <class S> qsizetype TStringsT<S>::IndexOf(const S &value) const
{
    if (FSorted) {
        qsizetype index;
        return Find(value, index) ? index : -1;
    }
    for (qsizetype i = 0; i < FItems.size(); ++i)
        if (CompareStrings(FItems[i].Value, value) == 0)
            return i;
    return -1;
}

template <class S> qsizetype TStringsT<S>::IndexOfName(const S &name) const
{
    for (qsizetype i = 0; i < FItems.size(); ++i) {
        const S &line = FItems[i].Value;
        qsizetype p = line.indexOf(FNameValueSeparator);
        if (p >= 0 && CompareStrings(line.left(p), name) == 0)
            return i;
    }
    return -1;
}

template <class S> qsizetype TStringsT<S>::IndexOfObject(const void *object) const
{
    for (qsizetype i = 0; i < FItems.size(); ++i)
        if (FItems[i].Object == object)
            return i;
    return -1;
}

template <class S> bool TStringsT<S>::Find(const S &value, qsizetype &index) const
{
    // Binary search over a sorted list; with dupAccept the first equal line wins.
    qsizetype lo = 0, hi = FItems.size() - 1;
    bool found = false;
    while (lo <= hi) {
        qsizetype mid = (lo + hi) / 2;
        int c = CompareStrings(FItems[mid].Value, value);
        if (c < 0)
            lo = mid + 1;
        else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (FDuplicates != dupAccept)
                    lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

template <class S> S TStringsT<S>::Names(qsizetype index) const
{
    const S &line = Strings(index);
    qsizetype p = line.indexOf(FNameValueSeparator);
    return p >= 0 ? line.left(p) : S();
}

template <class S> S TStringsT<S>::Values(const S &name) const
{
    qsizetype i = IndexOfName(name);
    return i >= 0 ? ValueFromIndex(i) : S();
}

template <class S> void TStringsT<S>::SetValue(const S &name, const S &value)
{
    qsizetype i = IndexOfName(name);
    if (!value.isEmpty()) {
        S line = name;
        line += FNameValueSeparator;
        line += value;
        if (i < 0)
            Add(line);
        else
            Put(i, line);
    } else if (i >= 0) {
        Delete(i);
    }
}

template <class S> S TStringsT<S>::ValueFromIndex(qsizetype index) const
{
    const S &line = Strings(index);
    qsizetype p = line.indexOf(FNameValueSeparator);
    return p >= 0 ? line.mid(p + 1) : S();
}

template <class S> void TStringsT<S>::SetValueFromIndex(qsizetype index, const S &value)
{
    if (value.isEmpty()) {
        Delete(index);
        return;
    }
    S line = Names(index);
    line += FNameValueSeparator;
    line += value;
    Put(index, line);
}

template <class S> S TStringsT<S>::Text() const
{
    S result;
    for (const Item &item : FItems) {
        result += item.Value;
        result += FLineBreak;
    }
    return result;
}

template <class S> void TStringsT<S>::SetText(const S &text)
{
    BeginUpdate();
    FItems.clear();
    FChangedWhileUpdating = true;
    try {
        const qsizetype n = text.size();
        qsizetype p = 0;
        while (p < n) {
            qsizetype start = p;
            while (p < n && Code(text[p]) != '\r' && Code(text[p]) != '\n')
                ++p;
            Add(text.mid(start, p - start));
            if (p < n && Code(text[p]) == '\r')
                ++p;
            if (p < n && Code(text[p]) == '\n')
                ++p;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

template <class S> S TStringsT<S>::DelimitedText() const
{
    if (FItems.size() == 1 && FItems[0].Value.isEmpty())
        return S(2, FQuoteChar);
    S result;
    for (qsizetype i = 0; i < FItems.size(); ++i) {
        const S &value = FItems[i].Value;
        bool needsQuotes = false;
        for (auto c : value)
            if (Code(c) <= ' ' || c == FQuoteChar || c == FDelimiter) {
                needsQuotes = true;
                break;
            }
        if (i > 0)
            result += FDelimiter;
        result += needsQuotes ? QuotedStr(value, FQuoteChar) : value;
    }
    return result;
}

template <class S> void TStringsT<S>::SetDelimitedText(const S &text)
{
    BeginUpdate();
    FItems.clear();
    FChangedWhileUpdating = true;
    try {
        const qsizetype n = text.size();
        qsizetype p = 0;
        auto skipBlanks = [&] {
            while (p < n && Code(text[p]) <= ' ')
                ++p;
        };
        skipBlanks();
        while (p < n) {
            S item;
            if (text[p] == FQuoteChar) {
                // A quoted item; a doubled quote stands for one.
                ++p;
                while (p < n) {
                    if (text[p] == FQuoteChar) {
                        if (p + 1 < n && text[p + 1] == FQuoteChar) {
                            item += FQuoteChar;
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    item += text[p++];
                }
            } else {
                qsizetype start = p;
                while (p < n && Code(text[p]) > ' ' && text[p] != FDelimiter)
                    ++p;
                item = text.mid(start, p - start);
            }
            Add(item);
            skipBlanks();
            if (p < n && text[p] == FDelimiter) {
                ++p;
                skipBlanks();
                if (p >= n)
                    Add(S());
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

template <class S> S TStringsT<S>::CommaText() const
{
    auto *self = const_cast<TStringsT *>(this);
    Char delimiter = FDelimiter, quote = FQuoteChar;
    self->FDelimiter = ',';
    self->FQuoteChar = '"';
    S result = DelimitedText();
    self->FDelimiter = delimiter;
    self->FQuoteChar = quote;
    return result;
}

template <class S> void TStringsT<S>::SetCommaText(const S &text)
{
    Char delimiter = FDelimiter, quote = FQuoteChar;
    FDelimiter = ',';
    FQuoteChar = '"';
    try {
        SetDelimitedText(text);
    } catch (...) {
        FDelimiter = delimiter;
        FQuoteChar = quote;
        throw;
    }
    FDelimiter = delimiter;
    FQuoteChar = quote;
}

template <class S> void TStringsT<S>::SetSorted(bool value)
{
    if (FSorted == value)
        return;
    if (value)
        Sort();
    FSorted = value;
}

template <class S> void TStringsT<S>::Sort()
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [this](const Item &a, const Item &b) { return CompareStrings(a.Value, b.Value) < 0; });
    Changed();
}

template <class S> void TStringsT<S>::SetCaseSensitive(bool value)
{
    if (FCaseSensitive == value)
        return;
    FCaseSensitive = value;
    if (FSorted)
        Sort();
}

template <class S> bool TStringsT<S>::Equals(const TStringsT &other) const
{
    if (other.Count() != Count())
        return false;
    for (qsizetype i = 0; i < Count(); ++i)
        if (FItems[i].Value != other.FItems[i].Value)
            return false;
    return true;
}

template class TStringsT<QByteArray>;
template class TStringsT<QString>;

NV_IMPLEMENT_CLASS(TStringList, TPersistent)
NV_IMPLEMENT_CLASS(TWideStringList, TPersistent)

QStringList TWideStringList::ToQStringList() const
{
    QStringList result;
    result.reserve(Count());
    for (qsizetype i = 0; i < Count(); ++i)
        result.append(Strings(i));
    return result;
}

} // namespace nvqb
