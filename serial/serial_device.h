#pragma once
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// One device's properties as udev reports them: KEY -> value
// ("DEVNAME" -> "/dev/ttyACM0", "ID_SERIAL" -> "Nokia_6230_0123", ...).
using DeviceProperties = QHash<QString, QString>;

// A serial device the dialer may talk to: the tty of a USB phone or modem,
// or whatever an entry of the ports folder points at (a pseudo-terminal of
// the phone simulator, a device linked by hand).
struct SerialDevice {
    QString node;              // the device node, links resolved: "/dev/ttyACM0"
    QStringList links;         // udev's other names for it (/dev/serial/by-id/...)
    QList<int> port_entries;   // ports-folder entries comN that lead to it
    QString usb_serial;        // ID_SERIAL of its USB device ("" when not USB)
    QString vendor_id;         // ID_VENDOR_ID, four hex digits
    QString product_id;        // ID_MODEL_ID
    QString interface_number;  // ID_USB_INTERFACE_NUM: "00", "01", ...

    bool operator==(const SerialDevice&) const = default;
};

// The device described by a udev property set; its node is empty when the
// set names no device file (DEVNAME).
SerialDevice serial_device_from_udev(const DeviceProperties& properties);

// Whether udev lists the tty under a real bus (USB, PCI, a platform's UART)
// rather than as a virtual terminal (tty1, console, ptmx), which is never a
// phone.
bool is_hardware_tty(const DeviceProperties& properties);

// Every path that leads to the device: its node, its links, and the
// entries of ports_dir that point at it.
QStringList device_names(const SerialDevice& device, const QString& ports_dir);

// The same USB device for all of its interfaces: a modem that brings three
// ttyUSB ports gives one key. ID_SERIAL, else the by-id name without its
// "-ifNN"/"-portN" ending, else the node.
QString usb_device_key(const SerialDevice& device);

// Port entries and USB details of both descriptions of one node: what the
// ports folder knows (entries) and what udev knows (links, ids).
SerialDevice merged(const SerialDevice& first, const SerialDevice& second);
