#include "recorded_udev_feed.h"

#include <QFile>
#include <QTextStream>
#include <QtDebug>

RecordedUdevFeed::RecordedUdevFeed(const QList<Event>& present)
{
    for (const Event& event : present)
        present_ += event.second;
}

QList<DeviceProperties> RecordedUdevFeed::start()
{
    started_ = true;
    return present_;
}

void RecordedUdevFeed::play(const QList<Event>& events)
{
    for (const Event& event : events)
        emit this->event(event.first, event.second);
}

void RecordedUdevFeed::play(const QString& action, const DeviceProperties& properties)
{
    emit event(action, properties);
}

QList<RecordedUdevFeed::Event> RecordedUdevFeed::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning() << "cannot read the udev recording" << path;
        return {};
    }
    QList<Event> events;
    DeviceProperties properties;
    const auto finish = [&] {
        if (!properties.isEmpty())
            events += Event{properties.value(QStringLiteral("ACTION")), properties};
        properties.clear();
    };
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.trimmed().isEmpty()) {
            finish();
            continue;
        }
        // Header lines ("UDEV  [..." / "KERNEL[...") and udevadm's banner
        // carry nothing that the properties don't.
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QString key = line.left(equals);
        if (equals <= 0 || key.contains(QLatin1Char(' ')))
            continue;
        properties.insert(key, line.mid(equals + 1));
    }
    finish();
    return events;
}
