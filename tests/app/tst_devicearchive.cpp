// From the instrument to the archive on disk, end to end: lk7-sim on a pseudo-terminal serves a
// known memory image to the real serial component; "Создать" and "Дополнить" run in the main
// window offscreen with scripted dialogs, lk7 receive, append and info as processes. Every
// archive is read back by dbfread as well.

#include "app/main/tform1.h"
#include "archive/lifecycle/archivefile.h"
#include "device/receive/tform2.h"
#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "platform/dialogs/scripteddialogservice.h"
#include "platform/registry/registrykey.h"
#include "platform/shared/sharedstate.h"
#include "tests/support/dbfreadrows.h"
#include "tests/support/simulator.h"
#include "tests/support/testarchive.h"
#include "tests/support/testimage.h"
#include "tests/support/testworkspace.h"

#include <QJsonObject>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

namespace {

using Kind = ScriptedDialogService::Kind;

const QString Absent = QStringLiteral("/nonexistent/lk7-port");
constexpr int Guard = 120000; // ms; a reception that hangs is cancelled so the test fails

QList<quint16> forcesUpTo(int count, int step)
{
    QList<quint16> forces;
    for (int n = 1; n <= count; ++n)
        forces.append(quint16(n * step));
    return forces;
}

// Three tests: P 123.4, 10 and 50.5; R 25, 30 and 35.5; the first with samples 1 … 40 only.
QList<ImageRecord> firstDownload()
{
    return {
        {1234, 250, 500, 30, forcesUpTo(40, 10), QDateTime({2011, 3, 9}, {14, 30, 5})},
        {100, 300, 0, 5, {7}, QDateTime({2011, 3, 10}, {8, 0, 0})},
        {505, 355, 42, 1, forcesUpTo(60, 3), QDateTime({2011, 3, 10}, {9, 15, 30})},
    };
}

// The same instrument later: the same tests, one newer and then one whose clock was set back.
QList<ImageRecord> secondDownload()
{
    return firstDownload() +
           QList<ImageRecord>{
               {2000, 200, 10, 2, forcesUpTo(12, 100), QDateTime({2011, 3, 11}, {10, 0, 0})},
               {300, 150, 11, 3, {5, 6}, QDateTime({2011, 1, 1}, {0, 0, 1})},
           };
}

// The rows the import writes for records [first, first + count) of an image, numbered from
// `number`, compared field by field with what dbfread read; empty when they match.
QString rowsMismatch(const QJsonArray &rows, const QList<ImageRecord> &records, int first,
                     int count, int number)
{
    if (rows.size() != count)
        return QStringLiteral("%1 rows, %2 expected").arg(rows.size()).arg(count);
    for (int i = 0; i < count; ++i) {
        const ImageRecord &r = records.at(first + i);
        const QJsonObject row = rows.at(i).toObject();
        QJsonObject expected{
            {"N", number + i},
            {"NB_TYPE", 1},
            {"DEV_TYPE", 80},
            {"DATE", r.moment.toString("dd.MM.yyyy")},
            {"TIME", r.moment.toString("HH:mm:ss")},
            {"P", r.meanForce / 10.0},
            {"R", r.stripWidth / 10.0},
            {"P100", r.adhesion / 10.0},
            {"D100", double(r.interval)},
            {"SERIAL", QJsonValue::Null},
            {"COMMENT", QJsonValue::Null},
            {"P61", QJsonValue::Null},
            {"D1", QJsonValue::Null},
        };
        for (int n = 1; n <= 60; ++n) {
            const quint16 sample = n <= r.forces.size() ? r.forces[n - 1] : 0;
            expected.insert(QStringLiteral("P%1").arg(n),
                            sample ? QJsonValue(sample / 10.0) : QJsonValue(QJsonValue::Null));
        }
        for (auto field = expected.begin(); field != expected.end(); ++field) {
            QJsonValue actual = row.value(field.key());
            // dbfread reads empty text fields as "" and empty numbers as null.
            if (actual == QJsonValue(QString()))
                actual = QJsonValue::Null;
            if (actual.isDouble() && field.value().isDouble()
                    ? !qFuzzyCompare(1 + actual.toDouble(), 1 + field.value().toDouble())
                    : actual != field.value())
                return QStringLiteral("row %1, %2: %3, expected %4")
                    .arg(i + 1)
                    .arg(field.key(), actual.toVariant().toString(),
                         field.value().toVariant().toString());
        }
    }
    return {};
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Lk7Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Lk7Run runLk7(const QStringList &arguments)
{
    QProcess lk7;
    lk7.start(lk7Program(), arguments);
    Lk7Run run;
    if (!lk7.waitForFinished(Guard) || lk7.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = lk7.exitCode();
    run.out = QString::fromUtf8(lk7.readAllStandardOutput());
    run.err = QString::fromUtf8(lk7.readAllStandardError());
    return run;
}

// The main window with its reception dialog, as the program creates them; a reception that
// hangs is cancelled after the guard time.
struct Window
{
    Window()
    {
        Form2 = new TForm2(&form);
        QObject::connect(&guard, &QTimer::timeout, Form2, &TForm2::Button1Click);
        guard.setInterval(Guard);
        QObject::connect(Form2, &QDialog::finished, &guard, &QTimer::stop);
        form.show();
    }
    ~Window() { Form2 = nullptr; }
    void trigger(QAction *command)
    {
        guard.start();
        command->trigger();
        guard.stop();
    }
    TForm1 form;
    QTimer guard;
};

QString footer(TDBGridPro &grid, const char *field)
{
    return grid.Columns().FindByFieldName(QString::fromLatin1(field))->FooterText();
}

} // namespace

class TestDeviceArchive : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void createFromTheInstrument();
    void receiveOnTheCommandLine();
    void appendInTheWindow();
    void appendRefusesAnUnconvertibleMoment();
    void appendOnTheCommandLine_data();
    void appendOnTheCommandLine();

private:
    // lk7-sim serving the image from a file; COM1 is mapped to it, COM2 to nothing.
    bool serve(const QByteArray &image);

    std::unique_ptr<TestWorkspace> m_dir;
    std::unique_ptr<Simulator> m_sim;
    int m_images = 0;
};

void TestDeviceArchive::init()
{
    QLocale::setDefault(QLocale(QLocale::Russian));
    m_dir = std::make_unique<TestWorkspace>();
    QVERIFY(m_dir->isValid());
}

void TestDeviceArchive::cleanup()
{
    m_sim.reset();
    qputenv("LK7_COM1", "");
    qputenv("LK7_COM2", "");
    QLocale::setDefault(QLocale::c());
    m_dir.reset();
}

bool TestDeviceArchive::serve(const QByteArray &image)
{
    const QString file = m_dir->filePath(QStringLiteral("image%1.bin").arg(++m_images));
    if (!writeImageFile(file, image))
        return false;
    m_sim = std::make_unique<Simulator>(QStringList{"--image", file});
    if (!m_sim->start())
        return false;
    qputenv("LK7_COM1", m_sim->device().toLocal8Bit());
    qputenv("LK7_COM2", Absent.toLocal8Bit());
    return true;
}

void TestDeviceArchive::createFromTheInstrument()
{
    QVERIFY(serve(deviceImageOf(firstDownload())));
    const QString path = m_dir->filePath("объект.db");
    ScriptedDialogService dialogs;
    dialogs.answer(path);
    Window w;
    w.form.DBGridPro2->Columns().Items(8)->SetCaption("x");
    w.trigger(w.form.N2);

    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().at(0).kind, Kind::SaveFile);
    QCOMPARE(Form2->result(), 1);
    QVERIFY(ArchiveOpen);
    QVERIFY(!TablesModified);
    QCOMPARE(w.form.windowTitle(), ApplicationTitle);
    QCOMPARE(w.form.Color(), QApplication::palette().color(QPalette::Button));
    QVERIFY(w.form.N5->isEnabled());
    QVERIFY(w.form.PageControl1->isVisible());
    QCOMPARE(w.form.PageControl1->currentWidget(), w.form.TabSheet2);
    QVERIFY(!w.form.PageControl1->isTabVisible(0));
    QCOMPARE(w.form.Dbf1->Filter(), QStringLiteral("NB_TYPE=1"));
    QCOMPARE(w.form.DBGridPro2->View()->model()->rowCount(), 3);
    QCOMPARE(w.form.DBGridPro2->Columns().Items(8)->Caption(), QStringLiteral("F1, Н"));
    for (TDBGridPro *grid : {w.form.DBGridPro1, w.form.DBGridPro2}) {
        QCOMPARE(footer(*grid, "P"), QStringLiteral("10/61,3/123,4"));
        QCOMPARE(footer(*grid, "R"), QStringLiteral("25/30,2/35,5"));
        QCOMPARE(footer(*grid, "N"), QStringLiteral("3"));
    }
    RegistryKey key;
    QVERIFY(key.valueExists(RegistryKey::Table2));

