#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

class QPrinter;
class QWidget;

// Message boxes and the common dialogs, behind one interface so that every handler can be driven
// by a test. The program installs QtDialogService; tests install ScriptedDialogService.
class DialogService
{
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Button { Ok = 1, Cancel = 2, Yes = 6, No = 7 };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    // The message dialog's type decides its icon and caption.
    enum class DlgType { Warning, Error, Information, Confirmation };

    struct FileRequest
    {
        QString title;
        QString filter;       // e.g. "Архив (*.db)"
        QString directory;    // initial directory
        QString fileName;     // proposed file name
        QString defaultSuffix;
        bool confirmOverwrite = false; // save dialogs only
    };

    virtual ~DialogService() = default;

    // System message box: text, caption, icon and buttons; returns the button pressed.
    virtual Button messageBox(const QString &text, const QString &caption, Icon icon,
                              Buttons buttons) = 0;
    // Message dialog of a type; returns the button pressed.
    virtual Button messageDlg(const QString &text, DlgType type, Buttons buttons) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> openFile(const FileRequest &request) = 0;
    virtual std::optional<QString> saveFile(const FileRequest &request) = 0;
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
    // Shows the print dialog for the printer; true when the user chose to print.
    virtual bool print(QPrinter *printer) = 0;

    // The service in force for the whole program. Never null: a QtDialogService until another one
    // is installed. install() does not take ownership.
    static DialogService &instance();
    static void install(DialogService *service);

    // Caption of a message dialog of the given type.
    static QString dlgCaption(DlgType type);
};

// Shorthand for the message box the program shows on every failure the user must see.
void showErrorBox(const QString &text);
