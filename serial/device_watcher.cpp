#include "serial/device_events.h"

#include "serial/libudev_feed.h"
#include "serial/ports_folder_events.h"
#include "serial/serial_component.h"
#include "serial/udev_events.h"

void DeviceEvents::emit_changes(QMap<QString, SerialDevice> before, QMap<QString, SerialDevice> now)
{
    for (const SerialDevice& device : std::as_const(before)) {
        if (!now.contains(device.node))
            emit left(device);
    }
    for (const SerialDevice& device : std::as_const(now)) {
        if (!before.contains(device.node))
            emit appeared(device);
    }
}

DeviceWatcher::DeviceWatcher(PortsFolderEvents* folder, DeviceEvents* udev, QObject* parent)
    : DeviceEvents(parent), folder_(folder), udev_(udev)
{
    folder_->setParent(this);
    connect(folder_, &DeviceEvents::appeared, this, &DeviceWatcher::publish);
    connect(folder_, &DeviceEvents::left, this, &DeviceWatcher::publish);
    if (udev_) {
        udev_->setParent(this);
        connect(udev_, &DeviceEvents::appeared, this, &DeviceWatcher::on_udev_change);
        connect(udev_, &DeviceEvents::left, this, &DeviceWatcher::on_udev_change);
    }
}

QList<SerialDevice> DeviceWatcher::start()
{
    // udev first: its list is taken after its monitor started, and the
    // folder's entries are resolved after both, so that a by-id link that
    // udev just made is already there.
    if (udev_)
        udev_->start();
    folder_->start();
    published_ = combined();
    return published_.values();
}

QMap<QString, SerialDevice> DeviceWatcher::combined() const
{
    QMap<QString, SerialDevice> devices = folder_->present();
    if (!udev_)
        return devices;
    const QMap<QString, SerialDevice> from_udev = udev_->present();
    for (const SerialDevice& device : from_udev) {
        const auto known = devices.constFind(device.node);
        devices.insert(device.node, known == devices.constEnd() ? device : merged(device, *known));
    }
    return devices;
}

void DeviceWatcher::publish()
{
    const QMap<QString, SerialDevice> before = published_;
    published_ = combined();
    emit_changes(before, published_);
}

void DeviceWatcher::on_udev_change()
{
    // The folder's rescan publishes its own changes together with udev's.
    folder_->rescan();
    publish();
}

DeviceWatcher* make_device_watcher(QObject* parent)
{
    UdevDeviceEvents* udev = nullptr;
    if (LibudevFeed::udev_runs())
        udev = new UdevDeviceEvents(new LibudevFeed);
    return new DeviceWatcher(new PortsFolderEvents(ports_folder()), udev, parent);
}
