#include "dialer/main_window/controllers.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "platform/launcher.h"
#include "blackboard/slot.h"

namespace main_window {

QString installation_folder()
{
    return QFileInfo(QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath()).path();
}

QString controller_program(const QString& folder, int slot)
{
    return folder + QLatin1Char('/') + QString::number(slot) + QStringLiteral("/kestrum");
}

void start_controller(const QString& folder, int slot)
{
    blackboard::Slot(slot).set_run_permission(true);
    // The argument tells the controller that the dialer started it, so it
    // keeps its window hidden.
    platform::launcher().start_detached(controller_program(folder, slot), {QStringLiteral("0")});
}

std::array<bool, 3> start_enabled_controllers(const QString& folder)
{
    start_controller(folder, 1);
    std::array<bool, 3> shown{};
    for (int slot = 2; slot <= 4; ++slot) {
        shown[slot - 2] = blackboard::Slot(slot).enabled();
        if (shown[slot - 2])
            start_controller(folder, slot);
    }
    return shown;
}

void withdraw_run_permissions()
{
    for (int slot = 1; slot <= 4; ++slot)
        blackboard::Slot(slot).set_run_permission(false);
}

}  // namespace main_window
