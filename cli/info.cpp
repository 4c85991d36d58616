// lk7 info: what an archive holds: its rows of each kind, the device type code of its first row,
// the first and the last test date, and the figures of P and R over all rows as the window's
// statistics compute them. Numbers are printed with a decimal point.

#include "archive/lifecycle/archivefile.h"
#include "cli/commands.h"
#include "platform/dbf/tdbf.h"
#include "platform/shared/apperror.h"
#include "tables/statistics.h"

#include <QDate>

namespace {

constexpr const char *Name = "info";

int rowsOfKind(TDbf &table, int kind)
{
    table.SetFilter(QStringLiteral("NB_TYPE=%1").arg(kind));
    const int rows = table.ExactRecordCount();
    table.SetFilter(QString());
    return rows;
}

// The earliest and the latest date among the rows; texts that are not a date are passed over.
std::pair<QDate, QDate> dateRange(TDbf &table)
{
    QDate first, last;
    TField *field = table.FieldByName(QStringLiteral("DATE"));
    for (table.First(); !table.Eof(); table.Next()) {
        const QDate date =
            QDate::fromString(field->AsString().trimmed(), QStringLiteral("dd.MM.yyyy"));
        if (!date.isValid())
            continue;
        if (!first.isValid() || date < first)
            first = date;
        if (!last.isValid() || date > last)
            last = date;
    }
    return {first, last};
}

QString dateText(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QStringLiteral("нет");
}

} // namespace

int runInfo(const QStringList &arguments)
{
    if (arguments.size() != 1 || arguments.first().startsWith(QLatin1String("--")))
        return usageError(Name, arguments.isEmpty() ? QStringLiteral("не указан файл архива")
                                                    : QStringLiteral("лишний аргумент"));
    const QString path = arguments.first();
    try {
        TDbf table;
        const quint8 deviceType = openArchiveFile(table, path);
        const QLocale c = QLocale::c();
        const TableStatistics figures = find_mma(table);
        const auto [first, last] = dateRange(table);
        out() << "Архив: " << path << '\n'
              << "Строк адгезии (NB_TYPE=0): " << rowsOfKind(table, 0) << '\n'
              << "Строк вырыва (NB_TYPE=1): " << rowsOfKind(table, 1) << '\n'
              << "Всего строк: " << table.ExactRecordCount() << '\n'
              << "Код типа прибора первой строки: " << deviceType << '\n'
              << "Первая дата: " << dateText(first) << '\n'
              << "Последняя дата: " << dateText(last) << '\n'
              << "P мин/сред/макс: " << statisticText(figures.pMin, figures.pMean, figures.pMax, c)
              << '\n'
              << "R мин/сред/макс: " << statisticText(figures.rMin, figures.rMean, figures.rMax, c)
              << Qt::endl;
    } catch (const AppError &error) {
        err() << DamagedArchiveText << ' ' << error.text() << Qt::endl;
        return 1;
    }
    return 0;
}
