#pragma once

#include <QList>

// Widths that fill `available` pixels: columns marked fixed keep their width, the others share
// what is left in proportion to their widths, each at least minWidth; the shares add up to the
// space exactly. When there is no space left to share, the widths stay as they are.
QList<int> FitColumnWidths(const QList<int> &widths, const QList<bool> &fixed, int available,
                           int minWidth = 8);
