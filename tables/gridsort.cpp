#include "tables/gridsort.h"

#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "tables/gridcolumns.h"
#include "tables/gridlayout.h"

void SortByTitle(TDBGridPro &grid, TDbf &table, const QString &tag, TgpColumn *column)
{
    if (!column || !table.Active())
        return;
    table.SetIndexName(QString());
    try {
        table.DeleteIndex(tag);
        table.Refresh();
    } catch (const std::exception &) {
        // No such tag yet: nothing to drop.
    }
    if (column->TitleState() == TTitleState::tsNone) {
        ClearGridSort(grid, table, tag);
        return;
    }
    // The mark up shows the rows in descending order, the mark down in ascending order.
    table.AddIndex(tag, column->FieldName(), column->TitleState() == TTitleState::tsUp);
    table.SetIndexName(tag);
    table.RegenerateIndexes();
    table.Refresh();
}

void RemoveSorting(TDBGridPro &adhesionGrid, TDBGridPro &pullOffGrid, TDbf &table)
{
    ClearGridSort(pullOffGrid, table, PullOffSortTag);
    ClearGridSort(adhesionGrid, table, AdhesionSortTag);
}
