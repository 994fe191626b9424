// Run-length and Base64 coding, percent-encoding and the built-in images.
#include "classlib/Exceptions.h"
#include "support/BackgroundImages.h"
#include "support/Encoding.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace nvqb;

TEST(RunLength, RoundTrips)
{
    const QByteArray same(300, 'x');
    const QByteArray coded = RLEEncode(same);
    EXPECT_EQ(coded, QByteArray("\xff" "x" "\x2b" "x", 4));
    EXPECT_EQ(RLEDecode(coded), same);
    EXPECT_EQ(RLEEncode(QByteArray()), QByteArray());
    EXPECT_EQ(RLEDecode(QByteArray()), QByteArray());
    EXPECT_EQ(RLEEncode(QByteArray(256, '\0')), QByteArray("\xff\0", 2));
    EXPECT_EQ(RLEEncode(QByteArray(257, '\0')), QByteArray("\xff\0\0\0", 4));

    QRandomGenerator random(7);
    for (int round = 0; round < 50; ++round) {
        QByteArray data;
        const int n = random.bounded(2000);
        for (int i = 0; i < n; ++i)
            data += char(random.bounded(3)) * (random.bounded(10) == 0 ? 1 : 0) + 'a';
        EXPECT_EQ(RLEDecode(RLEEncode(data)), data);
    }
    try {
        RLEDecode("abc");
        FAIL() << "an odd length was decoded";
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), "Bad encoded string length");
    }
}

TEST(Base64, RoundTripsAndKnownValues)
{
    EXPECT_EQ(MimeEncodeStringNoCRLF(""), "");
    EXPECT_EQ(MimeEncodeStringNoCRLF("f"), "Zg==");
    EXPECT_EQ(MimeEncodeStringNoCRLF("fo"), "Zm8=");
    EXPECT_EQ(MimeEncodeStringNoCRLF("foo"), "Zm9v");
    EXPECT_EQ(MimeEncodeStringNoCRLF("foobar"), "Zm9vYmFy");
    EXPECT_EQ(MimeEncodedSizeNoCRLF(4), 8);
    EXPECT_EQ(MimeDecodeString("Zm9vYmE="), "fooba");
    EXPECT_EQ(MimeDecodeString("Zm9v\r\nYmE"), "fooba"); // line breaks and missing padding are fine

    QRandomGenerator random(11);
    for (int round = 0; round < 100; ++round) {
        QByteArray data(random.bounded(300), Qt::Uninitialized);
        for (char &c : data)
            c = char(random.bounded(256));
        const QByteArray coded = MimeEncodeStringNoCRLF(data);
        EXPECT_EQ(coded.size(), MimeEncodedSizeNoCRLF(data.size()));
        EXPECT_EQ(coded, data.toBase64());
        EXPECT_EQ(MimeDecodeString(coded), data);
        QByteArray buffer(MimeDecodedSize(coded.size()), Qt::Uninitialized);
        EXPECT_EQ(MimeDecode(coded.constData(), coded.size(), buffer.data()), data.size());
    }

    QByteArray in("stream data"), out;
    QBuffer input(&in), output(&out);
    input.open(QIODevice::ReadOnly);
    output.open(QIODevice::WriteOnly);
    MimeEncodeStreamNoCRLF(&input, &output);
    QByteArray back;
    QBuffer encoded(&out), decoded(&back);
    encoded.open(QIODevice::ReadOnly);
    decoded.open(QIODevice::WriteOnly);
    MimeDecodeStream(&encoded, &decoded);
    EXPECT_EQ(back, in);
}

TEST(Base64, BadInputRaisesAClearError)
{
    for (const char *bad : {"Zm9v!", "Z", "Zm9vY", "Zg=", "Z===", "Zg==Zg==", "=Zg=", "Zm9vYmFy=", "Zg==x"}) {
        SCOPED_TRACE(bad);
        try {
            MimeDecodeString(bad);
            FAIL() << "decoded";
        } catch (const Exception &e) {
            EXPECT_TRUE(e.Message().startsWith("Bad Base64 text")) << qPrintable(e.Message());
        }
    }
}

TEST(PercentEncoding, KeepsPlainBytes)
{
    EXPECT_EQ(HTMLEncodeParams("a b"), "a%20b");
    EXPECT_EQ(HTMLEncodeParams("Az09-_.~!"), "Az09-_.~!");
    EXPECT_EQ(HTMLEncodeParams("#%*<>[]"), "%23%25%2A%3C%3E%5B%5D");
    EXPECT_EQ(HTMLEncodeParams(QByteArray("\x01\x80\x81\xff", 4)), "%01\x80%81%FF");
}

TEST(BackgroundImages, DecodeToBitmaps)
{
    const struct {
        const char *Name;
        QByteArray Coded;
        int Length;
    } images[] = {{"white", nvQBBgWhite(), 18062}, {"light", nvQBBgLight(), 22394}, {"dark", nvQBBgDark(), 18108}};
    for (const auto &image : images) {
        SCOPED_TRACE(image.Name);
        EXPECT_EQ(image.Coded.size(), image.Length);
        const QByteArray bmp = RLEDecode(image.Coded);
        ASSERT_EQ(bmp.size(), 159278);
        EXPECT_TRUE(bmp.startsWith("BM"));
        auto u32 = [&](int at) { return qFromLittleEndian<quint32>(bmp.constData() + at); };
        auto u16 = [&](int at) { return qFromLittleEndian<quint16>(bmp.constData() + at); };
        EXPECT_EQ(u32(2), 159278u);  // file size
        EXPECT_EQ(u32(10), 1078u);   // pixels after the palette
        EXPECT_EQ(u32(14), 40u);     // information header
        EXPECT_EQ(u32(18), 450u);
        EXPECT_EQ(u32(22), 350u);
        EXPECT_EQ(u16(28), 8);       // bits per pixel
        EXPECT_EQ(u32(30), 0u);      // uncompressed
        const QImage picture = QImage::fromData(bmp, "BMP");
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.size(), QSize(450, 350));
    }
    EXPECT_NE(RLEDecode(nvQBBgWhite()), RLEDecode(nvQBBgDark()));
}
