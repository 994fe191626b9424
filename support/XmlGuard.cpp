#include "support/XmlGuard.h"

#include <QStringConverter>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <type_traits>

namespace nvqb {

namespace {

// Elements are named in messages by at most this many characters: a name
// may be as long as the document.
constexpr qsizetype NameShown = 64;

// One pass over the code units of a document (bytes of UTF-8, or UTF-16
// units). Markup characters are ASCII in both, and no byte of a UTF-8
// sequence for another character is, so the scan needs no decoding.
template <class C> class TShapeScan {
public:
    TShapeScan(const C *begin, const C *end, const TXmlShapeLimits &limits)
        : FBegin(begin), FEnd(end), FLimits(limits)
    {
    }

    QString Run()
    {
        int depth = 0;
        const C *p = FBegin;
        while ((p = std::find(p, FEnd, C('<'))) != FEnd) {
            const C *tag = p;
            if (StartsWith(p, "<!--")) {
                p = After(p + 4, "-->");
            } else if (StartsWith(p, "<![CDATA[")) {
                p = After(p + 9, "]]>");
            } else if (StartsWith(p, "<?")) {
                p = After(p + 2, "?>");
            } else if (StartsWith(p, "<!DOCTYPE")) {
                return QStringLiteral("A document type declaration is not accepted") + Position(tag);
            } else if (StartsWith(p, "</")) {
                depth = std::max(depth - 1, 0);
                p = After(p + 2, ">");
            } else if (p + 1 != FEnd && IsNameStart(p[1])) {
                const C *q = p + 1;
                while (q != FEnd && !IsSpace(*q) && *q != C('/') && *q != C('>'))
                    ++q;
                const C *nameEnd = q;
                int attributes = 0;
                // Only an attribute's "=" stands outside quotes in a start tag.
                while (q != FEnd && *q != C('>') && *q != C('<')) {
                    if (*q == C('"') || *q == C('\'')) {
                        q = std::find(q + 1, FEnd, *q);
                        if (q != FEnd)
                            ++q;
                        continue;
                    }
                    if (*q == C('=') && ++attributes > FLimits.MaxAttributes)
                        return QStringLiteral("Element \"%1\" has more than %2 attributes%3")
                            .arg(Name(tag + 1, nameEnd))
                            .arg(FLimits.MaxAttributes)
                            .arg(Position(tag));
                    ++q;
                }
                if (depth + 1 > FLimits.MaxDepth)
                    return QStringLiteral("Element \"%1\" is nested deeper than %2 levels%3")
                        .arg(Name(tag + 1, nameEnd))
                        .arg(FLimits.MaxDepth)
                        .arg(Position(tag));
                const bool empty = q != FEnd && *q == C('>') && q[-1] == C('/');
                if (!empty)
                    ++depth;
                p = q;
            } else {
                // Not markup the reader accepts: it stops there.
                ++p;
            }
        }
        return QString();
    }

private:
    const C *FBegin;
    const C *FEnd;
    const TXmlShapeLimits &FLimits;

    static bool IsSpace(C c) { return c == C(' ') || c == C('\t') || c == C('\n') || c == C('\r'); }

    static bool IsNameStart(C c)
    {
        const auto u = static_cast<std::make_unsigned_t<C>>(c);
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
    }

    bool StartsWith(const C *p, const char *ascii) const
    {
        for (; *ascii; ++ascii, ++p)
            if (p == FEnd || *p != C(*ascii))
                return false;
        return true;
    }

    // Just past the first occurrence of the ASCII text from p on; the end when none.
    const C *After(const C *p, const char *ascii) const
    {
        const size_t size = std::strlen(ascii);
        const C *found = std::search(p, FEnd, ascii, ascii + size,
                                     [](C a, char b) { return a == C(static_cast<unsigned char>(b)); });
        return found == FEnd ? FEnd : found + size;
    }

    static QString Text(const C *begin, const C *end)
    {
        if constexpr (sizeof(C) == 1)
            return QString::fromUtf8(reinterpret_cast<const char *>(begin), end - begin);
        else
            return QString(reinterpret_cast<const QChar *>(begin), end - begin);
    }

    static QString Name(const C *begin, const C *end)
    {
        if (end - begin <= NameShown)
            return Text(begin, end);
        QString name = Text(begin, begin + NameShown);
        // A cut through a character leaves a replacement character or a
        // lone surrogate; drop it.
        if (!name.isEmpty() && (name.back().isHighSurrogate() || name.back() == QChar::ReplacementCharacter))
            name.chop(1);
        return name + QStringLiteral("...");
    }

    // " (line L, column C)" of a position, counted as the reader counts:
    // CR LF, CR and LF end a line; columns in UTF-16 units from 1.
    QString Position(const C *at) const
    {
        qsizetype line = 1;
        const C *lineStart = FBegin;
        for (const C *p = FBegin; p != at; ++p) {
            if (*p == C('\n') || (*p == C('\r') && (p + 1 == at || p[1] != C('\n')))) {
                ++line;
                lineStart = p + 1;
            }
        }
        qsizetype column = 1;
        for (const C *p = lineStart; p != at; ++p) {
            if constexpr (sizeof(C) == 1) {
                const auto byte = static_cast<unsigned char>(*p);
                if ((byte & 0xC0) != 0x80)
                    column += byte >= 0xF0 ? 2 : 1;
            } else {
                ++column;
            }
        }
        return QStringLiteral(" (line %1, column %2)").arg(line).arg(column);
    }
};

// The encoding named by the XML declaration at the start of the bytes, and
// where the declaration ends; an empty name when there is none.
QByteArray DeclaredEncoding(const QByteArray &data, qsizetype *declarationEnd)
{
    *declarationEnd = 0;
    if (!data.startsWith("<?xml") || data.size() < 6 || !QChar::isSpace(uchar(data[5])))
        return QByteArray();
    const qsizetype end = data.indexOf("?>");
    if (end < 0)
        return QByteArray();
    *declarationEnd = end + 2;
    const QByteArray declaration = data.first(end);
    qsizetype i = declaration.indexOf("encoding");
    if (i < 0)
        return QByteArray();
    i += 8;
    auto skipBlanks = [&] {
        while (i < declaration.size() && QChar::isSpace(uchar(declaration[i])))
            ++i;
    };
    skipBlanks();
    if (i >= declaration.size() || declaration[i] != '=')
        return QByteArray();
    ++i;
    skipBlanks();
    if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\''))
        return QByteArray();
    const qsizetype close = declaration.indexOf(declaration[i], i + 1);
    if (close < 0)
        return QByteArray();
    return declaration.sliced(i + 1, close - i - 1);
}

