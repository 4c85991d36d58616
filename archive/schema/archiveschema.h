#pragma once

// The archive table: its 212 field objects in file order and the sizes of its file header.

#include "platform/dbf/tdbf.h"

#include <QList>

inline constexpr int kArchiveFieldCount = 212;
inline constexpr int kArchiveHeaderLength = 6817;
inline constexpr int kArchiveRecordLength = 3822;

// N, DATE, TIME, DEV_TYPE, SERIAL, NB_TYPE, P, R, ZAV, TYPE, COMMENT, T, then the reading pairs
// P1, D1 … P100, D100 with D26 before P26 and D81 before P81, as the archives already written
// carry them. P1 … P10 and D1 … D10 show with the format "0.0".
const QList<TFieldDef> &archiveFieldDefs();

// Name of the reading field: "P" or "D" followed by n.
QString archiveReadingField(QChar letter, int n);
