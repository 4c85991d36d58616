// The table engine on small tables: values, layout bytes, filters, navigation, deletion.

#include "platform/dbf/tdbf.h"
#include "platform/shared/apperror.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QList<TFieldDef> smallDefs()
{
    return {
        {QStringLiteral("N"), TFieldType::ftInteger, 0, {}},
        {QStringLiteral("KIND"), TFieldType::ftSmallint, 0, {}},
        {QStringLiteral("P"), TFieldType::ftFloat, 0, QStringLiteral("0.0")},
        {QStringLiteral("NAME"), TFieldType::ftString, 12, {}},
    };
}

struct Row
{
    QVariant n, kind, p, name;
};

void appendRow(TDbf &t, const Row &r)
{
    t.Append();
    t.FieldByName(QStringLiteral("N"))->SetValue(r.n);
    t.FieldByName(QStringLiteral("KIND"))->SetValue(r.kind);
    t.FieldByName(QStringLiteral("P"))->SetValue(r.p);
    t.FieldByName(QStringLiteral("NAME"))->SetValue(r.name);
    t.Post();
}

QList<int> walk(TDbf &t, const char *field = "N")
{
    QList<int> values;
    for (t.First(); !t.Eof(); t.Next())
        values << t.FieldByName(QString::fromLatin1(field))->AsInteger();
    return values;
}

} // namespace

class TestDbfTable : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

    void openNew(TDbf &t, const QString &name = QStringLiteral("t.db"))
    {
        t.SetFilePath(m_dir.path());
        t.SetTableName(name);
        t.SetFieldDefs(smallDefs());
        t.CreateTable();
        t.Open();
        m_path = m_dir.filePath(name);
    }

    void fillKinds(TDbf &t)
    {
        // N, KIND, P: kinds alternate, P out of order so that an index changes the order
        const double ps[] = {5.5, 1.25, 9, 3, 7.75, 3};
        for (int i = 0; i < 6; ++i)
            appendRow(t, {i + 1, i % 2, ps[i], QStringLiteral("r%1").arg(i + 1)});
    }

