#include "tables/gridcolumns.h"

#include "platform/dbgrid/tdbgridpro.h"
#include "platform/shared/sharedstate.h"

namespace {

struct ColumnDef
{
    const char *field;
    QString caption;
    int width;
    Qt::Alignment alignment;
    TCellView view;
};

void addColumns(TDBGridPro &grid, const QList<ColumnDef> &defs, bool fixedWidths)
{
    TgpColumns &columns = grid.Columns();
    columns.BeginUpdate();
    columns.Clear();
    for (const ColumnDef &def : defs) {
        TgpColumn *column = columns.Add(QString::fromLatin1(def.field));
        column->SetCaption(def.caption);
        column->SetTitleAlignment(Qt::AlignCenter);
        column->SetWidth(def.width);
        column->SetFixedWidth(fixedWidths);
        column->SetAlignment(def.alignment | Qt::AlignVCenter);
        column->SetView(def.view);
        column->SetNumericFormat(QStringLiteral("0.0"));
    }
    columns.EndUpdate();
}

TLiteDesigner liteDesigner1()
{
    return TLiteDesigner{QColor(), QColor(0xC0, 0xC0, 0xC0)};
}

} // namespace

QFont ResultGridFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

void SetupAdhesionGrid(TDBGridPro &grid)
{
    const auto centre = Qt::AlignHCenter;
    const auto plain = TCellView::Plain;
    const auto numeric = TCellView::Numeric;
    addColumns(grid,
               {
                   {"N", QStringLiteral("N"), 112, centre, plain},
                   {"DATE", QStringLiteral("Дата"), 100, centre, plain},
                   {"TIME", QStringLiteral("Время"), 93, centre, plain},
                   {"P", QStringLiteral("F, кН"), 91, Qt::AlignRight, numeric},
                   {"R", QStringLiteral("R, МПа"), 89, Qt::AlignRight, numeric},
                   {"TYPE", QStringLiteral("Тип и размер образца"), 101, centre, plain},
                   {"COMMENT", QStringLiteral("Примечание"), 130, Qt::AlignLeft, TCellView::Text},
               },
               false);
    grid.setFont(ResultGridFont());
    grid.SetTitleLines(2);
    grid.SetShowFooters(true);
    grid.SetMultiSelect(true);
    grid.SetColumnsMovable(false);
    grid.SetMultiSortMarks(false);
    grid.SetReadOnly(false);
    grid.SetDesigner(liteDesigner1());
    grid.SetAutoColumnFit(true);
}

void SetupPullOffGrid(TDBGridPro &grid)
{
    const auto centre = Qt::AlignHCenter;
    const auto plain = TCellView::Plain;
    const auto numeric = TCellView::Numeric;
    QList<ColumnDef> defs = {
        {"N", QStringLiteral("N"), 70, centre, plain},
        {"DATE", QStringLiteral("Дата"), 70, centre, plain},
        {"TIME", QStringLiteral("Время"), 70, centre, plain},
        {"P", QStringLiteral("Fср, Усилие, Н"), 70, centre, numeric},
        {"R", QStringLiteral("Bср, ширина полосы, мм"), 70, centre, numeric},
        {"P100", QStringLiteral("G, Адгезия, Н/см"), 70, centre, numeric},
        {"D100", QStringLiteral("t, Интервал, сек"), 79, centre, plain},
        {"T", QStringLiteral("Интервал, tсек."), 79, centre, plain},
    };
    QList<QByteArray> forceFields;
    for (int n = 1; n <= ForceColumnCount; ++n)
        forceFields.append("P" + QByteArray::number(n));
    for (const QByteArray &field : forceFields)
        defs.append({field.constData(), QString::fromLatin1(field), 70, centre, numeric});
    addColumns(grid, defs, true);
    grid.Columns().FindByFieldName(QStringLiteral("T"))->SetVisible(false);
    grid.setFont(ResultGridFont());
    grid.SetTitleLines(2);
    grid.SetShowFooters(false);
    grid.SetMultiSelect(true);
    grid.SetColumnsMovable(true);
    grid.SetMultiSortMarks(true);
    grid.SetReadOnly(true);
    grid.SetDesigner(liteDesigner1());
}

void GridEditStarted()
{
    TablesModified = true;
}
