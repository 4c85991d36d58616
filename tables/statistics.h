#pragma once

#include <QLocale>
#include <QString>

class TDbf;
class TDBGridPro;

// Minimum, mean and maximum of P and of R over the rows of the whole table. Computed by find_mma
// when an archive is opened or created and after rows are deleted; kept until it runs again.
struct TableStatistics
{
    double pMin = 0, pMean = 0, pMax = 0;
    double rMin = 0, rMean = 0, rMax = 0;

    bool operator==(const TableStatistics &) const = default;
};

// A mean rounded half up to one decimal: sum over count, over 0.1, plus 0.5, truncated, times 0.1.
double roundedMean(double sum, int count);

// Statistics over the rows the table presents under its current filter, visited in its current
// order. With fewer than two rows the figures are the current row's values (0 without a row) and
// the current row stays; otherwise the table is left on its first row. Empty fields count as 0.
TableStatistics find_mma(TDbf &table);

// Statistics over the P and R values a grid's selected rows kept when they were selected, in the
// selection's order. Meaningful for a selection of two or more rows.
TableStatistics selectionStatistics(const TDBGridPro &grid);

// A number in the general form: up to 15 significant digits, no trailing zeros, the locale's
// decimal separator and no group separators.
QString generalNumber(double value, const QLocale &locale = QLocale());

// "min/mean/max" in the general form.
QString statisticText(double min, double mean, double max, const QLocale &locale = QLocale());

// Writes the footers of the grid's columns P, R and N: the P and R figures, and the number of rows
// the grid's table presents. Columns that the grid lacks are skipped.
void StatisticsFooters(TDBGridPro &grid, const TableStatistics &figures);

// What a grid's selection change shows: the selection's figures for two or more selected rows,
// otherwise the whole table's.
void showSelectionStatistics(TDBGridPro &grid, const TableStatistics &tableStatistics);
