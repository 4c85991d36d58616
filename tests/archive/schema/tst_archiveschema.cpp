// The archive file: its header and descriptors, its rows as independent dBase readers see them,
// and archives written by another dBase writer.

#include "archive/schema/archiveschema.h"
#include "platform/shared/apperror.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

QStringList expectedNames()
{
    QStringList names{"N", "DATE", "TIME", "DEV_TYPE", "SERIAL",  "NB_TYPE",
                      "P", "R",    "ZAV",  "TYPE",     "COMMENT", "T"};
    for (int n = 1; n <= 100; ++n) {
        const QString p = "P" + QString::number(n), d = "D" + QString::number(n);
        names << (n == 26 || n == 81 ? QStringList{d, p} : QStringList{p, d});
    }
    return names;
}

// Runs a Python snippet with the Debian dBase modules; returns its standard output, or "" and
// a warning with Python's error output when it fails.
QByteArray runPython(const QString &script, const QStringList &args)
{
    QProcess p;
    p.start(kPython, QStringList{"-c", script} + args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning().noquote() << p.readAllStandardError();
        return {};
    }
    return p.readAllStandardOutput();
}

// python-dbf names its files .dbf; its tables are written there and moved to the archive name.
const QString kPythonDbfOpen = QStringLiteral(R"(
import sys, os, dbf
def table(path, specs, cp):
    t = dbf.Table(path + '.dbf', specs, codepage=cp, dbf_type='db3')
    t.open(dbf.READ_WRITE)
    return t
def done(t, path):
    t.close()
    os.replace(path + '.dbf', path)
    print('ok')
)");

void openArchive(TDbf &t, const QString &dir, const QString &name)
{
    t.SetFilePath(dir);
    t.SetTableName(name);
    t.SetFieldDefs(archiveFieldDefs());
    t.Open();
}

} // namespace

class TestArchiveSchema : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString createWithRows()
    {
        TDbf t;
        t.SetFilePath(m_dir.path());
        t.SetTableName(QStringLiteral("bridge.db"));
        t.SetFieldDefs(archiveFieldDefs());
        t.CreateTable();
        t.Open();
        // A pull-off row with 12 force readings, then an adhesion row typed by the user.
        t.Append();
        t.FieldByName("N")->SetAsInteger(1);
        t.FieldByName("DATE")->SetAsString(QStringLiteral("05.01.2009"));
        t.FieldByName("TIME")->SetAsString(QStringLiteral("07:03:09"));
        t.FieldByName("DEV_TYPE")->SetAsInteger(80);
        t.FieldByName("NB_TYPE")->SetAsInteger(1);
        t.FieldByName("P")->SetAsFloat(12.5);
        t.FieldByName("R")->SetAsFloat(-0.125);
        for (int n = 1; n <= 12; ++n)
            t.FieldByName(archiveReadingField('P', n))->SetAsFloat(n * 1.5);
        t.FieldByName("P100")->SetAsFloat(-1234567.000000125);
        t.FieldByName("D100")->SetAsFloat(0.001);
        t.Post();
        t.Append();
        t.FieldByName("N")->SetAsInteger(2);
        t.FieldByName("NB_TYPE")->SetAsInteger(0);
        t.FieldByName("P")->SetAsFloat(3);
        t.FieldByName("TYPE")->SetAsString(QStringLiteral("Бетон 100х100"));
        t.FieldByName("COMMENT")->SetAsString(QStringLiteral("Отрыв по клею, ёлка Ё"));
        t.Post();
        t.Close();
        return m_dir.filePath(QStringLiteral("bridge.db"));
    }

