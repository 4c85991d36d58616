#include "platform/dbgrid/cellvision.h"
#include "platform/dbgrid/gridfit.h"
#include "platform/dbgrid/tgpcolumn.h"

#include <QSignalSpy>
#include <QtTest>

// The grid's column collection and the pure parts of the grid: layout text form, layout copies,
// column fitting and cell texts.
class TestGridColumns : public QObject
{
    Q_OBJECT

private slots:
    void textFormRoundTrip();
    void unreadableTextLeavesColumns_data();
    void unreadableTextLeavesColumns();
    void copyAsNewKeepsSourceOrder();
    void copyByFieldNameMatchesIgnoringCase();
    void copyByFieldNameReordersMatchedOnly();
    void settingNoMarkClearsSequence();
    void updatesAreGrouped();
    void fitting_data();
    void fitting();
    void cellTexts_data();
    void cellTexts();
};

namespace {
TgpColumns *threeColumns(QObject *parent)
{
    auto *columns = new TgpColumns(parent);
    for (const char *field : {"N", "P", "COMMENT"})
        columns->Add(QString::fromLatin1(field));
    return columns;
}
} // namespace

void TestGridColumns::textFormRoundTrip()
{
    TgpColumns source;
    TgpColumn *n = source.Add("N");
    n->SetWidth(112);
    n->SetAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    TgpColumn *p = source.Add("P");
    p->SetColor(QColor(0x12, 0x34, 0x56));
    p->SetTitleState(TTitleState::tsDown);
    p->SetSortSeq(2);
    p->SetFont(QFont("DejaVu Sans", 11, QFont::Bold));
    p->SetVisualOptions(voTitleWordWrap);
    p->SetCaption("not kept");
    p->SetVisible(false);

    TgpColumns back;
    QVERIFY(back.FromText(source.ToText()));
    QCOMPARE(back.Count(), 2);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(back[i]->Layout(), source[i]->Layout());
    // Caption and visibility are not part of a layout.
    QCOMPARE(back[1]->Caption(), QString());
    QVERIFY(back[1]->Visible());
    // The text form survives CR LF line breaks.
    TgpColumns crlf;
    QVERIFY(crlf.FromText(source.ToText().replace("\n", "\r\n")));
    QCOMPARE(crlf[1]->Layout(), source[1]->Layout());
}

void TestGridColumns::unreadableTextLeavesColumns_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("garbage") << QString("width=75;P=up");
    QTest::newRow("array root") << QString("[1,2]");
    QTest::newRow("no columns") << QString(R"({"cols":[]})");
    const QString good = R"({"columns":[{"field":"N","width":70,"level":0,"index":0,)"
                         R"("titleState":"none","sortSeq":0,"footerState":"text",)"
                         R"("visualOptions":3,"color":null,"alignment":132,"font":null}]})";
    QTest::newRow("cut short") << good.left(good.size() / 2);
    QTest::newRow("negative width") << QString(good).replace("\"width\":70", "\"width\":-5");
    QTest::newRow("absurd width") << QString(good).replace("\"width\":70", "\"width\":900000");
    QTest::newRow("unknown mark") << QString(good).replace("\"none\"", "\"sideways\"");
    QTest::newRow("bad colour") << QString(good).replace("\"color\":null", "\"color\":\"#zz\"");
    QTest::newRow("no field") << QString(good).replace("\"field\":\"N\",", "");
    QTest::newRow("text width") << QString(good).replace("\"width\":70", "\"width\":\"70\"");
}

void TestGridColumns::unreadableTextLeavesColumns()
{
    QFETCH(QString, text);
    TgpColumns columns;
    columns.Add("R")->SetWidth(33);
    QVERIFY(!columns.FromText(text));
    QCOMPARE(columns.Count(), 1);
    QCOMPARE(columns[0]->FieldName(), QString("R"));
    QCOMPARE(columns[0]->Width(), 33);
}

void TestGridColumns::copyAsNewKeepsSourceOrder()
{
    QObject owner;
    TgpColumns *source = threeColumns(&owner);
    source->Items(1)->SetWidth(91);
    source->Items(2)->SetColor(Qt::yellow);
    TgpColumns copy;
    copy.Add("OLD");
    copy.CopyLayoutAsNew(*source);
    QCOMPARE(copy.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(copy[i]->FieldName(), source->Items(i)->FieldName());
        QCOMPARE(copy[i]->Layout(), source->Items(i)->Layout());
        QCOMPARE(copy[i]->Index(), i);
    }
}

void TestGridColumns::copyByFieldNameMatchesIgnoringCase()
{
    QObject owner;
    TgpColumns *grid = threeColumns(&owner);
    grid->Items(0)->SetWidth(50);
    grid->Items(2)->SetColor(Qt::red);
    TgpColumns saved;
    saved.Add("p")->SetWidth(120);
    saved[0]->SetTitleState(TTitleState::tsUp);
    saved[0]->SetSortSeq(1);
    saved.Add("FOREIGN")->SetWidth(999);
    grid->CopyLayoutByFieldName(saved);
    QCOMPARE(grid->Count(), 3);
    QCOMPARE(grid->Items(1)->FieldName(), QString("P"));
    QCOMPARE(grid->Items(1)->Width(), 120);
    QCOMPARE(grid->Items(1)->TitleState(), TTitleState::tsUp);
    // Columns the layout lacks keep what they had.
    QCOMPARE(grid->Items(0)->Width(), 50);
    QCOMPARE(grid->Items(2)->Color(), QColor(Qt::red));
    QVERIFY(!grid->FindByFieldName("FOREIGN"));
    QCOMPARE(grid->FindByFieldName("comment"), grid->Items(2));
}

