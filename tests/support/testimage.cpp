#include "tests/support/testimage.h"

#include "platform/shared/sharedstate.h"

#include <QFile>

namespace {

void putWord(QByteArray &b, int at, quint16 value)
{
    b[at] = char(value & 0xFF);
    b[at + 1] = char(value >> 8);
}

} // namespace

QByteArray deviceImageOf(const QList<ImageRecord> &records, int announced)
{
    QByteArray image(2 + 133 * records.size(), '\0');
    putWord(image, 0, quint16(announced < 0 ? records.size() : announced));
    for (int i = 0; i < records.size(); ++i) {
        const ImageRecord &r = records[i];
        const int o = 2 + 133 * i;
        putWord(image, o + 0, r.meanForce);
        putWord(image, o + 2, r.stripWidth);
        putWord(image, o + 4, r.adhesion);
        image[o + 6] = char(r.interval);
        for (int n = 0; n < r.forces.size() && n < 60; ++n)
            putWord(image, o + 7 + 2 * n, r.forces[n]);
        const QTime t = r.moment.time();
        const QDate d = r.moment.date();
        image[o + 127] = char(t.second());
        image[o + 128] = char(t.minute());
        image[o + 129] = char(t.hour());
        image[o + 130] = char(d.day());
        image[o + 131] = char(d.month());
        image[o + 132] = char(d.year() - 2000);
    }
    return image;
}

void receiveInProcess(const QByteArray &image, quint8 typeCode)
{
    DeviceImage.replace(0, image.size(), image);
    DeviceImageDecoded = int(image.size());
    DeviceTypeCode = typeCode;
}

bool writeImageFile(const QString &path, const QByteArray &image)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(image) == image.size();
}
