#include "platform/dbf/dbfvalue.h"
#include "platform/dbf/tdbf.h"
#include "platform/dbf/tdbfimpl.h"
#include "platform/shared/apperror.h"

#include <QTextCodec>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

const QString kDateTimeForm = QStringLiteral("dd.MM.yyyy hh:mm:ss");
const QString kDateForm = QStringLiteral("dd.MM.yyyy");
const QString kTimeForm = QStringLiteral("hh:mm:ss");

// "12.500000000" -> "12.5", " 7" -> "7": the number as written, without padding.
QString plainNumberText(const QByteArray &stored)
{
    QByteArray t = QByteArray(stored).replace('\0', ' ').trimmed();
    if (t.startsWith('+'))
        t.remove(0, 1);
    if (t.contains('.')) {
        while (t.endsWith('0'))
            t.chop(1);
        if (t.endsWith('.'))
            t.chop(1);
    }
    if (t == "-0" || t.isEmpty() || t == "-")
        t = "0";
    return QString::fromLatin1(t);
}

} // namespace

bool TField::IsNull() const
{
    return !Value().isValid();
}

QVariant TField::Value() const
{
    const char *record = m_table->d->currentBytes();
    if (!record)
        return {};
    return m_table->d->valueOf(m_table->d->fieldOf(m_index), record);
}

qint32 TField::AsInteger() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return 0;
    double number = 0;
    if (m_def.type == TFieldType::ftString) {
        bool ok = false;
        const qint32 parsed = v.toString().trimmed().toInt(&ok);
        if (!ok)
            throw AppError(QStringLiteral("«%1» не является целым числом (поле %2)")
                               .arg(v.toString(), m_def.name));
        return parsed;
    }
    number = std::round(v.toDouble());
    if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max())
        throw AppError(
            QStringLiteral("Значение поля %1 не помещается в целое число").arg(m_def.name));
    return qint32(number);
}

double TField::AsFloat() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return 0;
    if (m_def.type == TFieldType::ftString) {
        const std::optional<double> parsed = dbfParseUserNumber(v.toString());
        if (!parsed)
            throw AppError(
                QStringLiteral("«%1» не является числом (поле %2)").arg(v.toString(), m_def.name));
        return *parsed;
    }
    return v.toDouble();
}

QString TField::AsString() const
{
    const char *record = m_table->d->currentBytes();
    if (!record)
        return {};
    const DbfFieldLayout &f = m_table->d->fieldOf(m_index);
    if (m_def.type == TFieldType::ftString)
        return dbfDecodeText(record + f.offset, f.length, m_table->d->codec);
    if (!Value().isValid())
        return {};
    return plainNumberText(QByteArray(record + f.offset, f.length));
}

QDateTime TField::AsDateTime() const
{
    if (m_def.type != TFieldType::ftString)
        throw AppError(QStringLiteral("Поле %1 не содержит даты и времени").arg(m_def.name));
    const QString text = AsString().trimmed();
    if (text.isEmpty())
        return {};
    for (const QString &form : {kDateTimeForm, kDateForm}) {
        const QDateTime moment = QDateTime::fromString(text, form);
        if (moment.isValid())
            return moment;
    }
    const QTime time = QTime::fromString(text, kTimeForm);
    if (time.isValid())
        return QDateTime(QDate(1899, 12, 30), time); // a time alone is a moment of the zero day
    throw AppError(
        QStringLiteral("«%1» не является датой и временем (поле %2)").arg(text, m_def.name));
}

void TField::SetAsInteger(qint32 value)
{
    if (m_def.type == TFieldType::ftString) {
        SetAsString(QString::number(value));
        return;
    }
    m_table->d->editableBytes(); // refuse before formatting when not editing
    const QByteArray bytes = dbfFormatNumber(m_table->d->fieldOf(m_index), double(value));
    std::memcpy(m_table->d->editableBytes() + m_table->d->fieldOf(m_index).offset,
                bytes.constData(), size_t(bytes.size()));
}

void TField::SetAsFloat(double value)
{
    if (m_def.type == TFieldType::ftString) {
        SetAsString(QString::number(value, 'g', 15));
        return;
    }
    m_table->d->editableBytes(); // refuse before formatting when not editing
    const QByteArray bytes = dbfFormatNumber(m_table->d->fieldOf(m_index), value);
    std::memcpy(m_table->d->editableBytes() + m_table->d->fieldOf(m_index).offset,
                bytes.constData(), size_t(bytes.size()));
}

void TField::SetAsString(const QString &value)
{
    m_table->d->editableBytes();
    const DbfFieldLayout &f = m_table->d->fieldOf(m_index);
    QByteArray bytes;
    if (m_def.type == TFieldType::ftString) {
        bytes = dbfFormatText(f, value, m_table->d->codec);
    } else if (value.trimmed().isEmpty()) {
        bytes = QByteArray(f.length, ' ');
    } else {
        const std::optional<double> number = dbfParseUserNumber(value);
        if (!number)
            throw AppError(
                QStringLiteral("«%1» не является числом (поле %2)").arg(value, m_def.name));
        bytes = dbfFormatNumber(f, *number);
    }
    std::memcpy(m_table->d->editableBytes() + f.offset, bytes.constData(), size_t(bytes.size()));
}

void TField::SetAsDateTime(const QDateTime &value)
{
    if (m_def.type != TFieldType::ftString)
        throw AppError(QStringLiteral("В поле %1 нельзя записать дату и время").arg(m_def.name));
    if (!value.isValid()) {
        Clear();
        return;
    }
    m_table->d->editableBytes();
    const int length = m_table->d->fieldOf(m_index).length;
    const QString form = length >= 19 ? kDateTimeForm : length >= 10 ? kDateForm : kTimeForm;
    if (length < 8)
        throw AppError(
            QStringLiteral("Поле %1 слишком короткое для даты и времени").arg(m_def.name));
    SetAsString(value.toString(form));
}

void TField::SetValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        Clear();
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        SetAsInteger(value.toInt());
        return;
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        SetAsFloat(value.toDouble());
        return;
    case QMetaType::QDateTime:
        SetAsDateTime(value.toDateTime());
        return;
    case QMetaType::QDate:
        SetAsDateTime(QDateTime(value.toDate(), QTime(0, 0)));
        return;
    default:
        SetAsString(value.toString());
    }
}

void TField::Clear()
{
    char *record = m_table->d->editableBytes();
    const DbfFieldLayout &f = m_table->d->fieldOf(m_index);
    std::memset(record + f.offset, ' ', size_t(f.length));
}
