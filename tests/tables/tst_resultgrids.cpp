#include "archive/schema/archiveschema.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "platform/dialogs/scripteddialogservice.h"
#include "platform/registry/registrykey.h"
#include "platform/shared/sharedstate.h"
#include "tables/gridcolumns.h"
#include "tables/gridlayout.h"
#include "tables/gridsort.h"

#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

// The adhesion and pull-off grids over an archive: columns, sorting by title clicks, layouts.
class TestResultGrids : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void columnsOfTheGrids_data();
    void columnsOfTheGrids();
    void settingsOfTheGrids();
    void titleClicksSortThroughTag();
    void ctrlClickReturnsToFileOrder();
    void sortedGridOrdersTheOtherTab();
    void removeSortingAndClosedTable();
    void firstOpeningWritesAlignedDefault_data();
    void firstOpeningWritesAlignedDefault();
    void savedLayoutWithForeignAndMissingField();
    void unreadableLayoutIsReplacedByDefault_data();
    void unreadableLayoutIsReplacedByDefault();
    void savedMarksShowWithoutReordering();
    void forceCaptionsWhateverTheLayoutHolds();
    void layoutRoundTripAcrossGrids();
    void editingMarksTablesModified();
    void titlesAndCellsFitTheColumns_data();
    void titlesAndCellsFitTheColumns();

private:
    void openArchive();
    void clickTitle(TDBGridPro &grid, const QString &field, Qt::KeyboardModifiers modifiers = {});
    QList<int> shownN(const TDBGridPro &grid);
    QJsonArray savedColumns(const QString &valueName);
    TDBGridPro &grid(bool pullOff) { return pullOff ? *m_pullOff : *m_adhesion; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogService> m_dialogs;
    std::unique_ptr<RegistryKey> m_key;
    std::unique_ptr<TDbf> m_table;
    std::unique_ptr<TDBGridPro> m_adhesion;
    std::unique_ptr<TDBGridPro> m_pullOff;
};

namespace {
struct ArchiveRow
{
    int n;
    int type;
    double p;
};
// File order: adhesion rows N 1, 2, 3; pull-off rows N 1, 2, 3 between them.
const QList<ArchiveRow> Rows = {{1, 0, 5}, {1, 1, 5}, {2, 0, 9}, {2, 1, 9}, {3, 1, 1}, {3, 0, 1}};
} // namespace

void TestResultGrids::init()
{
    resetSharedState();
    m_dir = std::make_unique<QTemporaryDir>();
    RegistryKey::useDirectoryForTests(m_dir->path());
    m_dialogs = std::make_unique<ScriptedDialogService>();
    m_key = std::make_unique<RegistryKey>();
    m_table = std::make_unique<TDbf>();
    m_table->SetFieldDefs(archiveFieldDefs());
    m_adhesion = std::make_unique<TDBGridPro>();
    m_pullOff = std::make_unique<TDBGridPro>();
    SetupAdhesionGrid(*m_adhesion);
    SetupPullOffGrid(*m_pullOff);
    for (TDBGridPro *g : {m_adhesion.get(), m_pullOff.get()}) {
        g->SetBookmarkFields("P;R");
        g->SetDataSet(m_table.get());
        g->resize(900, 300);
    }
    m_adhesion->OnTitleStateChange = [this](TDBGridPro *g, TgpColumn *column) {
        SortByTitle(*g, *m_table, AdhesionSortTag, column);
    };
    m_pullOff->OnTitleStateChange = [this](TDBGridPro *g, TgpColumn *column) {
        SortByTitle(*g, *m_table, PullOffSortTag, column);
    };
}

void TestResultGrids::cleanup()
{
    m_adhesion.reset();
    m_pullOff.reset();
    m_table.reset();
    m_key.reset();
    m_dialogs.reset();
    RegistryKey::useDirectoryForTests({});
}

void TestResultGrids::openArchive()
{
    m_table->SetFilePath(m_dir->path());
    m_table->SetTableName("archive.db");
    m_table->CreateTable();
    m_table->Open();
    for (const ArchiveRow &row : Rows) {
        m_table->Append();
        m_table->FieldByName("N")->SetAsInteger(row.n);
        m_table->FieldByName("NB_TYPE")->SetAsInteger(row.type);
        m_table->FieldByName("P")->SetAsFloat(row.p);
        m_table->FieldByName("DEV_TYPE")->SetAsInteger(80);
        m_table->Post();
    }
    m_table->First();
}

