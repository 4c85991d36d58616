#include "tables/rowcommands.h"

#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "platform/shared/apperror.h"
#include "platform/shared/sharedstate.h"
#include "tables/gridcolumns.h"
#include "tables/gridlayout.h"

#include <QColor>
#include <QList>

void SetCurrentColumnColor(TDBGridPro &grid, const QColor &color)
{
    if (TgpColumn *column = grid.CurrentColumn())
        column->SetColor(color);
}

void ClearColumnColors(TDBGridPro &grid)
{
    TgpColumns &columns = grid.Columns();
    columns.BeginUpdate();
    for (int c = 0; c < columns.Count(); ++c)
        columns[c]->SetDefaultColor();
    columns.EndUpdate();
}

void DeleteSelectedRows(TDBGridPro &grid, TDbf &table)
{
    if (!table.Active())
        return;
    ClearGridSort(grid, table, AdhesionSortTag);
    ClearGridSort(grid, table, PullOffSortTag);
    grid.DeleteSelectedRows();
    grid.CommitEdit();
    table.Close();
    table.Open();
    // Deletions are in the file already; closing the archive has nothing to ask about them.
    TablesModified = false;
}

void RenumberRows(TDbf &table)
{
    if (table.Active()) {
        // The rows are taken in the order shown before any is numbered: walking the live order
        // while sorted by N would move each row as it gets its number.
        QList<int> records;
        const int count = table.ExactRecordCount();
        for (int row = 0; row < count; ++row)
            records.append(table.RecordAt(row));
        TField *number = table.FieldByName(QStringLiteral("N"));
        for (qsizetype i = 0; i < records.size(); ++i) {
            if (!table.GoToRecord(records[i]))
                throw AppError(QStringLiteral("Перенумерация прервана: строка %1 больше не видна.")
                                   .arg(records[i]));
            table.Edit();
            number->SetAsInteger(qint32(i + 1));
            try {
                table.Post();
            } catch (...) {
                table.Cancel();
                throw;
            }
        }
        table.First();
    }
    table.Close();
    table.Open();
}
