#include "platform/shared/sharedstate.h"

QByteArray DeviceImage(DeviceImageSize, '\0');
int DeviceImageDecoded = 0;
quint8 DeviceTypeCode = 0;
bool ArchiveOpen = false;
bool TablesModified = false;
QString DefaultDirectory;
const QString ApplicationTitle = QStringLiteral("Ortan - LK7");

void resetSharedState()
{
    DeviceImage.fill('\0', DeviceImageSize);
    DeviceImageDecoded = 0;
    DeviceTypeCode = 0;
    ArchiveOpen = false;
    TablesModified = false;
    DefaultDirectory.clear();
}
