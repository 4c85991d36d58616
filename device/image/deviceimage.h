#pragma once

#include <QString>
#include <QtGlobal>

// Readers over DeviceImage, the instrument's memory as the last reception decoded it: a 16-bit
// record count C at offset 0, then C test records of 133 bytes back to back. Values are unsigned,
// low byte first. Every read stays inside the array; an offset outside it raises AppError.

inline constexpr int DeviceRecordSize = 133;

// Offsets inside a test record (DeviceRecord).
namespace DeviceRecord {
inline constexpr int MeanForce = 0;  // 16 bit, newtons x 10
inline constexpr int StripWidth = 2; // 16 bit, millimetres x 10
inline constexpr int Adhesion = 4;   // 16 bit, newtons per centimetre x 10
inline constexpr int Interval = 6;   // 8 bit, seconds between force samples
inline constexpr int Forces = 7;     // 60 x 16 bit, newtons x 10; 0 is no sample
inline constexpr int ForceCount = 60;
inline constexpr int Time = 127; // seconds, minutes, hours
inline constexpr int Date = 130; // day, month, year - 2000
} // namespace DeviceRecord

// Offset of record i, counted from 1.
inline constexpr int deviceRecordOffset(int i)
{
    return 2 + DeviceRecordSize * (i - 1);
}

quint8 imageByte(int offset);
// Byte o plus 256 times byte o + 1.
quint16 imageWord(int offset);
// "hh:mm:ss" from the bytes at o + 2 (hours), o + 1 (minutes), o (seconds); an hour above 23
// or a minute or second above 59 reads as 00.
QString imageTimeText(int offset);
// "dd.mm.yyyy" from the bytes at o (day), o + 1 (month), o + 2 (year - 2000); a day of 0 or
// above 31 and a month of 0 or above 12 read as 01.
QString imageDateText(int offset);

// The record count C that the image announces.
int imageRecordCount();
// The records that are really in the image: C, but no more than the bytes the last reception
// decoded hold completely. The import reads records 1 to this count.
int imageCompleteRecords();
