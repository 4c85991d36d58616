#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "platform/dialogs/scripteddialogservice.h"
#include "platform/registry/registrykey.h"
#include "platform/shared/sharedstate.h"
#include "tables/gridcolumns.h"
#include "tables/gridlayout.h"
#include "tables/gridsort.h"
#include "tables/rowcommands.h"
#include "tables/statistics.h"
#include "tests/support/testarchive.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(TableStatistics)
Q_DECLARE_METATYPE(TTitleState)

char *toString(const TableStatistics &s)
{
    return QTest::toString(QStringLiteral("P %1/%2/%3, R %4/%5/%6")
                               .arg(s.pMin)
                               .arg(s.pMean)
                               .arg(s.pMax)
                               .arg(s.rMin)
                               .arg(s.rMean)
                               .arg(s.rMax));
}

// Column colours, deletion of the selected rows and renumbering over a real archive file.
class TestRowCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void colourSurvivesCloseAndReopen_data();
    void colourSurvivesCloseAndReopen();
    void clearingAllColoursResetsHiddenColumn();
    void deleteSelectedRows_data();
    void deleteSelectedRows();
    void deletionKeepsOtherGridsMarkButDropsItsTag();
    void renumberInShownOrder_data();
    void renumberInShownOrder();

private:
    void open(const QList<TestRow> &rows);
    void showTab(bool pullOff);
    void sortBy(TDBGridPro &grid, const QString &field, TTitleState mark);
    int recordOfN(int n) const;
    QList<int> shownN(const TDBGridPro &grid) const;
    // The archive as an independent dBase reader sees it: (NB_TYPE, N) of the live rows and of
    // the rows marked deleted, in file order.
    struct FileRows
    {
        QList<std::pair<int, int>> live, deleted;
    };
    FileRows readFile();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogService> m_dialogs;
    std::unique_ptr<TDbf> m_table;
    std::unique_ptr<TDBGridPro> m_adhesion;
    std::unique_ptr<TDBGridPro> m_pullOff;
    QString m_path;
};

namespace {

TestRow row(int nbType, int n, double p, double r)
{
    TestRow row;
    row.nbType = nbType;
    row.n = n;
    row.p = p;
    row.r = r;
    return row;
}

// Adhesion rows N 1 … 5 (P 10 … 50, R 1 … 5) with the pull-off rows N 1 … 3 between them.
const QList<TestRow> Mixed = {row(0, 1, 10, 1),  row(0, 2, 20, 2), row(1, 1, 100, 7),
                              row(0, 3, 30, 3),  row(0, 4, 40, 4), row(1, 2, 200, 7),
                              row(1, 3, 300, 7), row(0, 5, 50, 5)};

const QString Filter[] = {QStringLiteral("NB_TYPE=0"), QStringLiteral("NB_TYPE=1")};

} // namespace

void TestRowCommands::init()
{
    resetSharedState();
    m_dir = std::make_unique<QTemporaryDir>();
    RegistryKey::useDirectoryForTests(m_dir->path());
    m_dialogs = std::make_unique<ScriptedDialogService>();
    m_table = std::make_unique<TDbf>();
    m_adhesion = std::make_unique<TDBGridPro>();
    m_pullOff = std::make_unique<TDBGridPro>();
    SetupAdhesionGrid(*m_adhesion);
    SetupPullOffGrid(*m_pullOff);
    for (TDBGridPro *grid : {m_adhesion.get(), m_pullOff.get()}) {
        grid->SetBookmarkFields("P;R");
        grid->SetDataSet(m_table.get());
        grid->resize(900, 300);
    }
}

void TestRowCommands::cleanup()
{
    m_adhesion.reset();
    m_pullOff.reset();
    m_table.reset();
    m_dialogs.reset();
    RegistryKey::useDirectoryForTests({});
}

void TestRowCommands::open(const QList<TestRow> &rows)
{
    m_path = makeTestArchive(m_dir->path(), "archive.db", rows);
    openTestArchive(*m_table, m_path);
}

void TestRowCommands::showTab(bool pullOff)
{
    m_table->SetFilter(Filter[pullOff]);
    m_table->Refresh();
}

void TestRowCommands::sortBy(TDBGridPro &grid, const QString &field, TTitleState mark)
{
    TgpColumn *column = grid.Columns().FindByFieldName(field);
    column->SetTitleState(mark);
    SortByTitle(grid, *m_table, &grid == m_adhesion.get() ? AdhesionSortTag : PullOffSortTag,
                column);
}

