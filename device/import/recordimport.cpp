#include "device/import/recordimport.h"

#include "device/image/deviceimage.h"
#include "platform/dbf/tdbf.h"
#include "platform/shared/apperror.h"
#include "platform/shared/sharedstate.h"

#include <QDateTime>
#include <QList>

#include <algorithm>

namespace {

constexpr quint8 PullOffTesterCode = 80;

// Seconds from 0001-01-01 00:00:00; days x 86400 plus the seconds of the day.
constexpr qint64 OriginJulianDay = 1721426;

qint64 recordMoment(int record)
{
    const int offset = deviceRecordOffset(record);
    return archiveMoment(imageDateText(offset + DeviceRecord::Date),
                         imageTimeText(offset + DeviceRecord::Time));
}

double scaled(int offset)
{
    return imageWord(offset) / 10.0;
}

void writeRow(TDbf &table, int record, int number)
{
    const int o = deviceRecordOffset(record);
    table.Append();
    table.FieldByName(QStringLiteral("N"))->SetAsInteger(number);
    table.FieldByName(QStringLiteral("NB_TYPE"))->SetAsInteger(1);
    table.FieldByName(QStringLiteral("TIME"))->SetAsString(imageTimeText(o + DeviceRecord::Time));
    table.FieldByName(QStringLiteral("DATE"))->SetAsString(imageDateText(o + DeviceRecord::Date));
    table.FieldByName(QStringLiteral("DEV_TYPE"))->SetAsInteger(DeviceTypeCode);
    table.FieldByName(QStringLiteral("P"))->SetAsFloat(scaled(o + DeviceRecord::MeanForce));
    table.FieldByName(QStringLiteral("R"))->SetAsFloat(scaled(o + DeviceRecord::StripWidth));
    table.FieldByName(QStringLiteral("P100"))->SetAsFloat(scaled(o + DeviceRecord::Adhesion));
    table.FieldByName(QStringLiteral("D100"))->SetAsFloat(imageByte(o + DeviceRecord::Interval));
    for (int n = 1; n <= DeviceRecord::ForceCount; ++n) {
        const int sample = o + DeviceRecord::Forces + 2 * (n - 1);
        if (imageWord(sample) != 0)
            table.FieldByName(QStringLiteral("P%1").arg(n))->SetAsFloat(scaled(sample));
    }
    table.Post();
}

// The latest moment among the table's rows (0 without a row). The last row is normally the
// latest, but a test stored after the instrument's clock was set back would otherwise make the
// next append take old tests again.
qint64 latestMoment(TDbf &table)
{
    qint64 latest = 0;
    TField *date = table.FieldByName(QStringLiteral("DATE"));
    TField *time = table.FieldByName(QStringLiteral("TIME"));
    for (table.First(); !table.Eof(); table.Next())
        latest = std::max(latest, archiveMoment(date->AsString(), time->AsString()));
    table.Last();
    return latest;
}

// The first record (from 1) later than every pull-off row already in the table; records before
// it are skipped. Checks every moment first, so nothing is written for a bad one.
int firstNewRecord(TDbf &table, int records)
{
    const qint64 last = latestMoment(table);
    QList<qint64> moments;
    for (int i = 1; i <= records; ++i)
        moments.append(recordMoment(i));
    for (int i = 1; i <= records; ++i) {
        if (moments.at(i - 1) > last)
            return i;
    }
    return records + 1;
}

} // namespace

qint64 archiveMoment(const QString &date, const QString &time)
{
    const QString text = date.trimmed() + QLatin1Char(' ') + time.trimmed();
    const QDateTime moment = QDateTime::fromString(text, QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    if (!moment.isValid())
        throw AppError(QStringLiteral("Неверные дата и время испытания: \"%1\"").arg(text));
    return (moment.date().toJulianDay() - OriginJulianDay) * 86400 +
           moment.time().msecsSinceStartOfDay() / 1000;
}

ImportOutcome importDeviceRecords(TDbf &table, bool append, const std::function<void()> &beforeRow)
{
    ImportOutcome outcome;
    if (DeviceTypeCode != PullOffTesterCode)
        return outcome;
    table.SetFilter(QStringLiteral("NB_TYPE=1"));
    table.Refresh();
    table.Last();
    outcome.announced = imageRecordCount();
    outcome.received = imageCompleteRecords();
    const int first = append ? firstNewRecord(table, outcome.received) : 1;
    outcome.skipped = first - 1;
    for (int i = first; i <= outcome.received; ++i) {
        if (beforeRow)
            beforeRow();
        writeRow(table, i, i);
        ++outcome.written;
    }
    return outcome;
}

QString truncatedImageMessage(const ImportOutcome &outcome)
{
    return QStringLiteral("Прибор сообщил о %1 записях, а принято только %2. "
                          "В архив записаны принятые записи.")
        .arg(outcome.announced)
        .arg(outcome.received);
}
