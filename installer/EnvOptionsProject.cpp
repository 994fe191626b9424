#include "installer/EnvOptionsProject.h"
#include "installer/platform/AtomicFile.h"
#include "installer/platform/SetupError.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QXmlStreamReader>

#include <optional>

namespace nvqb {

namespace {

const QString PropertyGroupName = QStringLiteral("PropertyGroup");

// The IDE's option files nest a few levels (project, property group, setting,
// and the like); a file nested much deeper is damaged.
constexpr int MaxElementDepth = 32;

// Whole texts go through the converters at once, so that a converter with a
// state (UTF-7) ends what it has begun.
constexpr QStringConverter::Flags WholeText = QStringConverter::Flag::Stateless;

struct TMark {
    QByteArrayView Bytes;
    const char *Encoding;
};

// The byte-order marks, that of UTF-32 LE before that of UTF-16 LE, which
// begins it.
const TMark ByteOrderMarks[] = {
    {QByteArrayView("\xEF\xBB\xBF", 3), "UTF-8"},     {QByteArrayView("\xFF\xFE\x00\x00", 4), "UTF-32LE"},
    {QByteArrayView("\x00\x00\xFE\xFF", 4), "UTF-32BE"}, {QByteArrayView("\xFF\xFE", 2), "UTF-16LE"},
    {QByteArrayView("\xFE\xFF", 2), "UTF-16BE"},
};

// Without a mark, XML tells UTF-16 and UTF-32 by how "<?" or "<" begins the
// file.
const TMark Beginnings[] = {
    {QByteArrayView("<\0\0\0", 4), "UTF-32LE"},
    {QByteArrayView("\0\0\0<", 4), "UTF-32BE"},
    {QByteArrayView("<\0?\0", 4), "UTF-16LE"},
    {QByteArrayView("\0<\0?", 4), "UTF-16BE"},
};

// Whether XML 1.0 allows the character in a document at all (as itself or as
// a character reference).
bool IsXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

// The text in the encoding, when it reads back as the very same text.
std::optional<QByteArray> EncodedFaithfully(const QByteArray &encoding, const QString &text)
{
    QStringEncoder encoder(encoding.constData(), WholeText);
    const QByteArray bytes = encoder.encode(text);
    QStringDecoder decoder(encoding.constData(), WholeText | QStringConverter::Flag::ConvertInitialBom);
    const QString back = decoder.decode(bytes);
    if (encoder.hasError() || decoder.hasError() || back != text)
        return std::nullopt;
    return bytes;
}

// The blanks that stand between the last "after" character before position
// (or the text's start) and position; empty when something else stands
// there.
QString BlanksBefore(const QString &text, qsizetype position, QChar after)
{
    const qsizetype start = text.lastIndexOf(after, position - 1) + 1;
    const QStringView blanks = QStringView(text).mid(start, position - start);
    return blanks.trimmed().isEmpty() ? blanks.toString() : QString();
}

} // namespace

// Where the parts of the document that SetProperty may change stand in the
// text; -1 for what is not there.
struct TEnvOptionsProject::TLayout {
    QString RootName;
    qsizetype RootEnd = -1; // where the root's end tag begins, or its "/>"
    bool RootEmpty = false;
    qsizetype GroupTag = -1;     // where the PropertyGroup's start tag begins
    qsizetype GroupContent = -1; // where its content begins
    qsizetype GroupEnd = -1;     // where its end tag begins, or its "/>"
    bool GroupEmpty = false;
    qsizetype LastChildEnd = -1; // after the group's last child element
    QString LastChildSpace;      // the blanks before that child's start tag
    QString ElementName;
    qsizetype Element = -1;    // where the element's content begins, or its "/>"
    qsizetype ElementEnd = -1; // where its end tag begins
    bool ElementEmpty = false;
    QString Value;
};

bool TEnvOptionsProject::LoadFromFile(const QString &fileName)
{
    // The IDE may replace the file as the installer reads it.
    const std::optional<QByteArray> content = ReadWholeFile(fileName);
    if (!content)
        return false;
    const QByteArray &bytes = *content;

    // Read as a stream, so that the depth costs no stack.
    QXmlStreamReader reader(bytes);
    reader.setNamespaceProcessing(false);
    QByteArray declared;
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartDocument)
            declared = reader.documentEncoding().toLatin1();
        if (token == QXmlStreamReader::StartElement && ++depth > MaxElementDepth)
            throw ESetupError(QStringLiteral("\"%1\" is no option file of the IDE: its elements are nested more than %2 "
                                             "levels deep. The file is left as it is.")
                                  .arg(fileName)
                                  .arg(MaxElementDepth));
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    if (reader.hasError())
        throw ESetupError(QStringLiteral("\"%1\" is not a valid XML file: %2 (line %3, column %4)")
                              .arg(fileName, reader.errorString())
                              .arg(reader.lineNumber())
                              .arg(reader.columnNumber()));

