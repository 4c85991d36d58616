#include "device/image/deviceimage.h"
#include "device/import/recordimport.h"
#include "platform/dbf/tdbf.h"
#include "platform/shared/apperror.h"
#include "platform/shared/sharedstate.h"
#include "tests/support/testarchive.h"

#include <QTemporaryDir>
#include <QtTest>

// Turning the records of the memory image into pull-off rows, fresh and appended.
class TestRecordImport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void rowsFromRecords();
    void emptyImageAndForeignDevice_data();
    void emptyImageAndForeignDevice();
    void onlyReceivedRecordsAreImported();
    void appendTakesOnlyNewerRecords();
    void appendToArchiveWithoutPullOffRows();
    void appendRefusesUnconvertibleMoment();

private:
    QTemporaryDir m_dir;
};

namespace {

struct Record
{
    quint16 p = 0, r = 0, adhesion = 0;
    quint8 interval = 0;
    QList<quint16> forces;
    quint8 sec = 0, min = 0, hour = 12, day = 1, month = 1, year = 24;
};

void putWord(int offset, quint16 value)
{
    DeviceImage[offset] = char(value & 0xFF);
    DeviceImage[offset + 1] = char(value >> 8);
}

// Lays records into DeviceImage as a reception of `decoded` bytes would leave them.
void loadImage(const QList<Record> &records, int announced = -1, int decoded = -1)
{
    resetSharedState();
    DeviceTypeCode = 80;
    putWord(0, quint16(announced < 0 ? records.size() : announced));
    for (int i = 0; i < records.size(); ++i) {
        const Record &rec = records.at(i);
        const int o = deviceRecordOffset(i + 1);
        putWord(o + DeviceRecord::MeanForce, rec.p);
        putWord(o + DeviceRecord::StripWidth, rec.r);
        putWord(o + DeviceRecord::Adhesion, rec.adhesion);
        DeviceImage[o + DeviceRecord::Interval] = char(rec.interval);
        for (int n = 0; n < rec.forces.size(); ++n)
            putWord(o + DeviceRecord::Forces + 2 * n, rec.forces.at(n));
        const quint8 moment[] = {rec.sec, rec.min, rec.hour, rec.day, rec.month, rec.year};
        for (int k = 0; k < 6; ++k)
            DeviceImage[o + DeviceRecord::Time + k] = char(moment[k]);
    }
    DeviceImageDecoded = decoded < 0 ? 2 + DeviceRecordSize * int(records.size()) : decoded;
}

Record at(quint8 day, quint8 hour, quint16 p = 100)
{
    Record r;
    r.day = day;
    r.hour = hour;
    r.p = p;
    return r;
}

QList<int> numbers(TDbf &table)
{
    QList<int> out;
    for (table.First(); !table.Eof(); table.Next())
        out.append(table.FieldByName("N")->AsInteger());
    return out;
}

} // namespace

void TestRecordImport::init()
{
    resetSharedState();
}

void TestRecordImport::rowsFromRecords()
{
    Record first;
    first.p = 1234;
    first.r = 205;
    first.adhesion = 77;
    first.interval = 30;
    for (int n = 0; n < 60; ++n)
        first.forces.append(n < 40 ? quint16(n + 1) : 0);
    first.sec = 5, first.min = 30, first.hour = 14, first.day = 9, first.month = 3, first.year = 11;
    loadImage({first, at(2, 8), at(3, 9)});

    TDbf table;
    openTestArchive(table, makeTestArchive(m_dir.path(), "fresh.db", {}));
    int captionsSet = 0;
    const ImportOutcome outcome = importDeviceRecords(table, false, [&] { ++captionsSet; });
    QCOMPARE(outcome.written, 3);
    QCOMPARE(captionsSet, 3);
    QCOMPARE(table.Filter(), QString("NB_TYPE=1"));
    QCOMPARE(numbers(table), QList<int>({1, 2, 3}));

    table.First();
    auto f = [&](const char *name) { return table.FieldByName(name); };
    QCOMPARE(f("NB_TYPE")->AsInteger(), 1);
    QCOMPARE(f("DEV_TYPE")->AsInteger(), 80);
    QCOMPARE(f("P")->AsFloat(), 123.4);
    QCOMPARE(f("R")->AsFloat(), 20.5);
    QCOMPARE(f("P100")->AsFloat(), 7.7);
    QCOMPARE(f("D100")->AsFloat(), 30.0);
    QCOMPARE(f("DATE")->AsString(), QString("09.03.2011"));
    QCOMPARE(f("TIME")->AsString(), QString("14:30:05"));
    QCOMPARE(f("P1")->AsFloat(), 0.1);
    QCOMPARE(f("P40")->AsFloat(), 4.0);
    QVERIFY(!f("P40")->IsNull());
    for (const char *empty : {"P41", "P60", "P61", "D1", "T", "SERIAL", "TYPE", "COMMENT"})
        QVERIFY2(f(empty)->IsNull(), empty);
}