int TestRowCommands::recordOfN(int n) const
{
    const int field = m_table->FieldByName("N")->Index();
    for (int row = 0; row < m_table->ExactRecordCount(); ++row)
        if (m_table->ValueAt(m_table->RecordAt(row), field).toInt() == n)
            return m_table->RecordAt(row);
    return 0;
}

QList<int> TestRowCommands::shownN(const TDBGridPro &grid) const
{
    QList<int> numbers;
    for (int row = 0; row < m_table->ExactRecordCount(); ++row)
        numbers << grid.CellText(row, 0).toInt();
    return numbers;
}

TestRowCommands::FileRows TestRowCommands::readFile()
{
    m_table->Close();
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c",
                  "import dbfread, json, sys\n"
                  "t = dbfread.DBF(sys.argv[1], encoding='cp1251', load=True)\n"
                  "pick = lambda rows: [[r['NB_TYPE'], r['N']] for r in rows]\n"
                  "print(json.dumps({'live': pick(t.records), 'deleted': pick(t.deleted)}))\n",
                  m_path});
    const bool finished = python.waitForFinished(60000);
    const QByteArray output = python.readAllStandardOutput();
    if (!finished || python.exitCode() != 0)
        qWarning("%s", python.readAllStandardError().constData());
    const QJsonObject json = QJsonDocument::fromJson(output).object();
    FileRows rows;
    for (const char *key : {"live", "deleted"})
        for (const QJsonValue &value : json[key].toArray())
            (QByteArray(key) == "live" ? rows.live : rows.deleted)
                .append({value[0].toInt(), value[1].toInt()});
    return rows;
}

void TestRowCommands::colourSurvivesCloseAndReopen_data()
{
    QTest::addColumn<bool>("clearedAfterwards");
    QTest::newRow("set") << false;
    QTest::newRow("set, then cleared") << true;
}

void TestRowCommands::colourSurvivesCloseAndReopen()
{
    QFETCH(bool, clearedAfterwards);
    open(Mixed);
    showTab(true);
    ApplyForceCaptions(*m_pullOff);
    const int p5 = m_pullOff->Columns().FindByFieldName("P5")->Index();
    m_pullOff->SetCurrentColumnIndex(p5);
    SetCurrentColumnColor(*m_pullOff, QColor(Qt::red));
    QCOMPARE(m_pullOff->Columns()[p5]->Color(), QColor(Qt::red));
    if (clearedAfterwards)
        SetCurrentColumnColor(*m_pullOff, QColor());
    {
        RegistryKey key;
        SaveGridLayout(key, RegistryKey::Table2, *m_pullOff);
    }
    m_table->Close();

    // The next run: a fresh grid and the key opened again.
    TDBGridPro fresh;
    SetupPullOffGrid(fresh);
    RegistryKey key;
    LoadGridLayout(key, RegistryKey::Table2, fresh);
    for (int c = 0; c < fresh.Columns().Count(); ++c) {
        const TgpColumn *column = fresh.Columns()[c];
        const bool coloured = column->FieldName() == "P5" && !clearedAfterwards;
        QCOMPARE(column->Color(), coloured ? QColor(Qt::red) : QColor());
    }
}

void TestRowCommands::clearingAllColoursResetsHiddenColumn()
{
    TgpColumns &columns = m_pullOff->Columns();
    TgpColumn *hidden = columns.FindByFieldName("T");
    QVERIFY(!hidden->Visible());
    hidden->SetColor(Qt::green);
    columns.FindByFieldName("P1")->SetColor(Qt::blue);
    ClearColumnColors(*m_pullOff);
    for (int c = 0; c < columns.Count(); ++c)
        QVERIFY2(columns[c]->IsDefaultColor(), qPrintable(columns[c]->FieldName()));
}

void TestRowCommands::deleteSelectedRows_data()
{
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("remaining");
    QTest::addColumn<TableStatistics>("statistics");
    QTest::newRow("three selected")
        << QList<int>{2, 4, 5} << 1 << QList<int>{1, 3} << TableStatistics{10, 20, 30, 1, 2, 3};
    QTest::newRow("current row alone")
        << QList<int>{} << 3 << QList<int>{1, 2, 4, 5} << TableStatistics{10, 30, 50, 1, 3, 5};
}

