#include "support/Helpers.h"
#include "classlib/Assert.h"
#include "classlib/Variant.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QUrl>

namespace nvqb {

namespace {
const char *const Unit = "nvQBHelper";
}

QSize GetCheckSize()
{
    static QSize cached;
    if (cached.isEmpty()) {
        // Without an application there is no style yet; answer the classic
        // size without keeping it.
        if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
            return QSize(13, 13);
        QStyle *style = QApplication::style();
        cached = QSize(style->pixelMetric(QStyle::PM_IndicatorWidth), style->pixelMetric(QStyle::PM_IndicatorHeight));
    }
    return cached;
}

void DrawCheck(QPainter *painter, const QRect &rect, TCheckBoxState state, bool enabled)
{
    Assert(painter != nullptr, Unit, "DrawCheck: no painter");
    const QSize size = GetCheckSize();
    QRect box(rect.left() + (rect.width() - size.width()) / 2, rect.top() + (rect.height() - size.height()) / 2,
              size.width(), size.height());
    box = box.intersected(rect);
    if (box.isEmpty())
        return;

    painter->save();
    painter->setClipRect(box.adjusted(2, 2, -2, -2));
    QStyleOptionButton option;
    option.rect = box;
    option.state = enabled ? QStyle::State_Enabled : QStyle::State_None;
    switch (state) {
    case cbUnchecked:
        option.state |= QStyle::State_Off;
        break;
    case cbChecked:
        option.state |= QStyle::State_On;
        break;
    case cbGrayed:
        option.state |= QStyle::State_NoChange;
        break;
    }
    option.palette = QApplication::palette();
    QStyle *style = QApplication::style();
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, painter, nullptr);

    painter->setClipRect(box);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(QApplication::palette().color(QPalette::Dark), 0));
    // The outline one pixel inside the box on every side.
    if (box.width() > 3 && box.height() > 3)
        painter->drawRect(QRect(box.left() + 1, box.top() + 1, box.width() - 3, box.height() - 3));
    painter->restore();
}

bool NavigateTo(const QString &link)
{
    const QUrl url(link.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https") && scheme != QLatin1String("mailto"))
        return false;
    QDesktopServices::openUrl(url);
    return true;
}

bool IsValueLikeVariant(const QVariant &value, const QVariant &pattern)
{
    Assert(!VarIsArray(value), Unit, "IsValueLikeVariant: the value is an array");
    if (VarIsArray(pattern)) {
        const QVariantList items = pattern.toList();
        for (const QVariant &item : items)
            if (VarEquals(value, item))
                return true;
        return false;
    }
    return VarEquals(value, pattern);
}

} // namespace nvqb
