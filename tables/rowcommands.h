#pragma once

// The row commands on the grid of the shown tab: column colours, deletion of the selected rows and
// renumbering of the rows. Each works on the grid and the archive table it is given, so the main
// window's handlers only pick the grid and ask the user.

class QColor;
class TDBGridPro;
class TDbf;

// The grid's current column (the one holding the cell cursor) takes the colour; an invalid
// colour is the default, with which the column takes the grid's normal background.
void SetCurrentColumnColor(TDBGridPro &grid, const QColor &color);

// Every column of the grid, hidden ones included, back to the default colour.
void ClearColumnColors(TDBGridPro &grid);

// With the table open: both sort tags are dropped ("tab1", "tab2") and this grid's sort marks
// cleared, the grid deletes its selected rows (the current row without a selection), a pending
// cell edit is posted, the table is closed and opened again and TablesModified becomes false.
// Nothing while the table is closed. The rows stay in the file marked deleted.
void DeleteSelectedRows(TDBGridPro &grid, TDbf &table);

// With the table open, the rows it presents get N = 1 … n in the order they are shown when the
// command starts; then, open or not before, the table is closed and opened again. Sort marks and
// tags stay as they are.
void RenumberRows(TDbf &table);
