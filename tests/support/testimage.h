#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// One test record of an instrument memory image, in the instrument's units (tenths).
struct ImageRecord
{
    quint16 meanForce = 0;  // P x 10
    quint16 stripWidth = 0; // R x 10
    quint16 adhesion = 0;   // P100 x 10
    quint8 interval = 0;    // D100
    QList<quint16> forces;  // samples 1 … (at most 60) x 10; the rest are 0
    QDateTime moment;       // stored as seconds, minutes, hours, day, month, year - 2000
};

// The memory image: the record count (announced, or the number of records when negative), then
// the records of 133 bytes.
QByteArray deviceImageOf(const QList<ImageRecord> &records, int announced = -1);

// Puts an image into DeviceImage as a reception would: decoded bytes from index 0, the rest left.
void receiveInProcess(const QByteArray &image, quint8 typeCode = 80);

bool writeImageFile(const QString &path, const QByteArray &image);
