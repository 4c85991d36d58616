// lk7 append: "Дополнить" without a window. The archive is opened (and held) first, then the
// instrument's memory received; only the records newer than every pull-off row of the archive
// are added.

#include "archive/lifecycle/archivefile.h"
#include "cli/commands.h"
#include "cli/devicereception.h"
#include "platform/dbf/tdbf.h"
#include "platform/shared/apperror.h"

namespace {

constexpr const char *Name = "append";

} // namespace

int runAppend(const QStringList &arguments)
{
    QString problem;
    const std::optional<DeviceCommandArguments> args =
        parseDeviceArguments(arguments, {}, QStringLiteral("файл архива"), problem);
    if (!args)
        return usageError(Name, problem);
    useDevicePorts(*args);

    TDbf table;
    try {
        openArchiveFile(table, args->file);
    } catch (const AppError &error) {
        err() << DamagedArchiveText << ' ' << error.text() << Qt::endl;
        return 1;
    }
    if (!receiveDeviceImage())
        return 1;
    try {
        const ImportOutcome outcome = importAndClose(table, true);
        if (outcome.written == 0)
            out() << NothingNewerText << Qt::endl;
        else
            out() << "Пропущено записей: " << outcome.skipped
                  << ", добавлено строк: " << outcome.written << Qt::endl;
    } catch (const AppError &error) {
        err() << error.text() << Qt::endl;
        return 1;
    }
    return 0;
}
