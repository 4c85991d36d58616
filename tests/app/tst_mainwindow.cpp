#include "app/about/tform6.h"
#include "app/logo/tform5.h"
#include "app/main/tform1.h"
#include "app/start/program.h"
#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "platform/dialogs/scripteddialogservice.h"
#include "platform/registry/registrykey.h"
#include "platform/shared/sharedstate.h"
#include "tests/support/testarchive.h"
#include "tests/support/testworkspace.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

namespace {

const QStringList ArchiveCommands = {
    "N5",  "N7",  "N8",  "N9",  "N27",    "N29",         "N30",         "N31",        "N33",
    "N34", "N39", "N37", "N36", "Excel1", "ToolButton3", "ToolButton4", "ToolButton5"};

// An archive file with the given numbers of adhesion rows (NB_TYPE 0) and pull-off rows
// (NB_TYPE 1), adhesion rows first; row i has N = i, P = 10 + i and COMMENT "строка i".
QString makeArchive(const QString &dir, int adhesionRows, int pullOffRows)
{
    QList<TestRow> rows;
    for (int i = 1; i <= adhesionRows + pullOffRows; ++i) {
        TestRow row{i <= adhesionRows ? 0 : 1, 10.0 + i, 2.5, i};
        row.date = QStringLiteral("15.03.2012");
        row.time = QStringLiteral("10:00:%1").arg(i, 2, 10, QChar('0'));
        row.comment = QStringLiteral("строка %1").arg(i);
        rows.append(row);
    }
    return makeTestArchive(dir, QStringLiteral("объект.db"), rows);
}

// What opening leaves behind, as far as the window's own part goes: the table open, the open
// look, the commands enabled and the tabs set up.
void openInWindow(TForm1 &form, const QString &path)
{
    const QFileInfo file(path);
    form.Dbf1->SetFilePath(file.absolutePath());
    form.Dbf1->SetTableName(file.fileName());
    form.Dbf1->Open();
    ArchiveOpen = true;
    form.setLook(TForm1::Look::Open);
    form.enable_button();
    form.tab_vis_en();
}

QString commentOf(const QString &path, int recNo)
{
    TDbf table;
    table.SetFilePath(QFileInfo(path).absolutePath());
    table.SetTableName(QFileInfo(path).fileName());
    table.Open();
    if (!table.GoToRecord(recNo))
        return QStringLiteral("(no record %1)").arg(recNo);
    return table.FieldByName("COMMENT")->AsString();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStart();
    void laterStartReadsDefaultDir();
    void commandTable_data();
    void commandTable();
    void enablingSwitchesExactlyTheArchiveCommands();
    void tabsFollowTheArchive_data();
    void tabsFollowTheArchive();
    void switchingTabsSetsTheFilter();
    void aboutAndHelpCommands();
    void exitClosesLikeTheWindow_data();
    void exitClosesLikeTheWindow();
    void failedCloseKeepsTheWindow();
    void programStartsWithTheSplash();
    void programOpensTheArchiveItIsGiven();

private:
    std::unique_ptr<TestWorkspace> m_dir;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<TestWorkspace>();
    QVERIFY(m_dir->isValid());
}

void TestMainWindow::cleanup()
{
    m_dir.reset();
}

void TestMainWindow::firstStart()
{
    ScriptedDialogService dialogs;
    TForm1 form;
    QCOMPARE(form.registry().readString(RegistryKey::DefaultDir), QDir::currentPath());
    // Written at once, not only when the window closes.
    QCOMPARE(RegistryKey().readString(RegistryKey::DefaultDir), QDir::currentPath());
    QCOMPARE(DefaultDirectory, QDir::currentPath());
    QCOMPARE(form.OpenDialog1.directory, QDir::currentPath());
    QCOMPARE(form.SaveDialog1.directory, QDir::currentPath());

    QVERIFY(form.windowState() & Qt::WindowMaximized);
    QCOMPARE(form.windowTitle(), ApplicationTitle);
    QCOMPARE(form.Color(), QApplication::palette().color(QPalette::Dark));
    form.show();
    QVERIFY(!form.PageControl1->isVisible());
    QVERIFY(!ArchiveOpen);
    QVERIFY(!form.Dbf1->Active());
    QCOMPARE(form.DBGridPro1->BookmarkFields(), QStringLiteral("P;R"));
    QCOMPARE(form.DBGridPro2->BookmarkFields(), QStringLiteral("P;R"));

    QStringList disabled;
    for (const QAction *action : form.findChildren<QAction *>())
        if (!action->objectName().isEmpty() && action->isVisible() && !action->isEnabled())
            disabled.append(action->objectName());
    disabled.sort();
    QStringList expected = ArchiveCommands;
    expected.sort();
    QCOMPARE(disabled, expected);
    QVERIFY(dialogs.shown().isEmpty());
}

void TestMainWindow::laterStartReadsDefaultDir()
{
    {
        RegistryKey key;
        key.writeString(RegistryKey::DefaultDir, m_dir->path());
    }
    TForm1 form;
    QCOMPARE(DefaultDirectory, m_dir->path());
    QCOMPARE(form.OpenDialog1.directory, m_dir->path());
    QCOMPARE(form.SaveDialog1.directory, m_dir->path());
}

void TestMainWindow::commandTable_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("place"); // menu title, "PopupMenu1" or "ToolBar1"
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("image");
    const auto row = [](const char *item, const char *place, const char *caption,
                        QKeySequence shortcut = {}, bool image = false) {
        QTest::newRow(item) << item << QString::fromUtf8(place) << QString::fromUtf8(caption)
                            << shortcut << image;
    };
    row("N2", "Файл", "Создать", QKeySequence(Qt::CTRL | Qt::Key_N), true);
    row("N3", "Файл", "Открыть", QKeySequence(Qt::CTRL | Qt::Key_O), true);
    row("N4", "Файл", "Дополнить");
    row("N5", "Файл", "Сохранить", QKeySequence(Qt::CTRL | Qt::Key_S), true);
    row("N7", "Файл", "Закрыть");
    row("N8", "Файл", "Предварительный просмотр", {}, true);
    row("N9", "Файл", "Печать", QKeySequence(Qt::CTRL | Qt::Key_P), true);
    row("N11", "Файл", "Выход");
    row("N27", "Вид", "Выровнять столбцы");
    row("N29", "Вид", "Задать цвет");
    row("N30", "Вид", "Убрать цвет");
    row("N31", "Вид", "Убрать все цвета");
    row("N33", "Вид", "Убрать сортировку");
    row("N34", "Правка", "Удалить строки", {}, true);
    row("Excel1", "Сервис", "Экспорт в Excel");
    row("N37", "Сервис", "Перенумеровать строки");
    row("N36", "Сервис", "График");
    row("N39", "Сервис", "Экспорт графиков");
    row("N24", "Справка", "Помощь", QKeySequence(Qt::Key_F1), true);
    row("N26", "Справка", "О программе");
    row("N15", "PopupMenu1", "График");
    row("N22", "PopupMenu1", "Печать");
    row("N17", "PopupMenu1", "Задать цвет");
    row("N18", "PopupMenu1", "Убрать цвет");
    row("N19", "PopupMenu1", "Убрать все цвета");
    row("N23", "PopupMenu1", "Выровнять столбцы");
    row("N21", "PopupMenu1", "Удалить");
    for (const char *button :
         {"ToolButton1", "ToolButton2", "ToolButton3", "ToolButton4", "ToolButton5", "ToolButton6"})
        QTest::newRow(button) << button << "ToolBar1" << QString() << QKeySequence() << true;
}

