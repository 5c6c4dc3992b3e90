#pragma once
#include "serial/udev_events.h"

struct udev;
struct udev_monitor;
class QSocketNotifier;

// The udev feed of a running system: libudev's monitor on the "tty"
// subsystem, its socket in the Qt event loop.
class LibudevFeed : public UdevFeed {
    Q_OBJECT

public:
    explicit LibudevFeed(QObject* parent = nullptr);
    ~LibudevFeed() override;

    QList<DeviceProperties> start() override;

    // Whether udev runs here (its control socket exists); without it
    // nothing would ever arrive.
    static bool udev_runs();

private:
    void receive();

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};
