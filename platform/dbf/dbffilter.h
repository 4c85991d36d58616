#pragma once

// The filter expressions the table understands: "" (every row) and FIELD=NUMBER.

#include <QString>
#include <optional>

struct DbfFilter
{
    QString field; // upper case
    double value = 0;
};

// nullopt for the empty expression; throws AppError for any text that is not FIELD=NUMBER.
std::optional<DbfFilter> parseDbfFilter(const QString &expression);
