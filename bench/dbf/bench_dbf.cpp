// Benchmark of the archive table on a 50,000-row archive (about 191 MB): open and count under
// each filter, a walk reading P and R, a tag on P built and walked, resident memory while open,
// and dbfread reading the same file.
//
//   bench_dbf [DIRECTORY]     builds the archive there (default: a temporary directory)
//   LK7_BENCH_ROWS=n          another row count
//
// The measurements run in a fresh child process, so that its memory figures start from an
// empty process rather than from the one that wrote the file.

#include "archive/schema/archiveschema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const int kRows = qEnvironmentVariableIsSet("LK7_BENCH_ROWS")
                      ? qEnvironmentVariableIntValue("LK7_BENCH_ROWS")
                      : 50000;
const QString kName = QStringLiteral("bench.db");

// Resident and peak resident memory of this process in kB.
std::pair<long, long> memoryKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    long rss = -1, peak = -1;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                rss = line.mid(6).trimmed().split(' ').first().toLong();
            else if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return {rss, peak};
}

void build(const QString &dir)
{
    QElapsedTimer timer;
    timer.start();
    TDbf t;
    t.SetFilePath(dir);
    t.SetTableName(kName);
    t.SetFieldDefs(archiveFieldDefs());
    t.CreateTable();
    t.Open();
    for (int i = 1; i <= kRows; ++i) {
        const bool pullOff = i % 3 != 0;
        t.Append();
        t.FieldByName("N")->SetAsInteger(i);
        t.FieldByName("DATE")->SetAsString(
            QStringLiteral("%1.03.2012").arg(1 + i % 28, 2, 10, QLatin1Char('0')));
        t.FieldByName("TIME")->SetAsString(
            QStringLiteral("12:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')));
        t.FieldByName("DEV_TYPE")->SetAsInteger(80);
        t.FieldByName("NB_TYPE")->SetAsInteger(pullOff ? 1 : 0);
        t.FieldByName("P")->SetAsFloat(qint64(i) * 7919 % 100000 / 100.0);
        t.FieldByName("R")->SetAsFloat(qint64(i) * 104729 % 5000 / 1000.0);
        if (pullOff) {
            for (int n = 1; n <= 60; ++n)
                t.FieldByName(archiveReadingField('P', n))->SetAsFloat((i + n) % 977 / 10.0);
            t.FieldByName("P100")->SetAsFloat(i % 300 / 3.0);
            t.FieldByName("D100")->SetAsFloat(0.01);
        } else {
            t.FieldByName("TYPE")->SetAsString(QStringLiteral("Бетон 50х50"));
            t.FieldByName("COMMENT")->SetAsString(QStringLiteral("Отрыв по клею"));
        }
        t.Post();
    }
    t.Close();
    std::printf("build: %d rows, %lld bytes, %.2f s\n", kRows,
                QFileInfo(QDir(dir).filePath(kName)).size(), timer.elapsed() / 1000.0);
    std::fflush(stdout);
}

double seconds(QElapsedTimer &timer)
{
    const double s = timer.nsecsElapsed() / 1e9;
    timer.restart();
    return s;
}

int measure(const QString &dir)
{
    const auto [emptyRss, emptyPeak] = memoryKb();
    QElapsedTimer timer;
    TDbf t;
    t.SetFilePath(dir);
    t.SetTableName(kName);
    t.SetFieldDefs(archiveFieldDefs());

    timer.start();
    t.Open();
    const int all = t.ExactRecordCount();
    const double openAll = seconds(timer);
    t.SetFilter(QStringLiteral("NB_TYPE=0"));
    const int adhesion = t.ExactRecordCount();
    const double count0 = seconds(timer);
    t.SetFilter(QStringLiteral("NB_TYPE=1"));
    const int pullOff = t.ExactRecordCount();
    const double count1 = seconds(timer);
    t.SetFilter(QString());
    seconds(timer);

    double sum = 0;
    int walked = 0;
    for (t.First(); !t.Eof(); t.Next()) {
        sum += t.FieldByName("P")->AsFloat() + t.FieldByName("R")->AsFloat();
        ++walked;
    }
    const double walk = seconds(timer);

    t.AddIndex(QStringLiteral("tab2"), QStringLiteral("P"), true);
    const double addTag = seconds(timer);
    t.SetIndexName(QStringLiteral("tab2"));
    const double activate = seconds(timer);
    double previous = 1e300;
    bool ordered = true;
    for (t.First(); !t.Eof(); t.Next()) {
        const double p = t.FieldByName("P")->AsFloat();
        ordered = ordered && p <= previous;
        previous = p;
    }
    const double walkTag = seconds(timer);
    const auto [openRss, openPeak] = memoryKb();
    t.DeleteIndexFile();
    t.Close();

    std::printf("rows: %d (adhesion %d, pull-off %d), walked %d, checksum %.3f, tag order %s\n",
                all, adhesion, pullOff, walked, sum, ordered ? "ok" : "WRONG");
    std::printf("open + count, all rows:       %7.3f s\n", openAll);
    std::printf("count NB_TYPE=0:              %7.3f s\n", count0);
    std::printf("count NB_TYPE=1:              %7.3f s\n", count1);
    std::printf("open and count, three filters: %6.3f s   (target 0.3 s)\n",
                openAll + count0 + count1);
    std::printf("walk reading P and R:         %7.3f s   (target 0.5 s)\n", walk);
    std::printf("add tag on P (with .mdx):     %7.3f s\n", addTag);
    std::printf("activate tag (sort):          %7.3f s\n", activate);
    std::printf("tag build, total:             %7.3f s   (target 1 s)\n", addTag + activate);
    std::printf("walk in tag order:            %7.3f s\n", walkTag);
    std::printf("resident memory: empty process %ld kB, while open %ld kB (+%ld kB), peak %ld kB "
                "(+%ld kB)   (target +65536 kB)\n",
                emptyRss, openRss, openRss - emptyRss, openPeak, openPeak - emptyPeak);
    std::fflush(stdout);

    QElapsedTimer py;
    py.start();
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {"-c",
                  "import sys, dbfread\ns = 0.0\nn = 0\nfor r in dbfread.DBF(sys.argv[1]):\n"
                  "    s += (r['P'] or 0) + (r['R'] or 0); n += 1\nprint(n, round(s, 3))",
                  QDir(dir).filePath(kName)});
    if (!python.waitForFinished(-1) || python.exitCode() != 0) {
        std::printf("dbfread failed: %s\n", python.readAllStandardError().constData());
        return 1;
    }
    const double dbfread = py.nsecsElapsed() / 1e9;
    std::printf("dbfread reading all rows:     %7.3f s   (%s)\n", dbfread,
                python.readAllStandardOutput().trimmed().constData());
    std::printf("speed-up over dbfread (open + walk): %.1fx   (target 10x)\n",
                dbfread / (openAll + walk));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--measure"))
        return measure(args[2]);
    QTemporaryDir temporary;
    const QString dir = args.size() > 1 ? args[1] : temporary.path();
    QDir().mkpath(dir);
    build(dir);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(app.applicationFilePath(), {"--measure", dir});
    child.waitForFinished(-1);
    return child.exitCode();
}
