#pragma once
#include <QList>
#include <QPair>
#include <QString>

#include "serial/udev_events.h"

// The udev feed for tests: udev's events can't be produced here, so they
// come from recordings in the text form of
//   udevadm monitor --udev --property --subsystem-match=tty
// (a header line "UDEV  [time] action devpath (tty)", then KEY=VALUE lines,
// a blank line after each event), or are built in the test.
//
//   auto* feed = new RecordedUdevFeed(RecordedUdevFeed::read(data("present.udev")));
//   UdevDeviceEvents events(feed);
//   events.start();
//   feed->play(RecordedUdevFeed::read(data("plug_modem.udev")));
class RecordedUdevFeed : public UdevFeed {
    Q_OBJECT

public:
    using Event = QPair<QString, DeviceProperties>;  // action, properties

    // present: the property sets that start() lists (their actions unused).
    explicit RecordedUdevFeed(const QList<Event>& present = {});

    QList<DeviceProperties> start() override;
    bool started() const { return started_; }

    // Emits the events in order, as udev's monitor would deliver them.
    void play(const QList<Event>& events);
    void play(const QString& action, const DeviceProperties& properties);

    // The events of a recording; an empty list (and a warning) when the
    // file cannot be read.
    static QList<Event> read(const QString& path);

private:
    QList<DeviceProperties> present_;
    bool started_ = false;
};