    // On disk while the archive is open (every row was posted), and after the close.
    QString error;
    QString mismatch = rowsMismatch(dbfreadRows(path, &error), firstDownload(), 0, 3, 1);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch + error));
    w.form.N7->trigger();
    TDbf table;
    openTestArchive(table, path);
    QCOMPARE(table.RecordCount(), 3);
    mismatch = rowsMismatch(dbfreadRows(path, &error), firstDownload(), 0, 3, 1);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch + error));
}

void TestDeviceArchive::receiveOnTheCommandLine()
{
    QVERIFY(serve(deviceImageOf(firstDownload())));
    const QString path = m_dir->filePath("объект.db");
    const QStringList ports{"--com1", m_sim->device(), "--com2", Absent};

    Lk7Run run = runLk7(QStringList{"receive"} + ports + QStringList{path});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY(run.out.contains(QStringLiteral("Количество записей: 3\n")));
    QString error;
    const QString mismatch = rowsMismatch(dbfreadRows(path, &error), firstDownload(), 0, 3, 1);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch + error));

    run = runLk7({"info", path});
    QCOMPARE(run.exitCode, 0);
    for (const char *line : {"Строк адгезии (NB_TYPE=0): 0\n", "Строк вырыва (NB_TYPE=1): 3\n",
                             "Код типа прибора первой строки: 80\n", "Первая дата: 09.03.2011\n",
                             "Последняя дата: 10.03.2011\n", "P мин/сред/макс: 10/61.3/123.4\n",
                             "R мин/сред/макс: 25/30.2/35.5\n"})
        QVERIFY2(run.out.contains(QString::fromUtf8(line)), qPrintable(run.out));

    // An existing file is replaced only when asked to.
    const QByteArray archive = fileBytes(path);
    run = runLk7(QStringList{"receive"} + ports + QStringList{path});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.err.contains(QStringLiteral("файл уже существует")));
    QVERIFY(!run.err.contains(QStringLiteral("Ожидание готовности прибора")));
    QCOMPARE(fileBytes(path), archive);
    QVERIFY(QFile::resize(path, 10));
    run = runLk7(QStringList{"receive", "--force"} + ports + QStringList{path});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(dbfreadRows(path).size(), 3);

    QFile text(m_dir->filePath("text.db"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("не таблица\n");
    text.close();
    for (const char *command : {"info", "append"}) {
        run = runLk7({command, text.fileName()});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.startsWith(QStringLiteral("База данных повреждена !")));
        // The instrument is not asked for anything when the archive cannot take its tests.
        QVERIFY(!run.err.contains(QStringLiteral("Ожидание готовности прибора")));
    }
}