void TestResultGrids::clickTitle(TDBGridPro &g, const QString &field,
                                 Qt::KeyboardModifiers modifiers)
{
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    const int column = g.Columns().FindByFieldName(field)->Index();
    QHeaderView *header = g.View()->horizontalHeader();
    g.View()->scrollTo(g.View()->model()->index(0, column));
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, at);
}

QList<int> TestResultGrids::shownN(const TDBGridPro &g)
{
    QList<int> numbers;
    for (int row = 0; row < g.View()->model()->rowCount(); ++row)
        numbers << g.CellText(row, 0).toInt();
    return numbers;
}

QJsonArray TestResultGrids::savedColumns(const QString &valueName)
{
    return QJsonDocument::fromJson(m_key->readString(valueName).toUtf8())
        .object()["columns"]
        .toArray();
}

void TestResultGrids::columnsOfTheGrids_data()
{
    QTest::addColumn<bool>("pullOff");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("alignment"); // horizontal
    QTest::addColumn<int>("view");
    QTest::addColumn<bool>("visible");
    const int centre = Qt::AlignHCenter;
    const int plain = int(TCellView::Plain);
    const int numeric = int(TCellView::Numeric);
    QTest::newRow("1 N") << false << 0 << "N"
                         << "N" << 112 << centre << plain << true;
    QTest::newRow("1 DATE") << false << 1 << "DATE"
                            << "Дата" << 100 << centre << plain << true;
    QTest::newRow("1 TIME") << false << 2 << "TIME"
                            << "Время" << 93 << centre << plain << true;
    QTest::newRow("1 P") << false << 3 << "P"
                         << "F, кН" << 91 << int(Qt::AlignRight) << numeric << true;
    QTest::newRow("1 R") << false << 4 << "R"
                         << "R, МПа" << 89 << int(Qt::AlignRight) << numeric << true;
    QTest::newRow("1 TYPE") << false << 5 << "TYPE"
                            << "Тип и размер образца" << 101 << centre << plain << true;
    QTest::newRow("1 COMMENT") << false << 6 << "COMMENT"
                               << "Примечание" << 130 << int(Qt::AlignLeft) << int(TCellView::Text)
                               << true;
    QTest::newRow("2 N") << true << 0 << "N"
                         << "N" << 70 << centre << plain << true;
    QTest::newRow("2 P") << true << 3 << "P"
                         << "Fср, Усилие, Н" << 70 << centre << numeric << true;
    QTest::newRow("2 R") << true << 4 << "R"
                         << "Bср, ширина полосы, мм" << 70 << centre << numeric << true;
    QTest::newRow("2 P100") << true << 5 << "P100"
                            << "G, Адгезия, Н/см" << 70 << centre << numeric << true;
    QTest::newRow("2 D100") << true << 6 << "D100"
                            << "t, Интервал, сек" << 79 << centre << plain << true;
    QTest::newRow("2 T") << true << 7 << "T"
                         << "Интервал, tсек." << 79 << centre << plain << false;
    QTest::newRow("2 P1") << true << 8 << "P1"
                          << "P1" << 70 << centre << numeric << true;
    QTest::newRow("2 P60") << true << 67 << "P60"
                           << "P60" << 70 << centre << numeric << true;
}

void TestResultGrids::columnsOfTheGrids()
{
    QFETCH(bool, pullOff);
    QFETCH(int, position);
    QFETCH(QString, field);
    QFETCH(QString, caption);
    QFETCH(int, width);
    QFETCH(int, alignment);
    QFETCH(int, view);
    QFETCH(bool, visible);
    const TgpColumns &columns = grid(pullOff).Columns();
    QCOMPARE(columns.Count(), pullOff ? 68 : 7);
    const TgpColumn *column = columns[position];
    QCOMPARE(column->FieldName(), field);
    QCOMPARE(column->Caption(), caption);
    QCOMPARE(column->Width(), width);
    QCOMPARE(int(column->Alignment() & Qt::AlignHorizontal_Mask), alignment);
    QCOMPARE(column->TitleAlignment(), Qt::Alignment(Qt::AlignCenter));
    QCOMPARE(int(column->View()), view);
    QCOMPARE(column->Visible(), visible);
    QCOMPARE(column->FixedWidth(), pullOff);
    if (column->View() == TCellView::Numeric)
        QCOMPARE(column->NumericFormat(), QString("0.0"));
    // "Fср" and "Bср" begin with a Latin letter.
    if (caption.contains("ср"))
        QVERIFY(caption.at(0).unicode() < 128);
}

