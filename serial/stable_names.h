#pragma once
#include <QString>

struct SerialDevice;

// Where udev names serial devices after what they are (vendor, model,
// serial number, interface) rather than after the order they came up in.
inline const QString kSerialByIdFolder = QStringLiteral("/dev/serial/by-id");

// The name that keeps leading to this device across sockets and reboots:
// the entry of by_id_folder whose link resolves to it, else the device
// itself (links resolved). "" when the device does not exist.
QString stable_name(const QString& device, const QString& by_id_folder = kSerialByIdFolder);

// The same from what udev told about the device (its links), without
// looking at the file system; the node when it has no by-id link.
QString stable_name(const SerialDevice& device, const QString& by_id_folder = kSerialByIdFolder);

// Points the ports-folder entry comN at target, replacing what was there in
// one step (a new link renamed over the old entry), so that a controller
// opening port N meanwhile sees either the old or the new device. Creates
// the ports folder when needed. On failure returns false and says why.
bool write_port_link(int port, const QString& target, QString* error = nullptr);

// Makes port N keep leading to the device it leads to now: its entry
// comN becomes a link to the device's stable name. Nothing is written when
// the port leads nowhere or its entry already names the stable name.
// Returns false, with the reason, when the link could not be written.
bool pin_port(int port, QString* error = nullptr, const QString& by_id_folder = kSerialByIdFolder);

// pin_port for the port the user has just chosen for a phone slot. A
// failure is only logged as a warning: the slot works on the port as it is.
void pin_chosen_port(int port);

// The USB device's part of a by-id name, the same for all of its
// interfaces: ".../usb-HUAWEI_Mobile-if01-port0" gives "usb-HUAWEI_Mobile".
QString by_id_device_name(const QString& by_id_path);

// A short name for lists and notices that tells two phones of one model
// apart: "/dev/serial/by-id/usb-Nokia_6230_0123456-if00" gives
// "Nokia 6230 0123456"; a device without a by-id name gives its node
// without "/dev/" ("ttyACM0", "pts/4").
QString display_name(const QString& stable);

// The device cell of a found phone: the short stable name of what port N
// leads to ("Nokia 6230 0123456", "pts/4").
QString port_display_name(int port);
