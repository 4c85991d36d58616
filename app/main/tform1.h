#pragma once

#include "platform/dialogs/dialogservice.h"
#include "tables/statistics.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QTabWidget;
class QToolBar;
class RegistryKey;
class TDbf;
class TDBGridPro;
class TgpColumn;
struct ImportOutcome;

// The main window: tool bar, menus, the two result tabs and the pop-up menu of the grids. It owns
// the archive table Dbf1 and the result grids for the whole run.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    // Creating the window runs FormCreate.
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The background of the client area: button shadows while no archive is open, button faces
    // while one is.
    enum class Look
    {
        Closed,
        Open
    };
    void setLook(Look look);
    QColor Color() const;

    // The program's registry key, open from FormCreate to the end of the run.
    RegistryKey &registry() const { return *m_registry; }
    // The figures over the whole table that find_mma last computed in this run.
    const TableStatistics &tableStatistics() const { return m_tableStatistics; }

    void FormCreate();
    void FormClose();
    void enable_button();
    void disable_button();
    void tab_vis_en();
    void tab_vis_dis();
    void TabSheet1Show();
    void TabSheet2Show();
    // The archive's life cycle. Create_DB and Open_DB take the file's path.
    void Create_DB(const QString &fileName);
    void Open_DB(const QString &fileName);
    // What "Открыть" does once a file is chosen (also for a file named on the command line): the
    // open archive closed, the file's folder made the default directory, the file opened.
    void openChosenArchive(const QString &fileName);
    void Save_DB();
    void Close_DB();
    // Imports DeviceImage into the open archive (append: only the records newer than the
    // archive's pull-off rows) and leaves the window on "Вырыв" with every row shown.
    ImportOutcome flash2nira(bool append);

    // "Файл"
    void N2Click();
    void N3Click();
    void N4Click();
    void N5Click();
    void N7Click();
    void N8Click();
    void N9Click();
    void N11Click();
    // "Вид", "Правка", "Сервис" and the pop-up menu
    void N23Click();
    void N17Click();
    void N18Click();
    void N19Click();
    void N33Click();
    void N21Click();
    void Excel1Click();
    void N37Click();
    void N15Click();
    void N39Click();
    void N22Click();
    // "Справка"
    void N24Click();
    void N26Click();
    // The grids
    void DBGridPro1InitEdit();
    void DBGridPro1TitleStateChange(TgpColumn *column);
    void DBGridPro2TitleStateChange(TgpColumn *column);
    void DBGridPro2DblClick();
    void DBGridPro1SelectionChange();
    void DBGridPro2SelectionChange();
    void DBGridPro1AfterDelete();
    void DBGridPro2AfterDelete();

    TDbf *Dbf1;
    QToolBar *ToolBar1;
    QAction *ToolButton1, *ToolButton2, *ToolButton3, *ToolButton4, *ToolButton5, *ToolButton6;
    QTabWidget *PageControl1;
    QWidget *TabSheet1; // "Адгезия"
    QWidget *TabSheet2; // "Вырыв"
    TDBGridPro *DBGridPro1;
    TDBGridPro *DBGridPro2;
    QMenu *PopupMenu1;

    QAction *N2, *N3, *N4, *N5, *N7, *N8, *N9, *N11;
    QAction *N27, *N29, *N30, *N31, *N33;
    QAction *N34;
    QAction *Excel1, *N37, *N36, *N39;
    QAction *N24, *N26;
    QAction *N15, *N22, *N17, *N18, *N19, *N23, *N21;

    // The open and save dialogs of the archive commands; their initial directory is
    // DefaultDirectory as it stood when the window was created.
    DialogService::FileRequest OpenDialog1;
    DialogService::FileRequest SaveDialog1;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // What a create or an append that failed half-way leaves: no archive open.
    void abandonArchive();
    // A new archive is shown: the footers of both grids as for a selection change.
    void showTableStatistics();
    void createMenus();
    void createToolBar();
    void createTabs();
    TDBGridPro *createGrid(QWidget *sheet, const char *name);
    QAction *command(const QString &name, const QString &caption, void (TForm1::*handler)());
    void showPage(QWidget *sheet);
    void pageShown(int index);
    // The archive commands: enabled exactly while an archive is open.
    QList<QAction *> archiveCommands() const;
    // The grid of the tab that is shown: DBGridPro1 for "Адгезия", DBGridPro2 for "Вырыв".
    TDBGridPro &shownGrid() const;

    std::unique_ptr<RegistryKey> m_registry;
    TableStatistics m_tableStatistics;
    // The colour dialog offers the colour last chosen in it.
    QColor m_colorDialogColor = Qt::white;
};

extern TForm1 *Form1;