private slots:
    void schemaObjects()
    {
        const QList<TFieldDef> &defs = archiveFieldDefs();
        QCOMPARE(defs.size(), kArchiveFieldCount);
        QStringList names;
        for (const TFieldDef &d : defs)
            names << d.name;
        QCOMPARE(names, expectedNames());
        for (const TFieldDef &d : defs) {
            const bool formatted = QRegularExpression("^[PD]([1-9]|10)$").match(d.name).hasMatch();
            QCOMPARE(d.displayFormat, formatted ? QStringLiteral("0.0") : QString());
        }
    }

    void newArchiveHeader()
    {
        TDbf t;
        t.SetFilePath(m_dir.path());
        t.SetTableName(QStringLiteral("new.db"));
        t.SetFieldDefs(archiveFieldDefs());
        t.CreateTable();
        QVERIFY(!QFile::exists(m_dir.filePath("new.mdx")));
        QFile f(m_dir.filePath("new.db"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray b = f.readAll();
        QCOMPARE(b.size(), kArchiveHeaderLength + 1);
        QCOMPARE(quint8(b[0]), quint8(0x03));
        QCOMPARE(qFromLittleEndian<quint32>(b.constData() + 4), 0u);
        QCOMPARE(qFromLittleEndian<quint16>(b.constData() + 8), quint16(kArchiveHeaderLength));
        QCOMPARE(qFromLittleEndian<quint16>(b.constData() + 10), quint16(kArchiveRecordLength));
        QCOMPARE(quint8(b[28]), quint8(0));
        QCOMPARE(quint8(b[29]), quint8(0xC9));
        QCOMPARE(b.at(kArchiveHeaderLength - 1), '\r');
        QCOMPARE(b.at(kArchiveHeaderLength), '\x1A');
        QStringList names;
        for (int i = 0; i < kArchiveFieldCount; ++i) {
            const QByteArray d = b.mid(32 + 32 * i, 32);
            names << QString::fromLatin1(d.left(11).constData());
            const char type = d[11];
            const int len = quint8(d[16]), dec = quint8(d[17]);
            const TFieldDef &def = archiveFieldDefs()[i];
            switch (def.type) {
            case TFieldType::ftInteger:
                QVERIFY(type == 'N' && len == 9 && dec == 0);
                break;
            case TFieldType::ftSmallint:
                QVERIFY(type == 'N' && len == 4 && dec == 0);
                break;
            case TFieldType::ftFloat:
                QVERIFY(type == 'N' && len == 18 && dec == 9);
                break;
            case TFieldType::ftString:
                QVERIFY(type == 'C' && len == def.size && dec == 0);
                break;
            }
            QCOMPARE(d.mid(12, 4), QByteArray(4, '\0'));
            QCOMPARE(d.mid(18), QByteArray(14, '\0'));
        }
        QCOMPARE(names, expectedNames());
    }

    // dbfread sees the same names, types, values and Russian text.
    void readByDbfread()
    {
        const QString path = createWithRows();
        const QString script = QStringLiteral(R"(
import sys, json, dbfread
t = dbfread.DBF(sys.argv[1])
out = {'encoding': t.encoding, 'fields': [[f.name, f.type, f.length, f.decimal_count] for f in t.fields],
       'records': [dict(r) for r in t]}
print(json.dumps(out, ensure_ascii=True))
)");
        const QByteArray json = runPython(script, {path});
        QVERIFY2(!json.isEmpty(), "dbfread failed");
        const QJsonObject o = QJsonDocument::fromJson(json).object();
        QCOMPARE(o["encoding"].toString(), QStringLiteral("cp1251"));
        const QJsonArray fields = o["fields"].toArray();
        QCOMPARE(fields.size(), kArchiveFieldCount);
        QStringList names;
        for (const auto &f : fields)
            names << f.toArray()[0].toString();
        QCOMPARE(names, expectedNames());
        QCOMPARE(fields[6].toArray()[1].toString(), QStringLiteral("N"));
        QCOMPARE(fields[6].toArray()[3].toInt(), 9);
        QCOMPARE(fields[10].toArray()[2].toInt(), 100);
        const QJsonArray records = o["records"].toArray();
        QCOMPARE(records.size(), 2);
        const QJsonObject pull = records[0].toObject();
        QCOMPARE(pull["N"].toInt(), 1);
        QCOMPARE(pull["DATE"].toString(), QStringLiteral("05.01.2009"));
        QCOMPARE(pull["TIME"].toString(), QStringLiteral("07:03:09"));
        QCOMPARE(pull["DEV_TYPE"].toInt(), 80);
        QVERIFY(pull["SERIAL"].isNull());
        QCOMPARE(pull["P"].toDouble(), 12.5);
        QCOMPARE(pull["R"].toDouble(), -0.125);
        QCOMPARE(pull["P12"].toDouble(), 18.0);
        QVERIFY(pull["P13"].isNull());
        QVERIFY(pull["D1"].isNull());
        QCOMPARE(pull["D100"].toDouble(), 0.001);
        QCOMPARE(pull["P100"].toDouble(), -1234567.000000125);
        const QJsonObject adhesion = records[1].toObject();
        QCOMPARE(adhesion["NB_TYPE"].toInt(), 0);
        QCOMPARE(adhesion["TYPE"].toString(), QStringLiteral("Бетон 100х100"));
        QCOMPARE(adhesion["COMMENT"].toString(), QStringLiteral("Отрыв по клею, ёлка Ё"));
        QCOMPARE(adhesion["DATE"].toString(), QString());
    }

    void roundTrip()
    {
        createWithRows();
        TDbf t;
        openArchive(t, m_dir.path(), QStringLiteral("bridge.db"));
        t.SetFilter(QStringLiteral("NB_TYPE=1"));
        QCOMPARE(t.ExactRecordCount(), 1);
        t.First();
        QCOMPARE(t.FieldByName("DEV_TYPE")->AsInteger(), 80);
        QCOMPARE(t.FieldByName("P")->AsFloat(), 12.5);
        QCOMPARE(t.FieldByName("P12")->AsFloat(), 18.0);
        QVERIFY(t.FieldByName("P13")->IsNull());
        QCOMPARE(t.FieldByName("P13")->AsFloat(), 0.0);
        QCOMPARE(t.FieldByName("D100")->AsFloat(), 0.001);
        QCOMPARE(QDateTime::fromString(t.FieldByName("DATE")->AsString() + ' ' +
                                           t.FieldByName("TIME")->AsString(),
                                       "dd.MM.yyyy hh:mm:ss"),
                 QDateTime(QDate(2009, 1, 5), QTime(7, 3, 9)));
        t.SetFilter(QStringLiteral("NB_TYPE=0"));
        QCOMPARE(t.ExactRecordCount(), 1);
        QCOMPARE(t.FieldByName("COMMENT")->AsString(), QStringLiteral("Отрыв по клею, ёлка Ё"));
        t.SetFilter(QString());
        QCOMPARE(t.ExactRecordCount(), 2);
    }

    // An archive written by python-dbf, in the archive's layout.
    void writtenByPythonDbf()
    {
        QStringList specs;
        for (const TFieldDef &d : archiveFieldDefs()) {
            switch (d.type) {
            case TFieldType::ftInteger:
                specs << d.name + " N(9,0)";
                break;
            case TFieldType::ftSmallint:
                specs << d.name + " N(4,0)";
                break;
            case TFieldType::ftFloat:
                specs << d.name + " N(18,9)";
                break;
            case TFieldType::ftString:
                specs << d.name + QStringLiteral(" C(%1)").arg(d.size);
                break;
            }
        }
        const QString script = kPythonDbfOpen + QStringLiteral(R"(
t = table(sys.argv[1], sys.argv[2], 'cp1251')
t.append({'n': 5, 'nb_type': 1, 'dev_type': 80, 'p': 1234.5, 'p26': 2.25, 'd26': 3.5, 'comment': 'Проба'})
t.append({'n': 6, 'nb_type': 0, 'r': -7.125})
done(t, sys.argv[1])
)");
        const QString path = m_dir.filePath(QStringLiteral("foreign.db"));
        QVERIFY(!runPython(script, {path, specs.join("; ")}).isEmpty());
        TDbf t;
        openArchive(t, m_dir.path(), QStringLiteral("foreign.db"));
        QCOMPARE(t.ExactRecordCount(), 2);
        t.First();
        QCOMPARE(t.FieldByName("N")->AsInteger(), 5);
        QCOMPARE(t.FieldByName("DEV_TYPE")->AsInteger(), 80);
        QCOMPARE(t.FieldByName("P")->AsFloat(), 1234.5);
        QCOMPARE(t.FieldByName("P26")->AsFloat(), 2.25);
        QCOMPARE(t.FieldByName("D26")->AsFloat(), 3.5);
        QCOMPARE(t.FieldByName("COMMENT")->AsString(), QStringLiteral("Проба"));
        t.Next();
        QCOMPARE(t.FieldByName("R")->AsFloat(), -7.125);
        QCOMPARE(t.FieldByName("NB_TYPE")->AsInteger(), 0);
        // The engine appends to the foreign file, and python-dbf reads the row back.
        t.Append();
        t.FieldByName("N")->SetAsInteger(7);
        t.FieldByName("COMMENT")->SetAsString(QStringLiteral("Ещё"));
        t.Post();
        t.Close();
        const QByteArray back = runPython(QStringLiteral(R"(
import sys, shutil, dbf
shutil.copy(sys.argv[1], sys.argv[1] + '.dbf')
t = dbf.Table(sys.argv[1] + '.dbf'); t.open(dbf.READ_ONLY)
print(len(t), t[2].n, t[2].comment.strip())
)"),
                                          {path});
        QCOMPARE(QString::fromUtf8(back).trimmed(), QStringLiteral("3 7 Ещё"));
    }

    // Tables in other code pages are read in that code page; unknown ones are refused.
    void codePages_data()
    {
        QTest::addColumn<QString>("codepage"); // python-dbf name, empty: raw LDID byte below
        QTest::addColumn<int>("ldid");
        QTest::addColumn<bool>("opens");
        QTest::newRow("cp866") << "cp866" << 0x26 << true;
        QTest::newRow("cp1252") << "cp1252" << 0x03 << true;
        QTest::newRow("cp1250") << "cp1250" << 0xC8 << true;
        QTest::newRow("no driver") << "" << 0x00 << true;
        QTest::newRow("unknown driver") << "" << 0x7B << false;
    }

    void codePages()
    {
        QFETCH(QString, codepage);
        QFETCH(int, ldid);
        QFETCH(bool, opens);
        const QString path = m_dir.filePath(QStringLiteral("cp.db"));
        const QString text = codepage == "cp1252"   ? QStringLiteral("Café")
                             : codepage == "cp1250" ? QStringLiteral("Łódź")
                                                    : QStringLiteral("Привет");
        const QString script = kPythonDbfOpen + QStringLiteral(R"(
t = table(sys.argv[1], 'NAME C(20); NB_TYPE N(4,0)', sys.argv[2] or 'cp1251')
t.append({'name': sys.argv[3], 'nb_type': 1})
done(t, sys.argv[1])
if not sys.argv[2]:
    with open(sys.argv[1], 'r+b') as f:
        f.seek(29); f.write(bytes([int(sys.argv[4])]))
)");
        QVERIFY(!runPython(script, {path, codepage, text, QString::number(ldid)}).isEmpty());
        TDbf t;
        t.SetFilePath(m_dir.path());
        t.SetTableName(QStringLiteral("cp.db"));
        if (!opens) {
            QVERIFY_THROWS_EXCEPTION(AppError, t.Open());
            return;
        }
        t.Open();
        t.First();
        QCOMPARE(t.FieldByName("NAME")->AsString(), text);
    }
};

QTEST_GUILESS_MAIN(TestArchiveSchema)
#include "tst_archiveschema.moc"
