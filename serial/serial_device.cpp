#include "serial/serial_device.h"

#include <QDir>

#include "serial/stable_names.h"

SerialDevice serial_device_from_udev(const DeviceProperties& properties)
{
    SerialDevice device;
    device.node = properties.value(QStringLiteral("DEVNAME"));
    // DEVLINKS is one text of blank-separated paths.
    device.links = properties.value(QStringLiteral("DEVLINKS")).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    device.links.sort();
    device.usb_serial = properties.value(QStringLiteral("ID_SERIAL"));
    device.vendor_id = properties.value(QStringLiteral("ID_VENDOR_ID"));
    device.product_id = properties.value(QStringLiteral("ID_MODEL_ID"));
    device.interface_number = properties.value(QStringLiteral("ID_USB_INTERFACE_NUM"));
    return device;
}

bool is_hardware_tty(const DeviceProperties& properties)
{
    const QString devpath = properties.value(QStringLiteral("DEVPATH"));
    return !properties.value(QStringLiteral("DEVNAME")).isEmpty() && !devpath.isEmpty()
        && !devpath.startsWith(QLatin1String("/devices/virtual/"));
}

QStringList device_names(const SerialDevice& device, const QString& ports_dir)
{
    QStringList names{device.node};
    names += device.links;
    for (int port : device.port_entries)
        names += QDir(ports_dir).filePath(QStringLiteral("com%1").arg(port));
    return names;
}

QString usb_device_key(const SerialDevice& device)
{
    if (!device.usb_serial.isEmpty())
        return QStringLiteral("usb:") + device.usb_serial;
    for (const QString& link : device.links) {
        if (link.startsWith(kSerialByIdFolder + QLatin1Char('/')))
            return QStringLiteral("by-id:") + by_id_device_name(link);
    }
    return device.node;
}

SerialDevice merged(const SerialDevice& first, const SerialDevice& second)
{
    SerialDevice result = first;
    for (const QString& link : second.links) {
        if (!result.links.contains(link))
            result.links += link;
    }
    for (int port : second.port_entries) {
        if (!result.port_entries.contains(port))
            result.port_entries += port;
    }
    std::sort(result.port_entries.begin(), result.port_entries.end());
    const auto fill = [](QString& mine, const QString& theirs) {
        if (mine.isEmpty())
            mine = theirs;
    };
    fill(result.usb_serial, second.usb_serial);
    fill(result.vendor_id, second.vendor_id);
    fill(result.product_id, second.product_id);
    fill(result.interface_number, second.interface_number);
    return result;
}
