#pragma once

#include <QJsonArray>
#include <QString>

// The rows of a dBase file as python3-dbfread (an independent reader) sees them: one JSON object
// per row, field name to value, empty fields null. Deleted rows are left out. An empty array
// with the reason in error when the reader fails.
QJsonArray dbfreadRows(const QString &path, QString *error = nullptr);
