#include "app/main/tform1.h"
#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "platform/dialogs/scripteddialogservice.h"
#include "platform/registry/registrykey.h"
#include "platform/shared/sharedstate.h"
#include "tables/statistics.h"
#include "tests/support/testarchive.h"
#include "tests/support/testworkspace.h"

#include <QTabWidget>
#include <QtTest>

// The main window's row command handlers on the grid of the shown tab.
class TestRowCommandHandlers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void colourDialogColoursCurrentColumn();
    void deleteAndRenumberOnShownTab();

private:
    void openInWindow(TForm1 &form);

    std::unique_ptr<TestWorkspace> m_dir;
};

namespace {

TestRow row(int nbType, int n, double p)
{
    TestRow row;
    row.nbType = nbType;
    row.n = n;
    row.p = p;
    row.r = 2;
    return row;
}

QList<int> shownN(const TForm1 &form, const TDBGridPro &grid)
{
    QList<int> numbers;
    for (int r = 0; r < form.Dbf1->ExactRecordCount(); ++r)
        numbers << grid.CellText(r, 0).toInt();
    return numbers;
}

} // namespace

void TestRowCommandHandlers::init()
{
    m_dir = std::make_unique<TestWorkspace>();
    QVERIFY(m_dir->isValid());
}

void TestRowCommandHandlers::cleanup()
{
    m_dir.reset();
}

// What opening leaves behind as far as these commands go: the table open, the commands enabled
// and the tabs set up ("Адгезия" shown when it has rows).
void TestRowCommandHandlers::openInWindow(TForm1 &form)
{
    const QString path = makeTestArchive(
        m_dir->path(), "archive.db",
        {row(0, 5, 10), row(1, 1, 100), row(0, 6, 20), row(0, 7, 60), row(1, 2, 200)});
    openTestArchive(*form.Dbf1, path);
    ArchiveOpen = true;
    form.enable_button();
    form.tab_vis_en();
}

void TestRowCommandHandlers::colourDialogColoursCurrentColumn()
{
    ScriptedDialogService dialogs;
    TForm1 form;
    // With no archive open the dialog does not even open.
    form.N17Click();
    QVERIFY(dialogs.shown().isEmpty());

    openInWindow(form);
    form.PageControl1->setCurrentWidget(form.TabSheet2);
    TDBGridPro &grid = *form.DBGridPro2;
    const int p5 = grid.Columns().FindByFieldName("P5")->Index();
    const int p6 = p5 + 1;
    grid.SetCurrentColumnIndex(p5);
    dialogs.answer(QColor(Qt::yellow));
    form.N17Click();
    QCOMPARE(grid.Columns()[p5]->Color(), QColor(Qt::yellow));
    QVERIFY(form.DBGridPro1->Columns()[0]->IsDefaultColor());

    // Cancelled: nothing changes; the dialog offered the colour chosen last time.
    grid.SetCurrentColumnIndex(p6);
    dialogs.answer(QVariant());
    form.N17Click();
    QCOMPARE(dialogs.shown().size(), 2);
    QCOMPARE(dialogs.shown().last().kind, ScriptedDialogService::Kind::Color);
    QCOMPARE(dialogs.shown().last().text, QColor(Qt::yellow).name());
    QVERIFY(grid.Columns()[p6]->IsDefaultColor());
    QCOMPARE(grid.Columns()[p5]->Color(), QColor(Qt::yellow));

    grid.SetCurrentColumnIndex(p5);
    form.N18Click();
    QVERIFY(grid.Columns()[p5]->IsDefaultColor());
}

void TestRowCommandHandlers::deleteAndRenumberOnShownTab()
{
    ScriptedDialogService dialogs;
    TForm1 form;
    openInWindow(form);
    QCOMPARE(form.PageControl1->currentWidget(), form.TabSheet1);
    TDBGridPro &grid = *form.DBGridPro1;
    QCOMPARE(shownN(form, grid), QList<int>({5, 6, 7}));
    form.Dbf1->First();
    grid.SelectRecord(form.Dbf1->RecordAt(0));
    grid.SelectRecord(form.Dbf1->RecordAt(1));

    form.N21Click();
    QCOMPARE(shownN(form, grid), QList<int>({7}));
    QCOMPARE(form.tableStatistics(), (TableStatistics{60, 60, 60, 2, 2, 2}));
    QCOMPARE(grid.Columns().FindByFieldName("N")->FooterText(), QString("1"));
    QCOMPARE(grid.Columns().FindByFieldName("P")->FooterText(), QString("60/60/60"));

    form.N37Click();
    QCOMPARE(shownN(form, grid), QList<int>({1}));
    form.PageControl1->setCurrentWidget(form.TabSheet2);
    QCOMPARE(shownN(form, *form.DBGridPro2), QList<int>({1, 2}));
    QVERIFY(dialogs.shown().isEmpty());

    // With no archive open neither command touches anything; the statistics start again at 0.
    form.Close_DB();
    form.N37Click();
    QVERIFY(!form.Dbf1->Active());
    form.N21Click();
    QCOMPARE(form.tableStatistics(), TableStatistics{});
}

QTEST_MAIN(TestRowCommandHandlers)
#include "tst_rowcommandhandlers.moc"
