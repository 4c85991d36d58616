#include "tables/gridlayout.h"

#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "platform/registry/registrykey.h"
#include "tables/gridcolumns.h"

#include <QRegularExpression>

namespace {

QString withCrLf(const QString &text)
{
    QString normalised = text;
    normalised.replace(QRegularExpression(QStringLiteral("\r\n|\r|\n")), QStringLiteral("\r\n"));
    return normalised;
}

void writeLayout(RegistryKey &key, const QString &valueName, const TDBGridPro &grid)
{
    TgpColumns layout;
    layout.CopyLayoutAsNew(grid.Columns());
    key.writeString(valueName, withCrLf(layout.ToText()));
    key.flush();
}

} // namespace

void ClearGridSort(TDBGridPro &grid, TDbf &table, const QString &tag)
{
    TgpColumns &columns = grid.Columns();
    columns.BeginUpdate();
    for (int c = 0; c < columns.Count(); ++c)
        columns[c]->SetTitleState(TTitleState::tsNone);
    columns.EndUpdate();
    if (!table.Active())
        return;
    try {
        table.SetIndexName(QString());
        table.DeleteIndex(tag);
        table.CloseIndexFile();
        table.Refresh();
    } catch (const std::exception &) {
        // The tag may not exist; the table then keeps the order it has.
    }
}

void AlignGridColumns(TDBGridPro &grid)
{
    grid.SetAutoColumnFit(false);
    TgpColumns &columns = grid.Columns();
    columns.BeginUpdate();
    for (int c = 0; c < columns.Count(); ++c)
        columns[c]->SetWidth(AlignedColumnWidth);
    columns.EndUpdate();
    grid.SetAutoColumnFit(true);
    grid.repaint();
}

void AlignShownGrid(TDBGridPro &shownGrid, TDbf &table)
{
    if (table.Active())
        AlignGridColumns(shownGrid);
}

void LoadGridLayout(RegistryKey &key, const QString &valueName, TDBGridPro &grid)
{
    if (key.valueExists(valueName)) {
        TgpColumns saved;
        if (saved.FromText(withCrLf(key.readString(valueName)))) {
            grid.Columns().CopyLayoutByFieldName(saved);
            return;
        }
        // A value that holds no layout is treated as missing: the opening goes on with the
        // aligned default, which replaces it.
    }
    AlignGridColumns(grid);
    writeLayout(key, valueName, grid);
}

void SaveGridLayout(RegistryKey &key, const QString &valueName, const TDBGridPro &grid)
{
    writeLayout(key, valueName, grid);
}

void ApplyForceCaptions(TDBGridPro &pullOffGrid)
{
    // Found by field rather than by place, so a force column the user dragged elsewhere still
    // gets its own caption.
    TgpColumns &columns = pullOffGrid.Columns();
    columns.BeginUpdate();
    for (int n = 1; n <= ForceColumnCount; ++n)
        if (TgpColumn *column = columns.FindByFieldName(QStringLiteral("P%1").arg(n)))
            column->SetCaption(QStringLiteral("F%1, Н").arg(n));
    columns.EndUpdate();
}
