#include "app/main/tform1.h"

#include "app/about/tform6.h"
#include "app/help/manual.h"
#include "app/main/mainimages.h"
#include "archive/schema/archiveschema.h"
#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "platform/guard/commandguard.h"
#include "platform/registry/registrykey.h"
#include "platform/shared/sharedstate.h"
#include "tables/gridcolumns.h"
#include "tables/gridlayout.h"
#include "tables/gridsort.h"
#include "tables/rowcommands.h"
#include "tables/statistics.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

TForm1 *Form1 = nullptr;

namespace {
const QString AdhesionFilter = QStringLiteral("NB_TYPE=0");
const QString PullOffFilter = QStringLiteral("NB_TYPE=1");
} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent), Dbf1(new TDbf(this))
{
    Dbf1->SetFieldDefs(archiveFieldDefs());
    setWindowTitle(ApplicationTitle);
    setWindowIcon(programIcon());
    createTabs();
    createMenus();
    createToolBar();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->availableGeometry();
        resize(desktop.size() * 3 / 4);
        move(desktop.center() - rect().center());
    }
    runGuarded([this] { FormCreate(); });
}

TForm1::~TForm1()
{
    // The grids go before the table they show.
    delete PageControl1;
}

QAction *TForm1::command(const QString &name, const QString &caption, void (TForm1::*handler)())
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this,
            [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
    return action;
}

void TForm1::createMenus()
{
    N2 = command("N2", QStringLiteral("Создать"), &TForm1::N2Click);
    N2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    N2->setIcon(mainImage(MainImage::Create));
    N3 = command("N3", QStringLiteral("Открыть"), &TForm1::N3Click);
    N3->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    N3->setIcon(mainImage(MainImage::Open));
    N4 = command("N4", QStringLiteral("Дополнить"), &TForm1::N4Click);
    N5 = command("N5", QStringLiteral("Сохранить"), &TForm1::N5Click);
    N5->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    N5->setIcon(mainImage(MainImage::Save));
    N7 = command("N7", QStringLiteral("Закрыть"), &TForm1::N7Click);
    N8 = command("N8", QStringLiteral("Предварительный просмотр"), &TForm1::N8Click);
    N8->setIcon(mainImage(MainImage::Preview));
    N9 = command("N9", QStringLiteral("Печать"), &TForm1::N9Click);
    N9->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    N9->setIcon(mainImage(MainImage::Print));
    N11 = command("N11", QStringLiteral("Выход"), &TForm1::N11Click);

    QMenu *file = menuBar()->addMenu(QStringLiteral("Файл"));
    file->addActions({N2, N3, N4, N5, N7});
    file->addSeparator();
    file->addActions({N8, N9});
    file->addSeparator();
    file->addAction(N11);

    N27 = command("N27", QStringLiteral("Выровнять столбцы"), &TForm1::N23Click);
    N29 = command("N29", QStringLiteral("Задать цвет"), &TForm1::N17Click);
    N30 = command("N30", QStringLiteral("Убрать цвет"), &TForm1::N18Click);
    N31 = command("N31", QStringLiteral("Убрать все цвета"), &TForm1::N19Click);
    N33 = command("N33", QStringLiteral("Убрать сортировку"), &TForm1::N33Click);
    QMenu *view = menuBar()->addMenu(QStringLiteral("Вид"));
    view->addAction(N27);
    view->addSeparator();
    view->addActions({N29, N30, N31});
    view->addSeparator();
    view->addAction(N33);

    N34 = command("N34", QStringLiteral("Удалить строки"), &TForm1::N21Click);
    N34->setIcon(mainImage(MainImage::Delete));
    menuBar()->addMenu(QStringLiteral("Правка"))->addAction(N34);

    Excel1 = command("Excel1", QStringLiteral("Экспорт в Excel"), &TForm1::Excel1Click);
    N37 = command("N37", QStringLiteral("Перенумеровать строки"), &TForm1::N37Click);
    N36 = command("N36", QStringLiteral("График"), &TForm1::N15Click);
    N39 = command("N39", QStringLiteral("Экспорт графиков"), &TForm1::N39Click);
    menuBar()->addMenu(QStringLiteral("Сервис"))->addActions({Excel1, N37, N36, N39});

    N24 = command("N24", QStringLiteral("Помощь"), &TForm1::N24Click);
    N24->setShortcut(QKeySequence(Qt::Key_F1));
    N24->setIcon(mainImage(MainImage::Help));
    N26 = command("N26", QStringLiteral("О программе"), &TForm1::N26Click);
    QMenu *help = menuBar()->addMenu(QStringLiteral("Справка"));
    help->addAction(N24);
    help->addSeparator();
    help->addAction(N26);

    // The pop-up items are never disabled: their handlers look at the archive state themselves.
    N15 = command("N15", QStringLiteral("График"), &TForm1::N15Click);
    N22 = command("N22", QStringLiteral("Печать"), &TForm1::N22Click);
    N17 = command("N17", QStringLiteral("Задать цвет"), &TForm1::N17Click);
    N18 = command("N18", QStringLiteral("Убрать цвет"), &TForm1::N18Click);
    N19 = command("N19", QStringLiteral("Убрать все цвета"), &TForm1::N19Click);
    N23 = command("N23", QStringLiteral("Выровнять столбцы"), &TForm1::N23Click);
    N21 = command("N21", QStringLiteral("Удалить"), &TForm1::N21Click);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    PopupMenu1->addActions({N15, N22});
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({N17, N18, N19});
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(N23);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(N21);
}

