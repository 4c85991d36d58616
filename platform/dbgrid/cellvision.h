#pragma once

// The text a grid cell shows for a field value, by the column's cell view.

#include "platform/dbgrid/tgpcolumn.h"

#include <QLocale>
#include <QVariant>

// Number of decimals a display format such as "0.0" asks for: the zeros after the point.
int FormatDecimals(const QString &format);

// value: the field value (invalid when the field is empty). numericFormat: the column's format
// for the numeric view. fieldFormat: the field's own display format, which the plain view uses.
QString CellDisplayText(const QVariant &value, TCellView view, const QString &numericFormat,
                        const QString &fieldFormat, const QLocale &locale = QLocale());
