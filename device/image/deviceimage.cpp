#include "device/image/deviceimage.h"

#include "platform/shared/apperror.h"
#include "platform/shared/sharedstate.h"

#include <algorithm>

namespace {

void checkRange(int offset, int width)
{
    if (offset < 0 || offset > DeviceImageSize - width)
        throw AppError(
            QStringLiteral("Чтение за пределами памяти прибора: смещение %1.").arg(offset));
}

quint8 at(int offset)
{
    return quint8(DeviceImage.at(offset));
}

// Two digits, or "00" when the value lies outside 0..max.
QString twoDigits(int value, int min, int max, const char *outOfRange)
{
    if (value < min || value > max)
        return QString::fromLatin1(outOfRange);
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

quint8 imageByte(int offset)
{
    checkRange(offset, 1);
    return at(offset);
}

quint16 imageWord(int offset)
{
    checkRange(offset, 2);
    return quint16(at(offset) + 256 * at(offset + 1));
}

QString imageTimeText(int offset)
{
    checkRange(offset, 3);
    return twoDigits(at(offset + 2), 0, 23, "00") + QLatin1Char(':') +
           twoDigits(at(offset + 1), 0, 59, "00") + QLatin1Char(':') +
           twoDigits(at(offset), 0, 59, "00");
}

QString imageDateText(int offset)
{
    checkRange(offset, 3);
    return twoDigits(at(offset), 1, 31, "01") + QLatin1Char('.') +
           twoDigits(at(offset + 1), 1, 12, "01") + QLatin1Char('.') +
           QString::number(2000 + at(offset + 2));
}

int imageRecordCount()
{
    return imageWord(0);
}

int imageCompleteRecords()
{
    const int decoded = std::clamp(DeviceImageDecoded, 0, DeviceImageSize);
    if (decoded < 2)
        return 0;
    return std::min(imageRecordCount(), (decoded - 2) / DeviceRecordSize);
}
