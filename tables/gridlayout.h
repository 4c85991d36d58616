#pragma once

// Column layouts of the result grids kept in the registry ("Table_1", "Table_2"), column
// alignment, the captions of the force columns and the removal of a grid's sort.

#include <QString>

class RegistryKey;
class TDBGridPro;
class TDbf;

// Clears every sort mark of the grid; with the table open also drops the sort tag (active index
// none, tag deleted, index file closed, table refreshed). Failures of the index steps are
// swallowed: the table then stays in natural order or in the order of a tag still active.
void ClearGridSort(TDBGridPro &grid, TDbf &table, const QString &tag);

// Fitting off, width 75 for every column (hidden ones too), fitting on, repaint.
void AlignGridColumns(TDBGridPro &grid);

// "Выровнять столбцы": aligns the grid of the shown tab when the table is open.
void AlignShownGrid(TDBGridPro &shownGrid, TDbf &table);

// Applies the layout saved in the registry value to the grid's columns, matched by field name.
// When the value is missing, or holds no readable layout, the grid is aligned and its layout
// written to the value instead.
void LoadGridLayout(RegistryKey &key, const QString &valueName, TDBGridPro &grid);
// Writes the grid's layout to the registry value, replacing what was there.
void SaveGridLayout(RegistryKey &key, const QString &valueName, const TDBGridPro &grid);

// Captions "F1, Н" … "F60, Н" of the force columns of the pull-off grid.
void ApplyForceCaptions(TDBGridPro &pullOffGrid);
