#include "serial/ports_folder_events.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

PortsFolderEvents::PortsFolderEvents(const QString& folder, QObject* parent)
    : DeviceEvents(parent), folder_(folder)
{
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &PortsFolderEvents::rescan);
}

QList<SerialDevice> PortsFolderEvents::start()
{
    // A folder that does not exist cannot be watched: make it, as the
    // settings window would when it links a port.
    QDir().mkpath(folder_);
    watcher_.addPath(folder_);
    present_ = read_entries();
    return present_.values();
}

QMap<QString, SerialDevice> PortsFolderEvents::read_entries() const
{
    static const QRegularExpression entry_name(QRegularExpression::anchoredPattern(QStringLiteral("com([1-9][0-9]*)")));
    QMap<QString, SerialDevice> devices;
    const QDir folder(folder_);
    for (const QString& name : folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch match = entry_name.match(name);
        if (!match.hasMatch())
            continue;
        const QString node = QFileInfo(folder.filePath(name)).canonicalFilePath();
        if (node.isEmpty())
            continue;
        SerialDevice& device = devices[node];
        device.node = node;
        device.port_entries += match.captured(1).toInt();
    }
    for (SerialDevice& device : devices)
        std::sort(device.port_entries.begin(), device.port_entries.end());
    return devices;
}

void PortsFolderEvents::rescan()
{
    const QMap<QString, SerialDevice> before = present_;
    present_ = read_entries();
    emit_changes(before, present_);
}
