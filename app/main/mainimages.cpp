#include "app/main/mainimages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <initializer_list>

namespace {

// Every image is drawn on a 16 × 16 grid; pixmaps for larger sizes scale the same drawing.
using Painter = void (*)(QPainter &);

const QColor Outline(60, 60, 60);

void paintSheet(QPainter &p, QColor fill = Qt::white)
{
    QPainterPath sheet;
    sheet.moveTo(3.5, 1.5);
    sheet.lineTo(9.5, 1.5);
    sheet.lineTo(12.5, 4.5);
    sheet.lineTo(12.5, 14.5);
    sheet.lineTo(3.5, 14.5);
    sheet.closeSubpath();
    p.setPen(QPen(Outline, 1));
    p.setBrush(fill);
    p.drawPath(sheet);
    p.drawPolyline(QPolygonF({{9.5, 1.5}, {9.5, 4.5}, {12.5, 4.5}}));
}

void paintCreate(QPainter &p)
{
    paintSheet(p);
    p.setPen(QPen(QColor(40, 150, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11.5, 9), QPointF(11.5, 15));
    p.drawLine(QPointF(8.5, 12), QPointF(14.5, 12));
}

void paintOpen(QPainter &p)
{
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(235, 190, 70));
    p.drawPolygon(
        QPolygonF({{1.5, 3.5}, {6, 3.5}, {7.5, 5}, {13.5, 5}, {13.5, 13.5}, {1.5, 13.5}}));
    p.setBrush(QColor(250, 215, 110));
    p.drawPolygon(QPolygonF({{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
}

void paintSave(QPainter &p)
{
    p.setPen(QPen(QColor(20, 50, 110), 1));
    p.setBrush(QColor(50, 100, 190));
    p.drawPolygon(QPolygonF({{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}}));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 2, 8, 5));
    p.setBrush(QColor(200, 205, 215));
    p.drawRect(QRectF(4, 9.5, 8, 5));
    p.setBrush(QColor(20, 50, 110));
    p.drawRect(QRectF(9, 3, 2, 3));
}

void paintPreview(QPainter &p)
{
    paintSheet(p);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (double y = 5.5; y < 10; y += 2)
        p.drawLine(QPointF(5, y), QPointF(9, y));
    p.setPen(QPen(Outline, 1.4));
    p.setBrush(QColor(200, 230, 255, 220));
    p.drawEllipse(QPointF(10, 10), 3.2, 3.2);
    p.setPen(QPen(Outline, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.4, 12.4), QPointF(14.8, 14.8));
}

void paintPrint(QPainter &p)
{
    p.setPen(QPen(Outline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(170, 170, 175));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 170, 40));
    p.drawRect(QRectF(11.5, 8, 1.5, 1.5));
}

void paintHelp(QPainter &p)
{
    p.setPen(QPen(QColor(20, 60, 140), 1));
    p.setBrush(QColor(50, 110, 210));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QFont font;
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
}

void paintDelete(QPainter &p)
{
    p.setPen(QPen(QColor(200, 30, 30), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

QIcon drawnIcon(std::initializer_list<int> sizes,
                const std::function<void(QPainter &, double)> &paint)
{
    QIcon icon;
    for (int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        paint(p, size);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon mainImage(MainImage image)
{
    static const Painter painters[MainImageCount] = {
        paintCreate, paintOpen, paintSave, paintPreview, paintPrint, paintHelp, paintDelete};
    const Painter painter = painters[static_cast<int>(image)];
    return drawnIcon({16, 24, 32}, [painter](QPainter &p, double size) {
        p.scale(size / 16.0, size / 16.0);
        painter(p);
    });
}

void paintProgramPicture(QPainter &painter, const QRectF &rect)
{
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / 64.0, rect.height() / 64.0);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 64);
    sky.setColorAt(0, QColor(40, 90, 170));
    sky.setColorAt(1, QColor(20, 50, 110));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

    // The coated surface and the glued dolly with its pull rod.
    painter.setBrush(QColor(190, 195, 205));
    painter.drawRect(QRectF(8, 48, 48, 6));
    painter.setBrush(QColor(230, 160, 40));
    painter.drawRect(QRectF(8, 45, 48, 3));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(20, 36, 24, 9), 2, 2);
    painter.drawRect(QRectF(29, 22, 6, 14));

    // The pull.
    painter.setBrush(QColor(220, 40, 40));
    painter.drawPolygon(
        QPolygonF({{32, 6}, {42, 18}, {36, 18}, {36, 22}, {28, 22}, {28, 18}, {22, 18}}));
    painter.restore();
}

QIcon programIcon()
{
    return drawnIcon({16, 32, 48, 64, 128}, [](QPainter &p, double size) {
        paintProgramPicture(p, QRectF(0, 0, size, size));
    });
}
