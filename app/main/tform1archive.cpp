// The archive's life cycle in the main window: create from the instrument, open, append a new
// download, save and close.

#include "app/main/tform1.h"

#include "archive/lifecycle/archivefile.h"
#include "device/import/recordimport.h"
#include "device/receive/receptionhost.h"
#include "device/receive/tform2.h"
#include "platform/dbf/tdbf.h"
#include "platform/dbgrid/tdbgridpro.h"
#include "platform/registry/registrykey.h"
#include "platform/shared/sharedstate.h"
#include "tables/gridcolumns.h"
#include "tables/gridlayout.h"

#include <QFileInfo>
#include <QSignalBlocker>
#include <QTabWidget>

namespace {

const QString ArchiveSuffix = QStringLiteral("db");

// Before each use a file dialog gets its filter and default extension again and no file name.
void prepare(DialogService::FileRequest &dialog, const QString &filter)
{
    dialog.fileName.clear();
    dialog.filter = filter;
    dialog.defaultSuffix = ArchiveSuffix;
}

bool received()
{
    return Form2->exec() == int(ReceptionResult::Ok);
}

} // namespace

void TForm1::N2Click()
{
    // Closed before the dialog, so that cancelling it leaves no archive open.
    if (ArchiveOpen)
        Close_DB();
    prepare(SaveDialog1, QStringLiteral("Файлы данных (*.db)"));
    SaveDialog1.confirmOverwrite = true;
    const std::optional<QString> name = DialogService::instance().saveFile(SaveDialog1);
    if (!name || name->isEmpty())
        return;
    if (!received())
        return;
    Create_DB(*name);
}

void TForm1::N3Click()
{
    prepare(OpenDialog1, QStringLiteral("Базы данных (*.db)"));
    const std::optional<QString> name = DialogService::instance().openFile(OpenDialog1);
    if (!name || name->isEmpty())
        return;
    openChosenArchive(*name);
}

void TForm1::openChosenArchive(const QString &fileName)
{
    if (ArchiveOpen)
        Close_DB();
    DefaultDirectory = QFileInfo(fileName).absolutePath();
    Open_DB(fileName);
}

// "Дополнить": a new download of the instrument added to an archive, only the tests that the
// archive does not hold yet.
void TForm1::N4Click()
{
    if (!ArchiveOpen) {
        prepare(OpenDialog1, QStringLiteral("Базы данных (*.db)"));
        const std::optional<QString> name = DialogService::instance().openFile(OpenDialog1);
        if (!name || name->isEmpty())
            return;
        Open_DB(*name);
        if (!ArchiveOpen)
            return;
    }
    if (!received())
        return;
    ClearGridSort(*DBGridPro1, *Dbf1, AdhesionSortTag);
    ClearGridSort(*DBGridPro2, *Dbf1, PullOffSortTag);
    ImportOutcome outcome;
    try {
        outcome = flash2nira(true);
    } catch (...) {
        // Nothing was written (the moments are checked first); the archive stays as it was.
        tab_vis_en();
        throw;
    }
    m_tableStatistics = find_mma(*Dbf1);
    tab_vis_en();
    showTableStatistics();
    if (outcome.written == 0) {
        DialogService::instance().messageDlg(NothingNewerText, DialogService::DlgType::Information,
                                             DialogService::Buttons::Ok);
        return;
    }
    Save_DB();
}

void TForm1::Create_DB(const QString &fileName)
{
    ArchiveOpen = false;
    TablesModified = false;
    Dbf1->Close();
    try {
        createArchiveFile(*Dbf1, fileName);
        ArchiveOpen = true;
        setLook(Look::Open);
        flash2nira(false);
        m_tableStatistics = find_mma(*Dbf1);
        enable_button();
        tab_vis_en();
        LoadGridLayout(*m_registry, RegistryKey::Table1, *DBGridPro1);
        LoadGridLayout(*m_registry, RegistryKey::Table2, *DBGridPro2);
        showTableStatistics();
    } catch (...) {
        abandonArchive();
        throw;
    }
    TablesModified = false;
}

