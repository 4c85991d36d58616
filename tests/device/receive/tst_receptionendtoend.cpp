// The reception against lk7-sim on a real pseudo-terminal, through the real serial component:
// the dialog offscreen with scripted message boxes, and the command-line tool.

#include "tests/support/simulator.h"

#include "device/receive/receptionmessages.h"
#include "device/receive/tform2.h"
#include "platform/commport/portnames.h"
#include "platform/commport/tcommportdriver.h"
#include "platform/dialogs/scripteddialogservice.h"
#include "platform/shared/sharedstate.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Absent = QStringLiteral("/nonexistent/lk7-port");
constexpr int Guard = 120000; // ms; ends a reception that hangs so the test fails, not blocks

struct PortMap
{
    PortMap(const QString &com1, const QString &com2)
    {
        qputenv("LK7_COM1", com1.toLocal8Bit());
        qputenv("LK7_COM2", com2.toLocal8Bit());
    }
    ~PortMap()
    {
        qputenv("LK7_COM1", "");
        qputenv("LK7_COM2", "");
    }
};

int runDialog(TForm2 &form)
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &form, &TForm2::Button1Click);
    guard.start(Guard);
    return form.exec();
}

} // namespace

class TestReceptionEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void dialogReceivesImage_data();
    void dialogReceivesImage();
    void dialogCancelInDataPhaseLeavesImage();
    void dialogRefusesWrongDevice();
    void commandLineReceivesImage_data();
    void commandLineReceivesImage();
    void commandLineRefusals_data();
    void commandLineRefusals();
    void commandLineReportsNoDevice();
    void deviceFoundOnCom2AfterTimeout_data();
    void deviceFoundOnCom2AfterTimeout();
    void noDeviceReportedAfterBothTimeouts();

private:
    QTemporaryDir m_dir;
};

void TestReceptionEndToEnd::init()
{
    QVERIFY(m_dir.isValid());
    resetSharedState();
    DeviceImage.fill(char(0xAA));
}

void TestReceptionEndToEnd::dialogReceivesImage_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("3 records, split writes") << 3 << QStringList{"--chunk", "100", "--gap", "60"};
    QTest::newRow("492 records at 115200 baud") << 492 << QStringList{"--pace"};
}

void TestReceptionEndToEnd::dialogReceivesImage()
{
    QFETCH(int, records);
    QFETCH(QStringList, options);
    const QString imageFile = m_dir.filePath("image.bin");
    const QByteArray image = writeTestImage(imageFile, records, 7);
    Simulator sim(QStringList{"--image", imageFile} + options);
    QVERIFY(sim.start());
    PortMap ports(sim.device(), Absent);
    ScriptedDialogService dialogs;

    TForm2 form;
    QVERIFY(form.CheckBox1->isHidden());
    QCOMPARE(runDialog(form), 1);
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(form.windowTitle(), QStringLiteral("Прием данных"));
    QCOMPARE(form.StaticText2->text(), QStringLiteral("Идет прием информации ..."));
    QCOMPARE(form.StaticText5->text(), QStringLiteral("Ortan - LK7"));
    QCOMPARE(form.StaticText1->text(), QStringLiteral("200100001"));
    QCOMPARE(form.StaticText7->text(), QString::number(records));
    QCOMPARE(form.ProgressBar1->value(), 100);
    QVERIFY(!form.CommPortDriver1->isOpen());
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(DeviceTypeCode, quint8(80));
    QCOMPARE(DeviceImageDecoded, int(image.size()));
    QCOMPARE(DeviceImage.left(image.size()), image);
    QCOMPARE(DeviceImage.mid(image.size()), QByteArray(DeviceImageSize - image.size(), char(0xAA)));
}

void TestReceptionEndToEnd::dialogCancelInDataPhaseLeavesImage()
{
    Simulator sim({"--records", "492", "--pace"});
    QVERIFY(sim.start());
    PortMap ports(sim.device(), Absent);
    ScriptedDialogService dialogs;
    TForm2 form;
    QTimer watch;
    connect(&watch, &QTimer::timeout, &form, [&] {
        if (form.ProgressBar1->value() >= 10)
            form.Button1->click();
    });
    watch.start(20);
    QCOMPARE(runDialog(form), 2);
    QVERIFY(dialogs.shown().isEmpty());
    QCOMPARE(form.ProgressBar1->value(), 0);
    QVERIFY(!form.CommPortDriver1->isOpen());
    QCOMPARE(DeviceImage, QByteArray(DeviceImageSize, char(0xAA)));
    QCOMPARE(DeviceImageDecoded, 0);
}

