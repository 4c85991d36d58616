#include "cli/devicereception.h"

#include "cli/commands.h"
#include "device/receive/headlessreception.h"
#include "platform/dbf/tdbf.h"

namespace {

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

std::optional<DeviceCommandArguments> parseDeviceArguments(const QStringList &arguments,
                                                           const QStringList &allowedFlags,
                                                           const QString &fileKind,
                                                           QString &problem)
{
    DeviceCommandArguments parsed;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--com1") || a == QLatin1String("--com2")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                problem = QStringLiteral("после %1 нужно имя устройства").arg(a);
                return std::nullopt;
            }
            (a == QLatin1String("--com1") ? parsed.com1 : parsed.com2) = arguments[++i];
        } else if (allowedFlags.contains(a)) {
            parsed.flags.append(a);
        } else if (a.startsWith(QLatin1String("--")) || !parsed.file.isEmpty()) {
            problem = QStringLiteral("лишний аргумент %1").arg(a);
            return std::nullopt;
        } else {
            parsed.file = a;
        }
    }
    if (parsed.file.isEmpty()) {
        problem = QStringLiteral("не указан %1").arg(fileKind);
        return std::nullopt;
    }
    return parsed;
}

void useDevicePorts(const DeviceCommandArguments &arguments)
{
    if (!arguments.com1.isEmpty())
        qputenv("LK7_COM1", arguments.com1.toLocal8Bit());
    if (!arguments.com2.isEmpty())
        qputenv("LK7_COM2", arguments.com2.toLocal8Bit());
}

bool receiveDeviceImage()
{
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
    if (outcome.result == ReceptionResult::Ok)
        return true;
    err() << (outcome.message.text.isEmpty() ? QStringLiteral("Прием отменен.")
                                             : outcome.message.text)
          << Qt::endl;
    return false;
}

ImportOutcome importAndClose(TDbf &table, bool append)
{
    const ImportOutcome outcome = importDeviceRecords(table, append);
    table.SetFilter(QString());
    table.Close();
    if (outcome.truncated())
        err() << truncatedImageMessage(outcome) << Qt::endl;
    return outcome;
}
