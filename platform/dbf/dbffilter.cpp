#include "platform/dbf/dbffilter.h"

#include "platform/shared/apperror.h"

#include <QRegularExpression>

std::optional<DbfFilter> parseDbfFilter(const QString &expression)
{
    const QString text = expression.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    static const QRegularExpression form(
        QStringLiteral("^([A-Za-z_][A-Za-z0-9_]{0,9})\\s*=\\s*([-+]?(?:\\d+\\.?\\d*|\\.\\d+))$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        throw AppError(
            QStringLiteral("Неверное условие отбора «%1»: ожидается ПОЛЕ=ЧИСЛО").arg(expression));
    bool ok = false;
    const double value = m.captured(2).toDouble(&ok);
    if (!ok)
        throw AppError(QStringLiteral("Неверное число в условии отбора «%1»").arg(expression));
    return DbfFilter{m.captured(1).toUpper(), value};
}
