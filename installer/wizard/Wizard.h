#pragma once
// The setup wizard's frame: a stack of pages (each with its header) and the
// buttons "< &Back", "&Next >", "&Finish" and "Cancel". Back and Next go to
// the nearest enabled page in their direction, skipping disabled ones; Next
// first asks the page (OnNextButtonClick), which may keep it.
#include "installer/wizard/WizardPage.h"

#include <QWidget>

#include <functional>
#include <vector>

class QPushButton;
class QStackedWidget;

namespace nvqb {

class TWizard : public QWidget {
    Q_OBJECT
public:
    explicit TWizard(QWidget *parent = nullptr);

    // The wizard takes the page (as its Qt child); pages follow in the order added.
    void AddPage(TWizardPage *page);
    const std::vector<TWizardPage *> &Pages() const { return FPages; }

    TWizardPage *ActivePage() const { return FActivePage; }
    // Shows the page and calls its OnEnterPage.
    void SetActivePage(TWizardPage *page);
    // The first enabled page.
    void SelectFirstPage();
    // Move to the nearest enabled page after or before the active one
    // (without asking the page); false when there is none.
    bool SelectNextPage();
    bool SelectPriorPage();
    TWizardPage *FindNextPage(const TWizardPage *from) const;
    TWizardPage *FindPriorPage(const TWizardPage *from) const;

    QPushButton *BackButton() const { return FBackButton; }
    QPushButton *NextButton() const { return FNextButton; }
    QPushButton *FinishButton() const { return FFinishButton; }
    QPushButton *CancelButton() const { return FCancelButton; }

    std::function<void()> OnCancelButtonClick;

private:
    void BackButtonClick();
    void NextButtonClick();
    void FinishButtonClick();
    void CancelButtonClick();
    void UpdateButtons();
    qsizetype IndexOf(const TWizardPage *page) const;

    std::vector<TWizardPage *> FPages;
    TWizardPage *FActivePage = nullptr;
    QStackedWidget *FStack;
    QPushButton *FBackButton;
    QPushButton *FNextButton;
    QPushButton *FFinishButton;
    QPushButton *FCancelButton;
};

} // namespace nvqb
