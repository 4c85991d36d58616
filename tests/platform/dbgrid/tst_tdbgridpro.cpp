#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "platform/dialogs/scripteddialogservice.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

// The data-aware grid over a real table file: rows, titles, selection, deletion, footer, editing.
class TestTDBGridPro : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsRowsOfFilterInIndexOrder();
    void titleClicks_data();
    void titleClicks();
    void markSetInCodeRaisesNoEvent();
    void selectionKeepsRecordAndBookmarkValues();
    void currentRowIsSelectionOfOne();
    void deletesSelectedRowsLastToFirst_data();
    void deletesSelectedRowsLastToFirst();
    void footerFollowsColumns();
    void fittingFillsWidthAndKeepsFixed();
    void firstRowsShowWhenAllRowsFit_data();
    void firstRowsShowWhenAllRowsFit();
    void columnColourFillsItsCells();
    void movedTitleMovesColumn();
    void editPostedWhenCursorLeavesRow();
    void commitPostsOpenEditor();
    void refusedValueIsReportedAndRestKept();

private:
    struct Row
    {
        int n;
        double p;
        double r;
        int type;
        QString comment;
    };
    void openTable(const QList<Row> &rows);
    void clickTitle(int column, Qt::KeyboardModifiers modifiers = {});
    void clickCell(int row, int column, Qt::KeyboardModifiers modifiers = {});
    QList<int> shownN();
    QString storedComment(int recNo);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TDbf> m_table;
    std::unique_ptr<TDBGridPro> m_grid;
    std::unique_ptr<ScriptedDialogService> m_dialogs;
};

namespace {
const QList<TFieldDef> Fields = {
    {"N", TFieldType::ftInteger, 0, {}},       {"P", TFieldType::ftFloat, 0, {}},
    {"R", TFieldType::ftFloat, 0, {}},         {"NB_TYPE", TFieldType::ftSmallint, 0, {}},
    {"COMMENT", TFieldType::ftString, 10, {}},
};
enum Column
{
    ColN,
    ColP,
    ColR,
    ColComment
};
} // namespace

void TestTDBGridPro::init()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    m_dialogs = std::make_unique<ScriptedDialogService>();
    m_dir = std::make_unique<QTemporaryDir>();
    m_table = std::make_unique<TDbf>();
    m_grid = std::make_unique<TDBGridPro>();
    for (const char *field : {"N", "P", "R", "COMMENT"}) {
        TgpColumn *column = m_grid->Columns().Add(QString::fromLatin1(field));
        column->SetCaption(QString::fromLatin1(field));
        column->SetWidth(80);
    }
    m_grid->Columns()[ColP]->SetView(TCellView::Numeric);
    m_grid->SetBookmarkFields("P;R");
    m_grid->SetMultiSelect(true);
    m_grid->SetTitleLines(2);
    m_grid->resize(500, 300);
}

void TestTDBGridPro::cleanup()
{
    m_grid.reset();
    m_table.reset();
    m_dialogs.reset();
    QLocale::setDefault(QLocale::system());
}

void TestTDBGridPro::openTable(const QList<Row> &rows)
{
    m_table->SetFilePath(m_dir->path());
    m_table->SetTableName("grid.db");
    m_table->SetFieldDefs(Fields);
    m_table->CreateTable();
    m_table->Open();
    for (const Row &row : rows) {
        m_table->Append();
        m_table->FieldByName("N")->SetAsInteger(row.n);
        m_table->FieldByName("P")->SetAsFloat(row.p);
        m_table->FieldByName("R")->SetAsFloat(row.r);
        m_table->FieldByName("NB_TYPE")->SetAsInteger(row.type);
        m_table->FieldByName("COMMENT")->SetAsString(row.comment);
        m_table->Post();
    }
    m_table->First();
    m_grid->SetDataSet(m_table.get());
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
}

void TestTDBGridPro::clickTitle(int column, Qt::KeyboardModifiers modifiers)
{
    QHeaderView *header = m_grid->View()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, at);
}

void TestTDBGridPro::clickCell(int row, int column, Qt::KeyboardModifiers modifiers)
{
    QTableView *view = m_grid->View();
    const QRect cell = view->visualRect(view->model()->index(row, column));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, cell.center());
}

QList<int> TestTDBGridPro::shownN()
{
    QList<int> numbers;
    for (int row = 0; row < m_grid->View()->model()->rowCount(); ++row)
        numbers << m_grid->CellText(row, ColN).toInt();
    return numbers;
}

