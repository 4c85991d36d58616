#include "device/image/deviceimage.h"
#include "platform/shared/apperror.h"
#include "platform/shared/sharedstate.h"

#include <QtTest>

namespace {
void putBytes(int offset, std::initializer_list<int> bytes)
{
    for (int b : bytes)
        DeviceImage[offset++] = char(b);
}
} // namespace

class TestDeviceImage : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetSharedState(); }

    void timeText_data();
    void timeText();
    void dateText_data();
    void dateText();
    void wordsAndRecordOffsets();
    void readsStayInsideTheImage();
    void completeRecords_data();
    void completeRecords();
};

void TestDeviceImage::timeText_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("hours");
    QTest::addColumn<QString>("text");
    QTest::newRow("ordinary") << 5 << 30 << 14 << "14:30:05";
    QTest::newRow("leading zeros") << 9 << 3 << 7 << "07:03:09";
    QTest::newRow("midnight") << 0 << 0 << 0 << "00:00:00";
    QTest::newRow("largest valid") << 59 << 59 << 23 << "23:59:59";
    QTest::newRow("all out of range") << 60 << 60 << 24 << "00:00:00";
    QTest::newRow("hour 24 keeps the rest") << 8 << 15 << 24 << "00:15:08";
    QTest::newRow("255 everywhere") << 255 << 255 << 255 << "00:00:00";
}

void TestDeviceImage::timeText()
{
    QFETCH(int, seconds);
    QFETCH(int, minutes);
    QFETCH(int, hours);
    QFETCH(QString, text);
    const int offset = deviceRecordOffset(2) + DeviceRecord::Time;
    putBytes(offset, {seconds, minutes, hours});
    QCOMPARE(imageTimeText(offset), text);
}

void TestDeviceImage::dateText_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("text");
    QTest::newRow("ordinary") << 9 << 3 << 11 << "09.03.2011";
    QTest::newRow("two digits") << 15 << 12 << 12 << "15.12.2012";
    QTest::newRow("day 0, month 13") << 0 << 13 << 9 << "01.01.2009";
    QTest::newRow("day 32, month 0") << 32 << 0 << 0 << "01.01.2000";
    QTest::newRow("31 February passes") << 31 << 2 << 20 << "31.02.2020";
    QTest::newRow("year byte 255") << 1 << 1 << 255 << "01.01.2255";
}

void TestDeviceImage::dateText()
{
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(QString, text);
    const int offset = deviceRecordOffset(1) + DeviceRecord::Date;
    putBytes(offset, {day, month, year});
    QCOMPARE(imageDateText(offset), text);
}

void TestDeviceImage::wordsAndRecordOffsets()
{
    putBytes(0, {0x2C, 0x01});
    QCOMPARE(imageWord(0), quint16(300));
    QCOMPARE(imageRecordCount(), 300);
    QCOMPARE(deviceRecordOffset(1), 2);
    QCOMPARE(deviceRecordOffset(300) + DeviceRecordSize - 1, 39901);
    const int force = deviceRecordOffset(3) + DeviceRecord::Forces + 2 * 59; // sample 60
    putBytes(force, {0xFF, 0xFF});
    QCOMPARE(imageWord(force), quint16(65535));
    putBytes(force, {0x01, 0x00});
    QCOMPARE(imageWord(force), quint16(1));
    putBytes(deviceRecordOffset(3) + DeviceRecord::Interval, {200});
    QCOMPARE(imageByte(deviceRecordOffset(3) + DeviceRecord::Interval), quint8(200));
}

void TestDeviceImage::readsStayInsideTheImage()
{
    putBytes(DeviceImageSize - 2, {0x34, 0x12});
    QCOMPARE(imageWord(DeviceImageSize - 2), quint16(0x1234));
    QVERIFY_THROWS_EXCEPTION(AppError, imageWord(DeviceImageSize - 1));
    QVERIFY_THROWS_EXCEPTION(AppError, imageByte(DeviceImageSize));
    QVERIFY_THROWS_EXCEPTION(AppError, imageByte(-1));
    QVERIFY_THROWS_EXCEPTION(AppError, imageTimeText(DeviceImageSize - 2));
    QVERIFY_THROWS_EXCEPTION(AppError, imageDateText(DeviceImageSize - 2));
    QCOMPARE(imageDateText(DeviceImageSize - 3), QStringLiteral("01.01.2018")); // month 0x34
}

void TestDeviceImage::completeRecords_data()
{
    QTest::addColumn<int>("announced");
    QTest::addColumn<int>("decoded");
    QTest::addColumn<int>("complete");
    QTest::newRow("as announced") << 3 << 2 + 3 * 133 << 3;
    QTest::newRow("trailing bytes ignored") << 3 << 2 + 5 * 133 + 7 << 3;
    QTest::newRow("no records") << 0 << 2 + 3 * 133 << 0;
    QTest::newRow("announces more than sent") << 5 << 2 + 3 * 133 << 3;
    QTest::newRow("last record cut short") << 3 << 2 + 3 * 133 - 1 << 2;
    QTest::newRow("nothing decoded") << 300 << 0 << 0;
    QTest::newRow("count only") << 300 << 2 << 0;
    QTest::newRow("largest frame") << 65535 << 65536 << 492;
}

void TestDeviceImage::completeRecords()
{
    QFETCH(int, announced);
    QFETCH(int, decoded);
    QFETCH(int, complete);
    putBytes(0, {announced & 0xFF, announced >> 8});
    DeviceImageDecoded = decoded;
    QCOMPARE(imageCompleteRecords(), complete);
}

QTEST_GUILESS_MAIN(TestDeviceImage)
#include "tst_deviceimage.moc"