void TestResultGrids::settingsOfTheGrids()
{
    const TDBGridPro &adhesion = *m_adhesion;
    QCOMPARE(adhesion.TitleLines(), 2);
    QVERIFY(adhesion.ShowFooters());
    QVERIFY(adhesion.MultiSelect());
    QVERIFY(adhesion.AutoColumnFit());
    QVERIFY(!adhesion.ColumnsMovable());
    QVERIFY(!adhesion.MultiSortMarks());
    QVERIFY(!adhesion.ReadOnly());
    const TDBGridPro &pullOff = *m_pullOff;
    QCOMPARE(pullOff.TitleLines(), 2);
    QVERIFY(!pullOff.ShowFooters());
    QVERIFY(pullOff.MultiSelect());
    QVERIFY(pullOff.ColumnsMovable());
    QVERIFY(pullOff.MultiSortMarks());
    QVERIFY(pullOff.ReadOnly());
    for (const TDBGridPro *g : {&adhesion, &pullOff}) {
        QCOMPARE(g->Designer().gridLineColor, QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(g->BookmarkFields(), QString("P;R"));
    }
}

void TestResultGrids::titleClicksSortThroughTag()
{
    openArchive();
    m_table->SetFilter("NB_TYPE=1");
    QCOMPARE(shownN(*m_pullOff), QList<int>({1, 2, 3}));
    // P: N1 5, N2 9, N3 1. The first click descending, then ascending, then descending again.
    const QList<QList<int>> expected = {{2, 1, 3}, {3, 1, 2}, {2, 1, 3}};
    const QList<TTitleState> marks = {TTitleState::tsUp, TTitleState::tsDown, TTitleState::tsUp};
    for (qsizetype click = 0; click < expected.size(); ++click) {
        clickTitle(*m_pullOff, "P");
        QCOMPARE(m_pullOff->Columns().FindByFieldName("P")->TitleState(), marks[click]);
        QCOMPARE(m_table->IndexName(), QString("tab2"));
        QCOMPARE(m_table->IndexTags(), QStringList({"tab2"}));
        QCOMPARE(shownN(*m_pullOff), expected[click]);
    }
    // Shift keeps the mark of P on the pull-off grid, but the tag holds the clicked field alone.
    clickTitle(*m_pullOff, "N", Qt::ShiftModifier);
    QCOMPARE(m_pullOff->Columns().FindByFieldName("P")->TitleState(), TTitleState::tsUp);
    QCOMPARE(shownN(*m_pullOff), QList<int>({3, 2, 1}));
    QVERIFY(m_dialogs->shown().isEmpty());
}

void TestResultGrids::ctrlClickReturnsToFileOrder()
{
    openArchive();
    m_table->SetFilter("NB_TYPE=0");
    clickTitle(*m_adhesion, "P");
    QCOMPARE(shownN(*m_adhesion), QList<int>({2, 1, 3}));
    clickTitle(*m_adhesion, "P", Qt::ControlModifier);
    QCOMPARE(m_adhesion->Columns().FindByFieldName("P")->TitleState(), TTitleState::tsNone);
    QCOMPARE(m_table->IndexName(), QString());
    QVERIFY(!m_table->IndexTags().contains("tab1"));
    QCOMPARE(shownN(*m_adhesion), QList<int>({1, 2, 3}));
    QVERIFY(m_dialogs->shown().isEmpty());
}

void TestResultGrids::sortedGridOrdersTheOtherTab()
{
    openArchive();
    m_table->SetFilter("NB_TYPE=0");
    clickTitle(*m_adhesion, "P");
    m_adhesion->hide();
    // Showing the tab "Вырыв": its rows follow the adhesion grid's tag, with no mark of its own.
    m_table->SetFilter("NB_TYPE=1");
    m_table->Refresh();
    QCOMPARE(m_table->IndexName(), QString("tab1"));
    QCOMPARE(shownN(*m_pullOff), QList<int>({2, 1, 3}));
    for (int c = 0; c < m_pullOff->Columns().Count(); ++c)
        QCOMPARE(m_pullOff->Columns()[c]->TitleState(), TTitleState::tsNone);
    QCOMPARE(m_adhesion->Columns().FindByFieldName("P")->TitleState(), TTitleState::tsUp);
}

void TestResultGrids::removeSortingAndClosedTable()
{
    // With the table closed only the marks go.
    m_adhesion->Columns()[3]->SetTitleState(TTitleState::tsDown);
    ClearGridSort(*m_adhesion, *m_table, AdhesionSortTag);
    QCOMPARE(m_adhesion->Columns()[3]->TitleState(), TTitleState::tsNone);

    openArchive();
    m_table->SetFilter("NB_TYPE=0");
    clickTitle(*m_adhesion, "P");
    m_table->SetFilter("NB_TYPE=1");
    clickTitle(*m_pullOff, "N");
    QCOMPARE(m_table->IndexTags().size(), 2);
    RemoveSorting(*m_adhesion, *m_pullOff, *m_table);
    QVERIFY(m_table->IndexTags().isEmpty());
    QCOMPARE(m_table->IndexName(), QString());
    QCOMPARE(shownN(*m_pullOff), QList<int>({1, 2, 3}));
    for (const TDBGridPro *g : {m_adhesion.get(), m_pullOff.get()})
        for (int c = 0; c < g->Columns().Count(); ++c)
            QCOMPARE(g->Columns()[c]->TitleState(), TTitleState::tsNone);
    // Clearing a tag that is gone is no error.
    ClearGridSort(*m_adhesion, *m_table, AdhesionSortTag);
    QVERIFY(m_dialogs->shown().isEmpty());
}

void TestResultGrids::firstOpeningWritesAlignedDefault_data()
{
    QTest::addColumn<bool>("pullOff");
    QTest::addColumn<QString>("valueName");
    QTest::newRow("adhesion") << false << RegistryKey::Table1;
    QTest::newRow("pull-off") << true << RegistryKey::Table2;
}

void TestResultGrids::firstOpeningWritesAlignedDefault()
{
    QFETCH(bool, pullOff);
    QFETCH(QString, valueName);
    openArchive();
    TDBGridPro &g = grid(pullOff);
    QVERIFY(!m_key->valueExists(valueName));
    LoadGridLayout(*m_key, valueName, g);
    QVERIFY(g.AutoColumnFit());
    for (int c = 0; c < g.Columns().Count(); ++c)
        QCOMPARE(g.Columns()[c]->Width(), AlignedColumnWidth);
    QVERIFY(m_key->valueExists(valueName));
    const QString text = m_key->readString(valueName);
    QVERIFY(text.contains("\r\n"));
    QVERIFY(!text.contains(QRegularExpression("[^\r]\n")));
    const QJsonArray saved = savedColumns(valueName);
    QCOMPARE(saved.size(), g.Columns().Count());
    for (int c = 0; c < saved.size(); ++c) {
        QCOMPARE(saved[c]["field"].toString(), g.Columns()[c]->FieldName());
        QCOMPARE(saved[c]["width"].toInt(), AlignedColumnWidth);
    }
    // The hidden column is aligned as well, and stays hidden.
    if (pullOff)
        QVERIFY(!g.Columns().FindByFieldName("T")->Visible());
    // The value is in the store the next run reads.
    RegistryKey again;
    QCOMPARE(again.readString(valueName), text);
}

void TestResultGrids::savedLayoutWithForeignAndMissingField()
{
    openArchive();
    TgpColumns saved;
    saved.Add("p")->SetWidth(140);
    saved[0]->SetColor(Qt::yellow);
    saved.Add("FOREIGN")->SetWidth(300);
    saved.Add("N")->SetWidth(60);
    m_key->writeString(RegistryKey::Table1, saved.ToText());
    const int commentWidth = m_adhesion->Columns().FindByFieldName("COMMENT")->Width();

    LoadGridLayout(*m_key, RegistryKey::Table1, *m_adhesion);
    const TgpColumns &columns = m_adhesion->Columns();
    QCOMPARE(columns.Count(), 7);
    QCOMPARE(columns.FindByFieldName("P")->Width(), 140);
    QCOMPARE(columns.FindByFieldName("P")->Color(), QColor(Qt::yellow));
    QCOMPARE(columns.FindByFieldName("N")->Width(), 60);
    QCOMPARE(columns.FindByFieldName("COMMENT")->Width(), commentWidth);
    QVERIFY(!columns.FindByFieldName("FOREIGN"));
    // Loading a saved layout does not rewrite it.
    QVERIFY(m_key->readString(RegistryKey::Table1).contains("FOREIGN"));
}

void TestResultGrids::unreadableLayoutIsReplacedByDefault_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("garbage") << QString("\x01\x02 not a layout");
    QTest::newRow("empty") << QString();
    QTest::newRow("cut off") << QString(R"({"columns":[{"field":"N","width":)");
}

