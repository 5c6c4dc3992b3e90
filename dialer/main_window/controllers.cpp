#include "dialer/main_window/controllers.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "platform/launcher.h"
#include "settings_store/settings_store.h"

namespace main_window {

namespace {
const QString kApp = QStringLiteral("Kestrum");
}

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
    write_setting(kApp, QString::number(slot), QStringLiteral("on_przv_exe"), QStringLiteral("1"));
    // The argument tells the controller that the dialer started it, so it
    // keeps its window hidden.
    platform::launcher().start_detached(controller_program(folder, slot), {QStringLiteral("0")});
}

std::array<bool, 3> start_enabled_controllers(const QString& folder)
{
    start_controller(folder, 1);
    std::array<bool, 3> shown{};
    for (int slot = 2; slot <= 4; ++slot) {
        shown[slot - 2] = read_setting(kApp, QString::number(slot), QStringLiteral("ON"),
                                       QStringLiteral("0"))
                          == QLatin1String("1");
        if (shown[slot - 2])
            start_controller(folder, slot);
    }
    return shown;
}

void withdraw_run_permissions()
{
    for (int slot = 1; slot <= 4; ++slot)
        write_setting(kApp, QString::number(slot), QStringLiteral("on_przv_exe"), QStringLiteral("0"));
}

}  // namespace main_window
