#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The values every window of the program shares. One set for the whole run; tests call
// resetSharedState() to start from the state the program starts in.

inline constexpr int DeviceImageSize = 128536;

// The instrument's memory image. Always DeviceImageSize bytes; only a completed reception
// writes it (from index 0), only the import reads it.
extern QByteArray DeviceImage;
// How many bytes of DeviceImage the last completed reception decoded; bytes beyond that are
// left over from earlier receptions and are not measurements.
extern int DeviceImageDecoded;
extern quint8 DeviceTypeCode;
extern bool ArchiveOpen;
extern bool TablesModified;
extern QString DefaultDirectory;
extern const QString ApplicationTitle;

void resetSharedState();
