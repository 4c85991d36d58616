// The archive's life cycle in the main window, offscreen with scripted dialogs: create (up to the
// reception), open, close, the import's window steps and the statistics in the footers.

#include "app/main/tform1.h"
#include "archive/lifecycle/archivefile.h"
#include "device/import/recordimport.h"
#include "device/receive/tform2.h"
#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "platform/dialogs/scripteddialogservice.h"
#include "platform/registry/registrykey.h"
#include "platform/shared/apperror.h"
#include "platform/shared/sharedstate.h"
#include "tests/support/testarchive.h"
#include "tests/support/testimage.h"
#include "tests/support/testworkspace.h"

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

namespace {

using Kind = ScriptedDialogService::Kind;

// The main window with its reception dialog, as the program creates them.
struct Window
{
    Window()
    {
        Form2 = new TForm2(&form);
        form.show();
    }
    ~Window() { Form2 = nullptr; }
    TForm1 form;
};

QString footer(TDBGridPro &grid, const char *field)
{
    return grid.Columns().FindByFieldName(QString::fromLatin1(field))->FooterText();
}

QString caption(TDBGridPro &grid, int column)
{
    return grid.Columns().Items(column)->Caption();
}

QList<TestRow> bothKinds()
{
    // Adhesion rows first: P 10 and 12.35; pull-off rows P 1.5 and 7.1 with an empty R.
    return {{0, 10.0, 2.0, 1}, {0, 12.35, 3.5, 2}, {1, 1.5, {}, 1}, {1, 7.1, 4.0, 2}};
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestArchiveLifecycle : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void appendStandsBetweenOpenAndSave();
    void cancelledCreateLeavesNoArchive_data();
    void cancelledCreateLeavesNoArchive();
    void failedCreateLeavesNoArchive();
    void cancelledOpenKeepsTheArchive();
    void openingRefused_data();
    void openingRefused();
    void openingSetsCaptionAndDeviceType_data();
    void openingSetsCaptionAndDeviceType();
    void closeAsksOnlyAfterAnEdit_data();
    void closeAsksOnlyAfterAnEdit();
    void importWindowSteps_data();
    void importWindowSteps();
    void importOnClosedTableDoesNothing();
    void footersFollowTheSelection();
    void footersAfterDeletion();

private:
    std::unique_ptr<TestWorkspace> m_dir;
};

void TestArchiveLifecycle::init()
{
    QLocale::setDefault(QLocale(QLocale::Russian));
    m_dir = std::make_unique<TestWorkspace>();
    QVERIFY(m_dir->isValid());
    // No instrument anywhere: a reception that is not cancelled ends after its time-outs.
    qputenv("LK7_COM1", "/nonexistent/lk7-com1");
    qputenv("LK7_COM2", "/nonexistent/lk7-com2");
}

void TestArchiveLifecycle::cleanup()
{
    QLocale::setDefault(QLocale::c());
    m_dir.reset();
}

void TestArchiveLifecycle::appendStandsBetweenOpenAndSave()
{
    Window w;
    QStringList items;
    for (const QAction *item : w.form.menuBar()->actions().first()->menu()->actions())
        items.append(item->objectName());
    QCOMPARE(items.mid(0, 4), QStringList({"N2", "N3", "N4", "N5"}));
    QVERIFY(w.form.N4->isVisible());
    QVERIFY(w.form.N4->isEnabled());
}

void TestArchiveLifecycle::cancelledCreateLeavesNoArchive_data()
{
    QTest::addColumn<bool>("chooseFile");
    QTest::newRow("save dialog cancelled") << false;
    QTest::newRow("reception cancelled") << true;
}

void TestArchiveLifecycle::cancelledCreateLeavesNoArchive()
{
    QFETCH(bool, chooseFile);
    const QString previous = makeTestArchive(m_dir->path(), "old.db", bothKinds());
    const QString target = m_dir->filePath("new.db");
    ScriptedDialogService dialogs;
    dialogs.answer(previous);
    dialogs.answer(chooseFile ? QVariant(target) : QVariant());
    Window w;
    w.form.N3->trigger();
    QVERIFY(ArchiveOpen);

    bool receptionShown = false;
    QTimer::singleShot(0, Form2, [&] {
        receptionShown = Form2->isVisible();
        Form2->Button1->click();
    });
    w.form.N2->trigger();

    QCOMPARE(receptionShown, chooseFile);
    QVERIFY(!QFile::exists(target));
    QVERIFY(!ArchiveOpen);
    QVERIFY(!w.form.Dbf1->Active());
    QVERIFY(!w.form.PageControl1->isVisible());
    QCOMPARE(w.form.Color(), QApplication::palette().color(QPalette::Dark));
    QCOMPARE(dialogs.shown().size(), 2);
    const auto &save = dialogs.shown().at(1);
    QCOMPARE(save.kind, Kind::SaveFile);
    QCOMPARE(save.file.filter, QStringLiteral("Файлы данных (*.db)"));
    QCOMPARE(save.file.defaultSuffix, QStringLiteral("db"));
    QVERIFY(save.file.confirmOverwrite);
    QVERIFY(save.file.fileName.isEmpty());
}

void TestArchiveLifecycle::failedCreateLeavesNoArchive()
{
    ScriptedDialogService dialogs;
    Window w;
    receiveInProcess(deviceImageOf({{100, 50, 0, 1, {}, QDateTime({2011, 3, 9}, {14, 30, 5})}}));
    QVERIFY_THROWS_EXCEPTION(AppError, w.form.Create_DB(m_dir->filePath("missing/new.db")));
    QVERIFY(!ArchiveOpen);
    QVERIFY(!w.form.Dbf1->Active());
    QVERIFY(!w.form.N5->isEnabled());
    QCOMPARE(w.form.Color(), QApplication::palette().color(QPalette::Dark));
}

void TestArchiveLifecycle::cancelledOpenKeepsTheArchive()
{
    const QString path = makeTestArchive(m_dir->path(), "bridge.db", bothKinds());
    ScriptedDialogService dialogs;
    dialogs.answer(path);
    dialogs.answer(QVariant());
    Window w;
    w.form.N3->trigger();
    QCOMPARE(w.form.windowTitle(), QStringLiteral("bridge - Ortan - LK7"));
    w.form.N3->trigger();
    QVERIFY(ArchiveOpen);
    QVERIFY(w.form.Dbf1->Active());
    QCOMPARE(w.form.windowTitle(), QStringLiteral("bridge - Ortan - LK7"));
    QCOMPARE(w.form.Dbf1->RecordCount(), 2);
    const auto &open = dialogs.shown().at(1);
    QCOMPARE(open.kind, Kind::OpenFile);
    QCOMPARE(open.file.filter, QStringLiteral("Базы данных (*.db)"));
    QCOMPARE(open.file.defaultSuffix, QStringLiteral("db"));
}

void TestArchiveLifecycle::openingRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("text file named .db") << "text";
    QTest::newRow("missing file") << "missing";
    QTest::newRow("held by another program") << "locked";
    QTest::newRow("DEV_TYPE beyond a byte") << "devtype";
}