void TForm1::Open_DB(const QString &fileName)
{
    if (ArchiveOpen)
        Close_DB();
    quint8 deviceType = 0;
    try {
        deviceType = openArchiveFile(*Dbf1, fileName);
    } catch (const std::exception &) {
        showErrorBox(DamagedArchiveText);
        return;
    }
    ArchiveOpen = true;
    m_tableStatistics = find_mma(*Dbf1);
    Dbf1->First();
    DeviceTypeCode = deviceType;
    setLook(Look::Open);
    enable_button();
    tab_vis_en();
    LoadGridLayout(*m_registry, RegistryKey::Table1, *DBGridPro1);
    LoadGridLayout(*m_registry, RegistryKey::Table2, *DBGridPro2);
    setWindowTitle(QFileInfo(fileName).completeBaseName() + QStringLiteral(" - ") +
                   ApplicationTitle);
    TablesModified = false;
    ApplyForceCaptions(*DBGridPro2);
    AlignGridColumns(*DBGridPro2);
    DBGridPro2->show();
    showTableStatistics();
}

ImportOutcome TForm1::flash2nira(bool append)
{
    if (!Dbf1->Active())
        return {};
    ImportOutcome outcome;
    {
        // The grids read the table again once after the import rather than after every row.
        const QSignalBlocker quiet(Dbf1);
        outcome = importDeviceRecords(*Dbf1, append, [this] { ApplyForceCaptions(*DBGridPro2); });
    }
    Dbf1->Refresh();
    if (outcome.truncated())
        DialogService::instance().messageDlg(truncatedImageMessage(outcome),
                                             DialogService::DlgType::Warning,
                                             DialogService::Buttons::Ok);
    // Making "Вырыв" active runs its show handler only when the page changes.
    const auto activatePullOffPage = [this] {
        PageControl1->setTabVisible(PageControl1->indexOf(TabSheet2), true);
        PageControl1->setCurrentWidget(TabSheet2);
    };
    activatePullOffPage();
    Dbf1->SetFilter(QString());
    AlignGridColumns(*DBGridPro2);
    activatePullOffPage();
    Dbf1->Refresh();
    return outcome;
}

void TForm1::showTableStatistics()
{
    DBGridPro1SelectionChange();
    DBGridPro2SelectionChange();
}

void TForm1::Save_DB()
{
    if (!ArchiveOpen)
        return;
    if (Dbf1->Active()) {
        DBGridPro1->CommitEdit();
        Dbf1->Close();
        Dbf1->Open();
    }
    TablesModified = false;
}

void TForm1::Close_DB()
{
    if (TablesModified && DialogService::instance().messageBox(
                              QStringLiteral("Сохранить изменения в таблицах ?"), ApplicationTitle,
                              DialogService::Icon::Question,
                              DialogService::Buttons::YesNo) == DialogService::Button::Yes)
        Save_DB();
    SaveGridLayout(*m_registry, RegistryKey::Table1, *DBGridPro1);
    SaveGridLayout(*m_registry, RegistryKey::Table2, *DBGridPro2);
    ArchiveOpen = false;
    TablesModified = false;
    if (Dbf1->Active()) {
        // Closing drops an edit still in progress (the answer "No"); posted rows stay in the file.
        Dbf1->Close();
        Dbf1->DeleteIndexFile();
    }
    disable_button();
    tab_vis_dis();
    setWindowTitle(ApplicationTitle);
    setLook(Look::Closed);
}

void TForm1::abandonArchive()
{
    ArchiveOpen = false;
    TablesModified = false;
    try {
        // The rows posted so far stay in the file; the first error is the one the user sees.
        Dbf1->Close();
        Dbf1->DeleteIndexFile();
    } catch (const std::exception &) {
    }
    disable_button();
    tab_vis_dis();
    setLook(Look::Closed);
}
