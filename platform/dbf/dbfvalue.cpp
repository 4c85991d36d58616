#include "platform/dbf/dbfvalue.h"

#include "platform/shared/apperror.h"

#include <QTextCodec>
#include <cmath>
#include <limits>

namespace {

bool numberSyntax(const QByteArray &t)
{
    int i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        ++i;
    int digits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    return digits > 0 && i == t.size();
}

[[noreturn]] void doesNotFit(const DbfFieldLayout &field, const QString &shown)
{
    throw AppError(QStringLiteral("Значение %1 не помещается в поле %2 (%3 знаков, %4 после точки)")
                       .arg(shown, field.name)
                       .arg(field.length)
                       .arg(field.decimals));
}

} // namespace

bool dbfIsBlank(const char *bytes, int length)
{
    for (int i = 0; i < length; ++i)
        if (bytes[i] != ' ' && bytes[i] != '\0')
            return false;
    return true;
}

namespace {
std::optional<double> parseNumberText(const QByteArray &t)
{
    if (t.isEmpty() || !numberSyntax(t))
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}
} // namespace

std::optional<double> dbfParseNumber(const char *bytes, int length)
{
    return parseNumberText(QByteArray(bytes, length).replace('\0', ' ').trimmed());
}

QByteArray dbfFormatNumber(const DbfFieldLayout &field, double value)
{
    if (!std::isfinite(value))
        throw AppError(
            QStringLiteral("В поле %1 нельзя записать нечисловое значение").arg(field.name));
    QByteArray text;
    if (field.decimals > 0) {
        text = QByteArray::number(value, 'f', field.decimals);
    } else {
        const double rounded = std::round(value);
        if (std::fabs(rounded) >= 1e18)
            doesNotFit(field, QString::number(value, 'g', 17));
        const qint64 whole = qint64(rounded);
        if (field.programType == TFieldType::ftSmallint &&
            (whole < std::numeric_limits<qint16>::min() ||
             whole > std::numeric_limits<qint16>::max()))
            throw AppError(QStringLiteral("Значение %1 вне диапазона поля %2 (от -32768 до 32767)")
                               .arg(whole)
                               .arg(field.name));
        if (field.programType == TFieldType::ftInteger &&
            (whole < std::numeric_limits<qint32>::min() ||
             whole > std::numeric_limits<qint32>::max()))
            throw AppError(QStringLiteral("Значение %1 вне диапазона 32-битного поля %2")
                               .arg(whole)
                               .arg(field.name));
        text = QByteArray::number(whole);
    }
    if (text.startsWith('-') && text.count('0') + text.count('.') == text.size() - 1)
        text.remove(0, 1); // "-0.000000000" is zero
    if (text.size() > field.length)
        doesNotFit(field, QString::fromLatin1(text));
    return QByteArray(field.length - text.size(), ' ') + text;
}

QByteArray dbfFormatText(const DbfFieldLayout &field, const QString &text, QTextCodec *codec)
{
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    QByteArray bytes = codec->fromUnicode(text.constData(), int(text.size()), &state);
    if (state.invalidChars > 0)
        throw AppError(
            QStringLiteral("Текст для поля %1 содержит символы, которых нет в кодировке %2")
                .arg(field.name, QString::fromLatin1(codec->name())));
    if (bytes.size() > field.length)
        bytes.truncate(field.length);
    return bytes + QByteArray(field.length - bytes.size(), ' ');
}

QString dbfDecodeText(const char *bytes, int length, QTextCodec *codec)
{
    int n = length;
    while (n > 0 && (bytes[n - 1] == ' ' || bytes[n - 1] == '\0'))
        --n;
    return codec->toUnicode(bytes, n);
}

std::optional<double> dbfParseUserNumber(const QString &text)
{
    return parseNumberText(text.trimmed().toLatin1().replace(',', '.'));
}
