#pragma once
// One page of the setup wizard: a header band with the page's title and
// subtitle, the page's own controls below it, whether the page is on the
// wizard's route at all, and which of the wizard's buttons it allows.
//
// Page coordinates include the header: a control placed at top 84 sits 14
// pixels below the header's lower edge.
#include <QFlags>
#include <QString>
#include <QWidget>

#include <functional>

namespace nvqb {

enum class TWizardButton { Back = 1, Next = 2, Finish = 4, Cancel = 8 };
Q_DECLARE_FLAGS(TWizardButtons, TWizardButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(TWizardButtons)

inline constexpr TWizardButtons AllWizardButtons =
    TWizardButtons(TWizardButton::Back) | TWizardButton::Next | TWizardButton::Finish | TWizardButton::Cancel;

class TWizardPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int HeaderHeight = 70;

    explicit TWizardPage(const QString &title, const QString &subtitle = QString(), QWidget *parent = nullptr);

    const QString &Title() const { return FTitle; }
    void SetTitle(const QString &title);
    const QString &Subtitle() const { return FSubtitle; }
    void SetSubtitle(const QString &subtitle);

    // A disabled page is skipped by Back and Next.
    bool PageEnabled() const { return FPageEnabled; }
    void SetPageEnabled(bool enabled);

    // The buttons this page allows; the wizard also disables Back and Next
    // where no enabled page lies in that direction, and Finish where one
    // lies ahead.
    TWizardButtons EnabledButtons() const { return FEnabledButtons; }
    void SetEnabledButtons(TWizardButtons buttons);
    void SetButtonEnabled(TWizardButton button, bool enabled);

    // The area below the header, where the page's controls go.
    QWidget *Body() const { return FBody; }

    // Called after the page became the active one (fromPage: the page before,
    // or none).
    std::function<void(TWizardPage *fromPage)> OnEnterPage;
    // Called on Next before the wizard moves on; setting stop keeps the page.
    std::function<void(bool &stop)> OnNextButtonClick;
    std::function<void()> OnFinishButtonClick;

signals:
    // Title, subtitle, route or buttons changed.
    void Changed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QString FTitle;
    QString FSubtitle;
    bool FPageEnabled = true;
    TWizardButtons FEnabledButtons = AllWizardButtons;
    QWidget *FBody;
};

} // namespace nvqb