void TForm1::createToolBar()
{
    ToolBar1 = addToolBar(QStringLiteral("Панель инструментов"));
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    struct Button
    {
        QAction **member;
        const char *name;
        MainImage image;
        QAction *sameAs;
        void (TForm1::*handler)();
    };
    const Button buttons[] = {
        {&ToolButton1, "ToolButton1", MainImage::Create, N2, &TForm1::N2Click},
        {&ToolButton2, "ToolButton2", MainImage::Open, N3, &TForm1::N3Click},
        {&ToolButton3, "ToolButton3", MainImage::Save, N5, &TForm1::N5Click},
        {&ToolButton4, "ToolButton4", MainImage::Preview, N8, &TForm1::N8Click},
        {&ToolButton5, "ToolButton5", MainImage::Print, N9, &TForm1::N9Click},
        {&ToolButton6, "ToolButton6", MainImage::Help, N24, &TForm1::N24Click},
    };
    for (const Button &b : buttons) {
        // A button of its own (not the menu item's action), so that a shortcut is not bound twice;
        // the hint names the command.
        QAction *button = command(b.name, b.sameAs->text(), b.handler);
        button->setIcon(mainImage(b.image));
        ToolBar1->addAction(button);
        *b.member = button;
    }
}

TDBGridPro *TForm1::createGrid(QWidget *sheet, const char *name)
{
    auto *grid = new TDBGridPro(sheet);
    grid->setObjectName(name);
    grid->SetDataSet(Dbf1);
    auto *layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid);
    QWidget *view = grid->View();
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint &pos) {
        PopupMenu1->popup(grid->View()->viewport()->mapToGlobal(pos));
    });
    return grid;
}

void TForm1::createTabs()
{
    auto *client = new QWidget(this);
    client->setObjectName("Client");
    client->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);

    PageControl1 = new QTabWidget(client);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setDocumentMode(true);
    TabSheet1 = new QWidget;
    TabSheet2 = new QWidget;
    DBGridPro1 = createGrid(TabSheet1, "DBGridPro1");
    DBGridPro2 = createGrid(TabSheet2, "DBGridPro2");
    SetupAdhesionGrid(*DBGridPro1);
    SetupPullOffGrid(*DBGridPro2);
    DBGridPro1->OnInitEdit = [this](TDBGridPro *) { DBGridPro1InitEdit(); };
    DBGridPro2->OnInitEdit = [this](TDBGridPro *) { DBGridPro1InitEdit(); };
    DBGridPro1->OnTitleStateChange = [this](TDBGridPro *, TgpColumn *column) {
        DBGridPro1TitleStateChange(column);
    };
    DBGridPro2->OnTitleStateChange = [this](TDBGridPro *, TgpColumn *column) {
        DBGridPro2TitleStateChange(column);
    };
    DBGridPro2->OnDblClick = [this](TDBGridPro *) { DBGridPro2DblClick(); };
    DBGridPro1->OnSelectionChange = [this](TDBGridPro *) { DBGridPro1SelectionChange(); };
    DBGridPro2->OnSelectionChange = [this](TDBGridPro *) { DBGridPro2SelectionChange(); };
    DBGridPro1->AfterDelete = [this](TDBGridPro *) { DBGridPro1AfterDelete(); };
    DBGridPro2->AfterDelete = [this](TDBGridPro *) { DBGridPro2AfterDelete(); };
    PageControl1->addTab(TabSheet1, QStringLiteral("Адгезия"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Вырыв"));
    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this](int index) { runGuarded([this, index] { pageShown(index); }); });
    layout->addWidget(PageControl1);
    setCentralWidget(client);
}