const QString BadContent = QStringLiteral("Encountered incorrectly encoded content.");

} // namespace

QString XmlShapeError(const QDomElement &element, const TXmlShapeLimits &limits)
{
    auto where = [](const QDomElement &at) {
        return at.lineNumber() > 0 ? QStringLiteral(" (line %1)").arg(at.lineNumber()) : QString();
    };
    auto name = [](const QDomElement &at) {
        const QString tag = at.tagName();
        return tag.size() <= NameShown ? tag : tag.left(NameShown) + QStringLiteral("...");
    };
    // Walked without recursion: the tree may be as deep as the stack is not.
    int depth = 1;
    QDomElement at = element;
    while (!at.isNull()) {
        if (depth > limits.MaxDepth)
            return QStringLiteral("Element \"%1\" is nested deeper than %2 levels%3")
                .arg(name(at))
                .arg(limits.MaxDepth)
                .arg(where(at));
        if (at.attributes().count() > limits.MaxAttributes)
            return QStringLiteral("Element \"%1\" has more than %2 attributes%3")
                .arg(name(at))
                .arg(limits.MaxAttributes)
                .arg(where(at));
        QDomElement next = at.firstChildElement();
        if (!next.isNull()) {
            ++depth;
            at = next;
            continue;
        }
        // Up until a sibling follows, never above the element itself.
        while (at != element && at.nextSiblingElement().isNull()) {
            at = at.parentNode().toElement();
            --depth;
        }
        at = at == element ? QDomElement() : at.nextSiblingElement();
    }
    return QString();
}

QString XmlShapeError(QStringView text, const TXmlShapeLimits &limits)
{
    const auto *begin = reinterpret_cast<const char16_t *>(text.utf16());
    return TShapeScan<char16_t>(begin, begin + text.size(), limits).Run();
}

QString XmlShapeError(const QByteArray &data, const TXmlShapeLimits &limits, std::optional<QString> &decoded)
{
    decoded.reset();
    const std::optional<QStringConverter::Encoding> found = QStringConverter::encodingForData(data, u'<');
    if (found) {
        if (*found != QStringConverter::Utf8) {
            QStringDecoder decoder(*found);
            decoded = decoder(data);
            if (decoder.hasError())
                return BadContent;
        }
    } else {
        qsizetype declarationEnd = 0;
        const QByteArray name = DeclaredEncoding(data, &declarationEnd);
        if (!name.isEmpty() && QStringConverter::encodingForName(name.constData()) != QStringConverter::Utf8) {
            QStringDecoder decoder(name.constData());
            if (!decoder.isValid())
                return QStringLiteral("Encoding %1 is unsupported").arg(QString::fromLatin1(name.left(NameShown)));
            // The declaration itself is read before its encoding is known.
            decoded = QString::fromLatin1(data.first(declarationEnd)) + decoder(data.sliced(declarationEnd));
            if (decoder.hasError())
                return BadContent;
        }
    }
    if (decoded)
        return XmlShapeError(QStringView(*decoded), limits);
    // The reader drops a byte-order mark: positions count from after it.
    const qsizetype start = data.startsWith("\xef\xbb\xbf") ? 3 : 0;
    return TShapeScan<char>(data.constData() + start, data.constData() + data.size(), limits).Run();
}

} // namespace nvqb
