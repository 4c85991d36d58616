// Reception of the largest memory image from lk7-sim paced at 115200 baud, run in this process:
// wall time against the wire time that the characters need at 11520 a second, and the CPU time
// the reception costs.
//
//   bench_receive [--records N] [--runs K]

#include "device/receive/headlessreception.h"
#include "platform/shared/sharedstate.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr double CharactersPerSecond = 11520;
constexpr int IdentificationChars = 2 + 2 * 16;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

int option(const QStringList &args, const QString &name, int fallback)
{
    const int at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int records = option(args, "--records", 492);
    const int runs = option(args, "--runs", 1);

    QProcess sim;
    sim.start(QStringLiteral(LK7_SIM), {"--records", QString::number(records), "--pace"});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(10000)) {
        std::fprintf(stderr, "bench_receive: lk7-sim did not start\n");
        return 1;
    }
    qputenv("LK7_COM1", sim.readLine().trimmed());
    qputenv("LK7_COM2", "/nonexistent/lk7-com2");

    bool metTargets = true;
    for (int run = 1; run <= runs; ++run) {
        HeadlessReception reception;
        QElapsedTimer clock;
        const double cpuBefore = cpuSeconds();
        clock.start();
        const HeadlessReception::Outcome outcome = reception.run();
        const double wall = double(clock.nsecsElapsed()) * 1e-9;
        const double cpu = cpuSeconds() - cpuBefore;
        if (outcome.result != ReceptionResult::Ok) {
            std::fprintf(stderr, "bench_receive: reception failed: %s\n",
                         qPrintable(outcome.message.text));
            return 1;
        }
        const qint64 chars = IdentificationChars + 2 + 2 * qint64(DeviceImageDecoded);
        const double wire = double(chars) / CharactersPerSecond;
        const double ratio = wall / wire;
        const double cpuShare = 100 * cpu / wall;
        metTargets = metTargets && ratio <= 1.05 && cpuShare <= 5;
        std::printf("run %d: %d records, %d bytes, %lld characters\n", run, records,
                    DeviceImageDecoded, static_cast<long long>(chars));
        std::printf("  wall time      %8.3f s\n", wall);
        std::printf("  wire time      %8.3f s  (%lld characters at 11520/s)\n", wire,
                    static_cast<long long>(chars));
        std::printf("  wall/wire      %8.3f    (target <= 1.05)\n", ratio);
        std::printf("  receiver CPU   %8.3f s  = %.2f %% of wall (target <= 5 %%)\n", cpu,
                    cpuShare);
    }
    std::printf("%s\n", metTargets ? "targets met" : "TARGETS MISSED");
    sim.terminate();
    sim.waitForFinished();
    return metTargets ? 0 : 1;
}
