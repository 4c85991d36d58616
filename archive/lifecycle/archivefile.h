#pragma once

// Creating and opening the archive file in the table object, the parts of "Создать" and
// "Открыть" that need no window (the main window and lk7 share them).

#include <QString>
#include <QtGlobal>

class TDbf;

// What the main window shows when an archive cannot be opened, whatever the reason.
inline const QString DamagedArchiveText = QStringLiteral("База данных повреждена !");
// What an append says when the instrument holds no test newer than the archive's.
inline const QString NothingNewerText = QStringLiteral("Архив уже содержит все испытания прибора.");

// Closes the table, points it at path (directory and file name with extension), writes a new
// empty archive there with the program's schema, replacing a file of that name, and opens it.
// Throws AppError when the file cannot be written or opened.
void createArchiveFile(TDbf &table, const QString &path);

// Points the table at path and opens it with the program's schema. Returns the device type code
// of the first row that passes the table's filter, 0 without such a row. A file that cannot be
// opened, or whose first row has a DEV_TYPE that does not fit the byte of a type code, throws
// AppError with the reason; the table is closed then.
quint8 openArchiveFile(TDbf &table, const QString &path);

// DEV_TYPE of the first row passing the filter, 0 without one; the table is left on that row.
// Throws AppError when the value does not fit a byte.
quint8 firstRowDeviceType(TDbf &table);
