#include "WizardDriver.h"
#include "common/Eventually.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/Wizard.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>

namespace nvqb::test {

bool WaitFor(const std::function<bool()> &condition, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qSleep(1);
    }
    return true;
}

void ClickAt(QWidget *widget, const QPoint &point)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, point);
}

void Click(QAbstractButton *button)
{
    ASSERT_TRUE(button);
    QStyleOptionButton option;
    option.initFrom(button);
    QPoint point = button->rect().center();
    if (qobject_cast<QCheckBox *>(button))
        point = button->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, button).center();
    else if (qobject_cast<QRadioButton *>(button))
        point = button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button).center();
    ClickAt(button, point);
}

TWizardPage *ActivePage(const TfMain &form)
{
    return form.Wizard()->ActivePage();
}

QString ActivePageName(const TfMain &form)
{
    return ActivePage(form) ? ActivePage(form)->objectName() : QString();
}

void ClickNext(const TfMain &form)
{
    Click(form.Wizard()->NextButton());
}

void ClickBack(const TfMain &form)
{
    Click(form.Wizard()->BackButton());
}

void ClickFinish(const TfMain &form)
{
    Click(form.Wizard()->FinishButton());
}

void ShowForm(TfMain &form)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form, EventuallyTimeoutMs));
}

void ClickNextUntil(const TfMain &form, const QString &page)
{
    for (int step = 0; step < 12 && ActivePageName(form) != page; ++step) {
        if (ActivePageName(form) == QLatin1String("wLicensePage"))
            Click(form.findChild<QCheckBox *>(QStringLiteral("cbAgree")));
        const QString before = ActivePageName(form);
        ClickNext(form);
        ASSERT_NE(ActivePageName(form), before) << "Next did not leave " << before.toStdString();
    }
    ASSERT_EQ(ActivePageName(form), page);
}

void RunToFinish(TfMain &form)
{
    ASSERT_NO_FATAL_FAILURE(ClickNextUntil(form, QStringLiteral("wCompile")));
    ASSERT_TRUE(WaitFor([&form] { return form.RunDone(); }));
    ASSERT_EQ(ActivePageName(form), QStringLiteral("wFinish"));
}

QImage Screenshot(QWidget *widget, const QString &name)
{
    const QImage image = widget->grab().toImage();
    const QString folder = QStringLiteral(NVQB_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    EXPECT_TRUE(image.save(folder + QLatin1Char('/') + name + QLatin1String(".png"))) << name.toStdString();
    return image;
}

int RedPixels(const QImage &image, const QRect &rect)
{
    // A device pixel ratio other than 1 would scale the rectangle.
    const QRect area = rect.intersected(image.rect());
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor color = image.pixelColor(x, y);
            if (color.red() >= 180 && color.green() <= 90 && color.blue() <= 90)
                ++count;
        }
    return count;
}

} // namespace nvqb::test