void TestArchiveLifecycle::openingRefused()
{
    QFETCH(QString, kind);
    const QString previous = makeTestArchive(m_dir->path(), "old.db", bothKinds());
    QVERIFY(QDir(m_dir->path()).mkdir("other"));
    const QString other = m_dir->filePath("other");
    QString path = QDir(other).filePath("bad.db");
    TDbf holder;
    if (kind == "text") {
        QFile text(path);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("Протокол испытаний\r\nне таблица\r\n");
    } else if (kind == "locked") {
        path = makeTestArchive(other, "bad.db", bothKinds());
        openTestArchive(holder, path);
    } else if (kind == "devtype") {
        // The first row of the kind the previous archive showed last (adhesion).
        TestRow row{0, 5.0, 1.0, 1};
        row.devType = 300;
        path = makeTestArchive(other, "bad.db", {row});
    }
    const QByteArray before = fileBytes(path);
    ScriptedDialogService dialogs;
    dialogs.answer(previous);
    dialogs.answer(path);
    Window w;
    w.form.N3->trigger();
    w.form.N3->trigger();

    QCOMPARE(dialogs.shown().size(), 3);
    const auto &box = dialogs.shown().at(2);
    QCOMPARE(box.kind, Kind::MessageBox);
    QCOMPARE(box.text, QStringLiteral("База данных повреждена !"));
    QCOMPARE(box.caption, QStringLiteral("Ошибка"));
    QCOMPARE(box.icon, DialogService::Icon::Error);
    QCOMPARE(box.buttons, DialogService::Buttons::Ok);
    QVERIFY(!ArchiveOpen);
    QVERIFY(!w.form.Dbf1->Active());
    QVERIFY(!w.form.PageControl1->isVisible());
    QCOMPARE(w.form.windowTitle(), ApplicationTitle);
    QCOMPARE(DefaultDirectory, other);
    QCOMPARE(fileBytes(path), before);
}