void TestMainWindow::commandTable()
{
    QFETCH(QString, item);
    QFETCH(QString, place);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, image);
    TForm1 form;

    QStringList menuTitles;
    for (const QAction *menu : form.menuBar()->actions())
        menuTitles.append(menu->text());
    QCOMPARE(menuTitles, QStringList({"Файл", "Вид", "Правка", "Сервис", "Справка"}));

    QAction *action = form.findChild<QAction *>(item);
    QVERIFY(action);
    if (!caption.isEmpty())
        QCOMPARE(action->text(), caption);
    QCOMPARE(action->shortcut(), shortcut);
    QCOMPARE(!action->icon().isNull(), image);
    QVERIFY(action->isVisible());

    QWidget *holder = nullptr;
    for (QObject *object : action->associatedObjects())
        if (auto *menu = qobject_cast<QMenu *>(object))
            holder = menu;
        else if (auto *bar = qobject_cast<QToolBar *>(object))
            holder = bar;
    QVERIFY(holder);
    const QString holderName = qobject_cast<QMenu *>(holder) && holder != form.PopupMenu1
                                   ? static_cast<QMenu *>(holder)->title()
                                   : holder->objectName();
    QCOMPARE(holderName, place);
}

void TestMainWindow::enablingSwitchesExactlyTheArchiveCommands()
{
    TForm1 form;
    const auto enabledItems = [&form] {
        QStringList names;
        for (const QAction *action : form.findChildren<QAction *>())
            if (!action->objectName().isEmpty() && action->isEnabled())
                names.append(action->objectName());
        names.sort();
        return names;
    };
    const QStringList whileClosed = enabledItems();
    form.enable_button();
    QStringList all = whileClosed + ArchiveCommands;
    all.sort();
    QCOMPARE(enabledItems(), all);
    form.disable_button();
    QCOMPARE(enabledItems(), whileClosed);
}

