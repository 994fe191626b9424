// The panel with switchable borders and the splitter that fills itself with
// its colour.
#include "ControlsTestSupport.h"

#include <QDir>
#include <QVBoxLayout>

namespace nvqb::test {

namespace {

QImage Save(QWidget *widget, const QString &name)
{
    const QImage image = widget->grab().toImage();
    QDir().mkpath(QStringLiteral(NVQB_SCREENSHOT_DIR));
    image.save(QStringLiteral(NVQB_SCREENSHOT_DIR "/") + name + QStringLiteral(".png"));
    return image;
}

} // namespace

TEST(PanelTest, ASwitchedOffSideLetsTheChildrenReachTheEdge)
{
    TnvPanel panel;
    panel.resize(100, 60);
    panel.SetColor(QColor(0, 0, 200));
    panel.SetBorderWidth(6);
    auto *layout = new QVBoxLayout(&panel);
    // The panel's contents margins alone place the child.
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *child = new QWidget(&panel);
    child->setAutoFillBackground(true);
    QPalette palette = child->palette();
    palette.setColor(QPalette::Window, QColor(0, 200, 0));
    child->setPalette(palette);
    layout->addWidget(child);
    panel.show();
    layout->activate();
    EXPECT_EQ(panel.ClientRect(), QRect(6, 6, 88, 48));
    EXPECT_EQ(child->geometry(), QRect(6, 6, 88, 48));
    QImage shot = Save(&panel, QStringLiteral("panel-all-borders"));
    EXPECT_EQ(Rgb(shot, 2, 30), Rgb(QColor(0, 0, 200)));

    panel.SetLeftBorder(false);
    layout->activate();
    EXPECT_EQ(child->geometry(), QRect(0, 6, 94, 48));
    shot = Save(&panel, QStringLiteral("panel-without-left-border"));
    EXPECT_EQ(Rgb(shot, 0, 30), Rgb(QColor(0, 200, 0)));
    EXPECT_EQ(Rgb(shot, 97, 30), Rgb(QColor(0, 0, 200)));

    panel.SetTopBorder(false);
    panel.SetBottomBorder(false);
    panel.SetRightBorder(false);
    layout->activate();
    EXPECT_EQ(child->geometry(), panel.rect());

    // A frame stays; only the gap of the border width is given up.
    panel.SetBevelOuter(bvRaised);
    EXPECT_EQ(panel.ClientRect(), QRect(1, 1, 98, 58));
    panel.SetLeftBorder(true);
    EXPECT_EQ(panel.ClientRect(), QRect(7, 1, 92, 58));
}

TEST(PanelTest, SplitterFillsWithItsColour)
{
    TnvSplitter splitter;
    splitter.resize(80, 6);
    splitter.SetColor(QColor(250, 100, 0));
    splitter.show();
    const QImage shot = Save(&splitter, QStringLiteral("splitter-colour"));
    EXPECT_EQ(Rgb(shot, 0, 0), Rgb(QColor(250, 100, 0)));
    EXPECT_EQ(Rgb(shot, 79, 5), Rgb(QColor(250, 100, 0)));
}

} // namespace nvqb::test
