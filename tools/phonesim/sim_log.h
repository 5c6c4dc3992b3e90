#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

// The simulator's traffic log: one flushed line per event,
// "<seconds since epoch>.<microseconds> <KIND> <text>", where KIND is
// RX (a command line received), TX (bytes sent), EV (an event).
// Control bytes are written as \xNN so that every entry stays one line.
class SimLog {
public:
    bool open(const QString& path);
    void write(const char* kind, const QByteArray& text);
    static QByteArray escaped(const QByteArray& bytes);
    static QByteArray time_stamp();

private:
    QFile file_;
};
