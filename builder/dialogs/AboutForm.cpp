#include "builder/dialogs/AboutForm.h"
#include "builder/dialogs/DialogWidgets.h"
#include "builder/dialogs/FormPosition.h"
#include "builder/model/ErrorReport.h"
#include "support/Helpers.h"
#include "support/LocalizerForm.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace nvqb {

QString NorvaneQueryBuilderVersion() { return QStringLiteral("1.7.9.19"); }
QString NorvaneQueryBuilderWebSite() { return QStringLiteral("https://norvane.example/"); }
QString NorvaneQueryBuilderSupportPage() { return QStringLiteral("https://norvane.example/support/"); }

namespace {
// The product picture: a small diagram of two linked boxes, drawn rather
// than shipped as an image file.
QPixmap ProductImage()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 70, 140), 2));
    painter.setBrush(QColor(220, 235, 250));
    painter.drawRect(4, 8, 24, 30);
    painter.drawRect(36, 26, 24, 30);
    painter.drawLine(28, 20, 36, 40);
    painter.fillRect(5, 9, 23, 7, QColor(0, 70, 140));
    painter.fillRect(37, 27, 23, 7, QColor(0, 70, 140));
    return pixmap;
}

QLabel *LinkLabel(QWidget *parent, const char *name, const QString &link)
{
    QLabel *label = NewLabel(parent, name, link);
    label->setCursor(Qt::PointingHandCursor);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(palette);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    return label;
}
} // namespace

TfNvQBAboutForm::TfNvQBAboutForm(QWidget *parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    setWindowTitle(QStringLiteral("About Norvane Query Builder"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);

    Image1 = NewLabel(this, "Image1", QString());
    Image1->setPixmap(ProductImage());
    Image1->setCursor(Qt::PointingHandCursor);
    lProductName = NewLabel(this, "lProductName", QStringLiteral("Norvane Query Builder"));
    QFont big = lProductName->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    lProductName->setFont(big);
    lWebSite = LinkLabel(this, "lWebSite", NorvaneQueryBuilderWebSite());
    lSupport = LinkLabel(this, "lSupport", NorvaneQueryBuilderSupportPage());
    lVersionCaption = NewLabel(this, "lVersionCaption", QStringLiteral("Version:"));
    lVersion = NewLabel(this, "lVersion", QString());
    bClose = NewButton(this, "bClose", QStringLiteral("Close"));
    bClose->setDefault(true);
    // The close button is also the cancel button: Escape closes with OK.
    connect(bClose, &QPushButton::clicked, this, &QDialog::accept);
    for (QLabel *label : {Image1, lWebSite, lSupport})
        label->installEventFilter(this);

    auto *text = new QVBoxLayout;
    text->addWidget(lProductName);
    auto *version = new QHBoxLayout;
    version->addWidget(lVersionCaption);
    version->addWidget(lVersion);
    version->addStretch(1);
    text->addLayout(version);
    text->addSpacing(8);
    text->addWidget(lWebSite);
    text->addWidget(lSupport);
    auto *top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bClose);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(top);
    layout->addStretch(1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Localizer = NewFormLocalizer(this, {"Caption", "lVersionCaption.Caption", "bClose.Caption"});
}

TfNvQBAboutForm::~TfNvQBAboutForm() = default;

void TfNvQBAboutForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
    // The version arrives after the layout sized the box for an empty
    // label: size it again at once, not at the next layout pass.
    layout()->activate();
}

void TfNvQBAboutForm::FormShow() { lVersion->setText(NorvaneQueryBuilderVersion()); }

void TfNvQBAboutForm::LinkClick(QLabel *label) { NavigateTo(label->text()); }

void TfNvQBAboutForm::Image1Click() { NavigateTo(NorvaneQueryBuilderWebSite()); }

bool TfNvQBAboutForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        nvQBCatchAll([&] {
            if (watched == Image1)
                Image1Click();
            else if (auto *label = qobject_cast<QLabel *>(watched))
                LinkClick(label);
        });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ShowNorvaneQueryBuilderAbout(QWidget *parent)
{
    TfNvQBAboutForm form(parent);
    PlaceForm(&form, poMainFormCenter);
    form.exec();
}

} // namespace nvqb
