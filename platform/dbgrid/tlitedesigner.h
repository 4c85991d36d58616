#pragma once

#include <QColor>

// The shared look of the result grids: how a selected row is filled and the colour of the grid
// lines. An invalid colour leaves the style's own.
struct TLiteDesigner
{
    QColor selectionColor;
    QColor gridLineColor = QColor(Qt::lightGray); // silver
};
