#pragma once
#include <QList>
#include <QProcess>
#include <QString>
#include <functional>

namespace bench {

// Wall-clock time in seconds since the epoch, the time base of the phone
// simulator's log.
double now_seconds();

// Polls cond every millisecond without pumping events (the measured
// process is another one) until it holds or timeout_ms passes.
bool poll_until(const std::function<bool()>& cond, int timeout_ms);

// A key of slot 1 on the phone blackboard.
QString board(const QString& key);
void set_board(const QString& key, const QString& value);

// Starts 1/kestrum for slot 1 on port 1 (a simulated phone there already)
// and waits until it has the port open and the phone's model; false, with a
// line on stderr, when it does not get there.
bool start_connected_controller(QProcess& kestrum);

// A pause of 50 to 350 ms, so that measured steps fall on every phase of
// the controller's timers.
void pause_random();

// "what  n=.. median .. ms  p99 .. ms  max .. ms  (target ...)".
void report(const char* what, QList<double> ms, const QString& target);

}  // namespace bench