QString TestTDBGridPro::storedComment(int recNo)
{
    return m_table->ValueAt(recNo, m_table->FieldByName("COMMENT")->Index()).toString().trimmed();
}

void TestTDBGridPro::showsRowsOfFilterInIndexOrder()
{
    openTable({{1, 10, 1, 0, "a"}, {2, 12.35, 2, 1, "b"}, {3, 11, 3, 0, "c"}, {4, 9.96, 4, 0, ""}});
    QCOMPARE(shownN(), QList<int>({1, 2, 3, 4}));
    // The numeric view rounds to one decimal with the locale's separator.
    QCOMPARE(m_grid->CellText(1, ColP), QString("12,4"));
    QCOMPARE(m_grid->CellText(3, ColP), QString("10,0"));
    QCOMPARE(m_grid->CellText(1, ColR), QString("2"));

    m_table->SetFilter("NB_TYPE=0");
    QCOMPARE(shownN(), QList<int>({1, 3, 4}));
    m_table->AddIndex("tab1", "P", true);
    m_table->SetIndexName("tab1");
    QCOMPARE(shownN(), QList<int>({3, 1, 4}));
    m_table->SetIndexName("");
    m_table->SetFilter("");
    QCOMPARE(shownN(), QList<int>({1, 2, 3, 4}));
    m_table->Close();
    QCOMPARE(m_grid->View()->model()->rowCount(), 0);
}

void TestTDBGridPro::titleClicks_data()
{
    // clicks: column and modifier per click ("N", "P+ctrl", "R+shift"); marks: expected mark
    // and sequence per column after the last click (". " none, "u1" up with seq 1, "d2" ...).
    QTest::addColumn<bool>("multiMarks");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("marks");
    QTest::addColumn<int>("events");
    QTest::newRow("first click up") << false << QStringList{"P"} << ".. u1 .. .." << 1;
    QTest::newRow("up down up") << false << QStringList{"P", "P", "P"} << ".. u1 .. .." << 3;
    QTest::newRow("second click down") << false << QStringList{"P", "P"} << ".. d1 .. .." << 2;
    QTest::newRow("plain click clears others")
        << false << QStringList{"P", "R"} << ".. .. u1 .." << 2;
    QTest::newRow("shift without several marks clears")
        << false << QStringList{"P", "R+shift"} << ".. .. u1 .." << 2;
    QTest::newRow("shift keeps others")
        << true << QStringList{"P", "R+shift", "N+shift"} << "u3 u1 u2 .." << 3;
    QTest::newRow("shift again keeps sequence")
        << true << QStringList{"P", "R+shift", "P+shift"} << ".. d1 u2 .." << 3;
    QTest::newRow("plain click after several")
        << true << QStringList{"P", "R+shift", "N"} << "u1 .. .. .." << 3;
    QTest::newRow("ctrl clears only that one")
        << true << QStringList{"P", "R+shift", "P+ctrl"} << ".. .. u2 .." << 3;
    QTest::newRow("ctrl on unmarked changes nothing")
        << false << QStringList{"P", "R+ctrl"} << ".. u1 .. .." << 1;
}

void TestTDBGridPro::titleClicks()
{
    QFETCH(bool, multiMarks);
    QFETCH(QStringList, clicks);
    QFETCH(QString, marks);
    QFETCH(int, events);
    openTable({{1, 1, 1, 0, ""}});
    m_grid->SetMultiSortMarks(multiMarks);
    QList<TgpColumn *> raised;
    m_grid->OnTitleStateChange = [&](TDBGridPro *sender, TgpColumn *column) {
        QCOMPARE(sender, m_grid.get());
        raised << column;
    };
    const QStringList names{"N", "P", "R", "COMMENT"};
    for (const QString &click : clicks) {
        const QStringList parts = click.split('+');
        Qt::KeyboardModifiers modifiers;
        if (parts.contains("shift"))
            modifiers |= Qt::ShiftModifier;
        if (parts.contains("ctrl"))
            modifiers |= Qt::ControlModifier;
        clickTitle(int(names.indexOf(parts.first())), modifiers);
    }
    QStringList actual;
    for (int c = 0; c < m_grid->Columns().Count(); ++c) {
        const TgpColumn *column = m_grid->Columns()[c];
        const char mark = column->TitleState() == TTitleState::tsUp     ? 'u'
                          : column->TitleState() == TTitleState::tsDown ? 'd'
                                                                        : '.';
        actual << (mark == '.' ? QString("..") : QString("%1%2").arg(mark).arg(column->SortSeq()));
    }
    QCOMPARE(actual.join(' '), marks);
    QCOMPARE(raised.size(), events);
    if (events == clicks.size())
        QCOMPARE(raised.last()->FieldName(), clicks.last().split('+').first());
}

