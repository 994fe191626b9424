// Link painters: the registry the library fills at start, what each style
// draws for a left join (probed pixel by pixel where the line and the marks
// must be), and the query builder repainting when a painter's colours change.
#include "builder/JoinTestSupport.h"
#include "builder/controls/LinkPainters.h"

#include <QDir>
#include <QPainter>
#include <QStringList>

namespace nvqb::test {

namespace {

const QRgb Ground = qRgb(200, 230, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb White = qRgb(255, 255, 255);

// Boxes side by side: the left box's right edge at x = 40, the right box's
// left edge at x = 160, both rows at y = 50, 16-pixel stubs.
const TnvLinkPoints SideBySide = {QPoint(40, 50), QPoint(56, 50), QPoint(144, 50), QPoint(160, 50)};

QImage Paint(TnvQueryBuilderLinkPainter &painter, const TnvLink *link, bool focused, const QString &shot)
{
    QImage image(200, 80, QImage::Format_RGB32);
    image.fill(Ground);
    {
        QPainter canvas(&image);
        painter.PaintLink(canvas, SideBySide, focused, csRight, csLeft, link);
    }
    QDir().mkpath(QStringLiteral(NVQB_SCREENSHOT_DIR));
    image.save(QStringLiteral(NVQB_SCREENSHOT_DIR "/") + shot + QStringLiteral(".png"));
    return image;
}

QRgb At(const QImage &image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

// How many pixels of column x between y1 and y2 have the colour.
int CountInColumn(const QImage &image, int x, int y1, int y2, QRgb color)
{
    int count = 0;
    for (int y = y1; y <= y2; ++y)
        count += At(image, x, y) == (color & 0xFFFFFF);
    return count;
}

std::string Hex(QRgb rgb) { return QString::number(rgb & 0xFFFFFF, 16).rightJustified(6, u'0').toStdString(); }
#define EXPECT_PIXEL(image, x, y, color) EXPECT_EQ(Hex(At(image, x, y)), Hex(color)) << "at " << (x) << "," << (y)

template <class T> TOwned<T> Make(TnvQueryBuilderModel *queryBuilder = nullptr)
{
    return Create<T>(queryBuilder);
}

} // namespace

// --- The registry ------------------------------------------------------------------

TEST(LinkPainterRegistry, HoldsTheThreeStylesInRegistrationOrder)
{
    QStringList names;
    QueryBuilderLinkPainters()->GetUserNames([&names](const QString &name) { names.append(name); });
    EXPECT_SQL(names, "Simple | MS SQL Style | Access Style");
    ASSERT_EQ(QueryBuilderLinkPainters()->Count(), 3);
    EXPECT_EQ(QueryBuilderLinkPainters()->Items(0), TnvQueryBuilderLinkPainterSimple::StaticClassType());
    EXPECT_EQ(QueryBuilderLinkPainters()->Items(2), TnvQueryBuilderLinkPainterAccess::StaticClassType());
    EXPECT_SQL(QueryBuilderLinkPainters()->GetPainterStyle(TnvQueryBuilderLinkPainterMSSQL::StaticClassType()),
               "MS SQL Style");
    EXPECT_SQL(QueryBuilderLinkPainters()->GetPainterStyle(TnvQueryBuilderLinkPainter::StaticClassType()), "");

    // Lines of a query builder without a painter of its own.
    TnvQueryBuilderLinkPainter *fallback = DefaultLinkPainter();
    EXPECT_TRUE(fallback->Is<TnvQueryBuilderLinkPainterAccess>());
    EXPECT_EQ(fallback->QueryBuilder(), nullptr);
}

TEST(LinkPainterRegistry, CreatesByExactClassNameElseAccess)
{
    TnvQueryBuilderLinkPainters *painters = QueryBuilderLinkPainters();
    TOwned<TnvQueryBuilderModel> qb = Create<TnvQueryBuilderModel>();
    auto className = [&](const char *name) {
        TOwned<TnvQueryBuilderLinkPainter> painter = painters->CreateByName(QString::fromLatin1(name), qb.get());
        EXPECT_EQ(painter->QueryBuilder(), qb.get());
        return painter->ClassName();
    };
    EXPECT_SQL(className("TnvQueryBuilderLinkPainterSimple"), "TnvQueryBuilderLinkPainterSimple");
    EXPECT_SQL(className("TnvQueryBuilderLinkPainterMSSQL"), "TnvQueryBuilderLinkPainterMSSQL");
    EXPECT_SQL(className("tnvquerybuilderlinkpaintersimple"), "TnvQueryBuilderLinkPainterAccess");
    EXPECT_SQL(className("TnvQueryBuilderLinkPainterSimple "), "TnvQueryBuilderLinkPainterAccess");
    EXPECT_SQL(className(""), "TnvQueryBuilderLinkPainterAccess");
    // The base class is no painter of its own.
    EXPECT_SQL(className("TnvQueryBuilderLinkPainter"), "TnvQueryBuilderLinkPainterAccess");

    EXPECT_EQ(painters->CreateByType(TnvQueryBuilderLinkPainter::StaticClassType(), qb.get()), nullptr);
    TOwned<TnvQueryBuilderLinkPainter> bytype =
        painters->CreateByType(TnvQueryBuilderLinkPainterMSSQL::StaticClassType(), qb.get());
    ASSERT_NE(bytype, nullptr);
    EXPECT_TRUE(bytype->Is<TnvQueryBuilderLinkPainterMSSQL>());
    EXPECT_EQ(bytype->QueryBuilder(), qb.get());

    EXPECT_TRUE(painters->CreateByUserName(QStringLiteral("Simple"), nullptr)->Is<TnvQueryBuilderLinkPainterSimple>());
    EXPECT_TRUE(
        painters->CreateByUserName(QStringLiteral("MS SQL Style"), nullptr)->Is<TnvQueryBuilderLinkPainterMSSQL>());
    EXPECT_TRUE(
        painters->CreateByUserName(QStringLiteral("ms sql style"), nullptr)->Is<TnvQueryBuilderLinkPainterAccess>());
    TOwned<TnvQueryBuilderLinkPainter> byStyle = painters->CreateByUserName(QStringLiteral("Simple"), qb.get());
    EXPECT_EQ(byStyle->QueryBuilder(), qb.get());
}

TEST(LinkPainterRegistry, WithoutAFallbackClassAnUnknownNameGivesNoPainter)
{
    TnvQueryBuilderLinkPainters painters;
    painters.RegisterPainter<TnvQueryBuilderLinkPainterSimple>();
    EXPECT_EQ(painters.CreateByName(QStringLiteral("TnvNoSuchPainter"), nullptr), nullptr);
    EXPECT_EQ(painters.CreateByUserName(QStringLiteral("No Such Style"), nullptr), nullptr);
    painters.RegisterPainter<TnvQueryBuilderLinkPainterMSSQL>();
    painters.SetFallbackClass(TnvQueryBuilderLinkPainterMSSQL::StaticClassType());
    EXPECT_TRUE(
        painters.CreateByName(QStringLiteral("TnvNoSuchPainter"), nullptr)->Is<TnvQueryBuilderLinkPainterMSSQL>());
    EXPECT_TRUE(
        painters.CreateByUserName(QStringLiteral("No Such Style"), nullptr)->Is<TnvQueryBuilderLinkPainterMSSQL>());
}

// --- Repainting on a change ------------------------------------------------------------

namespace {
class TCountingQueryBuilder : public TnvQueryBuilderModel {
public:
    using TnvQueryBuilderModel::TnvQueryBuilderModel;
    int Pushes = 0;
    void DoUpdateControlParams() override { ++Pushes; }
};
} // namespace

TEST(LinkPainterProperties, EveryRealChangePushesTheVisualParametersOnce)
{
    TOwned<TCountingQueryBuilder> qb = Create<TCountingQueryBuilder>();
    auto simple = Make<TnvQueryBuilderLinkPainterSimple>(qb.get());
    auto mssql = Make<TnvQueryBuilderLinkPainterMSSQL>(qb.get());
    auto access = Make<TnvQueryBuilderLinkPainterAccess>(qb.get());
    const QColor red(Qt::red);
    // Each setter with a new value, then once more with the same value.
    const std::vector<std::pair<const char *, std::function<void()>>> setters = {
        {"MarkColor", [&] { simple->SetMarkColor(red); }},
        {"MarkColorFocused", [&] { mssql->SetMarkColorFocused(red); }},
        {"Simple.LinkColor", [&] { simple->SetLinkColor(red); }},
        {"LinkShapesColor", [&] { simple->SetLinkShapesColor(red); }},
        {"MSSQL.LinkColor", [&] { mssql->SetLinkColor(red); }},
        {"LinkColorFocused", [&] { mssql->SetLinkColorFocused(red); }},
        {"LinkBorderColor", [&] { mssql->SetLinkBorderColor(red); }},
        {"Access.LinkColor", [&] { access->SetLinkColor(red); }},
        {"MarkStyle", [&] { access->SetMarkStyle(msEnterpriseManager); }},
    };
    for (const auto &[name, set] : setters) {
        const int before = qb->Pushes;
        set();
        EXPECT_EQ(qb->Pushes, before + 1) << name;
        set();
        EXPECT_EQ(qb->Pushes, before + 1) << name << " set again to the same value";
    }
    // The defaults a fresh painter has: setting them changes nothing.
    auto fresh = Make<TnvQueryBuilderLinkPainterMSSQL>(qb.get());
    const int before = qb->Pushes;
    fresh->SetLinkColor(QColor(Qt::black));
    fresh->SetLinkColorFocused(QColor(clBtnShadow));
    fresh->SetMarkColor(QColor(clBtnFace));
    fresh->SetMarkColorFocused(QColor(clBtnShadow));
    EXPECT_EQ(qb->Pushes, before);

    // The painter a query builder starts with is one of the styles and
    // repaints that query builder.
    auto *own = As<TnvQueryBuilderLinkPainterAccess>(qb->LinkPainter());
    ASSERT_NE(own, nullptr);
    own->SetLinkColor(red);
    EXPECT_EQ(qb->Pushes, before + 1);

    // Without a query builder a change is only stored.
    auto alone = Make<TnvQueryBuilderLinkPainterAccess>();
    alone->SetLinkColor(red);
    EXPECT_EQ(alone->LinkColor(), red);
}

// --- Drawing -------------------------------------------------------------------------

class LinkPainterDrawing : public JoinTest {
protected:
    const TnvLink *LeftJoin()
    {
        Load(QStringLiteral("Select * From a Left Outer Join b On a.id = b.a_id"));
        const QList<TnvLink *> links = Links();
        EXPECT_EQ(links.size(), 1);
        const TnvLink *link = links.value(0);
        if (link) {
            EXPECT_EQ(link->LeftType(), ltOuter);
            EXPECT_EQ(link->RightType(), ltInner);
            EXPECT_EQ(link->LeftCardinality(), qblcOne);
            EXPECT_EQ(link->RightCardinality(), qblcMany);
        }
        return link;
    }

    // Every pixel of the symbol placed centred above the stub's middle,
    // its bottom 4 pixels above the stub: black where the glyph is, the
    // ground where it is transparent.
    static void ExpectSymbol(const QImage &image, TnvQueryBuilderLinkCardinality cardinality, QPoint stubMiddle)
    {
        const QImage symbol(cardinality == qblcOne ? QStringLiteral(":/nvqb/link/NVQBLINKCARDINALITYONE")
                                                   : QStringLiteral(":/nvqb/link/NVQBLINKCARDINALITYMANY"));
        ASSERT_FALSE(symbol.isNull());
        const QPoint origin(stubMiddle.x() - symbol.width() / 2, stubMiddle.y() - symbol.height() - 4);
        int glyph = 0;
        for (int y = 0; y < symbol.height(); ++y)
            for (int x = 0; x < symbol.width(); ++x) {
                const bool opaque = qAlpha(symbol.pixel(x, y)) == 255;
                glyph += opaque;
                EXPECT_PIXEL(image, origin.x() + x, origin.y() + y, opaque ? Black : Ground);
            }
        EXPECT_GT(glyph, 10);
    }
};

TEST_F(LinkPainterDrawing, SimpleDrawsATriangleAtTheOuterEndAndACircleAtTheInnerEnd)
{
    const TnvLink *link = LeftJoin();
    auto painter = Make<TnvQueryBuilderLinkPainterSimple>();
    QImage image = Paint(*painter, link, false, QStringLiteral("painter-simple"));
    // A one-pixel line.
    EXPECT_PIXEL(image, 100, 50, Black);
    EXPECT_PIXEL(image, 100, 49, Ground);
    EXPECT_PIXEL(image, 100, 51, Ground);
    // The outer left end: a white triangle from the box edge 8 pixels out,
    // outlined in the line's colour, covering the line.
    EXPECT_PIXEL(image, 45, 50, White);
    EXPECT_PIXEL(image, 46, 49, White);
    EXPECT_PIXEL(image, 48, 47, Black);
    EXPECT_PIXEL(image, 44, 45, Ground);
    EXPECT_PIXEL(image, 50, 50, Black);
    // The inner right end: a white circle between x = 152 and the box.
    EXPECT_PIXEL(image, 156, 50, White);
    EXPECT_PIXEL(image, 152, 50, Black);
    EXPECT_PIXEL(image, 156, 46, Black);
    EXPECT_PIXEL(image, 150, 50, Black);
    EXPECT_PIXEL(image, 161, 50, Ground);

    // Focused: the line is two pixels thick.
    image = Paint(*painter, link, true, QStringLiteral("painter-simple-focused"));
    EXPECT_EQ(CountInColumn(image, 100, 45, 55, Black), 2);

    // The shapes take their own colour.
    painter->SetLinkShapesColor(QColor(Qt::yellow));
    image = Paint(*painter, link, false, QStringLiteral("painter-simple-yellow"));
    EXPECT_PIXEL(image, 156, 50, qRgb(255, 255, 0));
    EXPECT_PIXEL(image, 45, 50, qRgb(255, 255, 0));
}

TEST_F(LinkPainterDrawing, MSSQLDrawsABandWithTheOuterSideMarkAndTheCentreDiamond)
{
    const TnvLink *link = LeftJoin();
    auto painter = Make<TnvQueryBuilderLinkPainterMSSQL>();
    const QRgb band = qRgb(200, 0, 0), border = qRgb(0, 0, 200), focusedFill = qRgb(0, 150, 0);
    painter->SetLinkColor(QColor(band));
    painter->SetLinkBorderColor(QColor(border));
    painter->SetLinkColorFocused(QColor(focusedFill));
    QImage image = Paint(*painter, link, false, QStringLiteral("painter-mssql"));
    // Three pixels of band between one-pixel borders.
    EXPECT_PIXEL(image, 70, 47, Ground);
    EXPECT_PIXEL(image, 70, 48, border);
    EXPECT_PIXEL(image, 70, 49, band);
    EXPECT_PIXEL(image, 70, 50, band);
    EXPECT_PIXEL(image, 70, 51, band);
    EXPECT_PIXEL(image, 70, 52, border);
    EXPECT_PIXEL(image, 70, 53, Ground);
    // Middle of the bends (100, 50); the left end is outer: a 7 x 14 block
    // left of the middle, none on the right; the diamond of size 7 on top.
    EXPECT_PIXEL(image, 96, 44, band);
    EXPECT_PIXEL(image, 96, 56, band);
    EXPECT_PIXEL(image, 93, 45, border);
    EXPECT_PIXEL(image, 104, 44, Ground);
    EXPECT_PIXEL(image, 104, 56, Ground);
    EXPECT_PIXEL(image, 101, 46, band);
    EXPECT_PIXEL(image, 100, 43, border);
    EXPECT_PIXEL(image, 107, 50, border);
    EXPECT_PIXEL(image, 100, 42, Ground);

    // Focused: the marks take the focused colour and the lower border is
    // two pixels wide.
    image = Paint(*painter, link, true, QStringLiteral("painter-mssql-focused"));
    EXPECT_PIXEL(image, 96, 44, focusedFill);
    EXPECT_PIXEL(image, 101, 46, focusedFill);
    EXPECT_EQ(CountInColumn(image, 70, 44, 56, border), 3);
    EXPECT_EQ(CountInColumn(image, 70, 44, 56, band), 3 - (CountInColumn(image, 70, 51, 51, border)));
}

TEST_F(LinkPainterDrawing, AccessDrawsTheCardinalitiesAndAnArrowIntoTheInnerSide)
{
    const TnvLink *link = LeftJoin();
    auto painter = Make<TnvQueryBuilderLinkPainterAccess>();
    QImage image = Paint(*painter, link, false, QStringLiteral("painter-access"));
    // A thin line between the stubs, thick stubs where the cardinality is known.
    EXPECT_EQ(CountInColumn(image, 100, 40, 60, Black), 1);
    EXPECT_PIXEL(image, 100, 50, Black);
    EXPECT_EQ(CountInColumn(image, 50, 46, 54, Black), 2);
    EXPECT_EQ(CountInColumn(image, 150, 46, 54, Black), 2);
    // "one" above the left stub, "many" above the right one.
    ExpectSymbol(image, qblcOne, QPoint(48, 50));
    ExpectSymbol(image, qblcMany, QPoint(152, 50));
    // The left side keeps all its rows: an arrow head points into the right
    // box (tip at x = 160, 4 pixels wide); the left end has no mark.
    EXPECT_PIXEL(image, 157, 48, Black);
    EXPECT_PIXEL(image, 157, 52, Black);
    EXPECT_PIXEL(image, 157, 46, Ground);
    EXPECT_PIXEL(image, 43, 47, Ground);
    EXPECT_PIXEL(image, 43, 53, Ground);
}

TEST_F(LinkPainterDrawing, AccessWithoutCardinalityAndBothSidesInnerShowsADotAtEachEnd)
{
    Load(QStringLiteral("Select * From a Inner Join b On a.x = b.y"));
    ASSERT_EQ(Links().size(), 1);
    const TnvLink *link = Links()[0];
    ASSERT_EQ(link->LeftCardinality(), qblcUnknown);
    ASSERT_EQ(link->RightCardinality(), qblcUnknown);
    auto painter = Make<TnvQueryBuilderLinkPainterAccess>();
    const QImage image = Paint(*painter, link, false, QStringLiteral("painter-access-dots"));
    // Dots 4 pixels wide from each box edge outward, above and below the line.
    EXPECT_PIXEL(image, 42, 49, Black);
    EXPECT_PIXEL(image, 42, 51, Black);
    EXPECT_PIXEL(image, 158, 49, Black);
    EXPECT_PIXEL(image, 158, 51, Black);
    EXPECT_PIXEL(image, 42, 46, Ground);
    EXPECT_PIXEL(image, 47, 49, Ground);
    EXPECT_PIXEL(image, 153, 49, Ground);
    // No symbols: nothing above the stubs.
    EXPECT_EQ(CountInColumn(image, 48, 30, 46, Black), 0);
    EXPECT_EQ(CountInColumn(image, 152, 30, 46, Black), 0);
}

TEST_F(LinkPainterDrawing, AccessInEnterpriseManagerStyleDrawsTheMarksInTheMarkColours)
{
    const TnvLink *link = LeftJoin();
    auto painter = Make<TnvQueryBuilderLinkPainterAccess>();
    painter->SetMarkStyle(msEnterpriseManager);
    QImage image = Paint(*painter, link, false, QStringLiteral("painter-access-em"));
    // The outer left side's block and the diamond at the middle in clBtnFace,
    // outlined in the line's colour; no arrow head or dot at the ends.
    EXPECT_PIXEL(image, 96, 44, clBtnFace);
    EXPECT_PIXEL(image, 101, 47, clBtnFace);
    EXPECT_PIXEL(image, 93, 45, Black);
    EXPECT_PIXEL(image, 104, 44, Ground);
    EXPECT_PIXEL(image, 157, 48, Ground);
    // The cardinalities stay.
    ExpectSymbol(image, qblcOne, QPoint(48, 50));
    ExpectSymbol(image, qblcMany, QPoint(152, 50));

    image = Paint(*painter, link, true, QStringLiteral("painter-access-em-focused"));
    EXPECT_PIXEL(image, 96, 44, clBtnShadow);
    EXPECT_PIXEL(image, 101, 47, clBtnShadow);
}

} // namespace nvqb::test
