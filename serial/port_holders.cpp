#include "serial/port_holders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "serial/serial_component.h"

namespace {

const QString kModemManager = QStringLiteral("ModemManager");
// How many folders above a tty's own device folder the USB device may sit:
// ttyACM: interface, then device; ttyUSB: port, interface, device.
constexpr int kUsbDepth = 4;

QString first_line(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readLine()).trimmed();
}

// Whether one of the process's open files is the node; nullopt when its
// open files cannot be listed.
std::optional<bool> holds(const QDir& process, const QString& node)
{
    QDir fds(process.filePath(QStringLiteral("fd")));
    if (!fds.exists() || !fds.isReadable())
        return std::nullopt;
    const QStringList entries = fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& fd : entries) {
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == node)
            return true;
    }
    return false;
}

// Unix98 pseudo-terminal slaves (/dev/pts/N).
constexpr unsigned kPtyFirstMajor = 136;
constexpr unsigned kPtyLastMajor = 143;
// /dev/tty, /dev/console, /dev/ptmx; and the virtual consoles tty0-63,
// which share their major number with the serial ports ttyS*.
constexpr unsigned kTtyAuxMajor = 5;
constexpr unsigned kConsoleMajor = 4;
constexpr unsigned kConsoleMinors = 64;

}  // namespace

bool is_serial_device(const QString& device, const QString& sys_root)
{
    const QString node = QFileInfo(device).canonicalFilePath();
    struct stat info {};
    if (node.isEmpty() || ::stat(QFile::encodeName(node).constData(), &info) != 0 || !S_ISCHR(info.st_mode))
        return false;
    const unsigned major_number = major(info.st_rdev);
    const unsigned minor_number = minor(info.st_rdev);
    if (major_number >= kPtyFirstMajor && major_number <= kPtyLastMajor)
        return true;
    if (major_number == kTtyAuxMajor || (major_number == kConsoleMajor && minor_number < kConsoleMinors))
        return false;
    const QString subsystem =
        QFileInfo(QStringLiteral("%1/dev/char/%2:%3/subsystem").arg(sys_root).arg(major_number).arg(minor_number))
            .canonicalFilePath();
    return subsystem.endsWith(QLatin1String("/tty"));
}

QList<PortHolder> port_holders(const QString& device, const QString& proc_root)
{
    const QString node = QFileInfo(device).canonicalFilePath();
    if (node.isEmpty())
        return {};
    QList<PortHolder> certain;
    QList<PortHolder> likely;
    const QDir proc(proc_root);
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        const QDir process(proc.filePath(entry));
        const std::optional<bool> found = holds(process, node);
        if (found.has_value() && !*found)
            continue;
        const QString name = first_line(process.filePath(QStringLiteral("comm")));
        if (found.has_value())
            certain += PortHolder{pid, name, true};
        else if (name == kModemManager)
            likely += PortHolder{pid, name, false};
    }
    return certain.isEmpty() ? likely : certain;
}

UsbIds usb_ids_of_tty(const QString& device, const QString& sys_root)
{
    const QString name = QFileInfo(QFileInfo(device).canonicalFilePath()).fileName();
    if (name.isEmpty())
        return {};
    QDir folder(QFileInfo(QStringLiteral("%1/class/tty/%2/device").arg(sys_root, name)).canonicalFilePath());
    for (int level = 0; level <= kUsbDepth && !folder.path().isEmpty(); ++level) {
        const QString vendor = first_line(folder.filePath(QStringLiteral("idVendor")));
        const QString product = first_line(folder.filePath(QStringLiteral("idProduct")));
        if (!vendor.isEmpty() && !product.isEmpty())
            return {vendor, product};
        if (!folder.cdUp())
            break;
    }
    return {};
}

QString modem_manager_rule(const UsbIds& ids)
{
    return QStringLiteral("ACTION==\"add|change|move|bind\", ATTRS{idVendor}==\"%1\", "
                          "ATTRS{idProduct}==\"%2\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"")
        .arg(ids.vendor, ids.product);
}

QString port_busy_note(const QList<PortHolder>& holders, const UsbIds& ids)
{
    if (holders.isEmpty())
        return QString();
    const PortHolder& holder = holders.first();
    const QString who = QStringLiteral("%1 (PID %2)").arg(holder.name).arg(holder.pid);
    QString note = holder.certain ? QStringLiteral("Порт занят программой %1.").arg(who)
                                  : QStringLiteral("Порт, вероятно, занят программой %1.").arg(who);
    if (holder.name != kModemManager)
        return note + QStringLiteral(" Закройте её и подключите телефон снова.");
    note += QStringLiteral(" Чтобы ModemManager не трогал телефон, запишите правило в файл "
                           "/etc/udev/rules.d/61-vekorra-modemmanager.rules:\n");
    if (ids.known()) {
        note += modem_manager_rule(ids);
    } else {
        note += modem_manager_rule({QStringLiteral("<idVendor>"), QStringLiteral("<idProduct>")});
        note += QStringLiteral("\n(коды телефона показывает команда lsusb: ID idVendor:idProduct)");
    }
    return note + QStringLiteral("\nи выполните: sudo udevadm control --reload && sudo udevadm trigger, "
                                 "затем подключите телефон заново.");
}

QString port_busy_note(const QString& device)
{
    if (!is_serial_device(device)) {
        const QString node = QFileInfo(device).canonicalFilePath();
        return QStringLiteral("Не последовательный порт: указывает на %1").arg(node.isEmpty() ? device : node);
    }
    return port_busy_note(port_holders(device), usb_ids_of_tty(device));
}

QString held_port_note(int port)
{
    const QString device = port_device_path(port);
    if (device.isEmpty() || !QFileInfo::exists(device))
        return QString();
    return port_busy_note(device);
}