void TestRecordImport::emptyImageAndForeignDevice_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("typeCode");
    QTest::newRow("C = 0") << 0 << 80;
    QTest::newRow("another instrument") << 2 << 15;
}

void TestRecordImport::emptyImageAndForeignDevice()
{
    QFETCH(int, records);
    QFETCH(int, typeCode);
    loadImage(QList<Record>(records, at(1, 1)));
    DeviceTypeCode = quint8(typeCode);
    TDbf table;
    openTestArchive(table, makeTestArchive(m_dir.path(), QString("%1.db").arg(typeCode), {}));
    QCOMPARE(importDeviceRecords(table, false).written, 0);
    table.SetFilter({});
    QCOMPARE(table.ExactRecordCount(), 0);
}

void TestRecordImport::onlyReceivedRecordsAreImported()
{
    // The count announces 5 records, the frame delivered 2 and a half; stale bytes of an earlier
    // reception lie behind them.
    loadImage({at(1, 1), at(2, 2), at(3, 3), at(4, 4), at(5, 5)}, 5, 2 + DeviceRecordSize * 2 + 60);
    TDbf table;
    openTestArchive(table, makeTestArchive(m_dir.path(), "short.db", {}));
    const ImportOutcome outcome = importDeviceRecords(table, false);
    QVERIFY(outcome.truncated());
    QCOMPARE(outcome.announced, 5);
    QCOMPARE(outcome.received, 2);
    QCOMPARE(table.ExactRecordCount(), 2);
    QCOMPARE(truncatedImageMessage(outcome),
             QString("Прибор сообщил о 5 записях, а принято только 2. "
                     "В архив записаны принятые записи."));
}

void TestRecordImport::appendTakesOnlyNewerRecords()
{
    const QList<Record> firstDownload{at(1, 10), at(2, 10), at(3, 10)};
    loadImage(firstDownload);
    const QString path = makeTestArchive(m_dir.path(), "append.db", {{0, 1.0, 1.0, 7}});
    TDbf table;
    openTestArchive(table, path);
    importDeviceRecords(table, false);

    // The instrument kept its memory and added two tests; the second new one is older than the
    // last archived row but comes after a newer one, so it is taken as well.
    loadImage(firstDownload + QList<Record>{at(4, 10, 400), at(2, 9, 500)});
    const ImportOutcome outcome = importDeviceRecords(table, true);
    QCOMPARE(outcome.skipped, 3);
    QCOMPARE(outcome.written, 2);
    QCOMPARE(numbers(table), QList<int>({1, 2, 3, 4, 5}));
    table.Last();
    QCOMPARE(table.FieldByName("P")->AsFloat(), 50.0);

    QCOMPARE(importDeviceRecords(table, true).written, 0);
    QCOMPARE(table.ExactRecordCount(), 5);
    // The adhesion row is untouched.
    table.SetFilter("NB_TYPE=0");
    QCOMPARE(numbers(table), QList<int>({7}));
}

void TestRecordImport::appendToArchiveWithoutPullOffRows()
{
    loadImage({at(1, 1), at(2, 2)});
    TDbf table;
    openTestArchive(table, makeTestArchive(m_dir.path(), "adhesion.db", {{0, 1.0, 1.0, 1}}));
    const ImportOutcome outcome = importDeviceRecords(table, true);
    QCOMPARE(outcome.skipped, 0);
    QCOMPARE(numbers(table), QList<int>({1, 2}));
}

void TestRecordImport::appendRefusesUnconvertibleMoment()
{
    Record impossible = at(31, 1);
    impossible.month = 2; // 31 February
    loadImage({at(1, 1), impossible});
    TDbf table;
    openTestArchive(table, makeTestArchive(m_dir.path(), "baddate.db", {}));
    QVERIFY_THROWS_EXCEPTION(AppError, importDeviceRecords(table, true));
    QCOMPARE(table.ExactRecordCount(), 0);
}

QTEST_MAIN(TestRecordImport)
#include "tst_recordimport.moc"
