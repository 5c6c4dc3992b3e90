#include "serial/stable_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "serial/serial_component.h"
#include "serial/serial_device.h"

namespace {
Q_LOGGING_CATEGORY(devicesLog, "vekorra.devices", QtWarningMsg)
}  // namespace

QString stable_name(const QString& device, const QString& by_id_folder)
{
    const QString node = QFileInfo(device).canonicalFilePath();
    if (node.isEmpty())
        return QString();
    const QDir by_id(by_id_folder);
    // Sorted, so that a device with two by-id names always gets the same one.
    const QStringList entries = by_id.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        const QString path = by_id.filePath(entry);
        if (QFileInfo(path).canonicalFilePath() == node)
            return path;
    }
    return node;
}

QString stable_name(const SerialDevice& device, const QString& by_id_folder)
{
    const QString prefix = QDir::cleanPath(by_id_folder) + QLatin1Char('/');
    for (const QString& link : device.links) {
        if (link.startsWith(prefix))
            return link;
    }
    return device.node;
}

bool write_port_link(int port, const QString& target, QString* error)
{
    const auto failed = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (port <= 0 || target.isEmpty())
        return failed(QStringLiteral("no port or no target"));
    const QString folder = ports_folder();
    if (!QDir().mkpath(folder))
        return failed(QStringLiteral("cannot create %1").arg(folder));
    const QString entry = QDir(folder).filePath(QStringLiteral("com%1").arg(port));
    const QByteArray entry_bytes = QFile::encodeName(entry);
    const QByteArray temporary = entry_bytes + ".new." + QByteArray::number(getpid());
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(target).constData(), temporary.constData()) != 0
        || ::rename(temporary.constData(), entry_bytes.constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::unlink(temporary.constData());
        return failed(QStringLiteral("cannot link %1: %2").arg(entry, why));
    }
    return true;
}

bool pin_port(int port, QString* error, const QString& by_id_folder)
{
    const QString path = port_device_path(port);
    const QString stable = path.isEmpty() ? QString() : stable_name(path, by_id_folder);
    if (stable.isEmpty())
        return true;  // nothing there to pin: the port stays as it is
    const QFileInfo entry(QDir(ports_folder()).filePath(QStringLiteral("com%1").arg(port)));
    if (entry.isSymLink() && entry.symLinkTarget() == stable)
        return true;
    return write_port_link(port, stable, error);
}

void pin_chosen_port(int port)
{
    QString error;
    if (!pin_port(port, &error))
        qCWarning(devicesLog).noquote() << "COM" + QString::number(port) << "not pinned to its device:" << error;
}

QString by_id_device_name(const QString& by_id_path)
{
    static const QRegularExpression interface_ending(QStringLiteral("(-if[0-9a-fA-F]{2})?(-port\\d+)?$"));
    return by_id_path.section(QLatin1Char('/'), -1).remove(interface_ending);
}

QString display_name(const QString& stable)
{
    if (stable.contains(QLatin1String("/by-id/"))) {
        // "usb-" or "pci-" says the bus, "-if00" the interface: neither
        // helps to tell phones apart.
        static const QRegularExpression bus(QStringLiteral("^[a-z]+-"));
        QString name = by_id_device_name(stable).remove(bus);
        name.replace(QLatin1Char('_'), QLatin1Char(' '));
        // udev writes unusual characters as \xNN; blanks are the only usual one.
        name.replace(QLatin1String("\\x20"), QLatin1String(" "));
        return name.simplified();
    }
    if (stable.startsWith(QLatin1String("/dev/")))
        return stable.mid(5);
    return stable;
}

QString port_display_name(int port)
{
    const QString path = port_device_path(port);
    return path.isEmpty() ? QString() : display_name(stable_name(path));
}
