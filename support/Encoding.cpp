#include "support/Encoding.h"
#include "classlib/Assert.h"
#include "classlib/Exceptions.h"

#include <QIODevice>

namespace nvqb {

namespace {
const char *const Unit = "nvQBHelper";
constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DecodeChar(uchar c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

bool IsBlank(uchar c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

QByteArray ReadAll(QIODevice *input)
{
    Assert(input != nullptr, Unit, "Base64: no input stream");
    return input->readAll();
}

void WriteAll(QIODevice *output, const QByteArray &data)
{
    Assert(output != nullptr, Unit, "Base64: no output stream");
    if (output->write(data) != data.size())
        throw EStreamError(QStringLiteral("Stream write error: %1").arg(output->errorString()));
}
} // namespace

QByteArray RLEEncode(const QByteArray &text)
{
    QByteArray out;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const char b = text[i];
        qsizetype run = 1;
        while (run < 256 && i + run < n && text[i + run] == b)
            ++run;
        out += char(run - 1);
        out += b;
        i += run;
    }
    return out;
}

QByteArray RLEDecode(const QByteArray &text)
{
    if (text.size() % 2 != 0)
        throw Exception(QStringLiteral("Bad encoded string length"));
    qsizetype total = 0;
    for (qsizetype i = 0; i < text.size(); i += 2)
        total += uchar(text[i]) + 1;
    QByteArray out;
    out.reserve(total);
    for (qsizetype i = 0; i < text.size(); i += 2)
        out.append(qsizetype(uchar(text[i])) + 1, text[i + 1]);
    return out;
}

QByteArray HTMLEncodeParams(const QByteArray &text)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(text.size());
    for (char ch : text) {
        const uchar c = uchar(ch);
        const bool keep = c >= 33 && c <= 128 && c != '#' && c != '%' && c != '*' && c != '<' && c != '>' &&
                          c != '[' && c != ']';
        if (keep) {
            out += ch;
        } else {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 15];
        }
    }
    return out;
}

qsizetype MimeEncodedSizeNoCRLF(qsizetype size) { return (size + 2) / 3 * 4; }

void MimeEncodeNoCRLF(const void *buffer, qsizetype size, void *output)
{
    const uchar *in = static_cast<const uchar *>(buffer);
    char *out = static_cast<char *>(output);
    qsizetype i = 0;
    for (; i + 3 <= size; i += 3) {
        const quint32 v = (quint32(in[i]) << 16) | (quint32(in[i + 1]) << 8) | in[i + 2];
        *out++ = Alphabet[(v >> 18) & 63];
        *out++ = Alphabet[(v >> 12) & 63];
        *out++ = Alphabet[(v >> 6) & 63];
        *out++ = Alphabet[v & 63];
    }
    const qsizetype rest = size - i;
    if (rest > 0) {
        const quint32 v = (quint32(in[i]) << 16) | (rest > 1 ? quint32(in[i + 1]) << 8 : 0);
        *out++ = Alphabet[(v >> 18) & 63];
        *out++ = Alphabet[(v >> 12) & 63];
        *out++ = rest > 1 ? Alphabet[(v >> 6) & 63] : '=';
        *out++ = '=';
    }
}

QByteArray MimeEncodeStringNoCRLF(const QByteArray &text)
{
    QByteArray out(MimeEncodedSizeNoCRLF(text.size()), Qt::Uninitialized);
    MimeEncodeNoCRLF(text.constData(), text.size(), out.data());
    return out;
}

void MimeEncodeStreamNoCRLF(QIODevice *input, QIODevice *output)
{
    const QByteArray data = ReadAll(input);
    WriteAll(output, MimeEncodeStringNoCRLF(data));
}

qsizetype MimeDecodedSize(qsizetype size) { return (size + 3) / 4 * 3; }

qsizetype MimeDecode(const void *buffer, qsizetype size, void *output)
{
    const uchar *in = static_cast<const uchar *>(buffer);
    uchar *out = static_cast<uchar *>(output);
    qsizetype written = 0;
    quint32 group = 0;
    int inGroup = 0;   // characters of the current group of four
    int padding = 0;   // "=" seen at the end
    for (qsizetype i = 0; i < size; ++i) {
        const uchar c = in[i];
        if (IsBlank(c))
            continue;
        if (c == '=') {
            // Padding only completes a group that holds two or three characters.
            if (inGroup + padding < 2 || inGroup + padding >= 4)
                throw Exception(QStringLiteral("Bad Base64 text: misplaced \"=\" at position %1").arg(i));
            ++padding;
            continue;
        }
        const int value = DecodeChar(c);
        if (value < 0)
            throw Exception(QStringLiteral("Bad Base64 text: invalid character 0x%1 at position %2")
                                .arg(uint(c), 2, 16, QLatin1Char('0'))
                                .arg(i));
        if (padding > 0)
            throw Exception(QStringLiteral("Bad Base64 text: data after \"=\" at position %1").arg(i));
        group = (group << 6) | quint32(value);
        if (++inGroup == 4) {
            out[written++] = uchar(group >> 16);
            out[written++] = uchar(group >> 8);
            out[written++] = uchar(group);
            group = 0;
            inGroup = 0;
        }
    }
    if (padding > 0 && inGroup + padding != 4)
        throw Exception(QStringLiteral("Bad Base64 text: incomplete padding"));
    // A last group of two or three characters (padded or not) holds one or two bytes.
    if (inGroup == 1)
        throw Exception(QStringLiteral("Bad Base64 text: length does not fit the coding"));
    if (inGroup == 2) {
        out[written++] = uchar(group >> 4);
    } else if (inGroup == 3) {
        out[written++] = uchar(group >> 10);
        out[written++] = uchar(group >> 2);
    }
    return written;
}

QByteArray MimeDecodeString(const QByteArray &text)
{
    QByteArray out(MimeDecodedSize(text.size()), Qt::Uninitialized);
    out.resize(MimeDecode(text.constData(), text.size(), out.data()));
    return out;
}

void MimeDecodeStream(QIODevice *input, QIODevice *output)
{
    const QByteArray data = ReadAll(input);
    WriteAll(output, MimeDecodeString(data));
}

} // namespace nvqb
