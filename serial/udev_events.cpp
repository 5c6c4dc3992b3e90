#include "serial/udev_events.h"

UdevDeviceEvents::UdevDeviceEvents(UdevFeed* feed, QObject* parent)
    : DeviceEvents(parent), feed_(feed)
{
    feed_->setParent(this);
    connect(feed_, &UdevFeed::event, this, &UdevDeviceEvents::on_event);
}

QList<SerialDevice> UdevDeviceEvents::start()
{
    present_.clear();
    for (const DeviceProperties& properties : feed_->start()) {
        if (is_hardware_tty(properties)) {
            const SerialDevice device = serial_device_from_udev(properties);
            present_.insert(device.node, device);
        }
    }
    return present_.values();
}

void UdevDeviceEvents::on_event(const QString& action, const DeviceProperties& properties)
{
    if (!is_hardware_tty(properties))
        return;
    const SerialDevice device = serial_device_from_udev(properties);
    if (action == QLatin1String("remove")) {
        // The remove event may carry fewer properties than the add: report
        // the device as it was known.
        const SerialDevice known = present_.take(device.node);
        if (!known.node.isEmpty())
            emit left(known);
        return;
    }
    // "add", and "change"/"bind"/"move" of a device not seen yet (a
    // monitor started while it was being set up).
    const bool is_new = !present_.contains(device.node);
    present_.insert(device.node, device);
    if (is_new)
        emit appeared(device);
}
