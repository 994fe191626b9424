#pragma once
// A check of XML text that a user may hand in, made before Qt's readers see
// it. Those readers are not safe for every well-formed text: the streaming
// reader compares each attribute of an element with all those before it
// (quadratic in the attributes of one element), gathering an element's text
// with its children recurses once per nesting level, the DOM builds a deep
// tree in time quadratic in its depth and writes it out recursively, and
// entities declared in a document type declaration expand with no bound on
// their total. The documents of the library have no declarations, a fixed
// shallow nesting and a few attributes per element, so one linear scan
// refuses what they never hold.
#include <QByteArray>
#include <QDomElement>
#include <QString>
#include <QStringView>
#include <optional>

namespace nvqb {

struct TXmlShapeLimits {
    // The deepest element a document has; its root element stands at depth 1.
    int MaxDepth = 1;
    // The most attributes one element may carry.
    int MaxAttributes = 64;
};

// Why the document text is refused, naming the element (or declaration) and
// its line and column; empty when it keeps the limits. Every document type
// declaration is refused. The scan follows the markup of a well-formed text
// exactly; where the text stops being well-formed the reader refuses it
// there, so what lies beyond matters no more.
QString XmlShapeError(QStringView text, const TXmlShapeLimits &limits);

// The same for a document held as bytes. Its encoding is found as Qt's
// streaming reader finds it: a byte-order mark, UTF-16 or UTF-32 recognised
// by the leading "<", otherwise the encoding the XML declaration names,
// otherwise UTF-8. UTF-8 bytes are checked as they are and decoded stays
// empty; any other encoding is decoded into decoded, which the caller reads
// in place of the bytes, so that the check has seen what is read (an
// encoding such as UTF-7 can hide markup from a scan of the bytes). An
// encoding that is not supported, and bytes that are not valid in theirs,
// are refused with the reader's own words.
QString XmlShapeError(const QByteArray &data, const TXmlShapeLimits &limits, std::optional<QString> &decoded);

// The same for an element of a tree the DOM holds, which Qt writes out and
// frees recursively: nesting from the element down and the attributes of
// each element; the line is given when the tree was read from text.
QString XmlShapeError(const QDomElement &element, const TXmlShapeLimits &limits);

} // namespace nvqb
