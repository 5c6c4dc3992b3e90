#include "serial/serial_component.h"

#include <QDir>
#include <QFileInfo>

#include "settings_store/store_location.h"

namespace {

// Port numbers without an entry in the ports folder follow the usual
// mapping of numbered ports onto Linux device families, 32 to a family.
struct DeviceFamily {
    int first_port;
    const char* prefix;
};
constexpr DeviceFamily kFamilies[] = {
    {1, "/dev/ttyS"},
    {33, "/dev/ttyUSB"},
    {65, "/dev/ttyACM"},
};
constexpr int kFamilySize = 32;

}  // namespace

QString ports_folder()
{
    const QString configured = qEnvironmentVariable("VEKORRA_PORTS");
    if (!configured.isEmpty())
        return configured;
    return settings_store::user_folder(settings_store::UserFolder::Config) + QStringLiteral("/vekorra/ports");
}

QString port_device_path(int port)
{
    if (port <= 0)
        return QString();  // "COM0" and below name no port, whatever the folder holds
    // An entry may be a dangling link (device unplugged): it still names the
    // port, and opening it fails as for any missing device.
    const QString entry = QDir(ports_folder()).filePath(QStringLiteral("com%1").arg(port));
    const QFileInfo entry_info(entry);
    if (entry_info.exists() || entry_info.isSymLink())
        return entry;
    for (const DeviceFamily& family : kFamilies) {
        if (port >= family.first_port && port < family.first_port + kFamilySize)
            return QString::fromLatin1(family.prefix) + QString::number(port - family.first_port);
    }
    return QString();
}

int port_of_device(const QString& node)
{
    const QString canonical = QFileInfo(node).canonicalFilePath();
    if (canonical.isEmpty())
        return 0;
    const QDir folder(ports_folder());
    const QStringList entries = folder.entryList({QStringLiteral("com*")}, QDir::AllEntries | QDir::System, QDir::Name);
    for (const QString& entry : entries) {
        bool numeric = false;
        const int port = entry.mid(3).toInt(&numeric);
        if (numeric && port > 0 && QFileInfo(folder.filePath(entry)).canonicalFilePath() == canonical)
            return port;
    }
    for (const DeviceFamily& family : kFamilies) {
        const QString prefix = QString::fromLatin1(family.prefix);
        bool numeric = false;
        const int index = canonical.startsWith(prefix) ? canonical.mid(prefix.size()).toInt(&numeric) : -1;
        if (numeric && index >= 0 && index < kFamilySize) {
            const int port = family.first_port + index;
            // An entry of that number leads elsewhere: the number is taken.
            return port_device_path(port) == canonical ? port : 0;
        }
    }
    return 0;
}
