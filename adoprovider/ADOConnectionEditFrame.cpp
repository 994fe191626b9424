#include "adoprovider/ADOConnectionEditFrame.h"
#include "adoprovider/DataLinkDialog.h"
#include "adoprovider/OdbcConnection.h"
#include "support/LocalizerForm.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace nvqb {

namespace {
constexpr int DesignWidth = 186;
constexpr int DesignHeight = 155;

// Handlers run from the event loop: an error is shown, never thrown on.
template <class F> void Guarded(QWidget *owner, F &&work) noexcept
{
    try {
        work();
    } catch (const std::exception &e) {
        QMessageBox::warning(owner, owner->window()->windowTitle(), QString::fromUtf8(e.what()));
    } catch (...) {
        QMessageBox::warning(owner, owner->window()->windowTitle(), QStringLiteral("Unknown error"));
    }
}
} // namespace

class TfrNvQBADOConnectionEdit::TConnectionWatch : public TComponent {
public:
    explicit TConnectionWatch(TfrNvQBADOConnectionEdit *frame) : TComponent(nullptr), FFrame(frame) {}

protected:
    void Notification(TComponent *component, TOperation operation) override
    {
        if (operation == opRemove && component == FFrame->FConnection)
            FFrame->FConnection = nullptr;
        TComponent::Notification(component, operation);
    }

private:
    TfrNvQBADOConnectionEdit *FFrame;
};

void TfrNvQBADOConnectionEdit::TWatchFree::operator()(TConnectionWatch *watch) const { TObject::Free(watch); }

void TnvNoReturnsMemo::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Ignored, the key goes on up to the frame's parents, so the default
        // button of the dialog around the frame still answers Enter.
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

TfrNvQBADOConnectionEdit::TfrNvQBADOConnectionEdit(QWidget *parent)
    : QWidget(parent), FWatch(Create<TConnectionWatch>(this).release())
{
    setObjectName(QStringLiteral("frNvQBADOConnectionEdit"));
    resize(DesignWidth, DesignHeight);

    lConnectionString = new QLabel(QStringLiteral("Connection String:"), this);
    lConnectionString->setObjectName(QStringLiteral("lConnectionString"));
    bEditConnectionString = new QPushButton(QStringLiteral("Edit..."), this);
    bEditConnectionString->setObjectName(QStringLiteral("bEditConnectionString"));
    bEditConnectionString->setAutoDefault(false);
    eConnectionString = new TnvNoReturnsMemo(this);
    eConnectionString->setObjectName(QStringLiteral("eConnectionString"));
    eConnectionString->setTabChangesFocus(true);
    cbLoginPrompt = new QCheckBox(QStringLiteral("Login prompt"), this);
    cbLoginPrompt->setObjectName(QStringLiteral("cbLoginPrompt"));
    setTabOrder(bEditConnectionString, eConnectionString);
    setTabOrder(eConnectionString, cbLoginPrompt);

    connect(bEditConnectionString, &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { bEditConnectionStringClick(); }); });
    connect(eConnectionString, &QPlainTextEdit::textChanged, this,
            [this] { Guarded(this, [this] { eConnectionStringChange(); }); });
    connect(cbLoginPrompt, &QCheckBox::clicked, this, [this] { Guarded(this, [this] { cbLoginPromptClick(); }); });

    Localizer = TnvQBLocalizerForm::Create(this);
    for (const char *path : {"lConnectionString.Caption", "bEditConnectionString.Caption", "cbLoginPrompt.Caption"})
        Localizer->Properties()->Add(QByteArray(path));
    Localizer->Loaded();
    ResizeControls();
}

TfrNvQBADOConnectionEdit::~TfrNvQBADOConnectionEdit() = default;

void TfrNvQBADOConnectionEdit::ResizeControls()
{
    // The design's anchoring: the button keeps its distance from the right
    // edge, the memo stretches both ways, the check box sticks to the bottom.
    const int w = width();
    const int h = height();
    bEditConnectionString->setGeometry(w - (DesignWidth - 108), 6, 75, 23);
    // The label sizes itself to its caption, as a translated caption may be
    // longer than the design's, but stops short of the button; it keeps its
    // place beside the button's middle.
    const QSize hint = lConnectionString->sizeHint();
    const int labelHeight = std::max(13, hint.height());
    const int labelWidth = std::clamp(hint.width(), 87, std::max(87, bEditConnectionString->x() - 2 - 2));
    lConnectionString->setGeometry(2, 17 - labelHeight / 2, labelWidth, labelHeight);
    eConnectionString->setGeometry(2, 32, w - (DesignWidth - 182), h - (DesignHeight - 97));
    cbLoginPrompt->setGeometry(2, h - (DesignHeight - 134), w - (DesignWidth - 182), 17);
}

bool TfrNvQBADOConnectionEdit::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest)
        ResizeControls();
    return QWidget::event(event);
}

void TfrNvQBADOConnectionEdit::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ResizeControls();
}

void TfrNvQBADOConnectionEdit::SetConnection(TADOConnection *connection)
{
    if (connection == FConnection)
        return;
    if (FConnection)
        FConnection->RemoveFreeNotification(FWatch.get());
    FConnection = connection;
    if (FConnection)
        FConnection->FreeNotification(FWatch.get());
    ShowConnectionString();
    cbLoginPrompt->setChecked(FConnection && FConnection->LoginPrompt());
}

void TfrNvQBADOConnectionEdit::ShowConnectionString()
{
    // Showing the string is no edit of it.
    FShowing = true;
    eConnectionString->setPlainText(FConnection ? FConnection->ConnectionString() : QString());
    FShowing = false;
}

void TfrNvQBADOConnectionEdit::bEditConnectionStringClick()
{
    if (!FConnection)
        return;
    FConnection->Close();
    FConnection->SetConnectionString(PromptDataSource(window(), FConnection->ConnectionString()));
    ShowConnectionString();
}

void TfrNvQBADOConnectionEdit::eConnectionStringChange()
{
    if (FShowing || !FConnection)
        return;
    const QString text = eConnectionString->toPlainText();
    // An open session belongs to the string it was opened with: as for the
    // data-link dialog, the connection is closed before its string changes
    // (an open connection refuses a new one, and the memo and the connection
    // would part).
    if (text != FConnection->ConnectionString())
        FConnection->Close();
    FConnection->SetConnectionString(text);
}

void TfrNvQBADOConnectionEdit::cbLoginPromptClick()
{
    if (FConnection)
        FConnection->SetLoginPrompt(cbLoginPrompt->isChecked());
}

} // namespace nvqb
