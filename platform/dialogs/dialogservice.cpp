#include "platform/dialogs/dialogservice.h"

#include "platform/dialogs/qtdialogservice.h"

namespace {
DialogService *g_installed = nullptr;
} // namespace

DialogService &DialogService::instance()
{
    if (!g_installed) {
        static QtDialogService fallback;
        return fallback;
    }
    return *g_installed;
}

void DialogService::install(DialogService *service)
{
    g_installed = service;
}

QString DialogService::dlgCaption(DlgType type)
{
    switch (type) {
    case DlgType::Warning:
        return QStringLiteral("Предупреждение");
    case DlgType::Error:
        return QStringLiteral("Ошибка");
    case DlgType::Information:
        return QStringLiteral("Информация");
    case DlgType::Confirmation:
        return QStringLiteral("Подтверждение");
    }
    return {};
}

void showErrorBox(const QString &text)
{
    DialogService::instance().messageBox(text, QStringLiteral("Ошибка"), DialogService::Icon::Error,
                                         DialogService::Buttons::Ok);
}
