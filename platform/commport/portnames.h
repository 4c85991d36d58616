#pragma once

#include <QString>

// The program addresses its serial ports by the Windows names "\\.\COM1" and "\\.\COM2".
inline const QString Com1PortName = QStringLiteral("\\\\.\\COM1");
inline const QString Com2PortName = QStringLiteral("\\\\.\\COM2");

// The device that a port name stands for on this system. On Windows the name is used as it
// stands. Elsewhere "\\.\COM1" and "\\.\COM2" are looked up, in this order, in the environment
// (LK7_COM1, LK7_COM2; an empty variable counts as unset), in the registry values "Port_COM1" and
// "Port_COM2", and finally default to /dev/ttyUSB0 (else /dev/ttyS0) and /dev/ttyUSB1 (else
// /dev/ttyS1). Any other name is returned unchanged.
QString resolvePortName(const QString &name);
