#include "device/image/deviceimage.h"
#include "device/receive/receptionmessages.h"
#include "device/receive/receptionprotocol.h"
#include "platform/commport/portnames.h"
#include "platform/shared/sharedstate.h"

#include <QtTest>

namespace {

// Records what the protocol asks of its port, timer and display.
class RecordingHost : public ReceptionHost
{
public:
    void setPortName(const QString &name) override { portName = name; }
    void openPort() override
    {
        portOpen = true;
        opened.append(portName);
    }
    void closePort() override { portOpen = false; }
    void sendByte(char byte) override
    {
        if (portOpen)
            sent += byte;
    }
    void armTimer(int ms) override { timerMs = ms; }
    void disarmTimer() override { timerMs = 0; }
    void setStatus(const QString &text) override { status = text; }
    void setInformation(const QString &t, const QString &v, const QString &c) override
    {
        type = t;
        version = v;
        count = c;
    }
    void setProgress(int percent) override { progress.append(percent); }
    void finish(ReceptionResult r, const ReceptionMessage &m) override
    {
        result = int(r);
        message = m;
        portNameAtFinish = portName;
        portOpenAtFinish = portOpen;
    }

    QString portName;
    bool portOpen = false;
    QStringList opened;
    QByteArray sent;
    int timerMs = 0;
    QString status, type, version, count;
    QList<int> progress;
    int result = 0; // 0 while running, else the modal result
    ReceptionMessage message;
    QString portNameAtFinish;
    bool portOpenAtFinish = true;
};

QByteArray frame(const QByteArray &bytes)
{
    QByteArray out("S");
    for (char c : bytes) {
        const auto b = quint8(c);
        out += char(0x30 + (b & 0x0F));
        out += char(0x30 + (b >> 4));
    }
    return out + 'P';
}

QByteArray identification(quint8 type = 80, quint16 count = 3, int extraBytes = 0)
{
    QByteArray id(16 + extraBytes, '\0');
    id[1] = char(type);
    const quint8 version[8] = {2, 0, 0, 10, 0, 0, 255, 1};
    for (int i = 0; i < 8; ++i)
        id[2 + i] = char(version[i]);
    id[14] = char(count & 0xFF);
    id[15] = char(count >> 8);
    return frame(id);
}

// An image of `records` records that announces `announced` of them.
QByteArray image(int records, int announced)
{
    QByteArray bytes(2 + DeviceRecordSize * records, '\0');
    bytes[0] = char(announced & 0xFF);
    bytes[1] = char(announced >> 8);
    for (int i = 2; i < bytes.size(); ++i)
        bytes[i] = char((i * 37 + 11) & 0xFF);
    return bytes;
}

QList<QByteArray> pieces(const QByteArray &data, int size)
{
    QList<QByteArray> out;
    for (int i = 0; i < data.size(); i += size)
        out.append(data.mid(i, size));
    return out;
}

const QByteArray Leftover(DeviceImageSize, char(0xAA));

} // namespace

using Deliveries = QList<QByteArray>;

class TestReceptionProtocol : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void deliverySequences_data();
    void deliverySequences();
    void malformedInputIsRefused_data();
    void malformedInputIsRefused();

    void identificationWaitsForItsEnd();
    void searchMovesToCom2ThenGivesUp();
    void cancelWhileSeeking();
    void cancelInDataPhaseLeavesImage();
    void progressFollowsAnnouncedLength();
    void startAgainAfterRefusal();
    void versionText_data();
    void versionText();
};

void TestReceptionProtocol::init()
{
    resetSharedState();
    DeviceImage = Leftover;
}

