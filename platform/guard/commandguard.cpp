#include "platform/guard/commandguard.h"

#include "platform/dialogs/dialogservice.h"
#include "platform/shared/apperror.h"
#include "platform/shared/sharedstate.h"

namespace {
void report(const QString &text)
{
    DialogService::instance().messageBox(text, ApplicationTitle, DialogService::Icon::Error,
                                         DialogService::Buttons::Ok);
}
} // namespace

bool runGuarded(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const AppError &e) {
        report(e.text());
    } catch (const std::exception &e) {
        report(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
