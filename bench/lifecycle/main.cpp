// "Создать" from lk7-sim serving the largest memory image at 115200 baud, in the main window
// (offscreen, the save dialog answered by script): wall time from the moment the command starts
// the reception to the pull-off grid painted with its rows, against the wire time of the
// characters at 11520 a second. Then the import and the statistics alone for the same records,
// in the window (Create_DB) and on a bare table.
//
//   QT_QPA_PLATFORM=offscreen bench_lifecycle [--records N] [--runs K]

#include "app/main/tform1.h"
#include "archive/lifecycle/archivefile.h"
#include "device/import/recordimport.h"
#include "device/receive/tform2.h"
#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "platform/dialogs/scripteddialogservice.h"
#include "platform/registry/registrykey.h"
#include "platform/shared/sharedstate.h"
#include "tables/statistics.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double CharactersPerSecond = 11520;
constexpr int IdentificationChars = 2 + 2 * 16;

int option(const QStringList &args, const QString &name, int fallback)
{
    const int at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

// The memory image lk7-sim serves for this record count, in DeviceImage as a reception leaves it.
bool loadSimulatorImage(const QString &dir, int records)
{
    const QString file = dir + QStringLiteral("/image.bin");
    if (QProcess::execute(QStringLiteral(LK7_SIM),
                          {"--records", QString::number(records), "--dump", file}) != 0)
        return false;
    QFile image(file);
    if (!image.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = image.readAll();
    DeviceImage.replace(0, bytes.size(), bytes);
    DeviceImageDecoded = int(bytes.size());
    DeviceTypeCode = 80;
    return true;
}

// One "Создать" against the paced simulator; false when the archive did not come out whole.
bool createFromSimulator(const QString &path, int records, double &wall, double &wire)
{
    QProcess sim;
    sim.start(QStringLiteral(LK7_SIM), {"--records", QString::number(records), "--pace"});
    if (!sim.waitForStarted() || !sim.waitForReadyRead(10000))
        return false;
    qputenv("LK7_COM1", sim.readLine().trimmed());
    qputenv("LK7_COM2", "/nonexistent/lk7-com2");

    ScriptedDialogService dialogs;
    dialogs.answer(path);
    TForm1 form;
    Form2 = new TForm2(&form);
    form.show();
    QApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    form.N2->trigger();
    form.DBGridPro2->View()->viewport()->repaint();
    wall = double(clock.nsecsElapsed()) * 1e-9;
    wire = double(IdentificationChars + 2 + 2 * qint64(DeviceImageDecoded)) / CharactersPerSecond;
    const bool whole =
        form.DBGridPro2->View()->model()->rowCount() == records && dialogs.shown().size() == 1;
    form.Close_DB();
    Form2 = nullptr;
    sim.terminate();
    sim.waitForFinished();
    return whole;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariable("QT_QPA_PLATFORM", "offscreen").toLocal8Bit());
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int records = option(args, "--records", 492);
    const int runs = std::max(1, option(args, "--runs", 3));
    QTemporaryDir dir;
    RegistryKey::useDirectoryForTests(dir.path());
    bool metTargets = true;

    std::printf("\"Создать\" from lk7-sim at 115200 baud, %d records\n", records);
    for (int run = 1; run <= runs; ++run) {
        double wall = 0, wire = 0;
        if (!createFromSimulator(dir.filePath(QStringLiteral("paced%1.db").arg(run)), records, wall,
                                 wire)) {
            std::fprintf(stderr, "bench_lifecycle: the archive did not come out whole\n");
            return 1;
        }
        metTargets = metTargets && wall <= 1.05 * wire;
        std::printf("  run %d: wall %.3f s, wire %.3f s, wall/wire %.3f (target <= 1.05)\n", run,
                    wall, wire, wall / wire);
    }

    if (!loadSimulatorImage(dir.path(), records)) {
        std::fprintf(stderr, "bench_lifecycle: lk7-sim did not write its image\n");
        return 1;
    }
    QList<double> window, bare;
    for (int run = 1; run <= runs * 3; ++run) {
        {
            ScriptedDialogService dialogs;
            TForm1 form;
            form.show();
            QElapsedTimer clock;
            clock.start();
            form.Create_DB(dir.filePath(QStringLiteral("window%1.db").arg(run)));
            window.append(double(clock.nsecsElapsed()) * 1e-6);
            form.Close_DB();
        }
        TDbf table;
        QElapsedTimer clock;
        clock.start();
        createArchiveFile(table, dir.filePath(QStringLiteral("bare%1.db").arg(run)));
        importDeviceRecords(table, false);
        table.SetFilter(QString());
        find_mma(table);
        bare.append(double(clock.nsecsElapsed()) * 1e-6);
    }
    const double windowMs = median(window);
    metTargets = metTargets && windowMs <= 100;
    std::printf("Import and statistics of %d records (median of %lld runs)\n", records,
                static_cast<long long>(window.size()));
    std::printf("  in the window (Create_DB: file, import, find_mma, tabs, layouts, footers) "
                "%7.1f ms (target <= 100 ms)\n",
                windowMs);
    std::printf("  on a bare table (file, import, find_mma)                                "
                "%7.1f ms\n",
                median(bare));
    std::printf("%s\n", metTargets ? "targets met" : "TARGETS MISSED");
    return metTargets ? 0 : 1;
}