void TestReceptionProtocol::deliverySequences_data()
{
    QTest::addColumn<Deliveries>("deliveries");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QByteArray>("decoded"); // empty: no data frame completed

    const QByteArray id = identification();
    const QByteArray img = image(3, 3);
    const QByteArray data = frame(img);

    QTest::newRow("one delivery each") << Deliveries{id, data} << QByteArray("VN") << "3" << img;
    QTest::newRow("byte by byte") << pieces(id + data, 1) << QByteArray("VN") << "3" << img;
    QTest::newRow("frames split unevenly")
        << Deliveries{id.left(5),   id.mid(5, 20),    id.mid(25),
                      data.left(1), data.mid(1, 300), data.mid(301)}
        << QByteArray("VN") << "3" << img;
    QTest::newRow("record count 300 from 0x2C 0x01")
        << Deliveries{identification(80, 300)} << QByteArray("VN") << "300" << QByteArray();
    QTest::newRow("long identification, noise before the data frame")
        << Deliveries{"\x01\xFF" + identification(80, 3, 40), QByteArray("\x00\x7Fnoise", 7) + data}
        << QByteArray("VN") << "3" << img;
    QTest::newRow("Z in the middle of the identification")
        << Deliveries{id.left(10) + 'Z' + id.mid(10), id, data} << QByteArray("VVN") << "3" << img;
    QTest::newRow("Z in the data frame restarts the identification")
        << Deliveries{id, data.left(100) + 'Z' + data.mid(100), id, data} << QByteArray("VNVN")
        << "3" << img;
    QTest::newRow("P before Z in one delivery does not end the next frame")
        << Deliveries{id + 'Z', id.left(7), id.mid(7), data} << QByteArray("VVN") << "3" << img;
    const QByteArray longer = image(5, 3);
    QTest::newRow("bytes after the announced records are kept")
        << Deliveries{id, frame(longer)} << QByteArray("VN") << "3" << longer;
    const QByteArray promised = image(2, 7);
    QTest::newRow("count announcing more records than sent")
        << Deliveries{id, frame(promised)} << QByteArray("VN") << "3" << promised;
}

void TestReceptionProtocol::deliverySequences()
{
    QFETCH(Deliveries, deliveries);
    QFETCH(QByteArray, sent);
    QFETCH(QString, count);
    QFETCH(QByteArray, decoded);

    RecordingHost host;
    ReceptionProtocol protocol(host);
    protocol.start();
    for (const QByteArray &d : deliveries)
        protocol.deliver(d);

    QCOMPARE(host.sent, sent);
    QCOMPARE(host.timerMs, 0);
    QCOMPARE(DeviceTypeCode, quint8(80));
    QCOMPARE(host.type, QStringLiteral("Ortan - LK7"));
    QCOMPARE(host.version, QStringLiteral("20010002551"));
    QCOMPARE(host.count, count);
    if (decoded.isEmpty()) {
        QVERIFY(protocol.isRunning());
        QCOMPARE(protocol.exchangePhase(), ReceptionProtocol::Phase::N);
        QCOMPARE(host.status, QStringLiteral("Идет прием информации ..."));
        QVERIFY(host.portOpen);
        QCOMPARE(DeviceImage, Leftover);
        return;
    }
    QCOMPARE(host.result, int(ReceptionResult::Ok));
    QCOMPARE(host.message.kind, ReceptionMessage::Kind::None);
    QVERIFY(!host.portOpenAtFinish);
    QCOMPARE(host.progress.last(), 100);
    QCOMPARE(DeviceImage.left(decoded.size()), decoded);
    QCOMPARE(DeviceImage.mid(decoded.size()), Leftover.mid(decoded.size()));
    QCOMPARE(DeviceImageDecoded, int(decoded.size()));
    QCOMPARE(imageCompleteRecords(),
             std::min(imageRecordCount(), int(decoded.size() - 2) / DeviceRecordSize));
}

void TestReceptionProtocol::malformedInputIsRefused_data()
{
    QTest::addColumn<Deliveries>("deliveries");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("typeCode");

    const QByteArray id = identification();
    const QByteArray data = frame(image(3, 3));
    auto oddFrame = [](QByteArray f) { return f.remove(f.size() - 2, 1); };

    QTest::newRow("wrong device") << Deliveries{identification(81)}
                                  << QStringLiteral("Вы подключили не тот прибор !") << 81;
    QTest::newRow("no records, long frame")
        << Deliveries{id, frame(image(3, 0))} << QStringLiteral("Нет данных для передачи!") << 80;
    QTest::newRow("no records, short frame") << Deliveries{id, frame(QByteArray(2, '\0'))}
                                             << QStringLiteral("Нет данных для передачи!") << 80;
    QTest::newRow("one-byte data frame") << Deliveries{id, frame(QByteArray(1, '\x05'))}
                                         << QStringLiteral("Нет данных для передачи!") << 80;
    Deliveries flood(ReceptionProtocol::RxBufferSize / 4096 + 1, QByteArray(4096, '0'));
    QTest::newRow("receive buffer overrun") << flood << ReceptionText::Overrun << 0;
    QTest::newRow("data frame over 65536 bytes")
        << Deliveries{id} + pieces(frame(QByteArray(65537, '\x01')), 4096)
        << ReceptionText::Oversize << 80;
    QTest::newRow("odd identification")
        << Deliveries{oddFrame(id)} << ReceptionText::OddLength << 0;
    QTest::newRow("odd data frame")
        << Deliveries{id, oddFrame(data)} << ReceptionText::OddLength << 80;
    QTest::newRow("empty identification") << Deliveries{"SP"} << ReceptionText::EmptyFrame << 0;
    QTest::newRow("empty data frame")
        << Deliveries{id, "S", "P"} << ReceptionText::EmptyFrame << 80;
    QTest::newRow("identification end without start")
        << Deliveries{id.mid(1)} << ReceptionText::EndWithoutStart << 0;
    QTest::newRow("data end without start")
        << Deliveries{id, data.mid(1, 40), data.mid(41)} << ReceptionText::EndWithoutStart << 80;
    QTest::newRow("end before start")
        << Deliveries{"P" + id} << ReceptionText::EndWithoutStart << 0;
    QByteArray badId = id;
    badId[9] = 'A';
    QTest::newRow("bad character in identification")
        << Deliveries{badId} << ReceptionText::BadCharacter.arg("41") << 0;
    QByteArray badData = data;
    badData[500] = '\x80';
    QTest::newRow("bad character in data")
        << Deliveries{id, badData} << ReceptionText::BadCharacter.arg("80") << 80;
    QTest::newRow("bad character in record count")
        << Deliveries{id, "S0" + QByteArray(1, '\x1F') + data.mid(3)}
        << ReceptionText::BadCharacter.arg("1F") << 80;
    QTest::newRow("second S inside a frame") << Deliveries{id, data.left(30) + 'S' + data.mid(31)}
                                             << ReceptionText::BadCharacter.arg("53") << 80;
    QTest::newRow("short identification")
        << Deliveries{frame(QByteArray("\x00\x50", 2))} << ReceptionText::ShortIdentification << 0;
}