private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void roundTripValues()
    {
        {
            TDbf t;
            openNew(t);
            appendRow(t, {7, 1, 12.5, QStringLiteral("Привет мир")});
            appendRow(t, {QVariant(), QVariant(), QVariant(), QVariant()});
            appendRow(t, {-12345678, -999, -1234567.123456789, QStringLiteral("abcdefghijklmnop")});
            QCOMPARE(t.ExactRecordCount(), 3);
            t.Close();
        }
        TDbf t;
        t.SetFilePath(m_dir.path());
        t.SetTableName(QStringLiteral("t.db"));
        t.SetFieldDefs(smallDefs());
        t.Open();
        QCOMPARE(t.ExactRecordCount(), 3);
        t.First();
        QCOMPARE(t.FieldByName("N")->AsInteger(), 7);
        QCOMPARE(t.FieldByName("KIND")->AsInteger(), 1);
        QCOMPARE(t.FieldByName("P")->AsFloat(), 12.5);
        QCOMPARE(t.FieldByName("P")->AsString(), QStringLiteral("12.5"));
        QCOMPARE(t.FieldByName("P")->DisplayFormat(), QStringLiteral("0.0"));
        QCOMPARE(t.FieldByName("NAME")->AsString(), QStringLiteral("Привет мир"));
        QCOMPARE(t.FieldByName("name")->Value(), QVariant(QStringLiteral("Привет мир")));
        t.Next();
        for (const char *f : {"N", "KIND", "P", "NAME"}) {
            QVERIFY2(t.FieldByName(f)->IsNull(), f);
            QVERIFY(!t.FieldByName(f)->Value().isValid());
        }
        QCOMPARE(t.FieldByName("N")->AsInteger(), 0);
        QCOMPARE(t.FieldByName("P")->AsFloat(), 0.0);
        QCOMPARE(t.FieldByName("NAME")->AsString(), QString());
        t.Next();
        QCOMPARE(t.FieldByName("N")->AsInteger(), -12345678);
        QCOMPARE(t.FieldByName("KIND")->AsInteger(), -999);
        QCOMPARE(t.FieldByName("P")->AsFloat(), -1234567.123456789);
        QCOMPARE(t.FieldByName("NAME")->AsString(), QStringLiteral("abcdefghijkl")); // cut
        QCOMPARE(t.ValueAt(1, 3), QVariant(QStringLiteral("Привет мир")));
        QCOMPARE(t.ValueAt(1, 0).typeId(), QMetaType::Int);
        QCOMPARE(t.ValueAt(1, 2).typeId(), QMetaType::Double);
        QVERIFY(!t.ValueAt(2, 2).isValid());
        QVERIFY(!t.ValueAt(99, 2).isValid());
    }

    // The exact bytes of a small table, built by hand from the dBase IV layout.
    void byteLayout()
    {
        {
            TDbf t;
            openNew(t);
            appendRow(t, {7, 1, 12.5, QStringLiteral("Ёж")});
            appendRow(t, {QVariant(), QVariant(), QVariant(), QVariant()});
            t.Close();
        }
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray file = f.readAll();

        QByteArray expected(32, '\0');
        expected[0] = 0x03;
        const QDate today = QDate::currentDate();
        expected[1] = char(today.year() - 1900);
        expected[2] = char(today.month());
        expected[3] = char(today.day());
        expected[4] = 2;                     // records
        expected[8] = char(32 + 4 * 32 + 1); // header length 161
        expected[10] = char(1 + 9 + 4 + 18 + 12);
        expected[29] = char(0xC9);
        auto descriptor = [](const char *name, char type, int len, int dec) {
            QByteArray d(32, '\0');
            d.replace(0, int(qstrlen(name)), name);
            d[11] = type;
            d[16] = char(len);
            d[17] = char(dec);
            return d;
        };
        expected += descriptor("N", 'N', 9, 0) + descriptor("KIND", 'N', 4, 0) +
                    descriptor("P", 'N', 18, 9) + descriptor("NAME", 'C', 12, 0) + '\r';
        expected +=
            QByteArray(" ") + "        7" + "   1" + "      12.500000000" + "\xA8\xE6          ";
        expected += QByteArray(1 + 9 + 4 + 18 + 12, ' ');
        expected += '\x1A';
        QCOMPARE(file.toHex(' '), expected.toHex(' '));
    }

    void numberForms_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("stored"); // empty: refused

        QTest::newRow("float 9 decimals")
            << "P" << QVariant(12.5) << QByteArray("      12.500000000");
        QTest::newRow("float negative")
            << "P" << QVariant(-3.25) << QByteArray("      -3.250000000");
        QTest::newRow("float 8 before point")
            << "P" << QVariant(99999999.0) << QByteArray("99999999.000000000");
        QTest::newRow("float sign counts")
            << "P" << QVariant(-9999999.5) << QByteArray("-9999999.500000000");
        QTest::newRow("float 9 before point") << "P" << QVariant(100000000.0) << QByteArray();
        QTest::newRow("float -8 digits") << "P" << QVariant(-10000000.0) << QByteArray();
        QTest::newRow("float nan") << "P" << QVariant(qQNaN()) << QByteArray();
        QTest::newRow("float inf") << "P" << QVariant(qInf()) << QByteArray();
        QTest::newRow("negative zero") << "P" << QVariant(-0.0) << QByteArray("       0.000000000");
        QTest::newRow("text to float")
            << "P" << QVariant(QStringLiteral(" 1,5 ")) << QByteArray("       1.500000000");
        QTest::newRow("bad text to float")
            << "P" << QVariant(QStringLiteral("1.5x")) << QByteArray();
        QTest::newRow("int 9 chars") << "N" << QVariant(999999999) << QByteArray("999999999");
        QTest::newRow("int -8 digits") << "N" << QVariant(-99999999) << QByteArray("-99999999");
        QTest::newRow("int 10 chars") << "N" << QVariant(1000000000) << QByteArray();
        QTest::newRow("int from float rounds") << "N" << QVariant(41.6) << QByteArray("       42");
        QTest::newRow("int beyond 32 bits") << "N" << QVariant(qlonglong(1) << 40) << QByteArray();
        QTest::newRow("smallint") << "KIND" << QVariant(80) << QByteArray("  80");
        QTest::newRow("smallint 4 chars") << "KIND" << QVariant(9999) << QByteArray("9999");
        QTest::newRow("smallint too wide") << "KIND" << QVariant(10000) << QByteArray();
        QTest::newRow("smallint beyond 16 bits") << "KIND" << QVariant(40000) << QByteArray();
        QTest::newRow("smallint negative") << "KIND" << QVariant(-999) << QByteArray("-999");
        QTest::newRow("text padded")
            << "NAME" << QVariant(QStringLiteral("ab")) << QByteArray("ab          ");
        QTest::newRow("text not in code page")
            << "NAME" << QVariant(QStringLiteral("漢字")) << QByteArray();
        QTest::newRow("empty text") << "NAME" << QVariant(QString()) << QByteArray("            ");
    }

    void numberForms()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, stored);
        TDbf t;
        openNew(t);
        appendRow(t, {1, 2, 3.0, QStringLiteral("keep")});
        t.First();
        t.Edit();
        TField *f = t.FieldByName(field);
        const QVariant before = f->Value();
        bool refused = false;
        try {
            f->SetValue(value);
        } catch (const AppError &e) {
            refused = true;
            QVERIFY(!e.text().isEmpty());
        }
        QCOMPARE(refused, stored.isEmpty());
        if (refused)
            QCOMPARE(f->Value(), before); // nothing written into the row
        t.Post();
        t.Close();
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const int offsets[] = {1, 10, 14, 32};
        const int lengths[] = {9, 4, 18, 12};
        const int i = QStringList{"N", "KIND", "P", "NAME"}.indexOf(field);
        const QByteArray inFile = bytes.mid(161 + offsets[i], lengths[i]);
        if (!refused)
            QCOMPARE(inFile, stored);
        else
            QVERIFY(!inFile.trimmed().isEmpty());
    }

    void writesNeedEditState()
    {
        TDbf t;
        openNew(t);
        appendRow(t, {1, 0, 1.0, QStringLiteral("a")});
        t.First();
        QVERIFY_THROWS_EXCEPTION(AppError, t.FieldByName("N")->SetAsInteger(5));
        QVERIFY_THROWS_EXCEPTION(AppError, t.FieldByName("NOPE"));
        QVERIFY(t.FindField("NOPE") == nullptr);
        t.Edit();
        t.FieldByName("N")->SetAsInteger(5);
        t.Cancel();
        QCOMPARE(t.FieldByName("N")->AsInteger(), 1);
        t.Close();
        QVERIFY_THROWS_EXCEPTION(AppError, t.First());
        QVERIFY(t.FieldByName("N")->IsNull()); // persistent fields survive the close
    }

    void conversions()
    {
        TDbf t;
        openNew(t);
        t.Append();
        t.FieldByName("NAME")->SetAsDateTime(QDateTime(QDate(2009, 1, 5), QTime(7, 3, 9)));
        t.FieldByName("P")->SetAsString(QStringLiteral("-0.5"));
        t.Post();
        QCOMPARE(t.FieldByName("NAME")->AsString(), QStringLiteral("05.01.2009"));
        QCOMPARE(t.FieldByName("NAME")->AsDateTime(), QDateTime(QDate(2009, 1, 5), QTime(0, 0)));
        QCOMPARE(t.FieldByName("P")->AsInteger(), -1); // rounds half away from zero
        t.Edit();
        t.FieldByName("NAME")->SetAsString(QStringLiteral("15.03.2012"));
        QCOMPARE(t.FieldByName("NAME")->AsDateTime().date(), QDate(2012, 3, 15));
        t.FieldByName("NAME")->SetAsString(QStringLiteral("07:03:09"));
        QCOMPARE(t.FieldByName("NAME")->AsDateTime().time(), QTime(7, 3, 9));
        t.FieldByName("NAME")->SetAsString(QStringLiteral("вчера"));
        QVERIFY_THROWS_EXCEPTION(AppError, t.FieldByName("NAME")->AsDateTime());
        QVERIFY_THROWS_EXCEPTION(AppError, t.FieldByName("NAME")->AsInteger());
        QVERIFY_THROWS_EXCEPTION(AppError, t.FieldByName("P")->AsDateTime());
        t.Cancel();
    }

    void filterAndDeletedRows()
    {
        TDbf t;
        openNew(t);
        fillKinds(t);
        QSignalSpy reset(&t, &TDbf::rowsReset);
        t.SetFilter(QStringLiteral("KIND=0"));
        QCOMPARE(reset.count(), 1);
        QCOMPARE(walk(t), (QList<int>{1, 3, 5}));
        t.SetFilter(QStringLiteral(" kind = 1 "));
        QCOMPARE(walk(t), (QList<int>{2, 4, 6}));
        t.SetFilter(QString());
        QCOMPARE(t.ExactRecordCount(), 6);

        QVERIFY(t.GoToRecord(4));
        t.Delete();
        QCOMPARE(t.RecNo(), 5); // the next row becomes current
        t.SetFilter(QStringLiteral("KIND=1"));
        QCOMPARE(t.ExactRecordCount(), 2);
        QCOMPARE(t.RecordCount(), 2);
        QCOMPARE(walk(t), (QList<int>{2, 6}));
        QVERIFY(!t.GoToRecord(4));
        QVERIFY(!t.GoToRecord(3)); // filtered out
        t.Close();
        t.Open();
        QCOMPARE(t.Filter(), QStringLiteral("KIND=1")); // the filter stays across close and open
        QCOMPARE(walk(t), (QList<int>{2, 6}));

        QFile f(m_path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 4),
                 6u); // the row stays in the file
        QCOMPARE(bytes.at(161 + 3 * 44), '*');
    }

    void badFilters_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::newRow("text") << "NB_TYPE";
        QTest::newRow("other operator") << "KIND>0";
        QTest::newRow("two conditions") << "KIND=0 AND N=1";
        QTest::newRow("not a number") << "KIND=abc";
        QTest::newRow("unknown field") << "NOPE=1";
        QTest::newRow("text field") << "NAME=1";
    }

    void badFilters()
    {
        QFETCH(QString, expression);
        TDbf t;
        openNew(t);
        fillKinds(t);
        t.SetFilter(QStringLiteral("KIND=1"));
        QVERIFY_THROWS_EXCEPTION(AppError, t.SetFilter(expression));
        QCOMPARE(t.Filter(), QStringLiteral("KIND=1"));
        QCOMPARE(t.ExactRecordCount(), 3);
        t.Close(); // closed, the field objects still tell a bad filter
        QVERIFY_THROWS_EXCEPTION(AppError, t.SetFilter(expression));
        t.Open();
        QCOMPARE(t.ExactRecordCount(), 3);
    }

    void navigation()
    {
        TDbf t;
        openNew(t);
        QVERIFY(t.IsEmpty());
        QVERIFY(t.Eof() && t.Bof());
        QCOMPARE(t.RecNo(), 0);
        fillKinds(t);
        t.First();
        QVERIFY(t.Bof() && !t.Eof());
        QCOMPARE(t.RecNo(), 1);
        t.Prior();
        QVERIFY(t.Bof());
        QCOMPARE(t.RecNo(), 1);
        t.Last();
        QCOMPARE(t.RecNo(), 6);
        QVERIFY(t.Eof());
        t.Prior();
        QCOMPARE(t.RecNo(), 5);
        t.Next();
        t.Next();
        QVERIFY(t.Eof());
        QCOMPARE(t.RecNo(), 6);
        QCOMPARE(t.RecordAt(2), 3);
        QCOMPARE(t.VisibleRowOf(3), 2);
        QCOMPARE(t.RecordAt(6), 0);

        // Moving away from an edited row posts it.
        t.First();
        t.Edit();
        t.FieldByName("N")->SetAsInteger(100);
        t.Next();
        QCOMPARE(t.GetState(), TDbf::State::Browse);
        QCOMPARE(t.ValueAt(1, 0), QVariant(100));
    }

    void indexOrder()
    {
        TDbf t;
        openNew(t);
        fillKinds(t);
        QSignalSpy reset(&t, &TDbf::rowsReset);
        t.AddIndex(QStringLiteral("tab2"), QStringLiteral("P"), true);
        t.SetIndexName(QStringLiteral("tab2"));
        QCOMPARE(t.IndexName(), QStringLiteral("tab2"));
        // P: 5.5 1.25 9 3 7.75 3 -> descending 9, 7.75, 5.5, 3 (row 4), 3 (row 6), 1.25
        QCOMPARE(walk(t), (QList<int>{3, 5, 1, 4, 6, 2}));
        t.AddIndex(QStringLiteral("tab2"), QStringLiteral("P"), false);
        QCOMPARE(walk(t), (QList<int>{2, 4, 6, 1, 5, 3}));
        t.SetFilter(QStringLiteral("KIND=1"));
        QCOMPARE(walk(t), (QList<int>{2, 4, 6}));

        // New and edited rows take their place in the order.
        appendRow(t, {7, 1, 2.0, QStringLiteral("new")});
        QCOMPARE(walk(t), (QList<int>{2, 7, 4, 6}));
        QVERIFY(t.GoToRecord(2));
        t.Edit();
        t.FieldByName("P")->SetAsFloat(100);
        t.Post();
        QCOMPARE(t.RecNo(), 2);
        QCOMPARE(walk(t), (QList<int>{7, 4, 6, 2}));

        t.AddIndex(QStringLiteral("tab1"), QStringLiteral("NAME"), true);
        t.SetIndexName(QStringLiteral("tab1"));
        QCOMPARE(walk(t), (QList<int>{6, 4, 2, 7})); // text keys compare as bytes
        QCOMPARE(t.IndexTags(), (QStringList{"tab2", "tab1"}));
        t.DeleteIndex(QStringLiteral("tab1"));
        QCOMPARE(t.IndexName(), QString());
        QCOMPARE(walk(t), (QList<int>{2, 4, 6, 7}));
        QVERIFY_THROWS_EXCEPTION(AppError, t.DeleteIndex(QStringLiteral("tab1")));
        QVERIFY_THROWS_EXCEPTION(AppError, t.SetIndexName(QStringLiteral("tab1")));
        QVERIFY_THROWS_EXCEPTION(AppError,
                                 t.AddIndex(QStringLiteral("tab3"), QStringLiteral("NOPE"), false));
        t.SetIndexName(QStringLiteral("tab2"));
        t.CloseIndexFile();
        QCOMPARE(t.IndexName(), QString());
        QCOMPARE(walk(t), (QList<int>{2, 4, 6, 7}));
        QVERIFY(reset.count() > 0);
    }

    void lockedInProcess()
    {
        TDbf first;
        openNew(first);
        TDbf second;
        second.SetFilePath(m_dir.path());
        second.SetTableName(QStringLiteral("t.db"));
        try {
            second.Open();
            QFAIL("a second open succeeded");
        } catch (const AppError &e) {
            QVERIFY2(e.text().contains(QStringLiteral("занят")), qPrintable(e.text()));
        }
        QVERIFY(!second.Active());
        QVERIFY_THROWS_EXCEPTION(AppError, second.CreateTable()); // never empties a file in use
        first.Close();
        second.Open();
        QVERIFY(second.Active());
    }

    void fieldMismatch()
    {
        {
            TDbf t;
            openNew(t);
        }
        QList<TFieldDef> wrongType = smallDefs();
        wrongType[1].type = TFieldType::ftInteger;
        QList<TFieldDef> missing = smallDefs();
        missing.removeLast();
        QList<TFieldDef> renamed = smallDefs();
        renamed[0].name = QStringLiteral("M");
        for (const auto &defs : {wrongType, missing, renamed}) {
            TDbf t;
            t.SetFilePath(m_dir.path());
            t.SetTableName(QStringLiteral("t.db"));
            t.SetFieldDefs(defs);
            QVERIFY_THROWS_EXCEPTION(AppError, t.Open());
            QVERIFY(!t.Active());
        }
        TDbf t; // without field objects the file's own fields are taken
        t.SetFilePath(m_dir.path());
        t.SetTableName(QStringLiteral("t.db"));
        t.Open();
        QCOMPARE(t.FieldCount(), 4);
        QCOMPARE(t.Fields(2)->FieldName(), QStringLiteral("P"));
        QCOMPARE(t.Fields(2)->DataType(), TFieldType::ftFloat);
        QCOMPARE(t.Fields(2)->Length(), 18);
        QCOMPARE(t.Fields(2)->Decimals(), 9);
        QCOMPARE(t.Fields(1)->DataType(), TFieldType::ftSmallint);
    }

    void missingFile()
    {
        TDbf t;
        t.SetFilePath(m_dir.path());
        t.SetTableName(QStringLiteral("absent.db"));
        try {
            t.Open();
            QFAIL("opened a missing file");
        } catch (const AppError &e) {
            QVERIFY2(e.text().contains(QStringLiteral("не найден")), qPrintable(e.text()));
        }
        QCOMPARE(t.FilePathFull(), m_dir.path() + '/');
    }
};

QTEST_GUILESS_MAIN(TestDbfTable)
#include "tst_dbftable.moc"