    QByteArray mark;
    QByteArray encoding;
    for (const TMark &candidate : ByteOrderMarks)
        if (bytes.startsWith(candidate.Bytes)) {
            mark = candidate.Bytes.toByteArray();
            encoding = candidate.Encoding;
            break;
        }
    for (const TMark &candidate : Beginnings)
        if (encoding.isEmpty() && bytes.startsWith(candidate.Bytes))
            encoding = candidate.Encoding;
    if (encoding.isEmpty())
        encoding = declared.isEmpty() ? QByteArray("UTF-8") : declared;
    const QByteArray shownEncoding = declared.isEmpty() ? encoding : declared;

    QStringDecoder decoder(encoding.constData(), WholeText | QStringConverter::Flag::ConvertInitialBom);
    if (!decoder.isValid())
        throw ESetupError(QStringLiteral("\"%1\" declares the encoding \"%2\", which the installer cannot read. The file "
                                         "is left as it is.")
                              .arg(fileName, QString::fromLatin1(shownEncoding)));
    const QByteArray body = bytes.mid(mark.size());
    const QString text = decoder.decode(body);
    if (decoder.hasError())
        throw ESetupError(QStringLiteral("\"%1\" is not a valid XML file: it is not written in the encoding \"%2\" it "
                                         "declares")
                              .arg(fileName, QString::fromLatin1(shownEncoding)));
    // Written back, the text must give the very bytes it was read from, or
    // what is not changed would change.
    QStringEncoder encoder(encoding.constData(), WholeText);
    const bool writable = encoder.isValid() && QByteArray(encoder.encode(text)) == body && !encoder.hasError();

    FFileName = fileName;
    FByteOrderMark = mark;
    FEncodingName = shownEncoding;
    FConverterName = encoding;
    FText = text;
    FChanged = false;
    FWritable = writable;
    return true;
}

TEnvOptionsProject::TLayout TEnvOptionsProject::Layout(const QString &name) const
{
    TLayout layout;
    if (FText.isEmpty())
        return layout;
    // The text was read once as XML when it was loaded, and every change
    // keeps it well-formed.
    QXmlStreamReader reader(FText);
    reader.setNamespaceProcessing(false);
    int depth = 0;
    qsizetype rootContent = -1;
    bool inGroup = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        // After a tag, the offset is that of the character after its ">".
        const qsizetype at = reader.characterOffset();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 1) {
                layout.RootName = reader.qualifiedName().toString();
                rootContent = at;
            } else if (depth == 2 && layout.GroupTag < 0 && reader.qualifiedName() == PropertyGroupName) {
                // "<" stands in no attribute value.
                layout.GroupTag = FText.lastIndexOf(QLatin1Char('<'), at - 1);
                layout.GroupContent = at;
                inGroup = true;
            } else if (depth == 3 && inGroup) {
                const qsizetype tag = FText.lastIndexOf(QLatin1Char('<'), at - 1);
                layout.LastChildSpace = BlanksBefore(FText, tag, QLatin1Char('>'));
                if (layout.Element < 0 && reader.qualifiedName() == name) {
                    layout.ElementName = reader.qualifiedName().toString();
                    layout.Value = reader.readElementText(QXmlStreamReader::IncludeChildElements);
                    const qsizetype end = reader.characterOffset();
                    layout.ElementEmpty = end == at;
                    layout.Element = layout.ElementEmpty ? at - 2 : at;
                    layout.ElementEnd = layout.ElementEmpty ? at : FText.lastIndexOf(QLatin1String("</"), end - 1);
                    layout.LastChildEnd = end;
                } else {
                    reader.skipCurrentElement();
                    layout.LastChildEnd = reader.characterOffset();
                }
                // Both read the element's end tag.
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 2 && inGroup) {
                inGroup = false;
                layout.GroupEmpty = at == layout.GroupContent;
                layout.GroupEnd = layout.GroupEmpty ? at - 2 : FText.lastIndexOf(QLatin1String("</"), at - 1);
            } else if (depth == 1) {
                layout.RootEmpty = at == rootContent;
                layout.RootEnd = layout.RootEmpty ? at - 2 : FText.lastIndexOf(QLatin1String("</"), at - 1);
            }
            --depth;
        }
    }
    return layout;
}

QString TEnvOptionsProject::Property(const QString &name) const
{
    return Layout(name).Value;
}

QString TEnvOptionsProject::LineBreak() const
{
    return FText.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
}

