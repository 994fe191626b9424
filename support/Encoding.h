#pragma once
// Byte codings: run-length coding (the form of the built-in background
// images), percent-encoding of parameters and Base64 without line breaks.
#include <QByteArray>

class QIODevice;

namespace nvqb {

// Pairs (N, B) meaning N + 1 copies of byte B; runs longer than 256 bytes take
// several pairs.
QByteArray RLEEncode(const QByteArray &text);
// Raises "Bad encoded string length" for a text of odd length.
QByteArray RLEDecode(const QByteArray &text);

// Bytes 33 to 128 stay, except # % * < > [ ]; every other byte becomes "%XX".
QByteArray HTMLEncodeParams(const QByteArray &text);

// Base64 with the standard alphabet, "=" filling the last group, no line breaks.
qsizetype MimeEncodedSizeNoCRLF(qsizetype size);
void MimeEncodeNoCRLF(const void *buffer, qsizetype size, void *output);
QByteArray MimeEncodeStringNoCRLF(const QByteArray &text);
void MimeEncodeStreamNoCRLF(QIODevice *input, QIODevice *output);

// Decoding skips blanks and line breaks; any other character outside the
// alphabet, padding in the middle, or a length that cannot be Base64 raises
// the base exception naming what is wrong. The output of MimeDecode needs room
// for MimeDecodedSize(size) bytes; it returns the number of bytes written.
qsizetype MimeDecodedSize(qsizetype size);
qsizetype MimeDecode(const void *buffer, qsizetype size, void *output);
QByteArray MimeDecodeString(const QByteArray &text);
void MimeDecodeStream(QIODevice *input, QIODevice *output);

} // namespace nvqb