void TestRowCommands::deleteSelectedRows()
{
    QFETCH(QList<int>, selected);
    QFETCH(int, current);
    QFETCH(QList<int>, remaining);
    QFETCH(TableStatistics, statistics);
    open(Mixed);
    showTab(false);
    sortBy(*m_adhesion, "P", TTitleState::tsUp);
    QCOMPARE(shownN(*m_adhesion), QList<int>({5, 4, 3, 2, 1}));
    QVERIFY(m_table->GoToRecord(recordOfN(current)));
    for (int n : selected)
        m_adhesion->SelectRecord(recordOfN(n));
    TablesModified = true;

    DeleteSelectedRows(*m_adhesion, *m_table);

    QVERIFY(m_table->Active());
    QCOMPARE(shownN(*m_adhesion), remaining);
    QCOMPARE(m_table->IndexName(), QString());
    QVERIFY(!m_table->IndexTags().contains(AdhesionSortTag));
    for (int c = 0; c < m_adhesion->Columns().Count(); ++c)
        QCOMPARE(m_adhesion->Columns()[c]->TitleState(), TTitleState::tsNone);
    QVERIFY(!m_adhesion->HasExplicitSelection());
    QVERIFY(!TablesModified);
    QCOMPARE(find_mma(*m_table), statistics);

    // The rows stay in the file marked deleted; every other row is there as before.
    const FileRows file = readFile();
    QList<std::pair<int, int>> gone, kept;
    for (const TestRow &row : Mixed) {
        const bool deleted = row.nbType == 0 && !remaining.contains(row.n);
        (deleted ? gone : kept).append({row.nbType, row.n});
    }
    QCOMPARE(file.deleted, gone);
    QCOMPARE(file.live, kept);
}

void TestRowCommands::deletionKeepsOtherGridsMarkButDropsItsTag()
{
    open(Mixed);
    showTab(true);
    sortBy(*m_pullOff, "P", TTitleState::tsUp);
    QCOMPARE(shownN(*m_pullOff), QList<int>({3, 2, 1}));
    showTab(false);
    QVERIFY(m_table->GoToRecord(recordOfN(1)));

    DeleteSelectedRows(*m_adhesion, *m_table);

    QCOMPARE(m_pullOff->Columns().FindByFieldName("P")->TitleState(), TTitleState::tsUp);
    QVERIFY(!m_table->IndexTags().contains(PullOffSortTag));
    QCOMPARE(shownN(*m_adhesion), QList<int>({2, 3, 4, 5}));
    showTab(true);
    QCOMPARE(shownN(*m_pullOff), QList<int>({1, 2, 3}));
}

void TestRowCommands::renumberInShownOrder_data()
{
    QTest::addColumn<QList<int>>("numbers"); // N of the pull-off rows in file order
    QTest::addColumn<TTitleState>("markOnN");
    QTest::addColumn<QList<int>>("renumbered"); // in file order
    QTest::addColumn<QList<int>>("shown");
    QTest::newRow("4, 9, 9") << QList<int>{4, 9, 9} << TTitleState::tsNone << QList<int>{1, 2, 3}
                             << QList<int>{1, 2, 3};
    // Descending by N the rows show as 9, 4, 1 and get 1, 2, 3 in that order.
    QTest::newRow("sorted by N descending")
        << QList<int>{4, 9, 1} << TTitleState::tsUp << QList<int>{2, 1, 3} << QList<int>{3, 2, 1};
    QTest::newRow("sorted by N ascending")
        << QList<int>{4, 9, 1} << TTitleState::tsDown << QList<int>{2, 3, 1} << QList<int>{1, 2, 3};
}

void TestRowCommands::renumberInShownOrder()
{
    QFETCH(QList<int>, numbers);
    QFETCH(TTitleState, markOnN);
    QFETCH(QList<int>, renumbered);
    QFETCH(QList<int>, shown);
    open({row(0, 7, 1, 1), row(1, numbers[0], 1, 1), row(1, numbers[1], 1, 1), row(0, 8, 1, 1),
          row(1, numbers[2], 1, 1)});
    showTab(true);
    if (markOnN != TTitleState::tsNone)
        sortBy(*m_pullOff, "N", markOnN);

    RenumberRows(*m_table);

    QVERIFY(m_table->Active());
    QCOMPARE(shownN(*m_pullOff), shown);
    QCOMPARE(m_pullOff->Columns().FindByFieldName("N")->TitleState(), markOnN);
    QCOMPARE(m_table->IndexName(), markOnN == TTitleState::tsNone ? QString() : PullOffSortTag);
    const FileRows file = readFile();
    QCOMPARE(file.live,
             (QList<std::pair<int, int>>{
                 {0, 7}, {1, renumbered[0]}, {1, renumbered[1]}, {0, 8}, {1, renumbered[2]}}));
    QVERIFY(file.deleted.isEmpty());
}

QTEST_MAIN(TestRowCommands)
#include "tst_rowcommands.moc"
