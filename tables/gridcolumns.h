#pragma once

// The two result grids: the adhesion grid DBGridPro1 (rows with NB_TYPE 0) and the pull-off grid
// DBGridPro2 (rows with NB_TYPE 1), their columns and settings.

#include <QFont>
#include <QString>

class TDBGridPro;

// Sort tags of the archive's production index, one per grid.
inline const QString AdhesionSortTag = QStringLiteral("tab1");
inline const QString PullOffSortTag = QStringLiteral("tab2");

// Width every column takes when the columns are aligned.
inline constexpr int AlignedColumnWidth = 75;

// Number of force columns P1 … P60 of the pull-off grid and the position of the first.
inline constexpr int ForceColumnCount = 60;
inline constexpr int FirstForceColumn = 8;

// The compact font of both grids: an Arial-metric sans serif of 8 points, in which a date, a time
// and a one-decimal force fit the 70-pixel columns of the pull-off grid.
QFont ResultGridFont();

// Gives a grid the columns, font, captions, widths, alignments, views and settings of the adhesion
// grid (SetupAdhesionGrid) or of the pull-off grid (SetupPullOffGrid), replacing what it had.
void SetupAdhesionGrid(TDBGridPro &grid);
void SetupPullOffGrid(TDBGridPro &grid);

// A grid opened a cell editor (DBGridPro1InitEdit): the tables count as modified.
void GridEditStarted();
