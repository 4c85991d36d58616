// lk7 receive-image: the reception of "Создать" without a window; the decoded memory image is
// written to a file.

#include "cli/commands.h"
#include "device/image/deviceimage.h"
#include "device/receive/headlessreception.h"
#include "platform/shared/sharedstate.h"

#include <QSaveFile>

namespace {

constexpr const char *Name = "receive-image";

struct Arguments
{
    QString com1;
    QString com2;
    QString output;
};

std::optional<Arguments> parse(const QStringList &arguments, QString &problem)
{
    Arguments parsed;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--com1") || a == QLatin1String("--com2")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                problem = QStringLiteral("после %1 нужно имя устройства").arg(a);
                return std::nullopt;
            }
            (a == QLatin1String("--com1") ? parsed.com1 : parsed.com2) = arguments[++i];
        } else if (a.startsWith(QLatin1String("--")) || !parsed.output.isEmpty()) {
            problem = QStringLiteral("лишний аргумент %1").arg(a);
            return std::nullopt;
        } else {
            parsed.output = a;
        }
    }
    if (parsed.output.isEmpty()) {
        problem = QStringLiteral("не указан файл образа");
        return std::nullopt;
    }
    return parsed;
}

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

// Progress on stderr: one line rewritten in place, redrawn only when the percentage changes.
class ProgressLine
{
public:
    void show(int percent)
    {
        if (percent == m_shown)
            return;
        m_shown = percent;
        err() << "\rПрием: " << percent << " %" << Qt::flush;
        m_open = true;
    }
    void end()
    {
        if (m_open)
            err() << Qt::endl;
        m_open = false;
    }

private:
    int m_shown = 0; // 0 % is the bar at rest, not worth a line
    bool m_open = false;
};

} // namespace

int runReceiveImage(const QStringList &arguments)
{
    QString problem;
    const std::optional<Arguments> args = parse(arguments, problem);
    if (!args)
        return usageError(Name, problem);
    // The port names resolve through the environment first.
    if (!args->com1.isEmpty())
        qputenv("LK7_COM1", args->com1.toLocal8Bit());
    if (!args->com2.isEmpty())
        qputenv("LK7_COM2", args->com2.toLocal8Bit());

    // Refuse an unwritable file before the device is asked for anything; the file itself is
    // written only after a complete reception, so an interrupted one leaves nothing behind.
    QString writeError;
    if (!canWrite(args->output, writeError)) {
        err() << args->output << ": " << writeError << Qt::endl;
        return 1;
    }

    ProgressLine progress;
    HeadlessReception reception;
    reception.onStatus = [&](const QString &text) {
        progress.end();
        err() << text << Qt::endl;
    };
    reception.onInformation = [&](const QString &type, const QString &version,
                                  const QString &count) {
        if (type.isEmpty())
            return;
        progress.end();
        out() << "Тип прибора: " << type << '\n'
              << "Версия ПО: " << version << '\n'
              << "Количество записей: " << count << Qt::endl;
    };
    reception.onProgress = [&](int percent) { progress.show(percent); };

    const HeadlessReception::Outcome outcome = reception.run();
    progress.end();
    if (outcome.result != ReceptionResult::Ok) {
        err() << (outcome.message.text.isEmpty() ? QStringLiteral("Прием отменен.")
                                                 : outcome.message.text)
              << Qt::endl;
        return 1;
    }
    const QByteArray decoded = DeviceImage.left(DeviceImageDecoded);
    if (!writeFile(args->output, decoded, writeError)) {
        err() << args->output << ": " << writeError << Qt::endl;
        return 1;
    }
    out() << "Принято байт: " << decoded.size() << ", полных записей: " << imageCompleteRecords()
          << Qt::endl;
    return 0;
}
