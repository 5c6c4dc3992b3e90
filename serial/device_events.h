#pragma once
#include <QList>
#include <QMap>
#include <QObject>

#include "serial/serial_device.h"

class PortsFolderEvents;

// Serial devices coming and going while the program runs. One seam with
// two sources: udev (USB phones and modems plugged in and out) and the
// ports folder (comN entries made and removed, e.g. by the phone
// simulator, or a link to a device by hand).
class DeviceEvents : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Begins watching, then lists what is there already: whatever changes
    // after the list was taken arrives as a signal, nothing falls between.
    virtual QList<SerialDevice> start() = 0;
    // The devices present now, by node.
    virtual QMap<QString, SerialDevice> present() const = 0;

signals:
    void appeared(const SerialDevice& device);
    void left(const SerialDevice& device);

protected:
    // Signals the difference between two looks at the devices: what left
    // first, then what appeared. Copies, since a slot may look again (and
    // replace the caller's map) before the last signal.
    void emit_changes(QMap<QString, SerialDevice> before, QMap<QString, SerialDevice> now);
};

// Both sources as one: a device is present while either source has it,
// and described by what both know (its port entries and its USB details).
// A udev event also has the ports folder looked at again, since an entry
// that points at /dev/serial/by-id/... starts or stops leading somewhere
// without any change inside the folder.
class DeviceWatcher : public DeviceEvents {
    Q_OBJECT

public:
    // folder is required; udev may be null (no udev on this system). The
    // sources become children of the watcher.
    DeviceWatcher(PortsFolderEvents* folder, DeviceEvents* udev, QObject* parent = nullptr);

    QList<SerialDevice> start() override;
    QMap<QString, SerialDevice> present() const override { return published_; }

private:
    QMap<QString, SerialDevice> combined() const;
    // Signals the difference between what was last reported and now.
    void publish();
    void on_udev_change();

    PortsFolderEvents* folder_;
    DeviceEvents* udev_;
    QMap<QString, SerialDevice> published_;
};

// The real watcher: udev where it runs, the ports folder always.
DeviceWatcher* make_device_watcher(QObject* parent = nullptr);