void TestMainWindow::tabsFollowTheArchive_data()
{
    QTest::addColumn<int>("adhesionRows");
    QTest::addColumn<int>("pullOffRows");
    QTest::addColumn<bool>("adhesionTab");
    QTest::addColumn<bool>("pullOffTab");
    QTest::addColumn<int>("activeTab"); // -1: none visible
    QTest::addColumn<QString>("filter");
    QTest::newRow("pull-off only") << 0 << 3 << false << true << 1 << "NB_TYPE=1";
    QTest::newRow("adhesion only") << 2 << 0 << true << false << 0 << "NB_TYPE=0";
    QTest::newRow("both") << 2 << 3 << true << true << 0 << "NB_TYPE=0";
    QTest::newRow("none") << 0 << 0 << false << false << -1 << "NB_TYPE=1";
}

void TestMainWindow::tabsFollowTheArchive()
{
    QFETCH(int, adhesionRows);
    QFETCH(int, pullOffRows);
    QFETCH(bool, adhesionTab);
    QFETCH(bool, pullOffTab);
    QFETCH(int, activeTab);
    QFETCH(QString, filter);
    TForm1 form;
    form.show();
    openInWindow(form, makeArchive(m_dir->path(), adhesionRows, pullOffRows));

    QVERIFY(form.PageControl1->isVisible());
    QCOMPARE(form.PageControl1->isTabVisible(0), adhesionTab);
    QCOMPARE(form.PageControl1->isTabVisible(1), pullOffTab);
    if (activeTab >= 0)
        QCOMPARE(form.PageControl1->currentIndex(), activeTab);
    QCOMPARE(form.Dbf1->Filter(), filter);
    const int shown = filter == "NB_TYPE=0" ? adhesionRows : pullOffRows;
    QCOMPARE(form.Dbf1->RecordCount(), shown);
    QCOMPARE(form.Color(), QApplication::palette().color(QPalette::Button));

    form.tab_vis_dis();
    QVERIFY(!form.PageControl1->isVisible());
}

void TestMainWindow::switchingTabsSetsTheFilter()
{
    TForm1 form;
    form.show();
    openInWindow(form, makeArchive(m_dir->path(), 2, 3));
    form.PageControl1->setCurrentWidget(form.TabSheet2);
    QCOMPARE(form.Dbf1->Filter(), QStringLiteral("NB_TYPE=1"));
    QCOMPARE(form.DBGridPro2->View()->model()->rowCount(), 3);
    form.PageControl1->setCurrentWidget(form.TabSheet1);
    QCOMPARE(form.Dbf1->Filter(), QStringLiteral("NB_TYPE=0"));
    QCOMPARE(form.DBGridPro1->View()->model()->rowCount(), 2);

    // With the table closed the tab set-up leaves everything as it is.
    form.Dbf1->Close();
    form.tab_vis_dis();
    form.tab_vis_en();
    QVERIFY(!form.PageControl1->isVisible());
}

void TestMainWindow::aboutAndHelpCommands()
{
    ScriptedDialogService dialogs;
    TForm1 form;
    Form6 = new Tform6(&form);
    bool aboutShown = false;
    QTimer::singleShot(0, Form6, [&aboutShown] {
        aboutShown = QApplication::activeModalWidget() == Form6 && Form6->isVisible();
        Form6->Button1->click();
    });
    form.N26->trigger();
    QVERIFY(aboutShown);
    QVERIFY(!Form6->isVisible());
    QCOMPARE(Form6->result(), int(QDialog::Accepted));
    Form6 = nullptr;

    // No manual lies beside the test program: the help command reports it and the program goes on.
    form.ToolButton6->trigger();
    QCOMPARE(dialogs.shown().size(), 1);
    QVERIFY(dialogs.shown().at(0).text.startsWith(
        QStringLiteral("Не найден файл руководства оператора")));
    QCOMPARE(dialogs.shown().at(0).icon, DialogService::Icon::Error);
}

void TestMainWindow::exitClosesLikeTheWindow_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<int>("answer"); // DialogService::Button
    QTest::addColumn<QString>("comment");
    QTest::newRow("edit kept") << true << int(DialogService::Button::Yes) << "исправлено";
    QTest::newRow("edit dropped") << true << int(DialogService::Button::No) << "строка 2";
    QTest::newRow("nothing edited") << false << 0 << "строка 2";
}

