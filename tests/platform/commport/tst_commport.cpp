#include "platform/commport/portnames.h"
#include "platform/commport/tcommportdriver.h"
#include "platform/registry/registrykey.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A pseudo-terminal pair in raw mode; the slave stays open here so the master never reads
// end-of-file while the driver has its port closed.
class PtyPair
{
public:
    PtyPair()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
        m_slave = ::open(ptsname(m_master), O_RDWR | O_NOCTTY);
        termios raw{};
        tcgetattr(m_slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(m_slave, TCSANOW, &raw);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair()
    {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }
    bool isValid() const { return m_slave >= 0; }
    QString slavePath() const { return m_slavePath; }
    bool write(const QByteArray &bytes)
    {
        return ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // Writes what the pseudo-terminal takes now; returns how many bytes that was.
    qsizetype writeSome(const char *data, qsizetype size)
    {
        const ssize_t n = ::write(m_master, data, size_t(size));
        return n > 0 ? n : 0;
    }
    QByteArray read()
    {
        char buffer[64];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        return n > 0 ? QByteArray(buffer, int(n)) : QByteArray();
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

} // namespace

class TestCommPort : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void portNamesResolve();
    void deliversWhatArrivesInPolls();
    void closedOrAbsentPortStaysSilent();

private:
    QTemporaryDir m_registry;
};

void TestCommPort::initTestCase()
{
    QVERIFY(m_registry.isValid());
    RegistryKey::useDirectoryForTests(m_registry.path());
}

void TestCommPort::cleanup()
{
    qputenv("LK7_COM1", "");
    qputenv("LK7_COM2", "");
}

void TestCommPort::portNamesResolve()
{
    const QString com1Default =
        QFileInfo::exists("/dev/ttyUSB0") ? QStringLiteral("/dev/ttyUSB0") : "/dev/ttyS0";
    const QString com2Default =
        QFileInfo::exists("/dev/ttyUSB1") ? QStringLiteral("/dev/ttyUSB1") : "/dev/ttyS1";
    QCOMPARE(resolvePortName(Com1PortName), com1Default); // empty variables count as unset
    QCOMPARE(resolvePortName(Com2PortName), com2Default);
    {
        RegistryKey key;
        key.writeString(RegistryKey::PortCom1, "/dev/ttyACM0");
        key.writeString(RegistryKey::PortCom2, "/dev/ttyACM1");
    }
    QCOMPARE(resolvePortName(Com1PortName), QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(resolvePortName(Com2PortName), QStringLiteral("/dev/ttyACM1"));
    qputenv("LK7_COM1", "/dev/pts/77");
    QCOMPARE(resolvePortName(Com1PortName), QStringLiteral("/dev/pts/77"));
    QCOMPARE(resolvePortName(Com2PortName), QStringLiteral("/dev/ttyACM1"));
    QCOMPARE(resolvePortName("/dev/ttyS3"), QStringLiteral("/dev/ttyS3"));
    RegistryKey key;
    key.writeString(RegistryKey::PortCom1, {});
    key.writeString(RegistryKey::PortCom2, {});
}

void TestCommPort::deliversWhatArrivesInPolls()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    qputenv("LK7_COM1", pty.slavePath().toLocal8Bit());
    TCommPortDriver driver;
    QCOMPARE(driver.portName(), Com1PortName);
    QVERIFY(driver.open());
    QVERIFY(driver.isOpen());
    QCOMPARE(driver.systemPortName(), pty.slavePath());
    driver.setPortName(Com2PortName); // ignored while open
    QCOMPARE(driver.portName(), Com1PortName);

    QVERIFY(driver.sendByte('V'));
    QByteArray request;
    QTRY_VERIFY(!(request += pty.read()).isEmpty());
    QCOMPARE(request, QByteArray("V"));

    QSignalSpy deliveries(&driver, &TCommPortDriver::OnReceiveData);
    QByteArray sent;
    for (int i = 0; i < 10000; ++i)
        sent += char(i % 256); // every byte value passes untranslated
    QElapsedTimer clock;
    clock.start();
    QByteArray received;
    qsizetype written = 0;
    bool oversized = false;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            written += pty.writeSome(sent.constData() + written, sent.size() - written);
            for (; !deliveries.isEmpty(); deliveries.removeFirst()) {
                const QByteArray d = deliveries.first().first().toByteArray();
                oversized = oversized || d.size() > TCommPortDriver::InBufSize;
                received += d;
            }
            return received.size() >= sent.size();
        }(),
        20000);
    QVERIFY(!oversized);
    QCOMPARE(received, sent);
    // 10000 bytes take at least three polls of 50 ms with a 4096-byte buffer.
    QVERIFY(clock.elapsed() >= 2 * TCommPortDriver::PollingDelay);

    driver.close();
    QVERIFY(!driver.isOpen());
    driver.setPortName(Com2PortName);
    QCOMPARE(driver.portName(), Com2PortName);
}

void TestCommPort::closedOrAbsentPortStaysSilent()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    qputenv("LK7_COM1", pty.slavePath().toLocal8Bit());
    TCommPortDriver driver;
    QSignalSpy deliveries(&driver, &TCommPortDriver::OnReceiveData);
    QVERIFY(!driver.sendByte('V'));
    QVERIFY(pty.write("before open"));
    QVERIFY(driver.open());
    QVERIFY(pty.write("A"));
    QTRY_COMPARE(deliveries.size(), 1);
    // Bytes that arrived before the port was opened are not delivered.
    QCOMPARE(deliveries.first().first().toByteArray(), QByteArray("A"));
    driver.close();
    QVERIFY(pty.write("after close"));
    QTest::qWait(3 * TCommPortDriver::PollingDelay);
    QCOMPARE(deliveries.size(), 1);

    qputenv("LK7_COM1", "/nonexistent/lk7-port");
    QVERIFY(!driver.open());
    QVERIFY(!driver.isOpen());
    QVERIFY(!driver.sendByte('V'));
}

QTEST_GUILESS_MAIN(TestCommPort)
#include "tst_commport.moc"
