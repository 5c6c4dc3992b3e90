#pragma once
#include <QList>
#include <QString>

// Who keeps a serial port busy, and what the user can do about it.

// A process that has the device open.
struct PortHolder {
    qint64 pid = 0;
    QString name;          // its command name ("ModemManager", "minicom")
    // false: its open files could not be read (another user's process, as
    // ModemManager is root's), so it is only named because it is a program
    // known to take phones' ports.
    bool certain = true;

    bool operator==(const PortHolder&) const = default;
};

// Whether the device (links resolved) is a serial line: a character device
// that sysfs counts among the ttys (a serial port, a USB modem's ACM or
// serial port), or a pseudo-terminal's far end, which sysfs does not list.
// The consoles and the controlling terminal are not.
bool is_serial_device(const QString& device, const QString& sys_root = QStringLiteral("/sys"));

// The processes under proc_root whose open files include the device (links
// resolved). Processes whose files this user may not read are not seen,
// except a running ModemManager, which is then reported as a likely holder
// (certain = false) when no certain holder was found.
QList<PortHolder> port_holders(const QString& device, const QString& proc_root = QStringLiteral("/proc"));

// A USB device's vendor and product ids, four hex digits each.
struct UsbIds {
    QString vendor;
    QString product;
    bool known() const { return !vendor.isEmpty() && !product.isEmpty(); }
};

// The ids of the USB device a tty belongs to, from sysfs: the folder of
// sys_root/class/tty/<name>/device and its parents, up to the one that has
// idVendor and idProduct. Empty ids for a tty that is not on USB.
UsbIds usb_ids_of_tty(const QString& device, const QString& sys_root = QStringLiteral("/sys"));

// The udev rule that keeps ModemManager away from this USB device.
QString modem_manager_rule(const UsbIds& ids);

// What the user is told beside a port error when the port is busy: which
// program holds it and the remedy (for ModemManager, the udev rule with the
// device's ids, ready to copy). "" when no holder is known.
QString port_busy_note(const QList<PortHolder>& holders, const UsbIds& ids);

// The note for the device behind a port path (a comN entry or a node),
// looked up in /proc and /sys. A device that is no serial line has no
// holder worth naming (every daemon holds /dev/null): the note says what
// the port points to instead.
QString port_busy_note(const QString& device);

// The note for port number N (its ports-folder entry, else its usual
// device). "" when no other program holds it, and at once, without looking
// at any process, when no device is there.
QString held_port_note(int port);
