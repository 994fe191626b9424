#include "sqlmodel/metadata/XmlText.h"

#include <QXmlStreamWriter>

namespace nvqb {

bool IsXMLChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

QString XMLSafeText(const QString &text)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    // Most texts are clean: scan first, copy only when something must change.
    for (; i < size; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate() || !IsXMLChar(c.unicode()))
            break;
    }
    if (i == size)
        return text;
    QString result = text.left(i);
    result.reserve(size);
    for (; i < size; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
            result += c;
            result += text[++i];
        } else if (c.isSurrogate() || !IsXMLChar(c.unicode())) {
            result += QChar(QChar::ReplacementCharacter);
        } else {
            result += c;
        }
    }
    return result;
}

void WriteXMLText(QXmlStreamWriter &writer, const QString &text)
{
    const QString safe = XMLSafeText(text);
    qsizetype start = 0;
    for (qsizetype i = safe.indexOf(u'\r'); i >= 0; i = safe.indexOf(u'\r', start)) {
        if (i > start)
            writer.writeCharacters(safe.mid(start, i - start));
        writer.writeEntityReference(QStringLiteral("#13"));
        start = i + 1;
    }
    if (start < safe.size())
        writer.writeCharacters(start == 0 ? safe : safe.mid(start));
}

void WriteXMLTextElement(QXmlStreamWriter &writer, const QString &tag, const QString &text)
{
    writer.writeStartElement(tag);
    WriteXMLText(writer, text);
    writer.writeEndElement();
}

} // namespace nvqb
