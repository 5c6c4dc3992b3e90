#include "serial/libudev_feed.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <libudev.h>

namespace {

Q_LOGGING_CATEGORY(devicesLog, "vekorra.devices", QtWarningMsg)

const char* const kSubsystem = "tty";

DeviceProperties properties_of(udev_device* device)
{
    DeviceProperties properties;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device))
    {
        properties.insert(QString::fromLocal8Bit(udev_list_entry_get_name(entry)),
                          QString::fromLocal8Bit(udev_list_entry_get_value(entry)));
    }
    return properties;
}

}  // namespace

LibudevFeed::LibudevFeed(QObject* parent) : UdevFeed(parent), udev_(udev_new()) {}

LibudevFeed::~LibudevFeed()
{
    delete notifier_;
    if (monitor_)
        udev_monitor_unref(monitor_);
    if (udev_)
        udev_unref(udev_);
}

bool LibudevFeed::udev_runs()
{
    return QFileInfo::exists(QStringLiteral("/run/udev/control"));
}

QList<DeviceProperties> LibudevFeed::start()
{
    if (!udev_ || monitor_)
        return {};
    // The monitor first: a device plugged in while the list below is being
    // taken then arrives as an event (at worst as well as in the list).
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ && udev_monitor_filter_add_match_subsystem_devtype(monitor_, kSubsystem, nullptr) >= 0
        && udev_monitor_enable_receiving(monitor_) >= 0) {
        notifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read);
        connect(notifier_, &QSocketNotifier::activated, this, &LibudevFeed::receive);
    } else {
        qCWarning(devicesLog) << "udev monitor unavailable: devices plugged in are seen through the ports folder only";
    }

    QList<DeviceProperties> present;
    udev_enumerate* enumerate = udev_enumerate_new(udev_);
    udev_enumerate_add_match_subsystem(enumerate, kSubsystem);
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate))
    {
        udev_device* device = udev_device_new_from_syspath(udev_, udev_list_entry_get_name(entry));
        if (device) {
            present += properties_of(device);
            udev_device_unref(device);
        }
    }
    udev_enumerate_unref(enumerate);
    return present;
}

void LibudevFeed::receive()
{
    udev_device* device = udev_monitor_receive_device(monitor_);
    if (!device)
        return;
    const char* action = udev_device_get_action(device);
    const DeviceProperties properties = properties_of(device);
    udev_device_unref(device);
    qCDebug(devicesLog) << action << properties.value(QStringLiteral("DEVNAME"));
    emit event(QString::fromLatin1(action ? action : ""), properties);
}