void TestReceptionProtocol::malformedInputIsRefused()
{
    QFETCH(Deliveries, deliveries);
    QFETCH(QString, message);
    QFETCH(int, typeCode);

    RecordingHost host;
    ReceptionProtocol protocol(host);
    protocol.start();
    for (const QByteArray &d : deliveries)
        protocol.deliver(d);

    QCOMPARE(host.result, int(ReceptionResult::Cancel));
    QCOMPARE(host.message.kind, ReceptionMessage::Kind::ErrorDialog);
    QCOMPARE(host.message.text, message);
    QVERIFY(!host.portOpenAtFinish);
    QVERIFY(!protocol.isRunning());
    QVERIFY(!protocol.frameStartSeen());
    QVERIFY(!protocol.frameEndSeen());
    QCOMPARE(DeviceTypeCode, quint8(typeCode));
    QCOMPARE(DeviceImage, Leftover);
    QCOMPARE(DeviceImageDecoded, 0);
}

void TestReceptionProtocol::identificationWaitsForItsEnd()
{
    RecordingHost host;
    ReceptionProtocol protocol(host);
    protocol.start();
    QCOMPARE(host.timerMs, ReceptionProtocol::SearchTimeout);
    const QByteArray id = identification();
    protocol.deliver(id.left(1));
    QCOMPARE(host.timerMs, 0); // the S alone stops the search
    QVERIFY(protocol.frameStartSeen());
    protocol.deliver(id.mid(1, id.size() - 2));
    QCOMPARE(host.sent, QByteArray("V"));
    QVERIFY(host.type.isEmpty());
    QCOMPARE(protocol.rxCount(), id.size() - 1);
    protocol.deliver(id.right(1));
    QCOMPARE(host.sent, QByteArray("VN"));
    QCOMPARE(host.type, QStringLiteral("Ortan - LK7"));
    QCOMPARE(protocol.rxCount(), 0);
    QVERIFY(!protocol.frameStartSeen() && !protocol.frameEndSeen());
}

void TestReceptionProtocol::searchMovesToCom2ThenGivesUp()
{
    RecordingHost host;
    ReceptionProtocol protocol(host);
    protocol.start();
    QCOMPARE(host.status, QStringLiteral("Ожидание готовности прибора ..."));
    QCOMPARE(host.opened, QStringList{Com1PortName});
    protocol.deliver("garbage");
    protocol.timeout();
    QCOMPARE(host.opened, (QStringList{Com1PortName, Com2PortName}));
    QCOMPARE(host.sent, QByteArray("VV"));
    QCOMPARE(host.timerMs, 3000);
    QCOMPARE(protocol.rxCount(), 0);
    QVERIFY(protocol.isRunning());
    protocol.timeout();
    QCOMPARE(host.result, int(ReceptionResult::Cancel));
    QCOMPARE(host.message.kind, ReceptionMessage::Kind::ErrorBox);
    QCOMPARE(host.message.text, QStringLiteral("Прибор не обнаружен! Проверте правильность "
                                               "подключения согласно инструкции!"));
    QCOMPARE(host.portNameAtFinish, QStringLiteral("\\\\.\\COM1"));
    QVERIFY(!host.portOpenAtFinish);
    QCOMPARE(host.timerMs, 0);
}