void TForm1::setLook(Look look)
{
    const QPalette system = QApplication::palette();
    QPalette palette = centralWidget()->palette();
    palette.setColor(QPalette::Window,
                     system.color(look == Look::Closed ? QPalette::Dark : QPalette::Button));
    centralWidget()->setPalette(palette);
}

QColor TForm1::Color() const
{
    return centralWidget()->palette().color(QPalette::Window);
}

void TForm1::FormCreate()
{
    setWindowState(windowState() | Qt::WindowMaximized);
    setLook(Look::Closed);
    PageControl1->hide();

    m_registry = std::make_unique<RegistryKey>();
    if (m_registry->valueExists(RegistryKey::DefaultDir)) {
        DefaultDirectory = m_registry->readString(RegistryKey::DefaultDir);
    } else {
        DefaultDirectory = QDir::currentPath();
        m_registry->writeString(RegistryKey::DefaultDir, DefaultDirectory);
        m_registry->flush();
    }
    OpenDialog1.directory = DefaultDirectory;
    SaveDialog1.directory = DefaultDirectory;

    Dbf1->Close();
    ArchiveOpen = false;

    DBGridPro1->SetBookmarkFields(QStringLiteral("P;R"));
    DBGridPro2->SetBookmarkFields(QStringLiteral("P;R"));
    ClearGridSort(*DBGridPro1, *Dbf1, AdhesionSortTag);
    ClearGridSort(*DBGridPro2, *Dbf1, PullOffSortTag);
    disable_button();
    tab_vis_dis();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // A close that failed (the save did not succeed, say) keeps the window, so nothing is lost
    // without the operator having seen why.
    if (runGuarded([this] { FormClose(); }))
        event->accept();
    else
        event->ignore();
}

void TForm1::FormClose()
{
    m_registry->writeString(RegistryKey::DefaultDir, DefaultDirectory);
    m_registry->flush();
    Close_DB();
}

QList<QAction *> TForm1::archiveCommands() const
{
    return {N5,  N7,  N8,  N9,  N27,    N29,         N30,         N31,        N33,
            N34, N39, N37, N36, Excel1, ToolButton3, ToolButton4, ToolButton5};
}

void TForm1::enable_button()
{
    for (QAction *item : archiveCommands())
        item->setEnabled(true);
}

void TForm1::disable_button()
{
    for (QAction *item : archiveCommands())
        item->setEnabled(false);
}

void TForm1::tab_vis_dis()
{
    PageControl1->hide();
}

void TForm1::showPage(QWidget *sheet)
{
    const int index = PageControl1->indexOf(sheet);
    PageControl1->setTabVisible(index, true);
    if (PageControl1->currentIndex() == index)
        pageShown(index);
    else
        PageControl1->setCurrentIndex(index);
}

void TForm1::pageShown(int index)
{
    if (PageControl1->widget(index) == TabSheet1)
        TabSheet1Show();
    else if (PageControl1->widget(index) == TabSheet2)
        TabSheet2Show();
}