void TestGridColumns::copyByFieldNameReordersMatchedOnly()
{
    TgpColumns grid;
    for (const char *field : {"A", "B", "C", "D"})
        grid.Add(field);
    // Saved order: C, X (foreign), A; B and D are not in the layout.
    TgpColumns saved;
    for (const char *field : {"C", "X", "A"})
        saved.Add(field);
    grid.CopyLayoutByFieldName(saved);
    QStringList order;
    for (int i = 0; i < grid.Count(); ++i)
        order << grid[i]->FieldName();
    QCOMPARE(order, QStringList({"C", "B", "A", "D"}));
}

void TestGridColumns::settingNoMarkClearsSequence()
{
    TgpColumns columns;
    TgpColumn *column = columns.Add("P");
    column->SetTitleState(TTitleState::tsDown);
    column->SetSortSeq(3);
    QCOMPARE(column->SortSeq(), 3);
    column->SetTitleState(TTitleState::tsNone);
    QCOMPARE(column->SortSeq(), 0);
}

void TestGridColumns::updatesAreGrouped()
{
    QObject owner;
    TgpColumns *columns = threeColumns(&owner);
    QSignalSpy widths(columns, &TgpColumns::widthsChanged);
    QSignalSpy look(columns, &TgpColumns::lookChanged);
    columns->BeginUpdate();
    for (int i = 0; i < columns->Count(); ++i) {
        columns->Items(i)->SetWidth(75);
        columns->Items(i)->SetDefaultColor();
    }
    QCOMPARE(widths.count(), 0);
    columns->EndUpdate();
    QCOMPARE(widths.count(), 1);
    QCOMPARE(look.count(), 1);
}

void TestGridColumns::fitting_data()
{
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<QList<bool>>("fixed");
    QTest::addColumn<int>("available");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("equal share") << QList<int>{75, 75, 75} << QList<bool>{false, false, false}
                                 << 300 << QList<int>{100, 100, 100};
    QTest::newRow("remainders") << QList<int>{75, 75, 75} << QList<bool>{false, false, false} << 100
                                << QList<int>{34, 33, 33};
    QTest::newRow("proportional") << QList<int>{100, 300} << QList<bool>{false, false} << 200
                                  << QList<int>{50, 150};
    QTest::newRow("fixed keep width") << QList<int>{70, 70, 100} << QList<bool>{true, true, false}
                                      << 400 << QList<int>{70, 70, 260};
    QTest::newRow("all fixed") << QList<int>{70, 79} << QList<bool>{true, true} << 1000
                               << QList<int>{70, 79};
    QTest::newRow("no room") << QList<int>{75, 75} << QList<bool>{false, false} << 10
                             << QList<int>{75, 75};
    QTest::newRow("narrow lifted")
        << QList<int>{1, 1000} << QList<bool>{false, false} << 200 << QList<int>{8, 192};
}

void TestGridColumns::fitting()
{
    QFETCH(QList<int>, widths);
    QFETCH(QList<bool>, fixed);
    QFETCH(int, available);
    QFETCH(QList<int>, expected);
    QCOMPARE(FitColumnWidths(widths, fixed, available), expected);
}

void TestGridColumns::cellTexts_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("fieldFormat");
    QTest::addColumn<QString>("expected");
    const int plain = int(TCellView::Plain);
    const int numeric = int(TCellView::Numeric);
    const int text = int(TCellView::Text);
    QTest::newRow("numeric one decimal") << QVariant(12.35) << numeric << ""
                                         << "12,4";
    QTest::newRow("numeric without grouping") << QVariant(2416.5) << numeric << ""
                                              << "2416,5";
    QTest::newRow("numeric whole") << QVariant(10.0) << numeric << ""
                                   << "10,0";
    QTest::newRow("numeric half up") << QVariant(0.25) << numeric << ""
                                     << "0,3";
    QTest::newRow("numeric negative half") << QVariant(-2.35) << numeric << ""
                                           << "-2,4";
    QTest::newRow("numeric no negative zero") << QVariant(-0.04) << numeric << ""
                                              << "0,0";
    QTest::newRow("numeric of integer") << QVariant(7) << numeric << ""
                                        << "7,0";
    QTest::newRow("numeric empty") << QVariant() << numeric << ""
                                   << "";
    QTest::newRow("plain integer") << QVariant(112) << plain << ""
                                   << "112";
    QTest::newRow("plain double general") << QVariant(0.01) << plain << ""
                                          << "0,01";
    QTest::newRow("plain double with field format") << QVariant(3.0) << plain << "0.0"
                                                    << "3,0";
    QTest::newRow("plain text trimmed") << QVariant("15.03.2012  ") << plain << ""
                                        << "15.03.2012";
    QTest::newRow("text as stored") << QVariant("  отступ") << text << ""
                                    << "  отступ";
    QTest::newRow("plain empty") << QVariant() << plain << ""
                                 << "";
}

void TestGridColumns::cellTexts()
{
    QFETCH(QVariant, value);
    QFETCH(int, view);
    QFETCH(QString, fieldFormat);
    QFETCH(QString, expected);
    const QLocale comma(QLocale::Russian, QLocale::Russia);
    QCOMPARE(CellDisplayText(value, TCellView(view), "0.0", fieldFormat, comma), expected);
    QCOMPARE(FormatDecimals("0.000"), 3);
    QCOMPARE(FormatDecimals("0"), 0);
}

QTEST_GUILESS_MAIN(TestGridColumns)
#include "tst_gridcolumns.moc"