void TestTDBGridPro::markSetInCodeRaisesNoEvent()
{
    openTable({{1, 1, 1, 0, ""}});
    int events = 0;
    m_grid->OnTitleStateChange = [&](TDBGridPro *, TgpColumn *) { ++events; };
    m_grid->Columns()[ColP]->SetTitleState(TTitleState::tsDown);
    m_grid->Columns()[ColP]->SetTitleState(TTitleState::tsNone);
    QCOMPARE(events, 0);
    // A title click next starts from no mark.
    clickTitle(ColP);
    QCOMPARE(m_grid->Columns()[ColP]->TitleState(), TTitleState::tsUp);
    QCOMPARE(events, 1);
}

void TestTDBGridPro::selectionKeepsRecordAndBookmarkValues()
{
    openTable(
        {{1, 10, 0.5, 0, ""}, {2, 12.35, 1.5, 0, ""}, {3, 7, 2.5, 0, ""}, {4, 8, 3.5, 0, ""}});
    int changes = 0;
    m_grid->OnSelectionChange = [&](TDBGridPro *) { ++changes; };
    // Rows shown in descending order of P: N 2, 1, 4, 3.
    m_table->AddIndex("tab1", "P", true);
    m_table->SetIndexName("tab1");
    QCOMPARE(shownN(), QList<int>({2, 1, 4, 3}));
    clickCell(3, ColN);                      // record 3
    clickCell(0, ColN, Qt::ControlModifier); // record 2
    clickCell(2, ColN, Qt::ControlModifier); // record 4
    QVERIFY(changes >= 3);
    QCOMPARE(m_grid->SelectedCount(), 3);
    // Entries come in the order of the rows in the file, not of selecting nor of showing.
    QList<int> recNos;
    for (int i = 0; i < m_grid->SelectedCount(); ++i)
        recNos << m_grid->SelectedRow(i).recNo;
    QCOMPARE(recNos, QList<int>({2, 3, 4}));
    QCOMPARE(m_grid->SelectedRow(0).values, QVariantList({12.35, 1.5}));

    // The kept values are those of the moment of selecting.
    QVERIFY(m_table->GoToRecord(3));
    m_table->Edit();
    m_table->FieldByName("P")->SetAsFloat(99);
    m_table->Post();
    QCOMPARE(m_grid->SelectedRow(1).values, QVariantList({7.0, 2.5}));

    // Ctrl+click on a selected row takes it out; the selection survives a change of order.
    clickCell(m_table->VisibleRowOf(2), ColN, Qt::ControlModifier);
    m_table->SetIndexName("");
    QCOMPARE(m_grid->SelectedCount(), 2);
    QVERIFY(m_grid->IsSelected(3) && m_grid->IsSelected(4) && !m_grid->IsSelected(2));
    QVERIFY(m_grid->View()->selectionModel()->isRowSelected(2, {}));

    // A row the filter hides leaves the selection.
    changes = 0;
    m_table->SetFilter("N=4");
    QCOMPARE(m_grid->SelectedCount(), 1);
    QCOMPARE(m_grid->SelectedRow(0).recNo, 4);
    QCOMPARE(changes, 1);
}

void TestTDBGridPro::currentRowIsSelectionOfOne()
{
    openTable({{1, 10, 0.5, 0, ""}, {2, 12, 1.5, 0, ""}});
    QVERIFY(!m_grid->HasExplicitSelection());
    QCOMPARE(m_grid->SelectedCount(), 1);
    QCOMPARE(m_grid->SelectedRow(0).recNo, 1);
    m_table->Next();
    QCOMPARE(m_grid->SelectedRow(0).recNo, 2);
    QCOMPARE(m_grid->SelectedRow(0).values, QVariantList({12.0, 1.5}));
    // The view follows the table's cursor once the event loop runs.
    QTRY_COMPARE(m_grid->View()->currentIndex().row(), 1);
    // And the table follows the cell cursor the user moves.
    clickCell(0, ColR);
    QCOMPARE(m_table->RecNo(), 1);
    QCOMPARE(m_grid->CurrentColumnIndex(), int(ColR));
    QCOMPARE(m_grid->CurrentColumn()->FieldName(), QString("R"));
    m_table->SetFilter("N=7");
    QCOMPARE(m_grid->SelectedCount(), 0);
}