void TestResultGrids::unreadableLayoutIsReplacedByDefault()
{
    QFETCH(QString, text);
    openArchive();
    m_key->writeString(RegistryKey::Table2, text);
    LoadGridLayout(*m_key, RegistryKey::Table2, *m_pullOff);
    for (int c = 0; c < m_pullOff->Columns().Count(); ++c)
        QCOMPARE(m_pullOff->Columns()[c]->Width(), AlignedColumnWidth);
    const QJsonArray saved = savedColumns(RegistryKey::Table2);
    QCOMPARE(saved.size(), 68);
    QVERIFY(m_dialogs->shown().isEmpty());
}

void TestResultGrids::savedMarksShowWithoutReordering()
{
    openArchive();
    m_table->SetFilter("NB_TYPE=0");
    clickTitle(*m_adhesion, "P");
    SaveGridLayout(*m_key, RegistryKey::Table1, *m_adhesion);
    // The archive is closed (its tags go with the index file) and opened again in a new run.
    m_table->Close();
    m_table->DeleteIndexFile();
    TDBGridPro fresh;
    SetupAdhesionGrid(fresh);
    fresh.SetDataSet(m_table.get());
    m_table->Open();
    m_table->SetFilter("NB_TYPE=0");
    LoadGridLayout(*m_key, RegistryKey::Table1, fresh);
    QCOMPARE(fresh.Columns().FindByFieldName("P")->TitleState(), TTitleState::tsUp);
    QCOMPARE(fresh.Columns().FindByFieldName("P")->SortSeq(), 1);
    QCOMPARE(m_table->IndexName(), QString());
    QCOMPARE(shownN(fresh), QList<int>({1, 2, 3}));
}

