#pragma once
#include <QList>
#include <QString>

// The record each worker keeps of what it did to the store, one file per
// run of one process (an "incarnation"). Every line is handed to the kernel
// before the worker goes on, so a SIGKILL loses at most the step that was in
// progress, never a line already written:
//   T <tick>                    a tick begins
//   P <key> <slot> <token>      about to write token into key of slot
//   A <key> <slot>              about to take key of slot
//   R <key> <slot> <token>      took token from key of slot
//   B <key> <slot>              read a value that was not whole
//   E <tick>                    the tick ended
//   X                           the run ended at its deadline
// The accounting in stress_check.cpp reasons from these records alone.

namespace kill_stress {

struct Record {
    char kind = 0;  // T P A R B E X
    QString key;
    int slot = 0;
    qint64 number = 0;  // tick or token
};

struct Incarnation {
    QString role;  // controller1 .. controller4, dialer, watcher
    int index = 0;
    QList<Record> records;
    bool finished() const { return !records.isEmpty() && records.last().kind == 'X'; }
    // The last tick began and did not end: the kill fell inside a tick.
    bool killed_mid_tick() const;
};

QString log_path(const QString& dir, const QString& role, int index);
QString latency_path(const QString& dir, const QString& role, int index);

// Every incarnation of role whose log exists, in order of index.
QList<Incarnation> read_incarnations(const QString& dir, const QString& role);

// The highest tick and token that any earlier incarnation logged, so that a
// restarted worker never reuses either.
qint64 highest_logged(const QList<Incarnation>& runs, char kind);

// Appends lines to a log with one write per line, without buffering.
class LogWriter {
public:
    explicit LogWriter(const QString& path);
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;
    void line(const QByteArray& text);

private:
    int fd_ = -1;
};

// Status values carry their writer, tick and a digest of the whole text, so
// a reader can tell a whole value from a torn or mixed one. Lengths vary
// from a few bytes to several kilobytes, so writes span database pages.
QString encode_value(const QString& writer, qint64 tick, int key_index);
struct Decoded {
    bool whole = false;
    QString writer;
    qint64 tick = -1;
};
Decoded decode_value(const QString& value);

}  // namespace kill_stress
