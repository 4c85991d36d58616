// Index tags and the production index file: order, the file other programs read, and opening
// beside a missing, stale or damaged index file.

#include "platform/dbf/mdxfile.h"
#include "platform/dbf/tdbf.h"
#include "platform/shared/apperror.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QList<TFieldDef> defs()
{
    return {
        {QStringLiteral("N"), TFieldType::ftInteger, 0, {}},
        {QStringLiteral("P"), TFieldType::ftFloat, 0, {}},
        {QStringLiteral("NAME"), TFieldType::ftString, 8, {}},
    };
}

double pOf(int i)
{
    return (i * 37) % 101 - 50.5 + (i % 7 == 0 ? 0 : 0.25); // repeats, so ties occur
}

QList<int> walk(TDbf &t)
{
    QList<int> records;
    for (t.First(); !t.Eof(); t.Next())
        records << t.RecNo();
    return records;
}

// Record numbers of a tag in the order index_dump (Perl XBase) walks the file's B-tree.
QList<int> dumpedOrder(const QString &mdx, const QString &tag)
{
    QProcess p;
    p.start(QStringLiteral("index_dump"), {mdx, tag});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {-1};
    QList<int> records;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        if (line.isEmpty())
            continue;
        records << line.mid(line.lastIndexOf(' ') + 1).toInt();
    }
    return records;
}

QStringList dumpedTags(const QString &mdx)
{
    QProcess p;
    p.start(QStringLiteral("index_dump"), {mdx});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {QStringLiteral("index_dump failed")};
    return QString::fromLatin1(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class TestDbfIndex : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    void openTable(TDbf &t, bool create, int rows = 0)
    {
        t.SetFilePath(m_dir.path());
        t.SetTableName(QStringLiteral("idx.db"));
        t.SetFieldDefs(defs());
        if (create)
            t.CreateTable();
        t.Open();
        for (int i = 1; i <= rows; ++i) {
            t.Append();
            t.FieldByName("N")->SetAsInteger(i);
            if (i % 11 != 0) // some P stay empty and sort as 0
                t.FieldByName("P")->SetAsFloat(pOf(i));
            t.FieldByName("NAME")->SetAsString(QStringLiteral("n%1").arg((i * 7) % 13));
            t.Post();
        }
    }

    QString mdxPath() const { return m_dir.filePath(QStringLiteral("idx.mdx")); }

    // All records in the order of P, as a tag must list them.
    static QList<int> expectedByP(int rows, bool descending, const QList<int> &skip = {})
    {
        QList<int> order;
        for (int i = 1; i <= rows; ++i)
            if (!skip.contains(i))
                order << i;
        auto p = [](int i) { return i % 11 == 0 ? 0.0 : pOf(i); };
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return descending ? p(a) > p(b) : p(a) < p(b); });
        return order;
    }

