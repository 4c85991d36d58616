#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "tables/gridcolumns.h"
#include "tables/statistics.h"
#include "tests/support/testarchive.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// An archive open in the adhesion grid, whose selected rows keep P and R, as in the program.
struct GridOverArchive
{
    explicit GridOverArchive(const QString &path, const QString &filter = QString())
    {
        table.SetFilter(filter);
        openTestArchive(table, path);
        SetupAdhesionGrid(grid);
        grid.SetBookmarkFields("P;R");
        grid.SetDataSet(&table);
    }
    TDbf table;
    TDBGridPro grid;
};

} // namespace

// Minimum, mean and maximum over the whole table and over a grid's selection, and the footer
// texts that show them.
class TestStatistics : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::Russian)); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void roundingHalfUp_data();
    void roundingHalfUp();
    void wholeTable_data();
    void wholeTable();
    void selectionFooters();
    void emptyKeptValueCountsAsZero();

private:
    QTemporaryDir m_dir;
};

void TestStatistics::roundingHalfUp_data()
{
    QTest::addColumn<double>("sum");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("11.175 up") << 22.35 << 2 << "11,2";
    QTest::newRow("whole") << 30.0 << 3 << "10";
    QTest::newRow("1.25 up") << 2.5 << 2 << "1,3";
    QTest::newRow("1.24 down") << 3.72 << 3 << "1,2";
    QTest::newRow("zero") << 0.0 << 4 << "0";
}

void TestStatistics::roundingHalfUp()
{
    QFETCH(double, sum);
    QFETCH(int, count);
    QFETCH(QString, text);
    QCOMPARE(generalNumber(roundedMean(sum, count)), text);
}

void TestStatistics::wholeTable_data()
{
    QTest::addColumn<QList<TestRow>>("rows");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("pText");
    QTest::addColumn<QString>("rText");
    QTest::addColumn<int>("count");

    QTest::newRow("no row") << QList<TestRow>{} << QString() << "0/0/0"
                            << "0/0/0" << 0;
    QTest::newRow("one row") << QList<TestRow>{{1, 12.5, 3.25}} << QString() << "12,5/12,5/12,5"
                             << "3,25/3,25/3,25" << 1;
    QTest::newRow("one row, empty R") << QList<TestRow>{{1, 7.0, {}}} << QString() << "7/7/7"
                                      << "0/0/0" << 1;
    const QList<TestRow> both{{0, 4.0, 1.0}, {1, 10.0, 2.0}, {1, 12.35, {}}, {0, 1.5, 6.0}};
    QTest::newRow("all rows of both kinds") << both << QString() << "1,5/7/12,35"
                                            << "0/2,3/6" << 4;
    QTest::newRow("pull-off rows only") << both << "NB_TYPE=1"
                                        << "10/11,2/12,35"
                                        << "0/1/2" << 2;
}

void TestStatistics::wholeTable()
{
    QFETCH(QList<TestRow>, rows);
    QFETCH(QString, filter);
    QFETCH(QString, pText);
    QFETCH(QString, rText);
    QFETCH(int, count);

    const QString path =
        makeTestArchive(m_dir.path(), QStringLiteral("%1.db").arg(QTest::currentDataTag()), rows);
    GridOverArchive archive(path, filter);
    TDbf &table = archive.table;
    TDBGridPro &grid = archive.grid;
    const TableStatistics figures = find_mma(table);
    QCOMPARE(statisticText(figures.pMin, figures.pMean, figures.pMax), pText);
    QCOMPARE(statisticText(figures.rMin, figures.rMean, figures.rMax), rText);

    StatisticsFooters(grid, figures);
    QCOMPARE(grid.Columns().FindByFieldName("P")->FooterText(), pText);
    QCOMPARE(grid.Columns().FindByFieldName("R")->FooterText(), rText);
    QCOMPARE(grid.Columns().FindByFieldName("N")->FooterText(), QString::number(count));
}

void TestStatistics::selectionFooters()
{
    const QString path = makeTestArchive(m_dir.path(), "selection.db",
                                         {{0, 10.0, 1.0}, {0, 98.0, 9.0}, {0, 12.35, 2.0}});
    GridOverArchive archive(path);
    TDbf &table = archive.table;
    TDBGridPro &grid = archive.grid;
    const TableStatistics whole = find_mma(table);

    // A single row is no selection: the footers keep the whole table's figures.
    grid.SelectRecord(3);
    showSelectionStatistics(grid, whole);
    QCOMPARE(grid.Columns().FindByFieldName("P")->FooterText(), "10/40,1/98");

    grid.SelectRecord(1);
    showSelectionStatistics(grid, whole);
    QCOMPARE(grid.Columns().FindByFieldName("P")->FooterText(), "10/11,2/12,35");
    QCOMPARE(grid.Columns().FindByFieldName("R")->FooterText(), "1/1,5/2");
    // N counts the table's rows, not the selected ones.
    QCOMPARE(grid.Columns().FindByFieldName("N")->FooterText(), "3");

    // The kept values are those of the moment of selecting, not the table's current ones.
    table.GoToRecord(1);
    table.Edit();
    table.FieldByName("P")->SetAsFloat(50);
    table.Post();
    showSelectionStatistics(grid, whole);
    QCOMPARE(grid.Columns().FindByFieldName("P")->FooterText(), "10/11,2/12,35");
}

void TestStatistics::emptyKeptValueCountsAsZero()
{
    const QString path =
        makeTestArchive(m_dir.path(), "emptykept.db", {{0, {}, 4.0}, {0, 8.0, {}}});
    GridOverArchive archive(path);
    TDBGridPro &grid = archive.grid;
    grid.SelectRecord(1);
    grid.SelectRecord(2);
    const TableStatistics figures = selectionStatistics(grid);
    QCOMPARE(statisticText(figures.pMin, figures.pMean, figures.pMax), QString("0/4/8"));
    QCOMPARE(statisticText(figures.rMin, figures.rMean, figures.rMax), QString("0/2/4"));
}

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