void TestReceptionProtocol::cancelWhileSeeking()
{
    RecordingHost host;
    ReceptionProtocol protocol(host);
    protocol.start();
    protocol.timeout();
    protocol.cancel();
    QCOMPARE(host.result, int(ReceptionResult::Cancel));
    QCOMPARE(host.message.kind, ReceptionMessage::Kind::None);
    QVERIFY(!host.portOpenAtFinish);
    QCOMPARE(host.timerMs, 0);
    host.result = 0;
    protocol.timeout(); // a time-out already queued does nothing after the end
    protocol.deliver(identification());
    QCOMPARE(host.result, 0);
    QCOMPARE(host.sent, QByteArray("VV"));
    QCOMPARE(DeviceImage, Leftover);
}

void TestReceptionProtocol::cancelInDataPhaseLeavesImage()
{
    RecordingHost host;
    ReceptionProtocol protocol(host);
    protocol.start();
    protocol.deliver(identification());
    protocol.deliver(frame(image(3, 3)).left(500));
    QVERIFY(host.progress.last() > 0);
    protocol.cancel();
    QCOMPARE(host.result, int(ReceptionResult::Cancel));
    QCOMPARE(host.message.kind, ReceptionMessage::Kind::None);
    QVERIFY(!host.portOpenAtFinish);
    QCOMPARE(host.progress.last(), 0);
    QCOMPARE(protocol.rxCount(), 0);
    QCOMPARE(DeviceImage, Leftover);
    protocol.deliver("P"); // a late delivery changes nothing
    QCOMPARE(DeviceImage, Leftover);
}

void TestReceptionProtocol::progressFollowsAnnouncedLength()
{
    RecordingHost host;
    ReceptionProtocol protocol(host);
    protocol.start();
    protocol.deliver(identification());
    host.progress.clear();
    const QByteArray data = frame(image(10, 10)); // 2664 nibble characters
    protocol.deliver(data.left(13));              // S and 12 characters
    QVERIFY(!protocol.progressReporting());
    QVERIFY(host.progress.isEmpty());
    protocol.deliver(data.mid(13, 1));
    QVERIFY(protocol.progressReporting());
    protocol.deliver(data.mid(14, 1325));
    QCOMPARE(host.progress.last(), 50); // 1338 - 12 of 2664 - 12 characters
    protocol.deliver(data.mid(1339, data.size() - 1340));
    QCOMPARE(host.progress.last(), 100);
    protocol.deliver("P");
    QCOMPARE(host.result, int(ReceptionResult::Ok));
    QVERIFY(std::is_sorted(host.progress.cbegin(), host.progress.cend()));

    RecordingHost promised;
    ReceptionProtocol overAnnounced(promised);
    overAnnounced.start();
    overAnnounced.deliver(identification());
    overAnnounced.deliver(frame(image(1, 400)).chopped(1));
    QVERIFY(promised.progress.last() < 5);
    overAnnounced.deliver("P");
    QCOMPARE(promised.progress.last(), 100);
    QVERIFY(std::all_of(promised.progress.cbegin(), promised.progress.cend(),
                        [](int p) { return p >= 0 && p <= 100; }));
}

void TestReceptionProtocol::startAgainAfterRefusal()
{
    RecordingHost host;
    ReceptionProtocol protocol(host);
    protocol.start();
    protocol.deliver(identification(81));
    QCOMPARE(host.result, int(ReceptionResult::Cancel));
    host = RecordingHost();
    protocol.start();
    QVERIFY(host.type.isEmpty());
    QCOMPARE(protocol.rxCount(), 0);
    protocol.deliver(identification());
    protocol.deliver(frame(image(1, 1)));
    QCOMPARE(host.result, int(ReceptionResult::Ok));
    QCOMPARE(DeviceTypeCode, quint8(80));
}

void TestReceptionProtocol::versionText_data()
{
    QTest::addColumn<QByteArray>("values");
    QTest::addColumn<QString>("text");
    QTest::newRow("zeros") << QByteArray(8, '\0') << "00000000";
    QTest::newRow("two and three digits")
        << QByteArray("\x0C\x00\xFF\x01\x63\x00\x07\x64", 8) << "12025519907100";
}

void TestReceptionProtocol::versionText()
{
    QFETCH(QByteArray, values);
    QFETCH(QString, text);
    QCOMPARE(ReceptionProtocol::versionText(reinterpret_cast<const quint8 *>(values.constData())),
             text);
}

QTEST_GUILESS_MAIN(TestReceptionProtocol)
#include "tst_receptionprotocol.moc"
