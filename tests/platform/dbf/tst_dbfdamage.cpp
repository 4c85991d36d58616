// Damaged and unusual files, and writes that fail: a clear error or the complete rows, never a
// crash, and a file that other readers can still open.

#include "platform/dbf/tdbf.h"
#include "platform/shared/apperror.h"
#include "tests/support/dbfreadrows.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cerrno>
#include <limits>

namespace {

constexpr int kHeader = 32 + 3 * 32 + 1; // 129
constexpr int kRecord = 1 + 9 + 18 + 10; // 38

QList<TFieldDef> defs()
{
    return {
        {QStringLiteral("N"), TFieldType::ftInteger, 0, {}},
        {QStringLiteral("P"), TFieldType::ftFloat, 0, {}},
        {QStringLiteral("NAME"), TFieldType::ftString, 10, {}},
    };
}

void putU16(QByteArray &b, int at, int v)
{
    qToLittleEndian<quint16>(quint16(v), b.data() + at);
}

void putU32(QByteArray &b, int at, quint32 v)
{
    qToLittleEndian<quint32>(v, b.data() + at);
}

// Passes reads through and lets writes through until a byte budget is spent; each write call
// also takes at most `chunk` bytes, as a short write would. A passing fault fails one call when
// the budget is spent and lets everything through after it.
class FaultyIo : public DbfIo
{
public:
    FaultyIo(std::unique_ptr<DbfIo> inner, qint64 budget, qint64 chunk, bool passing = false)
        : m_inner(std::move(inner)), m_budget(budget), m_chunk(chunk), m_passing(passing)
    {}
    qint64 size() const override { return m_inner->size(); }
    qint64 readAt(qint64 o, char *d, qint64 n) const override { return m_inner->readAt(o, d, n); }
    qint64 writeAt(qint64 o, const char *d, qint64 n) override
    {
        if (m_budget <= 0) {
            if (m_passing)
                m_budget = std::numeric_limits<qint64>::max();
            return -1;
        }
        const qint64 w = m_inner->writeAt(o, d, std::min({n, m_budget, m_chunk}));
        if (w > 0)
            m_budget -= w;
        return w;
    }
    bool truncate(qint64 s) override { return m_inner->truncate(s); }
    bool sync() override { return m_inner->sync(); }
    bool writable() const override { return true; }
    QString errorString() const override
    {
        return m_budget <= 0 ? dbfErrnoText(ENOSPC) : m_inner->errorString();
    }

private:
    std::unique_ptr<DbfIo> m_inner;
    qint64 m_budget;
    qint64 m_chunk;
    bool m_passing;
};

} // namespace

