#pragma once

#include <QIcon>
#include <QList>

class QPainter;
class QRectF;

// The main image list: seven 16 × 16 images shared by the tool bar and the menus, in this order.
enum class MainImage
{
    Create,
    Open,
    Save,
    Preview,
    Print,
    Help,
    Delete
};
inline constexpr int MainImageCount = 7;

QIcon mainImage(MainImage image);

// The program's own picture (window icon, splash, about box): a test dolly glued to a coated
// surface, pulled off along the red arrow. Drawn to fill rect.
void paintProgramPicture(QPainter &painter, const QRectF &rect);
QIcon programIcon();
