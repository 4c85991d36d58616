#pragma once

#include "device/import/recordimport.h"

#include <QString>
#include <QStringList>
#include <optional>

// What the subcommands that talk to the instrument share: their arguments and the reception.

class TDbf;

struct DeviceCommandArguments
{
    QString com1;      // --com1 DEV
    QString com2;      // --com2 DEV
    QString file;      // the one file argument
    QStringList flags; // the flags given, of those allowed
};

// Parses [--com1 DEV] [--com2 DEV] [allowed flags] FILE. On a bad argument returns nothing with
// the reason in problem; fileKind names the file in the message when it is missing.
std::optional<DeviceCommandArguments> parseDeviceArguments(const QStringList &arguments,
                                                           const QStringList &allowedFlags,
                                                           const QString &fileKind,
                                                           QString &problem);

// Maps COM1 and COM2 to the devices given on the command line (the port names resolve through
// the environment first).
void useDevicePorts(const DeviceCommandArguments &arguments);

// The reception of "Создать" without a window: status and progress on stderr, the instrument's
// type, version and record count on stdout. On a refusal or a cancel prints why and returns
// false; on success DeviceImage holds the memory image.
bool receiveDeviceImage();

// The import that follows a reception: the records of DeviceImage into the open archive (only the
// newer ones when appending), the archive closed, and a download that was cut short reported on
// stderr. Errors of the table pass to the caller as AppError.
ImportOutcome importAndClose(TDbf &table, bool append);
