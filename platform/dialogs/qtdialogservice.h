#pragma once

#include "platform/dialogs/dialogservice.h"

// The dialog service of the running program: real Qt message boxes and common dialogs, parented
// to the active window.
class QtDialogService : public DialogService
{
public:
    Button messageBox(const QString &text, const QString &caption, Icon icon,
                      Buttons buttons) override;
    Button messageDlg(const QString &text, DlgType type, Buttons buttons) override;
    std::optional<QString> openFile(const FileRequest &request) override;
    std::optional<QString> saveFile(const FileRequest &request) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    bool print(QPrinter *printer) override;
};