void TestArchiveLifecycle::openingSetsCaptionAndDeviceType_data()
{
    QTest::addColumn<QList<TestRow>>("rows");
    QTest::addColumn<int>("deviceType");
    TestRow foreign{1, 5.0, 1.0, 1};
    foreign.devType = 15;
    QTest::newRow("DEV_TYPE 80") << bothKinds() << 80;
    QTest::newRow("another instrument") << QList<TestRow>{foreign} << 15;
    QTest::newRow("no rows") << QList<TestRow>{} << 0;
}

void TestArchiveLifecycle::openingSetsCaptionAndDeviceType()
{
    QFETCH(QList<TestRow>, rows);
    QFETCH(int, deviceType);
    const QString path = makeTestArchive(m_dir->path(), "bridge.db", rows);
    ScriptedDialogService dialogs;
    dialogs.answer(path);
    DeviceTypeCode = 99;
    TablesModified = true;
    Window w;
    w.form.DBGridPro2->Columns().Items(8)->SetCaption("x");
    w.form.N3->trigger();

    QVERIFY(ArchiveOpen);
    QVERIFY(!TablesModified);
    QCOMPARE(int(DeviceTypeCode), deviceType);
    QCOMPARE(w.form.windowTitle(), QStringLiteral("bridge - Ortan - LK7"));
    QCOMPARE(w.form.Color(), QApplication::palette().color(QPalette::Button));
    QVERIFY(w.form.N5->isEnabled());
    QVERIFY(w.form.PageControl1->isVisible());
    QCOMPARE(caption(*w.form.DBGridPro2, 8), QStringLiteral("F1, Н"));
    QCOMPARE(caption(*w.form.DBGridPro2, 67), QStringLiteral("F60, Н"));
    QCOMPARE(DefaultDirectory, m_dir->path());
    RegistryKey key;
    QVERIFY(key.valueExists(RegistryKey::Table1));
    QVERIFY(key.valueExists(RegistryKey::Table2));
}

void TestArchiveLifecycle::closeAsksOnlyAfterAnEdit_data()
{
    QTest::addColumn<bool>("edit");
    QTest::newRow("after an edit") << true;
    QTest::newRow("without an edit") << false;
}

void TestArchiveLifecycle::closeAsksOnlyAfterAnEdit()
{
    QFETCH(bool, edit);
    const QString path = makeTestArchive(m_dir->path(), "bridge.db", bothKinds());
    ScriptedDialogService dialogs;
    dialogs.answer(path);
    dialogs.answer(DialogService::Button::No);
    Window w;
    w.form.N3->trigger();
    w.form.DBGridPro1->TitleClick(3, Qt::NoModifier);
    const QString index = w.form.Dbf1->IndexFilePath();
    QVERIFY(QFile::exists(index));
    if (edit) {
        QTableView *view = w.form.DBGridPro1->View();
        const QModelIndex cell = view->model()->index(0, 6);
        view->setCurrentIndex(cell);
        view->edit(cell);
        QLineEdit *editor = view->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->setText(QStringLiteral("исправлено"));
    }
    w.form.N7->trigger();

    QStringList expected{};
    if (edit)
        expected.append(QStringLiteral("Сохранить изменения в таблицах ?"));
    QCOMPARE(dialogs.texts().mid(1), expected);
    QVERIFY(!ArchiveOpen);
    QVERIFY(!QFile::exists(index));
    QVERIFY(QFile::exists(path));
    QCOMPARE(w.form.windowTitle(), ApplicationTitle);
    QVERIFY(!w.form.N7->isEnabled());
}

void TestArchiveLifecycle::importWindowSteps_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("announced");
    QTest::addColumn<int>("typeCode");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("warning");
    QTest::newRow("3 records") << 3 << 3 << 80 << 3 << QString();
    QTest::newRow("C = 0") << 0 << 0 << 80 << 0 << QString();
    QTest::newRow("another instrument") << 3 << 3 << 15 << 0 << QString();
    QTest::newRow("count beyond the received records")
        << 2 << 5 << 80 << 2
        << QStringLiteral("Прибор сообщил о 5 записях, а принято только 2. "
                          "В архив записаны принятые записи.");
}