void TestDeviceArchive::appendInTheWindow()
{
    QVERIFY(serve(deviceImageOf(firstDownload())));
    const QString path = m_dir->filePath("объект.db");
    ScriptedDialogService dialogs;
    dialogs.answer(path);
    Window w;
    w.trigger(w.form.N2);
    QCOMPARE(w.form.Dbf1->RecordCount(), 3);
    w.form.DBGridPro2->TitleClick(1, Qt::NoModifier); // sorted by date

    QVERIFY(serve(deviceImageOf(secondDownload())));
    dialogs.clear();
    w.trigger(w.form.N4);
    QVERIFY(dialogs.shown().isEmpty()); // the open archive takes the download
    QCOMPARE(Form2->result(), 1);
    QVERIFY(ArchiveOpen);
    QVERIFY(w.form.Dbf1->IndexName().isEmpty());
    QCOMPARE(w.form.PageControl1->currentWidget(), w.form.TabSheet2);
    QCOMPARE(w.form.DBGridPro2->View()->model()->rowCount(), 5);
    QCOMPARE(footer(*w.form.DBGridPro2, "P"), QStringLiteral("10/82,8/200"));
    QCOMPARE(footer(*w.form.DBGridPro2, "N"), QStringLiteral("5"));
    QString error;
    const QString mismatch = rowsMismatch(dbfreadRows(path, &error), secondDownload(), 0, 5, 1);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch + error));

    // Again: the instrument holds nothing newer now.
    const QByteArray archive = fileBytes(path);
    w.trigger(w.form.N4);
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().at(0).kind, Kind::MessageDlg);
    QCOMPARE(dialogs.shown().at(0).dlgType, DialogService::DlgType::Information);
    QCOMPARE(dialogs.shown().at(0).text, NothingNewerText);
    QCOMPARE(w.form.DBGridPro2->View()->model()->rowCount(), 5);
    w.form.N7->trigger();
    QCOMPARE(fileBytes(path), archive);
}

