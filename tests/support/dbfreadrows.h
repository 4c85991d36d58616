#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>

// The rows of a dBase file as python3-dbfread (an independent reader) sees them: one JSON object
// per row, field name to value, empty fields null. Deleted rows are left out. An empty array
// with the reason in error when the reader fails.
QJsonArray dbfreadRows(const QString &path, QString *error = nullptr);

// How many rows python3-dbfread sees in each file, in one run of the reader; -1 for a file it
// cannot read, and an empty list when the reader itself fails.
QList<int> dbfreadRowCounts(const QStringList &paths);
