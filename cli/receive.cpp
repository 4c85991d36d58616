// lk7 receive: "Создать" without a window. The instrument's memory is received first; only a
// complete reception creates the archive and fills it with one pull-off row per record.

#include "archive/lifecycle/archivefile.h"
#include "cli/commands.h"
#include "cli/devicereception.h"
#include "platform/dbf/tdbf.h"
#include "platform/shared/apperror.h"

#include <QFileInfo>

namespace {

constexpr const char *Name = "receive";
const QString Force = QStringLiteral("--force");

// Refusals that need no instrument: an existing file without --force, a folder that cannot take
// the file.
bool canCreate(const QString &path, bool replace)
{
    const QFileInfo file(path);
    if (file.exists() && !replace) {
        err() << path << ": файл уже существует (--force заменяет его)" << Qt::endl;
        return false;
    }
    if (file.isDir()) {
        err() << path << ": это папка, а не файл" << Qt::endl;
        return false;
    }
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        err() << path << ": нельзя создать файл в папке " << folder.filePath() << Qt::endl;
        return false;
    }
    return true;
}

} // namespace

int runReceive(const QStringList &arguments)
{
    QString problem;
    const std::optional<DeviceCommandArguments> args =
        parseDeviceArguments(arguments, {Force}, QStringLiteral("файл архива"), problem);
    if (!args)
        return usageError(Name, problem);
    useDevicePorts(*args);
    if (!canCreate(args->file, args->flags.contains(Force)))
        return 1;
    if (!receiveDeviceImage())
        return 1;
    try {
        TDbf table;
        createArchiveFile(table, args->file);
        const ImportOutcome outcome = importAndClose(table, false);
        out() << "Создан архив " << args->file << ", строк: " << outcome.written << Qt::endl;
    } catch (const AppError &error) {
        err() << error.text() << Qt::endl;
        return 1;
    }
    return 0;
}
