// The shape check of XML text: it must follow markup exactly (or it would
// refuse good documents or pass bad ones), place its findings as the reader
// does, and see a document's bytes in the encoding the reader decodes.
#include "support/XmlGuard.h"

#include <QDomDocument>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace nvqb {
namespace {

QString Check(const QString &text, int depth, int attributes = 64)
{
    const QString fromText = XmlShapeError(text, TXmlShapeLimits{depth, attributes});
    std::optional<QString> decoded;
    const QString fromBytes = XmlShapeError(text.toUtf8(), TXmlShapeLimits{depth, attributes}, decoded);
    EXPECT_FALSE(decoded.has_value());
    EXPECT_EQ(fromText, fromBytes);
    return fromText;
}

TEST(XmlGuardTest, OnlyElementsCountAndEachOnce)
{
    // Comments, character data, processing instructions, quoted values and
    // empty-element tags hold nothing that nests.
    EXPECT_EQ(Check(QStringLiteral("<?xml version='1.0'?><a><!-- <b><c><d> --><b/><b x=\"1>2\" y='/' z=\"'\">t"
                                   "<![CDATA[<c><d>]]></b><?p <c><d>?></a>"),
                    2),
              QString());
    EXPECT_EQ(Check(QStringLiteral("<a><b/><b></b><b><c x=\"/\"></c></b></a>"), 2),
              QStringLiteral("Element \"c\" is nested deeper than 2 levels (line 1, column 18)"));
    EXPECT_EQ(Check(QStringLiteral("<a><b><c/></b></a>"), 2),
              QStringLiteral("Element \"c\" is nested deeper than 2 levels (line 1, column 7)"));
    // What is not markup the reader refuses itself.
    EXPECT_EQ(Check(QStringLiteral("<a>1 < 2 <3 <= </a>"), 1), QString());

    EXPECT_EQ(Check(QStringLiteral("<a p='=' q=\"==\" r = 's'/>"), 1, 3), QString());
    EXPECT_EQ(Check(QStringLiteral("<a p='' q='' r='' s=''/>"), 1, 3),
              QStringLiteral("Element \"a\" has more than 3 attributes (line 1, column 1)"));
    EXPECT_EQ(Check(QStringLiteral("<!--x--><!DOCTYPE a><a/>"), 1),
              QStringLiteral("A document type declaration is not accepted (line 1, column 9)"));
}

TEST(XmlGuardTest, PositionsAreCountedAsTheReaderCountsThem)
{
    // CR LF, CR and LF each end a line; columns count UTF-16 units.
    EXPECT_EQ(Check(QStringLiteral("<a>\r\n<b>\r<c>\n \u20ac\U0001D11E<d/></c></b></a>"), 3),
              QStringLiteral("Element \"d\" is nested deeper than 3 levels (line 4, column 5)"));
    // A long name is cut, and never through a character.
    const QString name = QString(63, u'n') + QStringLiteral("\U0001D11E") + QString(10, u'n');
    EXPECT_EQ(Check(u'<' + name + QStringLiteral("/>"), 0),
              QStringLiteral("Element \"") + QString(63, u'n') + QStringLiteral("...\" is nested deeper than 0 levels "
                                                                              "(line 1, column 1)"));
}

TEST(XmlGuardTest, BytesAreSeenInTheirEncoding)
{
    const TXmlShapeLimits limits{1, 64};
    std::optional<QString> decoded;
    const QString deep = QStringLiteral("<a><b/></a>");
    const QString refused = QStringLiteral("Element \"b\" is nested deeper than 1 levels (line 1, column 4)");
    // UTF-16 and UTF-32 with or without a byte-order mark.
    EXPECT_EQ(XmlShapeError(QStringEncoder(QStringEncoder::Utf16BE)(deep), limits, decoded), refused);
    EXPECT_EQ(decoded, deep);
    EXPECT_EQ(XmlShapeError(QStringEncoder(QStringEncoder::Utf32LE, QStringEncoder::Flag::WriteBom)(deep), limits,
                            decoded),
              refused);
    EXPECT_EQ(decoded, deep);
    // UTF-8 with a byte-order mark is checked as it is.
    EXPECT_EQ(XmlShapeError("\xef\xbb\xbf" + deep.toUtf8(), limits, decoded), refused);
    EXPECT_FALSE(decoded.has_value());
    // The declared encoding, the declaration itself read as ASCII.
    const QByteArray latin = "<?xml version=\"1.0\" encoding='ISO-8859-1'?>\n<a \xe9='1'/>";
    EXPECT_EQ(XmlShapeError(latin, limits, decoded), QString());
    EXPECT_EQ(decoded, QString::fromLatin1(latin));
    EXPECT_EQ(XmlShapeError("<?xml version=\"1.0\" encoding=\"utf-8\"?><a/>", limits, decoded), QString());
    EXPECT_FALSE(decoded.has_value());
    EXPECT_EQ(XmlShapeError("<?xml version=\"1.0\" encoding=\"x-unknown\"?><a/>", limits, decoded),
              QStringLiteral("Encoding x-unknown is unsupported"));
}

TEST(XmlGuardTest, TreesAreWalkedWithinTheElement)
{
    QDomDocument document;
    ASSERT_TRUE(document.setContent(QStringLiteral("<r>\n<a><b/></a><c p='1' q='2'>\n<d><e/></d></c><f/></r>")));
    const QDomElement root = document.documentElement();
    EXPECT_EQ(XmlShapeError(root, TXmlShapeLimits{4, 2}), QString());
    EXPECT_EQ(XmlShapeError(root, TXmlShapeLimits{3, 2}),
              QStringLiteral("Element \"e\" is nested deeper than 3 levels (line 3)"));
    EXPECT_EQ(XmlShapeError(root, TXmlShapeLimits{4, 1}),
              QStringLiteral("Element \"c\" has more than 1 attributes (line 2)"));
    // Only the element's own subtree counts.
    EXPECT_EQ(XmlShapeError(root.firstChildElement(), TXmlShapeLimits{2, 1}), QString());
    EXPECT_EQ(XmlShapeError(root.firstChildElement().firstChildElement(), TXmlShapeLimits{1, 0}), QString());
}

} // namespace
} // namespace nvqb
