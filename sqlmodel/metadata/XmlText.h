#pragma once
// Text as the XML documents of the object model carry it. XML 1.0 cannot
// hold most control characters, not even as character references, and a
// parser turns a carriage return in element text into a line feed; both
// would make a saved document fail to load or load changed.
#include <QString>

class QXmlStreamWriter;

namespace nvqb {

// Whether XML 1.0 can carry the character (a code point, surrogates excluded).
bool IsXMLChar(char32_t c);
// The text with every character XML cannot carry (control characters other
// than tab, line feed and carriage return, unpaired surrogates, U+FFFE and
// U+FFFF) replaced by U+FFFD.
QString XMLSafeText(const QString &text);
// Writes element text: made safe, carriage returns as character references
// so they load back as they were.
void WriteXMLText(QXmlStreamWriter &writer, const QString &text);
// An element holding only the text.
void WriteXMLTextElement(QXmlStreamWriter &writer, const QString &tag, const QString &text);

} // namespace nvqb