void TForm1::tab_vis_en()
{
    if (!Dbf1->Active())
        return;
    const auto hidePage = [this](QWidget *sheet) {
        // Hiding the shown tab makes the tab bar pick another; the filter is set here instead.
        const QSignalBlocker quiet(PageControl1);
        PageControl1->setTabVisible(PageControl1->indexOf(sheet), false);
    };
    Dbf1->First();
    Dbf1->SetFilter(PullOffFilter);
    Dbf1->Refresh();
    if (Dbf1->RecordCount() > 0)
        showPage(TabSheet2);
    else
        hidePage(TabSheet2);

    Dbf1->SetFilter(AdhesionFilter);
    Dbf1->Refresh();
    if (Dbf1->RecordCount() > 0) {
        showPage(TabSheet1);
    } else {
        hidePage(TabSheet1);
        Dbf1->SetFilter(PullOffFilter);
        Dbf1->Refresh();
    }
    PageControl1->show();
    PageControl1->update();
    AlignGridColumns(*DBGridPro2);
}

void TForm1::TabSheet1Show()
{
    Dbf1->SetFilter(AdhesionFilter);
    if (Dbf1->Active())
        Dbf1->Refresh();
}

void TForm1::TabSheet2Show()
{
    Dbf1->SetFilter(PullOffFilter);
    if (Dbf1->Active())
        Dbf1->Refresh();
    AlignGridColumns(*DBGridPro2);
}

void TForm1::N5Click()
{
    Save_DB();
}

void TForm1::N7Click()
{
    Close_DB();
}

void TForm1::N8Click() {}
void TForm1::N9Click() {}

// "Выход" closes the window the ordinary way, so that the save question is asked, the layouts
// and the default directory are stored and the index file is removed.
void TForm1::N11Click()
{
    close();
}

void TForm1::N23Click()
{
    AlignShownGrid(PageControl1->currentWidget() == TabSheet1 ? *DBGridPro1 : *DBGridPro2, *Dbf1);
}

TDBGridPro &TForm1::shownGrid() const
{
    return PageControl1->currentWidget() == TabSheet1 ? *DBGridPro1 : *DBGridPro2;
}

void TForm1::N17Click()
{
    if (!Dbf1->Active())
        return;
    const std::optional<QColor> chosen = DialogService::instance().chooseColor(m_colorDialogColor);
    if (!chosen)
        return;
    m_colorDialogColor = *chosen;
    SetCurrentColumnColor(shownGrid(), *chosen);
}

void TForm1::N18Click()
{
    if (Dbf1->Active())
        SetCurrentColumnColor(shownGrid(), QColor());
}

void TForm1::N19Click()
{
    if (Dbf1->Active())
        ClearColumnColors(shownGrid());
}

void TForm1::N33Click()
{
    RemoveSorting(*DBGridPro1, *DBGridPro2, *Dbf1);
}

void TForm1::N21Click()
{
    const bool deleting = Dbf1->Active();
    if (deleting)
        DeleteSelectedRows(shownGrid(), *Dbf1);
    m_tableStatistics = find_mma(*Dbf1);
    if (deleting)
        StatisticsFooters(shownGrid(), m_tableStatistics);
}

void TForm1::Excel1Click() {}

void TForm1::N37Click()
{
    if (ArchiveOpen)
        RenumberRows(*Dbf1);
}

void TForm1::N15Click() {}
void TForm1::N39Click() {}
void TForm1::N22Click() {}

void TForm1::N24Click()
{
    showManual(manualPath());
}

void TForm1::N26Click()
{
    Form6->exec();
}

void TForm1::DBGridPro1SelectionChange()
{
    showSelectionStatistics(*DBGridPro1, m_tableStatistics);
}

void TForm1::DBGridPro2SelectionChange()
{
    showSelectionStatistics(*DBGridPro2, m_tableStatistics);
}

void TForm1::DBGridPro1AfterDelete()
{
    m_tableStatistics = find_mma(*Dbf1);
    StatisticsFooters(*DBGridPro1, m_tableStatistics);
}

void TForm1::DBGridPro2AfterDelete()
{
    m_tableStatistics = find_mma(*Dbf1);
    StatisticsFooters(*DBGridPro2, m_tableStatistics);
}

void TForm1::DBGridPro1InitEdit()
{
    GridEditStarted();
}

void TForm1::DBGridPro1TitleStateChange(TgpColumn *column)
{
    SortByTitle(*DBGridPro1, *Dbf1, AdhesionSortTag, column);
}

void TForm1::DBGridPro2TitleStateChange(TgpColumn *column)
{
    SortByTitle(*DBGridPro2, *Dbf1, PullOffSortTag, column);
}

void TForm1::DBGridPro2DblClick() {}