void TestResultGrids::forceCaptionsWhateverTheLayoutHolds()
{
    openArchive();
    // A layout from a run in which P1 was dragged to the front, without an entry for P60.
    TgpColumns saved;
    saved.CopyLayoutAsNew(m_pullOff->Columns());
    saved.Move(FirstForceColumn, 0);
    TgpColumns trimmed;
    for (int c = 0; c < saved.Count(); ++c) {
        if (saved[c]->FieldName() == "P60")
            continue;
        ColumnLayout layout = saved[c]->Layout();
        layout.index = trimmed.Count();
        trimmed.Add(saved[c]->FieldName())->SetLayout(layout);
    }
    m_key->writeString(RegistryKey::Table2, trimmed.ToText());
    for (int c = 0; c < m_pullOff->Columns().Count(); ++c)
        m_pullOff->Columns()[c]->SetCaption("old");

    LoadGridLayout(*m_key, RegistryKey::Table2, *m_pullOff);
    ApplyForceCaptions(*m_pullOff);
    QCOMPARE(m_pullOff->Columns()[0]->FieldName(), QString("P1"));
    for (int n = 1; n <= ForceColumnCount; ++n)
        QCOMPARE(m_pullOff->Columns().FindByFieldName(QString("P%1").arg(n))->Caption(),
                 QString("F%1, Н").arg(n));

    // In the default order the captions stand at positions 8 to 67.
    TDBGridPro plain;
    SetupPullOffGrid(plain);
    ApplyForceCaptions(plain);
    QCOMPARE(plain.Columns()[8]->Caption(), QString("F1, Н"));
    QCOMPARE(plain.Columns()[67]->Caption(), QString("F60, Н"));
    QCOMPARE(plain.Columns()[7]->Caption(), QString("Интервал, tсек."));
}