void TestTDBGridPro::deletesSelectedRowsLastToFirst_data()
{
    QTest::addColumn<QList<int>>("select"); // record numbers; empty: only the current row
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("left"); // N of the rows left
    QTest::newRow("three selected") << QList<int>{1, 3, 5} << 2 << QList<int>{2, 4};
    QTest::newRow("current row only") << QList<int>{} << 4 << QList<int>{1, 2, 3, 5};
    QTest::newRow("all") << QList<int>{1, 2, 3, 4, 5} << 1 << QList<int>{};
}

void TestTDBGridPro::deletesSelectedRowsLastToFirst()
{
    QFETCH(QList<int>, select);
    QFETCH(int, current);
    QFETCH(QList<int>, left);
    openTable(
        {{1, 1, 1, 0, ""}, {2, 2, 2, 0, ""}, {3, 3, 3, 0, ""}, {4, 4, 4, 0, ""}, {5, 5, 5, 0, ""}});
    for (int recNo : select)
        m_grid->SelectRecord(recNo);
    QVERIFY(m_table->GoToRecord(current));
    QList<int> deletedAtEvent;
    int afterDelete = 0;
    m_grid->AfterDelete = [&](TDBGridPro *grid) {
        ++afterDelete;
        QVERIFY(!grid->HasExplicitSelection());
        deletedAtEvent << m_table->ExactRecordCount();
    };
    m_grid->DeleteSelectedRows();
    QCOMPARE(afterDelete, 1);
    QCOMPARE(deletedAtEvent, QList<int>({int(left.size())}));
    QCOMPARE(shownN(), left);
    QVERIFY(!m_grid->HasExplicitSelection());
    QVERIFY(m_grid->View()->updatesEnabled());

    // The rows are marked deleted in the file: a fresh opening does not show them either.
    m_table->Close();
    m_table->Open();
    QCOMPARE(m_table->ExactRecordCount(), int(left.size()));

    // With nothing to delete nothing happens.
    if (left.isEmpty()) {
        m_grid->DeleteSelectedRows();
        QCOMPARE(afterDelete, 1);
    }
}

void TestTDBGridPro::footerFollowsColumns()
{
    QList<Row> rows;
    for (int i = 1; i <= 30; ++i)
        rows.append({i, double(i), double(i), 0, ""});
    openTable(rows);
    m_grid->SetShowFooters(true);
    for (int c = 0; c < m_grid->Columns().Count(); ++c)
        m_grid->Columns()[c]->SetWidth(200);
    m_grid->Columns()[ColP]->SetFooterText("1/2/3");
    QTest::qWait(1);
    QHeaderView *header = m_grid->View()->horizontalHeader();
    const auto check = [&] {
        for (int c = 0; c < m_grid->Columns().Count(); ++c) {
            const QRect footer = m_grid->FooterCellRect(c);
            if (header->isSectionHidden(c)) {
                QVERIFY(footer.isEmpty());
                continue;
            }
            const int x = header->sectionViewportPosition(c);
            if (x + header->sectionSize(c) <= 0 || x >= m_grid->View()->viewport()->width())
                continue; // scrolled out of sight
            const int left = header->viewport()->mapTo(m_grid.get(), QPoint(x, 0)).x();
            QCOMPARE(footer.left(), left);
            QCOMPARE(footer.width(), header->sectionSize(c));
            QVERIFY(footer.top() >= m_grid->View()->geometry().bottom());
        }
    };
    check();
    m_grid->Columns()[ColN]->SetWidth(120);
    check();
    m_grid->Columns()[ColR]->SetVisible(false);
    check();
    m_grid->View()->horizontalScrollBar()->setValue(150);
    check();
    QVERIFY(m_grid->FooterCellRect(ColN).isEmpty() ||
            m_grid->FooterCellRect(ColN).left() < m_grid->View()->x());
    QCOMPARE(m_grid->Columns()[ColP]->FooterText(), QString("1/2/3"));
    m_grid->SetShowFooters(false);
    QVERIFY(m_grid->FooterCellRect(ColP).isEmpty());
}

