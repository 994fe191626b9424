#pragma once
// The combo box of IDEs on the configuration page: each item shows the IDE
// program's icon at its left edge + 1 and the IDE's name 3 pixels after the
// icon, in the list and in the box itself.
#include <QComboBox>

namespace nvqb {

class TIDEComboBox : public QComboBox {
    Q_OBJECT
public:
    static constexpr int IconSize = 16;

    explicit TIDEComboBox(QWidget *parent = nullptr);

    // Draws one item into rect: the icon at rect.left() + 1, vertically
    // centred, the text 3 pixels after it.
    static void DrawItem(QPainter &painter, const QRect &rect, const QIcon &icon, const QString &text,
                         const QColor &textColor);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace nvqb
