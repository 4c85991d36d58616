#include "platform/commport/portnames.h"

#include "platform/registry/registrykey.h"

#include <QFileInfo>

namespace {

struct PortMapping
{
    const QString &name;
    const char *environment;
    const QString &registryValue;
    const char *usbDevice;
    const char *serialDevice;
};

QString lookUp(const PortMapping &map)
{
    const QString fromEnvironment = qEnvironmentVariable(map.environment);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const RegistryKey key;
    const QString fromRegistry = key.readString(map.registryValue);
    if (!fromRegistry.isEmpty())
        return fromRegistry;
    const QString usb = QString::fromLatin1(map.usbDevice);
    return QFileInfo::exists(usb) ? usb : QString::fromLatin1(map.serialDevice);
}

} // namespace

QString resolvePortName(const QString &name)
{
#ifdef Q_OS_WIN
    return name;
#else
    static const PortMapping mappings[] = {
        {Com1PortName, "LK7_COM1", RegistryKey::PortCom1, "/dev/ttyUSB0", "/dev/ttyS0"},
        {Com2PortName, "LK7_COM2", RegistryKey::PortCom2, "/dev/ttyUSB1", "/dev/ttyS1"},
    };
    for (const PortMapping &map : mappings) {
        if (name.compare(map.name, Qt::CaseInsensitive) == 0)
            return lookUp(map);
    }
    return name;
#endif
}
