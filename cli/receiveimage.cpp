// lk7 receive-image: the reception of "Создать" without a window; the decoded memory image is
// written to a file.

#include "cli/commands.h"
#include "cli/devicereception.h"
#include "device/image/deviceimage.h"
#include "platform/shared/sharedstate.h"

#include <QSaveFile>

namespace {

constexpr const char *Name = "receive-image";

bool canWrite(const QString &path, QString &error)
{
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly)) {
        error = probe.errorString();
        return false;
    }
    probe.cancelWriting();
    return true;
}

bool writeFile(const QString &path, const QByteArray &bytes, QString &error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

int runReceiveImage(const QStringList &arguments)
{
    QString problem;
    const std::optional<DeviceCommandArguments> args =
        parseDeviceArguments(arguments, {}, QStringLiteral("файл образа"), problem);
    if (!args)
        return usageError(Name, problem);
    useDevicePorts(*args);

    // Refuse an unwritable file before the device is asked for anything; the file itself is
    // written only after a complete reception, so an interrupted one leaves nothing behind.
    QString writeError;
    if (!canWrite(args->file, writeError)) {
        err() << args->file << ": " << writeError << Qt::endl;
        return 1;
    }
    if (!receiveDeviceImage())
        return 1;
    const QByteArray decoded = DeviceImage.left(DeviceImageDecoded);
    if (!writeFile(args->file, decoded, writeError)) {
        err() << args->file << ": " << writeError << Qt::endl;
        return 1;
    }
    out() << "Принято байт: " << decoded.size() << ", полных записей: " << imageCompleteRecords()
          << Qt::endl;
    return 0;
}
