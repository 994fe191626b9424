// XML routines, value comparison, links and check boxes.
#include "classlib/Exceptions.h"
#include "support/Helpers.h"
#include "support/XmlRoutines.h"

#include <QApplication>
#include <QDesktopServices>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QUrl>
#include <gtest/gtest.h>

using namespace nvqb;

namespace {

QDomDocument Document(const char *xml)
{
    QDomDocument doc;
    EXPECT_TRUE(doc.setContent(QByteArray(xml)));
    return doc;
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Opened;
public slots:
    void Open(const QUrl &url) { Opened.append(url); }
};

} // namespace

TEST(XmlRoutines, FindChildren)
{
    const QDomDocument doc = Document("<root><item id='1'>first</item><Item>case</Item><item>second</item>"
                                      "<item id='2'/><item id='2.0' x='y'/></root>");
    const QDomElement root = doc.documentElement();
    EXPECT_EQ(FindChildByName("item", root).toElement().text(), "first");
    EXPECT_EQ(FindChildElByName("Item", root).text(), "case");
    EXPECT_TRUE(FindChildByName("ITEM", root).isNull());
    EXPECT_TRUE(FindChildElByName("missing", root).isNull());

    EXPECT_EQ(FindChildByNameAndAttribute("item", "id", "2", root).attribute("id"), "2");
    EXPECT_EQ(FindChildByNameAndAttribute("item", "id", 1, root).text(), "first");
    EXPECT_EQ(FindChildByNameAndAttribute("item", "x", "y", root).attribute("id"), "2.0");
    EXPECT_TRUE(FindChildByNameAndAttribute("item", "id", "3", root).isNull());
    EXPECT_TRUE(FindChildByNameAndAttribute("item", "id", QVariant(), root).isNull());
    // Numbers compare by value: "2" is found before "2.0".
    EXPECT_EQ(FindChildByNameAndAttribute("item", "id", 2.0, root).attribute("id"), "2");
}

TEST(XmlRoutines, ValueElements)
{
    QDomDocument doc;
    const QDomElement yes = CreateNodeWithValue(doc, "flag", true);
    EXPECT_EQ(yes.text(), "1");
    EXPECT_TRUE(yes.parentNode().isNull());
    EXPECT_EQ(CreateNodeWithValue(doc, "off", false).text(), "0");
    EXPECT_EQ(CreateNodeWithValue(doc, "n", 42).text(), "42");
    EXPECT_EQ(CreateNodeWithValue(doc, "x", 0.1).text(), "0.1");
    EXPECT_EQ(CreateNodeWithValue(doc, "s", QString::fromUtf8("<a & ü>")).text(), QString::fromUtf8("<a & ü>"));
    EXPECT_THROW(CreateNodeWithValue(doc, "bad name", 1), Exception);
    EXPECT_THROW(CreateNodeWithValue(doc, "1st", 1), Exception);
    EXPECT_THROW(CreateNodeWithValue(doc, "", 1), Exception);

    QDomElement parent = doc.createElement("parent");
    parent.appendChild(CreateNodeWithValue(doc, "Name", "value"));
    EXPECT_EQ(GetValueFromChildNode(parent, "Name").toString(), "value");
    EXPECT_FALSE(GetValueFromChildNode(parent, "name").isValid());
}

TEST(Helpers, ValueLikeVariant)
{
    EXPECT_TRUE(IsValueLikeVariant(5, 5.0));
    EXPECT_TRUE(IsValueLikeVariant("TABLE", "TABLE"));
    EXPECT_FALSE(IsValueLikeVariant("table", "TABLE"));
    EXPECT_TRUE(IsValueLikeVariant("VIEW", QVariantList{"TABLE", "VIEW"}));
    EXPECT_TRUE(IsValueLikeVariant("VIEW", QStringList{"TABLE", "VIEW"}));
    EXPECT_FALSE(IsValueLikeVariant("SYNONYM", QVariantList{"TABLE", "VIEW"}));
    EXPECT_TRUE(IsValueLikeVariant("3", QVariantList{1, 3}));
    EXPECT_FALSE(IsValueLikeVariant("abc", 0)); // not a number: unequal, not an error
    EXPECT_FALSE(IsValueLikeVariant(QVariant(), 0));
    EXPECT_TRUE(IsValueLikeVariant(QVariant(), QVariant()));
    EXPECT_THROW(IsValueLikeVariant(QVariantList{1}, 1), EAssertionFailed);
}

TEST(Helpers, OnlyWebAndMailLinksAreOpened)
{
    UrlCatcher catcher;
    for (const char *scheme : {"http", "https", "mailto", "file", "javascript", "ftp", "smb"})
        QDesktopServices::setUrlHandler(scheme, &catcher, "Open");
    EXPECT_TRUE(NavigateTo("https://example.org/query-builder"));
    EXPECT_TRUE(NavigateTo("HTTP://example.org"));
    EXPECT_TRUE(NavigateTo("mailto:support@example.org"));
    EXPECT_FALSE(NavigateTo("file:///etc/passwd"));
    EXPECT_FALSE(NavigateTo("javascript:alert(1)"));
    EXPECT_FALSE(NavigateTo("/usr/bin/xterm"));
    EXPECT_FALSE(NavigateTo("ftp://example.org"));
    EXPECT_FALSE(NavigateTo(""));
    for (const char *scheme : {"http", "https", "mailto", "file", "javascript", "ftp", "smb"})
        QDesktopServices::unsetUrlHandler(scheme);
    ASSERT_EQ(catcher.Opened.size(), 3);
    EXPECT_EQ(catcher.Opened[0].host(), "example.org");
    EXPECT_EQ(catcher.Opened[2].scheme(), "mailto");
}

TEST(Helpers, CheckBoxes)
{
    const QSize size = GetCheckSize();
    EXPECT_GT(size.width(), 0);
    EXPECT_GT(size.height(), 0);
    EXPECT_EQ(GetCheckSize(), size);

    // Centred in a larger cell, framed one pixel inside the box.
    const QColor shadow = QApplication::palette().color(QPalette::Dark);
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        DrawCheck(&painter, QRect(0, 0, 40, 30), cbChecked, true);
    }
    const int left = (40 - size.width()) / 2, top = (30 - size.height()) / 2;
    EXPECT_EQ(image.pixelColor(left + 1, top + 1).rgb(), shadow.rgb());
    EXPECT_EQ(image.pixelColor(left + size.width() - 2, top + size.height() - 2).rgb(), shadow.rgb());
    EXPECT_EQ(image.pixelColor(left - 1, top - 1).alpha(), 0);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);

    // A cell smaller than the box keeps the drawing inside it.
    QImage small(40, 40, QImage::Format_ARGB32);
    small.fill(Qt::transparent);
    const QRect cell(10, 10, size.width() / 2, size.height() / 2);
    {
        QPainter painter(&small);
        for (TCheckBoxState state : {cbUnchecked, cbChecked, cbGrayed})
            DrawCheck(&painter, cell, state, false);
    }
    bool painted = false;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (small.pixelColor(x, y).alpha() != 0) {
                EXPECT_TRUE(cell.contains(x, y)) << x << "," << y;
                painted = true;
            }
    EXPECT_TRUE(painted);
}

#include "HelpersTests.moc"
