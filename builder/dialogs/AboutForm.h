#pragma once
// The about box: product name, version and the maker's web links.
#include <QDialog>

class QLabel;
class QPushButton;

namespace nvqb {

class TnvQBLocalizerForm;

class TfNvQBAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TfNvQBAboutForm(QWidget *parent = nullptr);
    ~TfNvQBAboutForm() override;

    QLabel *Image1, *lProductName, *lWebSite, *lSupport, *lVersionCaption, *lVersion;
    QPushButton *bClose;
    TnvQBLocalizerForm *Localizer;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void LinkClick(QLabel *label);
    void Image1Click();
};

// The product's version as the about box shows it.
QString NorvaneQueryBuilderVersion();
// The maker's web site and support page behind the about box's links.
QString NorvaneQueryBuilderWebSite();
QString NorvaneQueryBuilderSupportPage();

// Creates the about box, shows it modally and frees it.
void ShowNorvaneQueryBuilderAbout(QWidget *parent = nullptr);

} // namespace nvqb
