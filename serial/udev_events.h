#pragma once
#include <QObject>

#include "serial/device_events.h"

// What udev says about tty devices, as property sets: the one part of the
// udev path that needs a running udev. Tests feed recorded events instead.
class UdevFeed : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Starts listening for events, then lists the devices udev knows now.
    virtual QList<DeviceProperties> start() = 0;

signals:
    // action: "add", "remove", "change", "bind", ...
    void event(const QString& action, const DeviceProperties& properties);
};

// Serial devices from a udev feed: hardware ttys only (no virtual
// terminals), described by their udev properties.
class UdevDeviceEvents : public DeviceEvents {
    Q_OBJECT

public:
    // Takes the feed as a child.
    explicit UdevDeviceEvents(UdevFeed* feed, QObject* parent = nullptr);

    QList<SerialDevice> start() override;
    QMap<QString, SerialDevice> present() const override { return present_; }

private:
    void on_event(const QString& action, const DeviceProperties& properties);

    UdevFeed* feed_;
    QMap<QString, SerialDevice> present_;
};