// What flash2nira does in the window around the rows: the force captions, the warning of a short
// image, and the page and filter steps that end on "Вырыв" with every row shown.
void TestArchiveLifecycle::importWindowSteps()
{
    QFETCH(int, records);
    QFETCH(int, announced);
    QFETCH(int, typeCode);
    QFETCH(int, rows);
    QFETCH(QString, warning);
    QList<ImageRecord> image;
    for (int i = 0; i < records; ++i)
        image.append({quint16(100 + i), 50, 0, 1, {5, 6}, QDateTime({2012, 1, 1}, {10, 0, i})});
    receiveInProcess(deviceImageOf(image, announced), quint8(typeCode));
    // An adhesion row is there already; the import must not hide it.
    const QString path = makeTestArchive(m_dir->path(), "a.db", {{0, 1.0, 1.0, 1}});
    ScriptedDialogService dialogs;
    Window w;
    openTestArchive(*w.form.Dbf1, path);
    w.form.PageControl1->setCurrentWidget(w.form.TabSheet1);
    w.form.DBGridPro2->Columns().Items(8)->SetCaption("x");

    const ImportOutcome outcome = w.form.flash2nira(false);

    QCOMPARE(outcome.written, rows);
    QCOMPARE(w.form.PageControl1->currentWidget(), w.form.TabSheet2);
    QCOMPARE(w.form.Dbf1->Filter(), QString());
    QCOMPARE(w.form.Dbf1->RecordCount(), 1 + rows);
    QCOMPARE(caption(*w.form.DBGridPro2, 8), rows > 0 ? QStringLiteral("F1, Н") : "x");
    if (warning.isEmpty()) {
        QVERIFY(dialogs.shown().isEmpty());
    } else {
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.shown().at(0).kind, Kind::MessageDlg);
        QCOMPARE(dialogs.shown().at(0).dlgType, DialogService::DlgType::Warning);
        QCOMPARE(dialogs.shown().at(0).text, warning);
    }
}

void TestArchiveLifecycle::importOnClosedTableDoesNothing()
{
    receiveInProcess(deviceImageOf({{100, 50, 0, 1, {}, QDateTime({2012, 1, 1}, {10, 0, 0})}}));
    Window w;
    w.form.PageControl1->setCurrentWidget(w.form.TabSheet1);
    w.form.Dbf1->SetFilter(QStringLiteral("NB_TYPE=0"));
    QCOMPARE(w.form.flash2nira(false).written, 0);
    QCOMPARE(w.form.PageControl1->currentWidget(), w.form.TabSheet1);
    QCOMPARE(w.form.Dbf1->Filter(), QStringLiteral("NB_TYPE=0"));
}

// After the first opening of the run the figures cover every row of both kinds while N counts
// the rows of the shown tab; two selected rows show their own figures, one selected row the
// table's again.
void TestArchiveLifecycle::footersFollowTheSelection()
{
    const QString path = makeTestArchive(m_dir->path(), "a.db", bothKinds());
    ScriptedDialogService dialogs;
    dialogs.answer(path);
    Window w;
    QCOMPARE(w.form.tableStatistics(), TableStatistics{});
    w.form.N3->trigger();
    TDBGridPro &grid = *w.form.DBGridPro1;
    QCOMPARE(w.form.PageControl1->currentWidget(), w.form.TabSheet1);

    const QString allP = QStringLiteral("1,5/7,7/12,35");
    const QString allR = QStringLiteral("0/2,4/4");
    QCOMPARE(footer(grid, "P"), allP);
    QCOMPARE(footer(grid, "R"), allR);
    QCOMPARE(footer(grid, "N"), QStringLiteral("2"));
    QCOMPARE(footer(*w.form.DBGridPro2, "P"), allP);

    grid.SelectRecord(1);
    grid.SelectRecord(2);
    QCOMPARE(footer(grid, "P"), QStringLiteral("10/11,2/12,35"));
    QCOMPARE(footer(grid, "R"), QStringLiteral("2/2,8/3,5"));
    QCOMPARE(footer(grid, "N"), QStringLiteral("2"));
    grid.SelectRecord(2, false);
    QCOMPARE(footer(grid, "P"), allP);
}

void TestArchiveLifecycle::footersAfterDeletion()
{
    const QString path = makeTestArchive(m_dir->path(), "a.db", bothKinds());
    ScriptedDialogService dialogs;
    dialogs.answer(path);
    Window w;
    w.form.N3->trigger();
    TDBGridPro &grid = *w.form.DBGridPro1;
    grid.SelectRecord(2);
    grid.DeleteSelectedRows();
    // Recomputed under the filter of the shown tab: the one adhesion row left.
    const TableStatistics left{10, 10, 10, 2, 2, 2};
    QCOMPARE(w.form.tableStatistics(), left);
    QCOMPARE(footer(grid, "P"), QStringLiteral("10/10/10"));
    QCOMPARE(footer(grid, "N"), QStringLiteral("1"));
}

QTEST_MAIN(TestArchiveLifecycle)
#include "tst_archivelifecycle.moc"
