#include "platform/dbgrid/cellvision.h"

#include <cmath>

int FormatDecimals(const QString &format)
{
    const qsizetype point = format.indexOf(QLatin1Char('.'));
    if (point < 0)
        return 0;
    int decimals = 0;
    for (qsizetype i = point + 1; i < format.size() && format.at(i) == QLatin1Char('0'); ++i)
        ++decimals;
    return decimals;
}

namespace {

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        return true;
    default:
        return false;
    }
}

// Rounds half away from zero as the decimal text of the number reads: 12.35 is stored as
// 12.3499999…, yet the operator typed 12.35 and expects 12.4.
double roundDecimal(double number, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double scaled = number * scale;
    const double rounded = std::round(scaled + std::copysign(std::abs(scaled) * 1e-12, scaled));
    return rounded == 0 ? 0.0 : rounded / scale;
}

QString numberText(double number, const QString &format, const QLocale &locale)
{
    if (format.isEmpty())
        return locale.toString(number, 'g', 15);
    const int decimals = FormatDecimals(format);
    return locale.toString(roundDecimal(number, decimals), 'f', decimals);
}

} // namespace

QString CellDisplayText(const QVariant &value, TCellView view, const QString &numericFormat,
                        const QString &fieldFormat, const QLocale &systemLocale)
{
    if (!value.isValid() || value.isNull())
        return {};
    // A display format such as "0.0" has no thousands grouping, whatever the locale's habit.
    QLocale locale = systemLocale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    switch (view) {
    case TCellView::Text:
        return value.toString();
    case TCellView::Numeric: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        return ok ? numberText(number, numericFormat, locale) : value.toString();
    }
    case TCellView::Plain:
        break;
    }
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return numberText(value.toDouble(), fieldFormat, locale);
    if (isNumber(value))
        return locale.toString(value.toLongLong());
    return value.toString().trimmed();
}