void TestMainWindow::exitClosesLikeTheWindow()
{
    QFETCH(bool, edit);
    QFETCH(int, answer);
    QFETCH(QString, comment);
    ScriptedDialogService dialogs;
    if (answer)
        dialogs.answer(static_cast<DialogService::Button>(answer));
    TForm1 form;
    form.show();
    const QString archive = makeArchive(m_dir->path(), 2, 0);
    openInWindow(form, archive);
    // Sorting by a title click writes the index file beside the archive.
    form.DBGridPro1->TitleClick(3, Qt::NoModifier);
    const QString index = form.Dbf1->IndexFilePath();
    QVERIFY(QFile::exists(index));
    QCOMPARE(form.Dbf1->RecordAt(0), 2);
    DefaultDirectory = m_dir->path();

    bool openAtQuestion = false;
    dialogs.onShow([&](const ScriptedDialogService::Shown &) {
        openAtQuestion = form.isVisible() && form.Dbf1->Active();
    });
    if (edit) {
        // The operator types into the comment cell of the first row shown (record 2, the larger
        // P first) and does not leave it.
        QTableView *view = form.DBGridPro1->View();
        const QModelIndex cell = view->model()->index(0, 6);
        view->setCurrentIndex(cell);
        view->edit(cell);
        auto *editor = view->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->setText(QStringLiteral("исправлено"));
        QVERIFY(TablesModified);
    }

    form.N11->trigger();

    if (edit) {
        QCOMPARE(dialogs.shown().size(), 1);
        const auto &question = dialogs.shown().at(0);
        QCOMPARE(question.text, QStringLiteral("Сохранить изменения в таблицах ?"));
        QCOMPARE(question.caption, ApplicationTitle);
        QCOMPARE(question.icon, DialogService::Icon::Question);
        QCOMPARE(question.buttons, DialogService::Buttons::YesNo);
        QVERIFY(openAtQuestion);
    } else {
        QVERIFY(dialogs.shown().isEmpty());
    }
    QVERIFY(!form.isVisible());
    QVERIFY(!ArchiveOpen);
    QVERIFY(!TablesModified);
    QVERIFY(!form.Dbf1->Active());
    QVERIFY(!QFile::exists(index));
    QVERIFY(QFile::exists(archive));
    RegistryKey key;
    QCOMPARE(key.readString(RegistryKey::DefaultDir), m_dir->path());
    QVERIFY(key.valueExists(RegistryKey::Table1));
    QVERIFY(key.valueExists(RegistryKey::Table2));
    QCOMPARE(commentOf(archive, 2), comment);
    QCOMPARE(commentOf(archive, 1), QStringLiteral("строка 1"));
}

void TestMainWindow::failedCloseKeepsTheWindow()
{
    ScriptedDialogService dialogs;
    dialogs.answer(DialogService::Button::Yes);
    TForm1 form;
    form.show();
    const QString archive = makeArchive(m_dir->path(), 1, 0);
    openInWindow(form, archive);
    TablesModified = true;
    // The save reopens the archive, which someone has taken away meanwhile.
    QVERIFY(QFile::remove(archive));

    form.N11->trigger();
    QCOMPARE(dialogs.shown().size(), 2);
    QCOMPARE(dialogs.shown().at(1).icon, DialogService::Icon::Error);
    QVERIFY(form.isVisible());

    // The operator has seen why; the next exit asks again and may go without saving.
    dialogs.clear();
    dialogs.answer(DialogService::Button::No);
    form.N11->trigger();
    QCOMPARE(dialogs.texts(), QStringList({"Сохранить изменения в таблицах ?"}));
    QVERIFY(!form.isVisible());
}

void TestMainWindow::programStartsWithTheSplash()
{
    ScriptedDialogService dialogs;
    bool splashAlone = false; // the splash showed while the main window did not
    bool splashGone = false;  // when the main window showed, the splash no longer existed
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (Form5 && Form5->isVisible() && Form1 && !Form1->isVisible())
            splashAlone = true;
        if (Form1 && Form1->isVisible()) {
            splashGone = Form5 == nullptr;
            watch.stop();
            Form1->N11->trigger();
        }
    });
    watch.start(20);
    QCOMPARE(runProgram(), 0);
    QVERIFY(splashAlone);
    QVERIFY(splashGone);
    QCOMPARE(Form1, nullptr);
    QCOMPARE(Form6, nullptr);
    QVERIFY(dialogs.shown().isEmpty());
}

void TestMainWindow::programOpensTheArchiveItIsGiven()
{
    ScriptedDialogService dialogs;
    const QString archive = makeArchive(m_dir->path(), 0, 2);
    QString caption;
    bool open = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (Form1 && Form1->isVisible() && ArchiveOpen) {
            caption = Form1->windowTitle();
            open = Form1->PageControl1->isVisible();
            watch.stop();
            Form1->N11->trigger();
        }
    });
    watch.start(20);
    QCOMPARE(runProgram(archive), 0);
    QCOMPARE(caption, QFileInfo(archive).completeBaseName() + " - Ortan - LK7");
    QVERIFY(open);
    QCOMPARE(DefaultDirectory, QFileInfo(archive).absolutePath());
    QVERIFY(dialogs.shown().isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