void TestReceptionEndToEnd::dialogRefusesWrongDevice()
{
    Simulator sim({"--type-code", "81"});
    QVERIFY(sim.start());
    PortMap ports(sim.device(), Absent);
    ScriptedDialogService dialogs;
    TForm2 form;
    bool portOpenAtMessage = true;
    dialogs.onShow([&](const ScriptedDialogService::Shown &) {
        portOpenAtMessage = form.CommPortDriver1->isOpen();
    });
    QCOMPARE(runDialog(form), 2);
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().first().kind, ScriptedDialogService::Kind::MessageDlg);
    QCOMPARE(dialogs.shown().first().dlgType, DialogService::DlgType::Error);
    QCOMPARE(dialogs.shown().first().text, QStringLiteral("Вы подключили не тот прибор !"));
    QVERIFY(!portOpenAtMessage);
    QCOMPARE(DeviceTypeCode, quint8(81));
    QCOMPARE(DeviceImage, QByteArray(DeviceImageSize, char(0xAA)));
}

void TestReceptionEndToEnd::commandLineReceivesImage_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("3 records at 115200 baud, restarts")
        << 3 << QStringList{"--pace", "--restart-ident", "2", "--restart-data", "1"};
    QTest::newRow("492 records, full input buffers") << 492 << QStringList{};
}

void TestReceptionEndToEnd::commandLineReceivesImage()
{
    QFETCH(int, records);
    QFETCH(QStringList, options);
    const QString imageFile = m_dir.filePath("image.bin");
    const QByteArray image = writeTestImage(imageFile, records, 11);
    Simulator sim(QStringList{"--image", imageFile} + options);
    QVERIFY(sim.start());

    const QString out = m_dir.filePath("received.bin");
    QProcess lk7;
    lk7.start(lk7Program(), {"receive-image", "--com1", sim.device(), "--com2", Absent, out});
    QVERIFY(lk7.waitForFinished(Guard));
    const QString stdOut = QString::fromUtf8(lk7.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(lk7.readAllStandardError());
    QVERIFY2(lk7.exitStatus() == QProcess::NormalExit && lk7.exitCode() == 0, qPrintable(stdErr));
    QVERIFY(stdOut.contains(QStringLiteral("Тип прибора: Ortan - LK7\n")));
    QVERIFY(stdOut.contains(QStringLiteral("Версия ПО: 200100001\n")));
    QVERIFY(stdOut.contains(QStringLiteral("Количество записей: %1\n").arg(records)));
    QVERIFY(stdErr.contains(QStringLiteral("100 %")));
    QFile received(out);
    QVERIFY(received.open(QIODevice::ReadOnly));
    QCOMPARE(received.readAll(), image);
}

void TestReceptionEndToEnd::commandLineRefusals_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message");
    QTest::newRow("wrong device") << QStringList{"--type-code", "81"}
                                  << QStringLiteral("Вы подключили не тот прибор !");
    QTest::newRow("no records") << QStringList{"--malformed", "zero-count"}
                                << QStringLiteral("Нет данных для передачи!");
    QTest::newRow("odd frame") << QStringList{"--malformed", "odd"} << ReceptionText::OddLength;
    QTest::newRow("empty frame") << QStringList{"--malformed", "empty"}
                                 << ReceptionText::EmptyFrame;
    QTest::newRow("P without S") << QStringList{"--malformed", "no-start"}
                                 << ReceptionText::EndWithoutStart;
    QTest::newRow("bad character")
        << QStringList{"--malformed", "bad-char"} << ReceptionText::BadCharacter.arg("41");
    QTest::newRow("oversize frame")
        << QStringList{"--records", "492", "--malformed", "oversize"} << ReceptionText::Oversize;
    QTest::newRow("bad identification")
        << QStringList{"--ident-malformed", "bad-char"} << ReceptionText::BadCharacter.arg("41");
}

