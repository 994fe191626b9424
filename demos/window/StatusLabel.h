#pragma once
// A one-line status text that never asks for more room than it is given: a
// text wider than the label is cut short with an ellipsis, and the whole
// text is its tool tip. A database's or the parser's message can run to
// thousands of characters; shown as it is, it would widen the window and
// squeeze the panes beside it.
#include <QLabel>

namespace nvqb {

class TnvStatusLabel : public QLabel {
    Q_OBJECT
public:
    explicit TnvStatusLabel(QWidget *parent = nullptr);

    // The whole text; text() is what is shown of it.
    const QString &FullText() const { return FFullText; }
    void SetFullText(const QString &text);
    void Clear() { SetFullText(QString()); }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Elide();

    QString FFullText;
};

} // namespace nvqb