void TestTDBGridPro::firstRowsShowWhenAllRowsFit_data()
{
    QTest::addColumn<QString>("then");
    // The view follows the current (last) row while it is small, then gets its real size.
    QTest::newRow("scrolled while small, enlarged") << "enlarge";
    // An offset beyond the last row left in the view (the state that showed rows 7 to 14 of
    // 14 above blank space) goes when the rows are read again or the table is reopened, as
    // after a deletion, a renumbering or a save.
    QTest::newRow("offset left, rows re-read") << "refresh";
    QTest::newRow("offset left, table reopened") << "reopen";
}

void TestTDBGridPro::firstRowsShowWhenAllRowsFit()
{
    QFETCH(QString, then);
    QList<Row> rows;
    for (int n = 1; n <= 14; ++n)
        rows.append({n, double(n), 1, 0, {}});
    m_grid->resize(500, 130);
    openTable(rows);
    QTableView *view = m_grid->View();
    QHeaderView *rowHeader = view->verticalHeader();
    m_table->Last();
    QTRY_VERIFY(view->rowAt(0) > 0);
    m_grid->resize(500, 600);
    QTRY_COMPARE(view->rowAt(0), 0);
    if (then != "enlarge") {
        m_table->First();
        QTRY_COMPARE(view->currentIndex().row(), 0);
        rowHeader->setOffset(6 * rowHeader->defaultSectionSize());
        if (then == "refresh") {
            m_table->Refresh();
        } else {
            m_table->Close();
            m_table->Open();
        }
        QCoreApplication::processEvents();
    }
    QCOMPARE(view->rowAt(0), 0);
    QCOMPARE(rowHeader->offset(), 0);
    QCOMPARE(view->rowAt(rowHeader->length() + 1), -1); // blank space only below the rows
}

void TestTDBGridPro::fittingFillsWidthAndKeepsFixed()
{
    openTable({{1, 1, 1, 0, ""}});
    m_grid->Columns()[ColN]->SetFixedWidth(true);
    m_grid->SetAutoColumnFit(true);
    QHeaderView *header = m_grid->View()->horizontalHeader();
    const auto total = [&] {
        int sum = 0;
        for (int c = 0; c < m_grid->Columns().Count(); ++c)
            sum += header->isSectionHidden(c) ? 0 : header->sectionSize(c);
        return sum;
    };
    QCOMPARE(total(), m_grid->View()->viewport()->width());
    QCOMPARE(header->sectionSize(ColN), 80);
    m_grid->resize(700, 300);
    QTRY_COMPARE(total(), m_grid->View()->viewport()->width());
    // The design widths stay what they were; only the shown widths are fitted.
    QCOMPARE(m_grid->Columns()[ColP]->Width(), 80);
    m_grid->SetAutoColumnFit(false);
    QCOMPARE(header->sectionSize(ColP), 80);
}

void TestTDBGridPro::columnColourFillsItsCells()
{
    openTable({{1, 1, 1, 0, ""}, {2, 2, 2, 0, ""}, {3, 3, 3, 0, ""}});
    m_grid->Columns()[ColR]->SetColor(QColor(200, 0, 0));
    m_grid->SelectRecord(1);
    QTableView *view = m_grid->View();
    const auto pixel = [&](int row, int column) {
        const QRect cell = view->visualRect(view->model()->index(row, column));
        return view->viewport()->grab().toImage().pixelColor(cell.left() + 2, cell.top() + 2);
    };
    QCOMPARE(pixel(2, ColR), QColor(200, 0, 0));
    QVERIFY(pixel(2, ColP) != QColor(200, 0, 0));
    // A selected row shows the selection colour, also over a coloured column.
    QCOMPARE(pixel(0, ColR), view->palette().color(QPalette::Active, QPalette::Highlight));
    m_grid->Columns()[ColR]->SetDefaultColor();
    QCOMPARE(pixel(2, ColR), pixel(2, ColP));
}

void TestTDBGridPro::movedTitleMovesColumn()
{
    openTable({{1, 2, 3, 0, "x"}});
    m_grid->SetColumnsMovable(true);
    QHeaderView *header = m_grid->View()->horizontalHeader();
    header->moveSection(ColComment, 0);
    QCOMPARE(m_grid->Columns()[0]->FieldName(), QString("COMMENT"));
    QCOMPARE(m_grid->Columns()[1]->FieldName(), QString("N"));
    QCOMPARE(header->visualIndex(0), 0);
    QCOMPARE(m_grid->CellText(0, 0), QString("x"));
    QCOMPARE(m_grid->CellText(0, 1), QString("1"));
}