QString TEnvOptionsProject::Escaped(const QString &name, const QString &value) const
{
    // Whether the encoding has the characters, as the file would read them
    // back. A letter follows them, as markup follows a value in the file: a
    // converter with a state (UTF-7) ends what it has begun only before one.
    const auto encodable = [this](QStringView characters) {
        return EncodedFaithfully(FConverterName, characters.toString() + QLatin1Char('a')).has_value();
    };
    const bool allEncodable = encodable(value);
    QString escaped;
    for (qsizetype i = 0; i < value.size();) {
        const qsizetype length = value.at(i).isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate() ? 2 : 1;
        const QStringView character = QStringView(value).mid(i, length);
        const char32_t c = length == 2 ? QChar::surrogateToUcs4(value.at(i), value.at(i + 1)) : value.at(i).unicode();
        i += length;
        if (!IsXmlCharacter(c) || QChar::isSurrogate(c))
            throw ESetupError(QStringLiteral("The value for \"%1\" holds the character U+%2, which an XML file cannot hold")
                                  .arg(name)
                                  .arg(uint(c), 4, 16, QLatin1Char('0')));
        if (c == '&')
            escaped += QLatin1String("&amp;");
        else if (c == '<')
            escaped += QLatin1String("&lt;");
        else if (c == '>')
            escaped += QLatin1String("&gt;");
        // A carriage return as itself would read back as a line break.
        else if (c == '\r')
            escaped += QLatin1String("&#13;");
        else if (allEncodable || encodable(character))
            escaped += character;
        else
            escaped += QStringLiteral("&#x%1;").arg(QString::number(uint(c), 16).toUpper());
    }
    return escaped;
}

void TEnvOptionsProject::SetProperty(const QString &name, const QString &value)
{
    const QString escaped = Escaped(name, value);
    const QString nl = LineBreak();
    const QString element = QLatin1Char('<') + name + QLatin1Char('>') + escaped + QLatin1String("</") + name + QLatin1Char('>');
    const QString groupEnd = QLatin1String("</") + PropertyGroupName + QLatin1Char('>');
    if (FText.isEmpty()) {
        FText = QLatin1String("<Project>") + nl + QLatin1String("  <") + PropertyGroupName + QLatin1Char('>') + nl
            + QLatin1String("    ") + element + nl + QLatin1String("  ") + groupEnd + nl + QLatin1String("</Project>") + nl;
        FChanged = true;
        return;
    }
    const TLayout layout = Layout(name);
    if (layout.Element >= 0) {
        if (layout.Value == value)
            return;
        if (layout.ElementEmpty)
            FText.replace(layout.Element, 2,
                          QLatin1Char('>') + escaped + QLatin1String("</") + layout.ElementName + QLatin1Char('>'));
        else
            FText.replace(layout.Element, layout.ElementEnd - layout.Element, escaped);
    } else if (layout.GroupTag >= 0) {
        // The group's indent: the blanks that begin its line.
        const QString indent = BlanksBefore(FText, layout.GroupTag, QLatin1Char('\n'));
        if (layout.LastChildEnd >= 0)
            FText.insert(layout.LastChildEnd, layout.LastChildSpace + element);
        else if (layout.GroupEmpty)
            FText.replace(layout.GroupEnd, 2,
                          QLatin1Char('>') + nl + indent + QLatin1String("  ") + element + nl + indent + groupEnd);
        else
            FText.insert(layout.GroupContent, nl + indent + QLatin1String("  ") + element);
    } else {
        const QString group = QLatin1Char('<') + PropertyGroupName + QLatin1Char('>') + nl + QLatin1String("    ") + element
            + nl + QLatin1String("  ") + groupEnd;
        if (layout.RootEmpty)
            FText.replace(layout.RootEnd, 2,
                          QLatin1Char('>') + nl + QLatin1String("  ") + group + nl + QLatin1String("</") + layout.RootName
                              + QLatin1Char('>'));
        else
            FText.insert(layout.RootEnd, QLatin1String("  ") + group + nl);
    }
    FChanged = true;
}

void TEnvOptionsProject::SaveToFile(const QString &fileName) const
{
    if (!FChanged && !FFileName.isEmpty() && fileName == FFileName)
        return;
    const QString cannotWrite =
        QStringLiteral("\"%1\" declares the encoding \"%2\", which the installer cannot write back without changing "
                       "what it does not set. The file is left as it is.")
            .arg(fileName, QString::fromLatin1(FEncodingName));
    const std::optional<QByteArray> body = FWritable ? EncodedFaithfully(FConverterName, FText) : std::nullopt;
    if (!body)
        throw ESetupError(cannotWrite);
    WriteFileAtomically(fileName, FByteOrderMark + *body);
}

} // namespace nvqb