void TestDeviceArchive::appendRefusesAnUnconvertibleMoment()
{
    TestRow damaged{1, 5.0, 1.0, 1};
    damaged.date = QStringLiteral("31.02.2011");
    const QString path = makeTestArchive(m_dir->path(), "a.db", {damaged});
    const QByteArray archive = fileBytes(path);
    QVERIFY(serve(deviceImageOf(secondDownload())));
    ScriptedDialogService dialogs;
    dialogs.answer(path);
    Window w;
    w.trigger(w.form.N4); // no archive open: the open dialog first

    QCOMPARE(dialogs.shown().size(), 2);
    QCOMPARE(dialogs.shown().at(0).kind, Kind::OpenFile);
    QCOMPARE(dialogs.shown().at(1).icon, DialogService::Icon::Error);
    QVERIFY2(dialogs.shown().at(1).text.contains(QStringLiteral("31.02.2011")),
             qPrintable(dialogs.shown().at(1).text));
    QVERIFY(ArchiveOpen);
    QCOMPARE(w.form.PageControl1->currentWidget(), w.form.TabSheet2);
    QCOMPARE(w.form.DBGridPro2->View()->model()->rowCount(), 1);
    w.form.N7->trigger();
    QCOMPARE(fileBytes(path), archive);

    // The command-line tool refuses the same way.
    const Lk7Run run = runLk7({"append", path});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2((run.out + run.err).contains(QStringLiteral("31.02.2011")), qPrintable(run.err));
    QCOMPARE(fileBytes(path), archive);
}

void TestDeviceArchive::appendOnTheCommandLine_data()
{
    QTest::addColumn<bool>("fromFirstDownload"); // else an archive of adhesion rows only
    QTest::addColumn<int>("skipped");
    QTest::newRow("same tests plus new ones") << true << 3;
    QTest::newRow("no pull-off rows: every record") << false << 0;
}

void TestDeviceArchive::appendOnTheCommandLine()
{
    QFETCH(bool, fromFirstDownload);
    QFETCH(int, skipped);
    const QString path = m_dir->filePath("объект.db");
    if (fromFirstDownload) {
        QVERIFY(serve(deviceImageOf(firstDownload())));
        QCOMPARE(runLk7({"receive", path}).exitCode, 0);
    } else {
        // Adhesion rows of a later date do not count: only pull-off rows hold the instrument's.
        TestRow adhesion{0, 1.0, 1.0, 1};
        adhesion.date = QStringLiteral("01.01.2020");
        makeTestArchive(m_dir->path(), QFileInfo(path).fileName(), {adhesion, adhesion});
    }
    QVERIFY(serve(deviceImageOf(secondDownload())));

    Lk7Run run = runLk7({"append", path});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(QStringLiteral("Пропущено записей: %1, добавлено строк: %2")
                                  .arg(skipped)
                                  .arg(5 - skipped)),
             qPrintable(run.out));
    QString error;
    const QJsonArray rows = dbfreadRows(path, &error);
    const int before = fromFirstDownload ? 0 : 2;
    QJsonArray pullOff;
    for (int i = before; i < rows.size(); ++i)
        pullOff.append(rows[i]);
    const QString mismatch = rowsMismatch(pullOff, secondDownload(), 0, 5, 1);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch + error));

    const QByteArray archive = fileBytes(path);
    run = runLk7({"append", path});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(NothingNewerText));
    QCOMPARE(fileBytes(path), archive);
}

QTEST_MAIN(TestDeviceArchive)
#include "tst_devicearchive.moc"
