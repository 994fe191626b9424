#include "installer/wizard/DCCCompilerWarning.h"
#include "installer/ProductInfo.h"
#include "installer/platform/ShellOpen.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace nvqb {

namespace {

const char *const WarningText =
    "The command-line compiler (dcc32.exe) of %1 was not found.\n\n"
    "This edition of the IDE does not include it, and Norvane Query Builder cannot be compiled or used "
    "with it without the compiler. Install the command-line compiler from the download page below, "
    "then press Retry.";

} // namespace

TfDCCCompilerWarning::TfDCCCompilerWarning(QWidget *parent)
    : QDialog(parent), lblWarning(new QLabel(this)), lblLink(new QLabel(CompilerDownloadAddress, this))
{
    setObjectName(QStringLiteral("fDCCCompilerWarning"));
    setWindowTitle(QStringLiteral("Command-line compiler missing"));
    lblWarning->setObjectName(QStringLiteral("lblWarning"));
    lblWarning->setWordWrap(true);
    lblLink->setObjectName(QStringLiteral("lblLink"));
    lblLink->setCursor(Qt::PointingHandCursor);
    QFont linkFont = lblLink->font();
    linkFont.setUnderline(true);
    lblLink->setFont(linkFont);
    QPalette linkPalette = lblLink->palette();
    linkPalette.setColor(QPalette::WindowText, Qt::blue);
    lblLink->setPalette(linkPalette);
    lblLink->installEventFilter(this);

    auto *retry = new QPushButton(QStringLiteral("Retry"), this);
    retry->setObjectName(QStringLiteral("btnRetry"));
    auto *goOn = new QPushButton(QStringLiteral("Continue Anyway"), this);
    goOn->setObjectName(QStringLiteral("btnContinue"));
    auto *exit = new QPushButton(QStringLiteral("Exit"), this);
    exit->setObjectName(QStringLiteral("btnExit"));
    retry->setDefault(true);
    connect(retry, &QPushButton::clicked, this, [this] { done(wrRetry); });
    connect(goOn, &QPushButton::clicked, this, [this] { done(wrContinue); });
    connect(exit, &QPushButton::clicked, this, [this] { done(wrExit); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(retry);
    buttons->addWidget(goOn);
    buttons->addWidget(exit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblWarning);
    layout->addWidget(lblLink);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(440, 200);
}

TfDCCCompilerWarning::TResult TfDCCCompilerWarning::Execute(const QString &ideDisplayName)
{
    lblWarning->setText(QString::fromLatin1(WarningText).arg(ideDisplayName));
    const int result = exec();
    return result == wrRetry || result == wrContinue ? TResult(result) : wrExit;
}

void TfDCCCompilerWarning::lblLinkClick()
{
    ShellOpen(lblLink->text());
}

bool TfDCCCompilerWarning::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lblLink && event->type() == QEvent::MouseButtonRelease) {
        lblLinkClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace nvqb
