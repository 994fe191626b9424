#pragma once
// The small frame the ADO-style provider hands to the metadata load wizard to
// edit the connection it made: the connection string, typed or built with the
// data-link dialog, and whether the connection prompts for a login.
#include <QPlainTextEdit>
#include <QPointer>
#include <QWidget>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;

namespace nvqb {

class TADOConnection;
class TnvQBLocalizerForm;

// A memo whose Enter does not break the line: the key goes on to the dialog
// around the frame (its default button), as a connection string is one line.
class TnvNoReturnsMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

class TfrNvQBADOConnectionEdit : public QWidget {
    Q_OBJECT
public:
    explicit TfrNvQBADOConnectionEdit(QWidget *parent = nullptr);
    ~TfrNvQBADOConnectionEdit() override;

    // Not owned. The frame asks the connection for a removal notice, so the
    // reference reads nil once the connection (or the provider owning it)
    // is freed; edits then go nowhere.
    TADOConnection *Connection() const { return FConnection; }
    void SetConnection(TADOConnection *connection);

    QLabel *lConnectionString;
    QPushButton *bEditConnectionString;
    TnvNoReturnsMemo *eConnectionString;
    QCheckBox *cbLoginPrompt;
    TnvQBLocalizerForm *Localizer;

    void bEditConnectionStringClick();
    void eConnectionStringChange();
    void cbLoginPromptClick();

protected:
    // A caption changed by the localizer asks for a new layout: the label
    // takes its new width.
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void ShowConnectionString();
    void ResizeControls();

    // A widget is no component: this one receives the removal notice for it.
    class TConnectionWatch;
    friend class TConnectionWatch;
    struct TWatchFree {
        void operator()(TConnectionWatch *watch) const;
    };

    TADOConnection *FConnection = nullptr;
    std::unique_ptr<TConnectionWatch, TWatchFree> FWatch;
    bool FShowing = false;
};

} // namespace nvqb