class TestDbfDamage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QByteArray m_good; // a valid table of three rows

    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile f(m_dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            qFatal("cannot write fixture");
        return f.fileName();
    }

    QByteArray read(const QString &name)
    {
        QFile f(m_dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void openTable(TDbf &t, const QString &name)
    {
        t.SetFilePath(m_dir.path());
        t.SetTableName(name);
        t.Open();
    }

private slots:
    void initTestCase()
    {
        TDbf t;
        t.SetFilePath(m_dir.path());
        t.SetTableName(QStringLiteral("good.db"));
        t.SetFieldDefs(defs());
        t.CreateTable();
        t.Open();
        for (int i = 1; i <= 3; ++i) {
            t.Append();
            t.FieldByName("N")->SetAsInteger(i);
            t.FieldByName("P")->SetAsFloat(i / 4.0);
            t.FieldByName("NAME")->SetAsString(QStringLiteral("row %1").arg(i));
            t.Post();
        }
        t.Close();
        m_good = read(QStringLiteral("good.db"));
        QCOMPARE(m_good.size(), kHeader + 3 * kRecord + 1);
    }

    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rows"); // -1: refused with an error
        const QByteArray g = m_good;
        auto with = [&](auto change) {
            QByteArray b = g;
            change(b);
            return b;
        };
        QTest::newRow("empty file") << QByteArray() << -1;
        QTest::newRow("truncated header") << g.left(20) << -1;
        QTest::newRow("header without descriptors") << g.left(32) << -1;
        QTest::newRow("cut inside the descriptors") << g.left(90) << -1;
        QTest::newRow("header length too small")
            << with([](QByteArray &b) { putU16(b, 8, 40); }) << -1;
        QTest::newRow("header length beyond the file")
            << with([](QByteArray &b) { putU16(b, 8, 60000); }) << -1;
        QTest::newRow("header length cuts a descriptor")
            << with([](QByteArray &b) { putU16(b, 8, 100); }) << -1;
        QTest::newRow("record length mismatch")
            << with([](QByteArray &b) { putU16(b, 10, kRecord + 1); }) << -1;
        QTest::newRow("record length zero") << with([](QByteArray &b) { putU16(b, 10, 0); }) << -1;
        QTest::newRow("unknown field type")
            << with([](QByteArray &b) { b[32 + 32 + 11] = 'X'; }) << -1;
        QTest::newRow("memo field") << with([](QByteArray &b) { b[32 + 64 + 11] = 'M'; }) << -1;
        QTest::newRow("zero fields") << with([](QByteArray &b) {
            b[32] = '\r';
            putU16(b, 8, 33);
        }) << -1;
        QTest::newRow("field of length 0") << with([](QByteArray &b) { b[32 + 16] = 0; }) << -1;
        QTest::newRow("decimals wider than the field")
            << with([](QByteArray &b) { b[32 + 32 + 17] = 17; }) << -1;
        QTest::newRow("numeric wider than 20")
            << with([](QByteArray &b) { b[32 + 32 + 16] = 30; }) << -1;
        QTest::newRow("name not terminated")
            << with([](QByteArray &b) { b.replace(32, 11, "ABCDEFGHIJK"); }) << -1;
        QTest::newRow("empty name") << with([](QByteArray &b) { b[32] = '\0'; }) << -1;
        QTest::newRow("duplicate names") << with([](QByteArray &b) {
            b.replace(64, 11, QByteArray("N").leftJustified(11, '\0'));
        }) << -1;
        QTest::newRow("no terminator") << with([](QByteArray &b) { b[kHeader - 1] = ' '; }) << -1;
        QTest::newRow("foreign version byte") << with([](QByteArray &b) { b[0] = 0x30; }) << -1;
        QTest::newRow("text file")
            << QByteArray("Hello, this is not a table at all.\n").repeated(20) << -1;
        QTest::newRow("png") << QByteArray::fromHex("89504e470d0a1a0a0000000d49484452").repeated(30)
                             << -1;
        QTest::newRow("all 0xFF") << QByteArray(500, '\xFF') << -1;
        QTest::newRow("all zero") << QByteArray(500, '\0') << -1;

        // Header and size disagree: the complete rows open, nothing beyond them is read.
        QTest::newRow("huge record count")
            << with([](QByteArray &b) { putU32(b, 4, 0xFFFFFFFFu); }) << 3;
        QTest::newRow("count 10, three rows") << with([](QByteArray &b) { putU32(b, 4, 10); }) << 3;
        QTest::newRow("cut inside the third row") << g.left(kHeader + 2 * kRecord + 20) << 2;
        QTest::newRow("no end-of-file byte") << g.left(g.size() - 1) << 3;
        QTest::newRow("header only") << g.left(kHeader) << 0;
        QTest::newRow("count lower than the rows")
            << with([](QByteArray &b) { putU32(b, 4, 2); }) << 2;
        QTest::newRow("extra bytes after the terminator") << with([](QByteArray &b) {
            b.insert(kHeader, QByteArray(263, '\0'));
            putU16(b, 8, kHeader + 263);
        }) << 3;
        QTest::newRow("lower-case names")
            << with([](QByteArray &b) { b.replace(64, 1, "p"); }) << 3;
    }

    void damagedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rows);
        write(QStringLiteral("bad.db"), bytes);
        TDbf t;
        if (rows < 0) {
            try {
                openTable(t, QStringLiteral("bad.db"));
                QFAIL("a damaged file opened");
            } catch (const AppError &e) {
                QVERIFY2(e.text().contains(QStringLiteral("bad.db")), qPrintable(e.text()));
            }
            QVERIFY(!t.Active());
            return;
        }
        openTable(t, QStringLiteral("bad.db"));
        QCOMPARE(t.ExactRecordCount(), rows);
        int n = 0;
        for (t.First(); !t.Eof(); t.Next()) {
            ++n;
            QCOMPARE(t.FieldByName("N")->AsInteger(), n);
            QCOMPARE(t.FieldByName("NAME")->AsString(), QStringLiteral("row %1").arg(n));
        }
        QCOMPARE(n, rows);
        QVERIFY(!t.ValueAt(rows + 1, 0).isValid());
    }

    // Records longer than dBase IV allows (other writers make them): filters and tags on a
    // field far into the record.
    void longRecords()
    {
        const int texts = 20;
        QByteArray b(32, '\0');
        b[0] = 0x03;
        const int header = 32 + 32 * (texts + 1) + 1;
        const int record = 1 + texts * 250 + 10;
        putU32(b, 4, 2);
        putU16(b, 8, header);
        putU16(b, 10, record);
        for (int i = 0; i <= texts; ++i) {
            QByteArray d(32, '\0');
            d.replace(0, 3, QStringLiteral("F%1").arg(i, 2, 10, QLatin1Char('0')).toLatin1());
            d[11] = i < texts ? 'C' : 'N';
            d[16] = char(i < texts ? 250 : 10);
            b += d;
        }
        b += '\r';
        for (int row = 1; row <= 2; ++row)
            b += ' ' + QByteArray(texts * 250, 'a' + char(row)) +
                 QByteArray::number(3 - row).rightJustified(10, ' ');
        b += '\x1A';
        write(QStringLiteral("long.db"), b);
        TDbf t;
        openTable(t, QStringLiteral("long.db"));
        QCOMPARE(t.Fields(texts)->DataType(), TFieldType::ftFloat); // N 10.0 is wider than 32 bits
        t.SetFilter(QStringLiteral("F20=1"));
        QCOMPARE(t.ExactRecordCount(), 1);
        QCOMPARE(t.RecNo(), 2);
        t.SetFilter(QString());
        t.AddIndex(QStringLiteral("tab1"), QStringLiteral("F20"), false);
        t.SetIndexName(QStringLiteral("tab1"));
        t.First();
        QCOMPARE(t.RecNo(), 2);
        QCOMPARE(t.FieldByName("F19")->AsString(), QString(250, 'c'));
    }

    // A row appended to a file cut short lands after its complete rows, and every reader then
    // sees a sound table.
    void appendToShortFile()
    {
        write(QStringLiteral("short.db"), m_good.left(kHeader + 2 * kRecord + 20));
        {
            TDbf t;
            t.SetFieldDefs(defs());
            openTable(t, QStringLiteral("short.db"));
            t.Append();
            t.FieldByName("N")->SetAsInteger(3);
            t.Post();
        }
        const QByteArray b = read(QStringLiteral("short.db"));
        QCOMPARE(qFromLittleEndian<quint32>(b.constData() + 4), 3u);
        QCOMPARE(b.size(), kHeader + 3 * kRecord + 1);
        QCOMPARE(b.back(), '\x1A');
        QCOMPARE(dbfreadRowCounts({m_dir.filePath("short.db")}), QList<int>{3});
    }

    // Writes cut short by the system are completed; a full disk fails the post with a clear
    // error, and the file keeps every row posted before, for this engine and for dbfread.
    void failingWrites()
    {
        QStringList files;
        QList<int> posted;
        const qint64 budgets[] = {0,
                                  1,
                                  20,
                                  kRecord,
                                  kRecord + 1,
                                  kRecord + 5,
                                  2 * kRecord + 7,
                                  2 * kRecord + 8,
                                  3 * kRecord + 16};
        for (qint64 budget : budgets) {
            const QString name = QStringLiteral("full%1.db").arg(budget);
            files << m_dir.filePath(name);
            write(name, m_good);
            TDbf t;
            t.SetFieldDefs(defs());
            t.SetIoFactory([budget](const QString &path, DbfOpenMode mode) {
                return std::unique_ptr<DbfIo>(new FaultyIo(openDbfFile(path, mode), budget, 5));
            });
            openTable(t, name);
            int count = 3;
            try {
                for (int i = 0; i < 10; ++i) {
                    t.Append();
                    t.FieldByName("N")->SetAsInteger(count + 1);
                    t.FieldByName("NAME")->SetAsString(QStringLiteral("row %1").arg(count + 1));
                    t.Post();
                    ++count;
                }
                QFAIL("the disk never filled");
            } catch (const AppError &e) {
                QVERIFY2(e.text().contains(QStringLiteral("нет места на диске")),
                         qPrintable(e.text()));
            }
            QCOMPARE(t.GetState(),
                     TDbf::State::Insert); // the row is still there to retry or cancel
            QCOMPARE(t.ExactRecordCount(), count);
            t.Cancel();
            t.Close();
            posted << count;

            TDbf again;
            openTable(again, name);
            QCOMPARE(again.ExactRecordCount(), count);
            again.Last();
            QCOMPARE(again.FieldByName("NAME")->AsString(), QStringLiteral("row %1").arg(count));
        }
        QCOMPARE(dbfreadRowCounts(files), posted);
    }

    void failedEditKeepsTheRow()
    {
        write(QStringLiteral("edit.db"), m_good);
        TDbf t;
        t.SetFieldDefs(defs());
        t.SetIoFactory([](const QString &path, DbfOpenMode mode) {
            // the row is cut inside P; the restoring write then gets through
            return std::unique_ptr<DbfIo>(new FaultyIo(openDbfFile(path, mode), 20, 20, true));
        });
        openTable(t, QStringLiteral("edit.db"));
        t.First();
        t.Edit();
        t.FieldByName("NAME")->SetAsString(QStringLiteral("changed"));
        t.FieldByName("P")->SetAsFloat(99);
        QVERIFY_THROWS_EXCEPTION(AppError, t.Post());
        t.Cancel();
        t.Close();
        TDbf again;
        openTable(again, QStringLiteral("edit.db"));
        QCOMPARE(again.FieldByName("NAME")->AsString(), QStringLiteral("row 1"));
        QCOMPARE(again.FieldByName("P")->AsFloat(), 0.25);
    }
};

QTEST_GUILESS_MAIN(TestDbfDamage)
#include "tst_dbfdamage.moc"
