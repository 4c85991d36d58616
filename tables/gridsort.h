#pragma once

// Sorting the rows through a click on a column title, and its removal.

#include <QString>

class TDBGridPro;
class TDbf;
class TgpColumn;

// What a grid does after a title click changed the column's mark (DBGridPro1TitleStateChange
// with tag "tab1", DBGridPro2TitleStateChange with "tab2"): the tag is rebuilt on the column's
// field alone, descending for the mark up and ascending for the mark down, and made active; with
// no mark the grid's sort is cleared.
void SortByTitle(TDBGridPro &grid, TDbf &table, const QString &tag, TgpColumn *column);

// "Убрать сортировку": both grids lose their marks and the table its sort tags.
void RemoveSorting(TDBGridPro &adhesionGrid, TDBGridPro &pullOffGrid, TDbf &table);
