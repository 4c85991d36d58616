#include "platform/dialogs/qtdialogservice.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace {

QMessageBox::Icon toQtIcon(DialogService::Icon icon)
{
    switch (icon) {
    case DialogService::Icon::None:
        return QMessageBox::NoIcon;
    case DialogService::Icon::Information:
        return QMessageBox::Information;
    case DialogService::Icon::Warning:
        return QMessageBox::Warning;
    case DialogService::Icon::Error:
        return QMessageBox::Critical;
    case DialogService::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

DialogService::Button showBox(const QString &text, const QString &caption, QMessageBox::Icon icon,
                              DialogService::Buttons buttons)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    using B = DialogService::Button;
    struct Choice
    {
        B button;
        const char *label;
        QMessageBox::ButtonRole role;
    };
    QList<Choice> choices;
    switch (buttons) {
    case DialogService::Buttons::Ok:
        choices = {{B::Ok, "OK", QMessageBox::AcceptRole}};
        break;
    case DialogService::Buttons::OkCancel:
        choices = {{B::Ok, "OK", QMessageBox::AcceptRole},
                   {B::Cancel, "Отмена", QMessageBox::RejectRole}};
        break;
    case DialogService::Buttons::YesNo:
        choices = {{B::Yes, "Да", QMessageBox::YesRole}, {B::No, "Нет", QMessageBox::NoRole}};
        break;
    case DialogService::Buttons::YesNoCancel:
        choices = {{B::Yes, "Да", QMessageBox::YesRole},
                   {B::No, "Нет", QMessageBox::NoRole},
                   {B::Cancel, "Отмена", QMessageBox::RejectRole}};
        break;
    }
    QHash<QAbstractButton *, B> byWidget;
    for (const Choice &c : choices)
        byWidget.insert(box.addButton(QString::fromUtf8(c.label), c.role), c.button);
    box.exec();
    return byWidget.value(box.clickedButton(), choices.last().button);
}

} // namespace

DialogService::Button QtDialogService::messageBox(const QString &text, const QString &caption,
                                                  Icon icon, Buttons buttons)
{
    return showBox(text, caption, toQtIcon(icon), buttons);
}

DialogService::Button QtDialogService::messageDlg(const QString &text, DlgType type,
                                                  Buttons buttons)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (type) {
    case DlgType::Warning:
        icon = QMessageBox::Warning;
        break;
    case DlgType::Error:
        icon = QMessageBox::Critical;
        break;
    case DlgType::Information:
        icon = QMessageBox::Information;
        break;
    case DlgType::Confirmation:
        icon = QMessageBox::Question;
        break;
    }
    return showBox(text, dlgCaption(type), icon, buttons);
}

std::optional<QString> QtDialogService::openFile(const FileRequest &request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.directory,
                       request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtDialogService::saveFile(const FileRequest &request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.directory,
                       request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QColor> QtDialogService::chooseColor(const QColor &initial)
{
    const QColor chosen = QColorDialog::getColor(initial, QApplication::activeWindow());
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

bool QtDialogService::print(QPrinter *printer)
{
    QPrintDialog dialog(printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}