void TestReceptionEndToEnd::commandLineRefusals()
{
    QFETCH(QStringList, options);
    QFETCH(QString, message);
    Simulator sim(options);
    QVERIFY(sim.start());
    const QString out = m_dir.filePath("refused.bin");
    QProcess lk7;
    lk7.start(lk7Program(), {"receive-image", "--com1", sim.device(), "--com2", Absent, out});
    QVERIFY(lk7.waitForFinished(Guard));
    QCOMPARE(lk7.exitStatus(), QProcess::NormalExit);
    QVERIFY(lk7.exitCode() != 0);
    QVERIFY(QString::fromUtf8(lk7.readAllStandardError()).contains(message));
    QVERIFY(!QFile::exists(out));
}

void TestReceptionEndToEnd::commandLineReportsNoDevice()
{
    const QString out = m_dir.filePath("none.bin");
    QProcess lk7;
    lk7.start(lk7Program(), {"receive-image", "--com1", Absent, "--com2", Absent + "2", out});
    QVERIFY(lk7.waitForFinished(Guard));
    QCOMPARE(lk7.exitCode(), 1);
    QVERIFY(QString::fromUtf8(lk7.readAllStandardError())
                .contains(QStringLiteral("Прибор не обнаружен! Проверте правильность подключения "
                                         "согласно инструкции!")));
    QVERIFY(!QFile::exists(out));
}

void TestReceptionEndToEnd::deviceFoundOnCom2AfterTimeout_data()
{
    QTest::addColumn<bool>("silentCom1");
    QTest::newRow("nothing on COM1") << false;
    QTest::newRow("silent device on COM1") << true;
}

void TestReceptionEndToEnd::deviceFoundOnCom2AfterTimeout()
{
    QFETCH(bool, silentCom1);
    Simulator silent({"--silent"});
    if (silentCom1)
        QVERIFY(silent.start());
    Simulator sim({"--records", "3"});
    QVERIFY(sim.start());
    PortMap ports(silentCom1 ? silent.device() : Absent, sim.device());
    ScriptedDialogService dialogs;

    TForm2 form;
    QElapsedTimer clock;
    qint64 identifiedAt = -1;
    QTimer watch;
    connect(&watch, &QTimer::timeout, &form, [&] {
        if (identifiedAt < 0 && !form.StaticText5->text().isEmpty())
            identifiedAt = clock.elapsed();
    });
    watch.start(5);
    clock.start();
    QCOMPARE(runDialog(form), 1);
    QVERIFY(dialogs.shown().isEmpty());
    // The search waits 3000 ms on COM1; the answer takes at most a poll or two after that.
    QVERIFY2(identifiedAt >= 2950 && identifiedAt < 5000,
             qPrintable(QString::number(identifiedAt)));
    QCOMPARE(form.CommPortDriver1->portName(), Com2PortName);
}

void TestReceptionEndToEnd::noDeviceReportedAfterBothTimeouts()
{
    PortMap ports(Absent, Absent + "2");
    ScriptedDialogService dialogs;
    TForm2 form;
    QElapsedTimer clock;
    qint64 shownAt = -1;
    QString portAtMessage;
    dialogs.onShow([&](const ScriptedDialogService::Shown &) {
        shownAt = clock.elapsed();
        portAtMessage = form.CommPortDriver1->portName();
    });
    clock.start();
    QCOMPARE(runDialog(form), 2);
    QVERIFY2(shownAt >= 5950 && shownAt < 8500, qPrintable(QString::number(shownAt)));
    QCOMPARE(dialogs.shown().size(), 1);
    const ScriptedDialogService::Shown &box = dialogs.shown().first();
    QCOMPARE(box.kind, ScriptedDialogService::Kind::MessageBox);
    QCOMPARE(box.text, QStringLiteral("Прибор не обнаружен! Проверте правильность подключения "
                                      "согласно инструкции!"));
    QCOMPARE(box.caption, QStringLiteral("Ошибка"));
    QCOMPARE(box.icon, DialogService::Icon::Error);
    QCOMPARE(box.buttons, DialogService::Buttons::Ok);
    QCOMPARE(portAtMessage, QStringLiteral("\\\\.\\COM1"));
    QCOMPARE(form.CommPortDriver1->portName(), QStringLiteral("\\\\.\\COM1"));
    QCOMPARE(form.ProgressBar1->value(), 0);
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(DeviceImage, QByteArray(DeviceImageSize, char(0xAA)));
}

QTEST_MAIN(TestReceptionEndToEnd)
#include "tst_receptionendtoend.moc"
