// The check-list box: its optimal height, toggling by mouse and space key
// (seen in screenshots of the check-box column), and double clicks that count
// only right of the check boxes.
#include "builder/controls/CheckListBoxBase.h"
#include "common/Eventually.h"

#include <QDir>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace nvqb::test {

namespace {

class TRecordingCheckList : public TnvCheckListBoxBase {
public:
    using TnvCheckListBoxBase::TnvCheckListBoxBase;
    QList<int> Clicked;

protected:
    void ClickCheck(int index) override { Clicked.append(index); }
};

class CheckListBoxTest : public ::testing::Test {
protected:
    TRecordingCheckList list;

    void SetUp() override
    {
        list.addItems({QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("city")});
        list.resize(160, list.CalcOptimalHeight());
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list, EventuallyTimeoutMs));
    }

    // The mouse goes through the list's window, as the platform's does, so
    // the second of two quick presses arrives as a double click.
    void Click(const QPoint &at) { QTest::mouseClick(list.windowHandle(), Qt::LeftButton, {}, OnWindow(at)); }
    void DoubleClick(const QPoint &at) { QTest::mouseDClick(list.windowHandle(), Qt::LeftButton, {}, OnWindow(at)); }
    QPoint OnWindow(const QPoint &onViewport) const { return list.viewport()->mapTo(&list, onViewport); }

    QPoint CheckCentre(int row) const
    {
        const QRect rect = list.visualItemRect(list.item(row));
        return QPoint(rect.left() + list.GetCheckWidth() / 2, rect.center().y());
    }
    QPoint TextPoint(int row) const
    {
        const QRect rect = list.visualItemRect(list.item(row));
        return QPoint(rect.left() + list.GetCheckWidth() + 10, rect.center().y());
    }

    // The check-box column of the row as the screen shows it.
    QImage CheckColumn(int row, const QString &shot)
    {
        const QImage screen = list.grab().toImage();
        QDir().mkpath(QStringLiteral(NVQB_SCREENSHOT_DIR));
        screen.save(QStringLiteral(NVQB_SCREENSHOT_DIR "/") + shot + QStringLiteral(".png"));
        // The viewport's offset inside the frame.
        const QPoint origin = list.viewport()->mapTo(&list, QPoint(0, 0));
        const QRect rect = list.visualItemRect(list.item(row));
        return screen.copy(QRect(origin + rect.topLeft(), QSize(list.GetCheckWidth(), rect.height())));
    }

    // Pixels darker than the half-way grey: the tick of a checked box.
    static int DarkPixels(const QImage &image)
    {
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        return dark;
    }
};

} // namespace

TEST(CheckListBoxHeight, FitsEveryItemWithoutScrolling)
{
    TnvCheckListBoxBase list;
    EXPECT_EQ(list.CalcOptimalHeight(), 4 + 2 * list.frameWidth());
    for (int i = 0; i < 30; ++i)
        list.addItem(QStringLiteral("field%1").arg(i));
    EXPECT_EQ(list.CalcOptimalHeight(), 30 * list.ItemHeight() + 4 + 2 * list.frameWidth());
    list.resize(160, list.CalcOptimalHeight());
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list, EventuallyTimeoutMs));
    EXPECT_EQ(list.visualItemRect(list.item(0)).height(), list.ItemHeight());
    EXPECT_EQ(list.verticalScrollBar()->maximum(), 0);
    EXPECT_LE(list.visualItemRect(list.item(29)).bottom(), list.viewport()->height() - 1);
    // One pixel less than the rows need and the list scrolls.
    list.resize(160, list.CalcOptimalHeight() - 5);
    QApplication::processEvents();
    EXPECT_GT(list.verticalScrollBar()->maximum(), 0);
}

TEST_F(CheckListBoxTest, AClickOnTheCheckBoxTogglesItAndTheScreenShowsIt)
{
    const int unchecked = DarkPixels(CheckColumn(0, QStringLiteral("checklist-start")));
    EXPECT_FALSE(list.Checked(1));
    EXPECT_EQ(DarkPixels(CheckColumn(1, QStringLiteral("checklist-start"))), unchecked);

    Click(CheckCentre(1));
    EXPECT_TRUE(list.Checked(1));
    EXPECT_EQ(list.item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(list.Clicked, QList<int>{1});
    const QImage checked = CheckColumn(1, QStringLiteral("checklist-clicked"));
    EXPECT_GT(DarkPixels(checked), unchecked + 5);
    // Only that row changed.
    EXPECT_EQ(DarkPixels(CheckColumn(0, QStringLiteral("checklist-clicked"))), unchecked);
    EXPECT_EQ(DarkPixels(CheckColumn(2, QStringLiteral("checklist-clicked"))), unchecked);

    Click(CheckCentre(1));
    EXPECT_FALSE(list.Checked(1));
    EXPECT_EQ(CheckColumn(1, QStringLiteral("checklist-unclicked")),
              CheckColumn(0, QStringLiteral("checklist-unclicked")));

    // A click on the text selects the item without touching its check.
    Click(TextPoint(2));
    EXPECT_EQ(list.currentRow(), 2);
    EXPECT_FALSE(list.Checked(2));
    EXPECT_EQ(list.Clicked, (QList<int>{1, 1}));
}

TEST_F(CheckListBoxTest, TheSpaceKeyTogglesTheCurrentItem)
{
    const int unchecked = DarkPixels(CheckColumn(0, QStringLiteral("checklist-space-start")));
    list.setFocus();
    list.setCurrentRow(2);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_TRUE(list.Checked(2));
    EXPECT_EQ(list.Clicked, QList<int>{2});
    EXPECT_GT(DarkPixels(CheckColumn(2, QStringLiteral("checklist-space"))), unchecked + 5);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_FALSE(list.Checked(2));
    EXPECT_EQ(DarkPixels(CheckColumn(2, QStringLiteral("checklist-space-again"))), unchecked);
    // Other keys move as in any list.
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(list.currentRow(), 1);
    EXPECT_FALSE(list.Checked(1));
}

TEST_F(CheckListBoxTest, TwoQuickClicksOnACheckBoxToggleTwiceAndAreNoDoubleClick)
{
    QSignalSpy doubleClicked(&list, &QListWidget::itemDoubleClicked);
    DoubleClick(CheckCentre(0));
    EXPECT_EQ(list.Clicked, (QList<int>{0, 0}));
    EXPECT_FALSE(list.Checked(0));
    EXPECT_EQ(doubleClicked.count(), 0);

    // Right of the check boxes a double click is an ordinary one.
    DoubleClick(TextPoint(1));
    EXPECT_EQ(doubleClicked.count(), 1);
    EXPECT_EQ(list.Clicked, (QList<int>{0, 0}));
    EXPECT_FALSE(list.Checked(1));
}

} // namespace nvqb::test
