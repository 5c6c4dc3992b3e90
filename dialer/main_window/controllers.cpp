#include "dialer/main_window/controllers.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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

bool controller_running(const QString& folder, int slot)
{
    const QString slot_folder = QFileInfo(QFileInfo(controller_program(folder, slot)).canonicalFilePath()).path();
    const QString name = QStringLiteral("kestrum-%1.lock")
                             .arg(QString::fromLatin1(
                                 QCryptographicHash::hash(slot_folder.toUtf8(), QCryptographicHash::Sha1).toHex()));
    QStringList places;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        places << runtime;
    places << QDir(QDir::tempPath()).filePath(QStringLiteral("kestrum-%1").arg(qulonglong(::geteuid())));
    for (const QString& place : places) {
        const QByteArray path = QFile::encodeName(QDir(place).filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        ::close(fd);  // a lock taken here for the test goes with the descriptor
        if (held)
            return true;
    }
    return false;
}

void withdraw_run_permissions()
{
    for (int slot = 1; slot <= 4; ++slot)
        blackboard::Slot(slot).set_run_permission(false);
}

}  // namespace main_window
