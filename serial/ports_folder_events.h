#pragma once
#include <QFileSystemWatcher>

#include "serial/device_events.h"

// The entries comN of the ports folder as devices: one device per node
// that one or more entries lead to. An entry whose link leads nowhere (its
// phone unplugged) counts as absent. Watched through the file system's
// change notifications on the folder.
class PortsFolderEvents : public DeviceEvents {
    Q_OBJECT

public:
    explicit PortsFolderEvents(const QString& folder, QObject* parent = nullptr);

    QList<SerialDevice> start() override;
    QMap<QString, SerialDevice> present() const override { return present_; }

    // Looks at the entries again and signals what changed.
    void rescan();

private:
    QMap<QString, SerialDevice> read_entries() const;

    QString folder_;
    QFileSystemWatcher watcher_;
    QMap<QString, SerialDevice> present_;
};