private slots:
    void numberKeys_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("key");
        auto k = [](const char *hex) { return QByteArray::fromHex(hex).leftJustified(12, '\0'); };
        QTest::newRow("0") << QByteArray("0.000000000") << k("3401");
        QTest::newRow("5") << QByteArray("        5") << k("350550");
        QTest::newRow("7") << QByteArray("7") << k("350570");
        QTest::newRow("12.5") << QByteArray("      12.500000000") << k("360d1250");
        QTest::newRow("-3.25") << QByteArray("-3.250000000") << k("358d3250");
        QTest::newRow("0.05") << QByteArray("0.050000000") << k("330550");
        QTest::newRow("100") << QByteArray("100") << k("370510");
    }

    void numberKeys()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, key);
        QCOMPARE(mdxNumberKey(text).toHex(' '), key.toHex(' '));
    }

    // Enough rows for a three-level tree (63 numeric keys per block).
    void indexFileMatchesOrder()
    {
        const int rows = 4500;
        TDbf t;
        openTable(t, true, rows);
        QVERIFY(!QFile::exists(mdxPath()));
        QVERIFY(t.GoToRecord(5));
        t.Delete();
        t.AddIndex(QStringLiteral("tab2"), QStringLiteral("P"), true);
        t.AddIndex(QStringLiteral("tab1"), QStringLiteral("NAME"), false);
        QVERIFY(QFile::exists(mdxPath()));
        QCOMPARE(t.IndexFilePath(), mdxPath());
        t.SetIndexName(QStringLiteral("tab2"));
        QCOMPARE(walk(t), expectedByP(rows, true, {5}));
        t.SetIndexName(QStringLiteral("tab1"));
        const QList<int> byName = walk(t);
        QCOMPARE(byName.size(), rows - 1);

        QCOMPARE(dumpedTags(mdxPath()), (QStringList{"TAB1", "TAB2"}));
        // The file lists deleted records too, as dBase does.
        QCOMPARE(dumpedOrder(mdxPath(), "TAB2"), expectedByP(rows, true));
        QList<int> dumpedByName = dumpedOrder(mdxPath(), "TAB1");
        dumpedByName.removeOne(5);
        QCOMPARE(dumpedByName, byName);

        t.AddIndex(QStringLiteral("tab2"), QStringLiteral("P"), false); // replaced in place
        QCOMPARE(dumpedOrder(mdxPath(), "TAB2"), expectedByP(rows, false));
    }

    // Tags live in the index file across a save (close and open) until the file is removed.
    void tagsSurviveReopen()
    {
        {
            TDbf t;
            openTable(t, true, 50);
            t.AddIndex(QStringLiteral("tab2"), QStringLiteral("P"), true);
            t.SetIndexName(QStringLiteral("tab2"));
            t.Close();
            QVERIFY(QFile::exists(mdxPath()));
            // rows posted after the tag was built reach the file at close
            t.Open();
            QCOMPARE(t.IndexName(), QStringLiteral("tab2"));
            QCOMPARE(walk(t), expectedByP(50, true));
            t.Append();
            t.FieldByName("P")->SetAsFloat(1000);
            t.Post();
            t.Close();
            QCOMPARE(dumpedOrder(mdxPath(), "TAB2").first(), 51);
            t.Open();
            t.DeleteIndexFile();
            QVERIFY(!QFile::exists(mdxPath()));
            QVERIFY(t.IndexTags().isEmpty());
            QCOMPARE(t.IndexName(), QString());
            QCOMPARE(walk(t).first(), 1);
            t.Close();
            QVERIFY(!QFile::exists(mdxPath()));
        }
        TDbf t;
        openTable(t, false);
        t.AddIndex(QStringLiteral("tab1"), QStringLiteral("N"), false);
        t.DeleteIndex(QStringLiteral("tab1"));
        QVERIFY(!QFile::exists(mdxPath())); // the last tag gone, the file goes too
        t.Close();
        t.DeleteIndexFile(); // closed, and nothing to delete: no error
    }

    void staleOrDamagedIndexFile_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: the stale file of an earlier state
        QTest::addColumn<bool>("tagsKept");
        QByteArray garbage(4096, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919) >> 3);
        QByteArray wrongField =
            buildMdx("IDX", {MdxTagData{"tab2", "NOPE", 'N', 12, false, {}}}, QDate::currentDate());
        QByteArray truncatedTags =
            buildMdx("IDX", {MdxTagData{"tab2", "P", 'N', 12, false, {}}}, QDate::currentDate())
                .left(2048);
        QTest::newRow("stale") << QByteArray() << true;
        QTest::newRow("garbage") << garbage << false;
        QTest::newRow("empty file") << QByteArray("") << false;
        QTest::newRow("unknown field") << wrongField << false;
        QTest::newRow("tag header beyond end") << truncatedTags << false;
    }

    void staleOrDamagedIndexFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, tagsKept);
        QByteArray stale;
        {
            TDbf t;
            openTable(t, true, 20);
            t.AddIndex(QStringLiteral("tab2"), QStringLiteral("P"), false);
            t.Close();
            QFile f(mdxPath());
            QVERIFY(f.open(QIODevice::ReadOnly));
            stale = f.readAll();
            t.Open();
            t.DeleteIndexFile();
            for (int i = 0; i < 5; ++i) {
                t.Append();
                t.FieldByName("P")->SetAsFloat(-100 - i);
                t.Post();
            }
            t.Close();
        }
        QFile f(mdxPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content.isNull() ? stale : content);
        f.close();

        TDbf t;
        openTable(t, false);
        QCOMPARE(t.ExactRecordCount(), 25);
        if (!tagsKept) {
            QVERIFY(t.IndexTags().isEmpty());
            QCOMPARE(walk(t).first(), 1);
            return;
        }
        QCOMPARE(t.IndexTags(), QStringList{"TAB2"});
        t.SetIndexName(QStringLiteral("tab2"));
        QCOMPARE(walk(t).mid(0, 5), (QList<int>{25, 24, 23, 22, 21})); // rebuilt from the data
        t.Close();
        QCOMPARE(dumpedOrder(mdxPath(), "TAB2").mid(0, 5), (QList<int>{25, 24, 23, 22, 21}));
    }
};

QTEST_GUILESS_MAIN(TestDbfIndex)
#include "tst_dbfindex.moc"
