#include "installer/wizard/WizardPage.h"

#include <QPainter>
#include <QResizeEvent>

namespace nvqb {

TWizardPage::TWizardPage(const QString &title, const QString &subtitle, QWidget *parent)
    : QWidget(parent), FTitle(title), FSubtitle(subtitle), FBody(new QWidget(this))
{
    FBody->setObjectName(QStringLiteral("Body"));
}

void TWizardPage::SetTitle(const QString &title)
{
    if (FTitle == title)
        return;
    FTitle = title;
    update(0, 0, width(), HeaderHeight);
    emit Changed();
}

void TWizardPage::SetSubtitle(const QString &subtitle)
{
    if (FSubtitle == subtitle)
        return;
    FSubtitle = subtitle;
    update(0, 0, width(), HeaderHeight);
    emit Changed();
}

void TWizardPage::SetPageEnabled(bool enabled)
{
    if (FPageEnabled == enabled)
        return;
    FPageEnabled = enabled;
    emit Changed();
}

void TWizardPage::SetEnabledButtons(TWizardButtons buttons)
{
    if (FEnabledButtons == buttons)
        return;
    FEnabledButtons = buttons;
    emit Changed();
}

void TWizardPage::SetButtonEnabled(TWizardButton button, bool enabled)
{
    SetEnabledButtons(enabled ? FEnabledButtons | button : FEnabledButtons & ~TWizardButtons(button));
}

void TWizardPage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect header(0, 0, width(), HeaderHeight);
    painter.fillRect(header, Qt::white);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, HeaderHeight - 2, width(), HeaderHeight - 2);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, HeaderHeight - 1, width(), HeaderHeight - 1);

    painter.setPen(Qt::black);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    const QRect titleRect(14, 6, width() - 28, QFontMetrics(bold).height());
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     QFontMetrics(bold).elidedText(FTitle, Qt::ElideRight, titleRect.width()));
    painter.setFont(font());
    const QRect subtitleRect(28, titleRect.bottom() + 3, width() - 42, HeaderHeight - titleRect.bottom() - 6);
    painter.drawText(subtitleRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, FSubtitle);
}

void TWizardPage::resizeEvent(QResizeEvent *event)
{
    FBody->setGeometry(0, HeaderHeight, event->size().width(), qMax(0, event->size().height() - HeaderHeight));
}

} // namespace nvqb
