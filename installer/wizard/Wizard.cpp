#include "installer/wizard/Wizard.h"
#include "installer/wizard/GuardedCall.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace nvqb {

TWizard::TWizard(QWidget *parent)
    : QWidget(parent), FStack(new QStackedWidget(this)), FBackButton(new QPushButton(QStringLiteral("< &Back"), this)),
      FNextButton(new QPushButton(QStringLiteral("&Next >"), this)),
      FFinishButton(new QPushButton(QStringLiteral("&Finish"), this)),
      FCancelButton(new QPushButton(QStringLiteral("Cancel"), this))
{
    FBackButton->setObjectName(QStringLiteral("BackButton"));
    FNextButton->setObjectName(QStringLiteral("NextButton"));
    FFinishButton->setObjectName(QStringLiteral("FinishButton"));
    FCancelButton->setObjectName(QStringLiteral("CancelButton"));
    for (QPushButton *button : {FBackButton, FNextButton, FFinishButton, FCancelButton}) {
        button->setAutoDefault(false);
        button->setEnabled(false);
    }

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 0, 8, 8);
    buttons->addStretch(1);
    buttons->addWidget(FBackButton);
    buttons->setSpacing(0);
    buttons->addWidget(FNextButton);
    buttons->addSpacing(10);
    buttons->addWidget(FFinishButton);
    buttons->addSpacing(10);
    buttons->addWidget(FCancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(FStack, 1);
    layout->addWidget(line);
    layout->addLayout(buttons);

    connect(FBackButton, &QPushButton::clicked, this, [this] { GuardedCall(this, [this] { BackButtonClick(); }); });
    connect(FNextButton, &QPushButton::clicked, this, [this] { GuardedCall(this, [this] { NextButtonClick(); }); });
    connect(FFinishButton, &QPushButton::clicked, this, [this] { GuardedCall(this, [this] { FinishButtonClick(); }); });
    connect(FCancelButton, &QPushButton::clicked, this, [this] { GuardedCall(this, [this] { CancelButtonClick(); }); });
}

void TWizard::AddPage(TWizardPage *page)
{
    FPages.push_back(page);
    FStack->addWidget(page);
    connect(page, &TWizardPage::Changed, this, &TWizard::UpdateButtons);
    UpdateButtons();
}

qsizetype TWizard::IndexOf(const TWizardPage *page) const
{
    for (size_t i = 0; i < FPages.size(); ++i)
        if (FPages[i] == page)
            return qsizetype(i);
    return -1;
}

TWizardPage *TWizard::FindNextPage(const TWizardPage *from) const
{
    for (size_t i = size_t(IndexOf(from) + 1); i < FPages.size(); ++i)
        if (FPages[i]->PageEnabled())
            return FPages[i];
    return nullptr;
}

TWizardPage *TWizard::FindPriorPage(const TWizardPage *from) const
{
    for (qsizetype i = IndexOf(from) - 1; i >= 0; --i)
        if (FPages[size_t(i)]->PageEnabled())
            return FPages[size_t(i)];
    return nullptr;
}

void TWizard::SetActivePage(TWizardPage *page)
{
    if (!page)
        return;
    TWizardPage *from = FActivePage;
    FActivePage = page;
    FStack->setCurrentWidget(page);
    UpdateButtons();
    if (page->OnEnterPage)
        page->OnEnterPage(from);
    UpdateButtons();
}

void TWizard::SelectFirstPage()
{
    for (TWizardPage *page : FPages)
        if (page->PageEnabled()) {
            SetActivePage(page);
            return;
        }
}

bool TWizard::SelectNextPage()
{
    TWizardPage *next = FindNextPage(FActivePage);
    SetActivePage(next);
    return next != nullptr;
}

bool TWizard::SelectPriorPage()
{
    TWizardPage *prior = FindPriorPage(FActivePage);
    SetActivePage(prior);
    return prior != nullptr;
}

void TWizard::UpdateButtons()
{
    if (!FActivePage) {
        for (QPushButton *button : {FBackButton, FNextButton, FFinishButton, FCancelButton})
            button->setEnabled(false);
        return;
    }
    const TWizardButtons allowed = FActivePage->EnabledButtons();
    const bool hasNext = FindNextPage(FActivePage) != nullptr;
    FBackButton->setEnabled(allowed.testFlag(TWizardButton::Back) && FindPriorPage(FActivePage));
    FNextButton->setEnabled(allowed.testFlag(TWizardButton::Next) && hasNext);
    FFinishButton->setEnabled(allowed.testFlag(TWizardButton::Finish) && !hasNext);
    FCancelButton->setEnabled(allowed.testFlag(TWizardButton::Cancel));
}

// The buttons' handlers check their own state as well: a click can arrive
// after the page disabled the button (a queued event), and must do nothing.
void TWizard::BackButtonClick()
{
    if (FActivePage && FBackButton->isEnabled())
        SelectPriorPage();
}

void TWizard::NextButtonClick()
{
    if (!FActivePage || !FNextButton->isEnabled())
        return;
    TWizardPage *page = FActivePage;
    bool stop = false;
    if (page->OnNextButtonClick)
        page->OnNextButtonClick(stop);
    // The handler may have closed the wizard or moved on itself.
    if (!stop && FActivePage == page && isVisible())
        SelectNextPage();
}

void TWizard::FinishButtonClick()
{
    if (FActivePage && FFinishButton->isEnabled() && FActivePage->OnFinishButtonClick)
        FActivePage->OnFinishButtonClick();
}

void TWizard::CancelButtonClick()
{
    if (FCancelButton->isEnabled() && OnCancelButtonClick)
        OnCancelButtonClick();
}

} // namespace nvqb