void TestTDBGridPro::editPostedWhenCursorLeavesRow()
{
    openTable({{1, 1, 1, 0, "old"}, {2, 2, 2, 0, "two"}});
    int initEdits = 0;
    m_grid->OnInitEdit = [&](TDBGridPro *) { ++initEdits; };
    QTableView *view = m_grid->View();
    const QModelIndex cell = view->model()->index(0, ColComment);
    view->setCurrentIndex(cell);
    view->edit(cell);
    QCOMPARE(initEdits, 1);
    auto *editor = view->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    QCOMPARE(editor->maxLength(), 10);
    editor->setText("new");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(m_grid->CellText(0, ColComment), QString("new"));
    QVERIFY(m_grid->EditPending());
    QCOMPARE(storedComment(1), QString("old"));
    // The number in the same row goes with the row.
    view->model()->setData(view->model()->index(0, ColP), "3,25");
    QCOMPARE(storedComment(1), QString("old"));

    clickCell(1, ColN);
    QVERIFY(!m_grid->EditPending());
    QCOMPARE(storedComment(1), QString("new"));
    QCOMPARE(m_table->ValueAt(1, m_table->FieldByName("P")->Index()).toDouble(), 3.25);
    QCOMPARE(m_table->RecNo(), 2);
    QVERIFY(m_dialogs->shown().isEmpty());
}

void TestTDBGridPro::commitPostsOpenEditor()
{
    openTable({{1, 1, 1, 0, "old"}});
    QTableView *view = m_grid->View();
    const QModelIndex cell = view->model()->index(0, ColComment);
    view->setCurrentIndex(cell);
    view->edit(cell);
    auto *editor = view->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText("typed");
    m_grid->CommitEdit();
    QVERIFY(!m_grid->EditPending());
    QCOMPARE(storedComment(1), QString("typed"));
    // Nothing pending: nothing happens.
    m_grid->CommitEdit();
    QCOMPARE(storedComment(1), QString("typed"));
    // Hiding the grid (another tab shown) posts what was typed.
    view->model()->setData(cell, "hidden");
    QVERIFY(m_grid->EditPending());
    m_grid->hide();
    QVERIFY(!m_grid->EditPending());
    QCOMPARE(storedComment(1), QString("hidden"));
    // A read-only grid opens no editor; a double click is the grid's event.
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    m_grid->SetReadOnly(true);
    QVERIFY(!(view->model()->flags(cell) & Qt::ItemIsEditable));
    int doubleClicks = 0;
    m_grid->OnDblClick = [&](TDBGridPro *) { ++doubleClicks; };
    const QPoint at = view->visualRect(cell).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, view->viewport()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &twice);
    QCOMPARE(doubleClicks, 1);
    QVERIFY(!m_grid->EditPending());
}

void TestTDBGridPro::refusedValueIsReportedAndRestKept()
{
    openTable({{1, 1, 1, 0, "old"}, {2, 2, 2, 0, ""}});
    QAbstractItemModel *model = m_grid->View()->model();
    m_grid->View()->setCurrentIndex(model->index(0, ColN));
    QVERIFY(model->setData(model->index(0, ColComment), "kept"));
    // P holds at most 8 characters before the point.
    QVERIFY(!model->setData(model->index(0, ColP), "123456789"));
    QVERIFY(!model->setData(model->index(0, ColN), "1,5"));
    QVERIFY(!model->setData(model->index(0, ColR), "abc"));
    QCOMPARE(m_dialogs->shown().size(), 3);
    QVERIFY(m_dialogs->shown().at(0).text.contains("123456789"));
    QCOMPARE(m_dialogs->shown().at(0).icon, DialogService::Icon::Error);
    m_grid->CommitEdit();
    QCOMPARE(storedComment(1), QString("kept"));
    QCOMPARE(m_grid->CellText(0, ColP), QString("1,0"));
    QCOMPARE(m_grid->CellText(0, ColN), QString("1"));
    // The largest value that fits is taken.
    QVERIFY(model->setData(model->index(0, ColP), "-1234567,5"));
    m_grid->CommitEdit();
    QCOMPARE(m_table->ValueAt(1, m_table->FieldByName("P")->Index()).toDouble(), -1234567.5);
}

QTEST_MAIN(TestTDBGridPro)
#include "tst_tdbgridpro.moc"
