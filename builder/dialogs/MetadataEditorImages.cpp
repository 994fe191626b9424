#include "builder/dialogs/MetadataEditorImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

namespace nvqb {

namespace {

constexpr int Size = 16;

const std::array<QColor, 9> &Colors()
{
    static const std::array<QColor, 9> colors = {
        QColor(0x3a, 0x78, 0xc8), // table
        QColor(0x2e, 0xa0, 0x5a), // view
        QColor(0xc0, 0x6a, 0x1e), // procedure
        QColor(0x80, 0x80, 0x80), // plain object
        QColor(0xe8, 0xc0, 0x40), // group
        QColor(0xb0, 0x30, 0x30), // database
        QColor(0x7a, 0x4a, 0xb0), // schema
        QColor(0x50, 0x60, 0x70), // field or relation
        QColor(0x1e, 0x9a, 0xa8), // synonym
    };
    return colors;
}

// A grid of cells under a coloured header: tables, views and the rest.
void DrawGrid(QPainter &p, const QColor &color)
{
    p.fillRect(1, 2, 14, 12, Qt::white);
    p.fillRect(1, 2, 14, 4, color);
    p.setPen(color.darker(130));
    p.drawRect(1, 2, 13, 11);
    p.drawLine(1, 9, 14, 9);
    p.drawLine(6, 6, 6, 13);
    p.drawLine(10, 6, 10, 13);
}

QPixmap Draw(int index)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QColor color = Colors()[size_t(index)];
    switch (index) {
    case 0:
    case 3:
        DrawGrid(p, color);
        break;
    case 1: // a grid seen through a lens
        DrawGrid(p, color);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(color.darker(150), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(7.5, 7.5, 6, 6));
        break;
    case 2: { // a gear-like wheel
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QRectF(2, 2, 12, 12));
        for (int i = 0; i < 4; ++i) {
            p.save();
            p.translate(8, 8);
            p.rotate(45.0 * i);
            p.drawRect(QRectF(-1.5, -8, 3, 16));
            p.restore();
        }
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(6, 6, 4, 4));
        break;
    }
    case 4: // a folder
        p.fillRect(1, 3, 6, 2, color.darker(115));
        p.fillRect(1, 5, 14, 9, color);
        p.setPen(color.darker(140));
        p.drawRect(1, 5, 13, 8);
        break;
    case 5: { // a cylinder
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(color.darker(140), 1));
        p.setBrush(color);
        p.drawRect(QRectF(2.5, 4, 11, 9));
        p.drawEllipse(QRectF(2.5, 10, 11, 4.5));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(3, 4, 10, 8.5));
        p.setPen(QPen(color.darker(140), 1));
        p.setBrush(color.lighter(140));
        p.drawEllipse(QRectF(2.5, 1.5, 11, 4.5));
        break;
    }
    case 6: // a stack of sheets
        p.fillRect(5, 1, 10, 10, color.lighter(150));
        p.fillRect(1, 5, 10, 10, color);
        p.setPen(color.darker(140));
        p.drawRect(1, 5, 9, 9);
        break;
    case 7: // a small square
        p.fillRect(4, 4, 8, 8, color);
        break;
    case 8: // a grid with an arrow
        DrawGrid(p, color);
        p.setPen(QPen(color.darker(150), 2));
        p.drawLine(3, 12, 12, 12);
        p.drawLine(9, 9, 12, 12);
        break;
    }
    return pixmap;
}

} // namespace

TnvImageList MetadataEditorImages()
{
    TnvImageList images;
    for (int i = 0; i < int(Colors().size()); ++i)
        images.append(QIcon(Draw(i)));
    return images;
}

QColor MetadataEditorImageColor(int index) { return Colors()[size_t(index)]; }

} // namespace nvqb
