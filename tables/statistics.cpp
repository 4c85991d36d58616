#include "tables/statistics.h"

#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"

#include <cmath>

namespace {

struct Range
{
    double min = 0, max = 0, sum = 0;

    void start(double v) { min = max = sum = v; }
    void add(double v)
    {
        if (v < min)
            min = v;
        if (v > max)
            max = v;
        sum += v;
    }
};

TableStatistics fromRanges(const Range &p, const Range &r, int count)
{
    return {p.min, roundedMean(p.sum, count), p.max, r.min, roundedMean(r.sum, count), r.max};
}

double fieldValue(TDbf &table, const QString &name)
{
    return table.IsEmpty() ? 0.0 : table.FieldByName(name)->AsFloat();
}

// A kept value that is empty (the field had no value when the row was selected) counts as 0, as
// an empty field does for the whole table.
double keptValue(const QVariantList &values, int index)
{
    return index < values.size() ? values.at(index).toDouble() : 0.0;
}

} // namespace

double roundedMean(double sum, int count)
{
    return std::trunc(sum / count / 0.1 + 0.5) * 0.1;
}

TableStatistics find_mma(TDbf &table)
{
    if (!table.Active())
        return {};
    const int n = table.ExactRecordCount();
    if (n < 2) {
        const double p = fieldValue(table, QStringLiteral("P"));
        const double r = fieldValue(table, QStringLiteral("R"));
        return {p, p, p, r, r, r};
    }
    TField *fieldP = table.FieldByName(QStringLiteral("P"));
    TField *fieldR = table.FieldByName(QStringLiteral("R"));
    Range p, r;
    table.First();
    p.start(fieldP->AsFloat());
    r.start(fieldR->AsFloat());
    for (int i = 1; i < n; ++i) {
        table.Next();
        p.add(fieldP->AsFloat());
        r.add(fieldR->AsFloat());
    }
    table.First();
    return fromRanges(p, r, n);
}

TableStatistics selectionStatistics(const TDBGridPro &grid)
{
    const int count = grid.SelectedCount();
    if (count == 0)
        return {};
    Range p, r;
    const QVariantList first = grid.SelectedRow(0).values;
    p.start(keptValue(first, 0));
    r.start(keptValue(first, 1));
    for (int i = 1; i < count; ++i) {
        const QVariantList kept = grid.SelectedRow(i).values;
        p.add(keptValue(kept, 0));
        r.add(keptValue(kept, 1));
    }
    return fromRanges(p, r, count);
}

QString generalNumber(double value, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(value, 'g', 15);
}

QString statisticText(double min, double mean, double max, const QLocale &locale)
{
    return generalNumber(min, locale) + QLatin1Char('/') + generalNumber(mean, locale) +
           QLatin1Char('/') + generalNumber(max, locale);
}

void StatisticsFooters(TDBGridPro &grid, const TableStatistics &figures)
{
    const TgpColumns &columns = grid.Columns();
    if (TgpColumn *p = columns.FindByFieldName(QStringLiteral("P")))
        p->SetFooterText(statisticText(figures.pMin, figures.pMean, figures.pMax));
    if (TgpColumn *r = columns.FindByFieldName(QStringLiteral("R")))
        r->SetFooterText(statisticText(figures.rMin, figures.rMean, figures.rMax));
    if (TgpColumn *n = columns.FindByFieldName(QStringLiteral("N"))) {
        TDbf *table = grid.DataSet();
        const int rows = table && table->Active() ? table->ExactRecordCount() : 0;
        n->SetFooterText(QString::number(rows));
    }
}

void showSelectionStatistics(TDBGridPro &grid, const TableStatistics &tableStatistics)
{
    StatisticsFooters(grid, grid.SelectedCount() < 2 ? tableStatistics : selectionStatistics(grid));
}
