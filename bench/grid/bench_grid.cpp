// Opens a 50,000-row archive in a result grid and scrolls it from the first to the last row page
// by page, painting every page at once. Prints the time to the first painted rows and the median
// and worst time per page.
//
//   bench_grid [rows] [--adhesion]     (offscreen unless QT_QPA_PLATFORM says otherwise)

#include "archive/schema/archiveschema.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "tables/gridcolumns.h"
#include "tables/gridlayout.h"
#include "tables/gridsort.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

void writeArchive(const QString &dir, int rows, int nbType)
{
    TDbf table;
    table.SetFieldDefs(archiveFieldDefs());
    table.SetFilePath(dir);
    table.SetTableName("bench.db");
    table.CreateTable();
    table.Open();
    for (int i = 1; i <= rows; ++i) {
        table.Append();
        table.FieldByName("N")->SetAsInteger(i);
        table.FieldByName("DATE")->SetAsString("15.03.2012");
        table.FieldByName("TIME")->SetAsString("10:20:30");
        table.FieldByName("DEV_TYPE")->SetAsInteger(80);
        table.FieldByName("NB_TYPE")->SetAsInteger(nbType);
        table.FieldByName("P")->SetAsFloat(100 + i % 97 * 0.37);
        table.FieldByName("R")->SetAsFloat(20 + i % 13 * 0.5);
        table.FieldByName("P100")->SetAsFloat(i % 50 * 1.5);
        table.FieldByName("D100")->SetAsFloat(0.1);
        for (int n = 1; n <= 60; ++n)
            table.FieldByName(archiveReadingField('P', n))->SetAsFloat(n * 1.25 + i % 7);
        table.Post();
    }
    table.Close();
}

// Counts the paints of the view's rows, so the figures show that every page was painted.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool adhesion = args.contains("--adhesion");
    int rows = 50000;
    for (const QString &arg : args.mid(1))
        if (arg.toInt() > 0)
            rows = arg.toInt();

    QTemporaryDir dir;
    QElapsedTimer timer;
    timer.start();
    writeArchive(dir.path(), rows, adhesion ? 0 : 1);
    std::printf("archive of %d rows written in %.0f ms (not part of the figures)\n", rows,
                ms(timer.nsecsElapsed()));

    TDBGridPro grid;
    adhesion ? SetupAdhesionGrid(grid) : SetupPullOffGrid(grid);
    grid.SetBookmarkFields("P;R");
    grid.resize(1280, 800);
    TDbf table;
    table.SetFieldDefs(archiveFieldDefs());
    table.SetFilePath(dir.path());
    table.SetTableName("bench.db");

    timer.restart();
    table.Open();
    table.SetFilter(adhesion ? "NB_TYPE=0" : "NB_TYPE=1");
    table.Refresh();
    grid.SetDataSet(&table);
    ApplyForceCaptions(grid);
    AlignGridColumns(grid);
    grid.show();
    QApplication::processEvents();
    grid.grab();
    const qint64 firstRows = timer.nsecsElapsed();

    QTableView *view = grid.View();
    QScrollBar *bar = view->verticalScrollBar();
    std::vector<qint64> pages;
    PaintCounter counter;
    view->viewport()->installEventFilter(&counter);
    int timedPaints = 0;
    while (bar->value() < bar->maximum()) {
        // One page down and its paint, done at once as the user waits for it; what the event
        // loop has left over afterwards is not part of the page.
        timer.restart();
        bar->setValue(std::min(bar->value() + bar->pageStep(), bar->maximum()));
        const int paintsBefore = counter.paints;
        view->viewport()->repaint();
        pages.push_back(timer.nsecsElapsed());
        timedPaints += counter.paints > paintsBefore ? 1 : 0;
        QApplication::processEvents();
    }
    const int lastShown = view->rowAt(view->viewport()->height() - 1);
    std::sort(pages.begin(), pages.end());
    const double median = pages.empty() ? 0 : ms(pages[pages.size() / 2]);
    const double worst = pages.empty() ? 0 : ms(pages.back());
    std::printf("%s grid, %d rows, %d pages of %d rows, %d of them painted while timed (last row "
                "shown: %d)\n",
                adhesion ? "adhesion" : "pull-off", table.ExactRecordCount(), int(pages.size()),
                bar->pageStep(), timedPaints,
                lastShown < 0 ? table.ExactRecordCount() : lastShown + 1);
    std::printf("first rows painted: %.1f ms (target <= 500 ms)\n", ms(firstRows));
    const double p99 = pages.empty() ? 0 : ms(pages[pages.size() * 99 / 100]);
    const auto over =
        std::count_if(pages.begin(), pages.end(), [](qint64 t) { return t > 30'000'000; });
    std::printf(
        "page: median %.2f ms, 99th percentile %.2f ms, worst %.2f ms (target worst <= 30 ms); "
        "%d pages over 30 ms\n",
        median, p99, worst, int(over));

    // A title click on P: the tag is built over all rows and the first page painted again.
    grid.OnTitleStateChange = [&](TDBGridPro *g, TgpColumn *column) {
        SortByTitle(*g, table, adhesion ? AdhesionSortTag : PullOffSortTag, column);
    };
    timer.restart();
    grid.TitleClick(grid.Columns().FindByFieldName("P")->Index(), {});
    QApplication::processEvents();
    view->viewport()->repaint();
    std::printf("sort by a title click on P and repaint: %.1f ms\n", ms(timer.nsecsElapsed()));
    return 0;
}