void TestResultGrids::layoutRoundTripAcrossGrids()
{
    openArchive();
    TgpColumns &columns = m_pullOff->Columns();
    columns.FindByFieldName("P5")->SetColor(Qt::cyan);
    columns.FindByFieldName("R")->SetWidth(120);
    columns.FindByFieldName("T")->SetColor(Qt::red);
    columns.Move(columns.FindByFieldName("D100")->Index(), 0);
    SaveGridLayout(*m_key, RegistryKey::Table2, *m_pullOff);

    TDBGridPro fresh;
    SetupPullOffGrid(fresh);
    LoadGridLayout(*m_key, RegistryKey::Table2, fresh);
    for (int c = 0; c < columns.Count(); ++c) {
        QCOMPARE(fresh.Columns()[c]->FieldName(), columns[c]->FieldName());
        QCOMPARE(fresh.Columns()[c]->Layout(), columns[c]->Layout());
    }
    QVERIFY(!fresh.Columns().FindByFieldName("T")->Visible());
    QCOMPARE(fresh.Columns().FindByFieldName("T")->Color(), QColor(Qt::red));
}

void TestResultGrids::editingMarksTablesModified()
{
    openArchive();
    m_table->SetFilter("NB_TYPE=0");
    m_adhesion->OnInitEdit = [](TDBGridPro *) { GridEditStarted(); };
    m_adhesion->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_adhesion.get()));
    QVERIFY(!TablesModified);
    QTableView *view = m_adhesion->View();
    const QModelIndex cell = view->model()->index(0, 6);
    view->setCurrentIndex(cell);
    view->edit(cell);
    QVERIFY(TablesModified);
    // The pull-off grid is read only.
    QVERIFY(!(m_pullOff->View()->model()->flags(m_pullOff->View()->model()->index(0, 0)) &
              Qt::ItemIsEditable));
    // "Выровнять столбцы" aligns only while the table is open.
    m_table->Close();
    m_adhesion->Columns()[0]->SetWidth(112);
    AlignShownGrid(*m_adhesion, *m_table);
    QCOMPARE(m_adhesion->Columns()[0]->Width(), 112);
    m_table->Open();
    AlignShownGrid(*m_adhesion, *m_table);
    QCOMPARE(m_adhesion->Columns()[0]->Width(), AlignedColumnWidth);
}

void TestResultGrids::titlesAndCellsFitTheColumns_data()
{
    QTest::addColumn<bool>("pullOff");
    QTest::addColumn<bool>("aligned");
    QTest::newRow("pull-off, set-up widths") << true << false;
    QTest::newRow("pull-off, aligned") << true << true;
    QTest::newRow("adhesion, fitted") << false << false;
}

void TestResultGrids::titlesAndCellsFitTheColumns()
{
    QFETCH(bool, pullOff);
    QFETCH(bool, aligned);
    openArchive();
    TDBGridPro &g = grid(pullOff);
    if (pullOff)
        ApplyForceCaptions(g);
    if (aligned)
        AlignGridColumns(g);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    QCoreApplication::processEvents();
    QCOMPARE(QFontInfo(g.View()->font()).family(), QString("Liberation Sans"));

    // Every caption, wrapped at its column's width, lies inside the title (margins of 3 pixels).
    const QHeaderView *header = g.View()->horizontalHeader();
    const QFontMetrics titleMetrics(header->font());
    const QRect title(0, 0, 0, header->height() - 8);
    for (int c = 0; c < g.Columns().Count(); ++c) {
        const TgpColumn *column = g.Columns()[c];
        if (!column->Visible())
            continue;
        const QRect area = title.adjusted(0, 0, header->sectionSize(c) - 6, 0);
        const QRect needed =
            titleMetrics.boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, column->Caption());
        QVERIFY2(area.contains(needed), qPrintable(column->Caption()));
    }
    // The widest date, time and force texts fit their cells whole.
    const QFontMetrics cellMetrics(g.View()->font());
    const QList<std::pair<QString, QString>> texts = {
        {"DATE", "28.08.2028"}, {"TIME", "20:08:08"}, {"P", "8888.8"}};
    for (const auto &[field, text] : texts) {
        const int column = g.Columns().FindByFieldName(field)->Index();
        QVERIFY2(cellMetrics.horizontalAdvance(text) <= header->sectionSize(column) - 6,
                 qPrintable(field));
    }
}

QTEST_MAIN(TestResultGrids)
#include "tst_resultgrids.moc"
