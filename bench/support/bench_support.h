#pragma once
#include <QList>
#include <QProcess>
#include <QString>
#include <functional>

#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

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

// A world of its own (store, ports folder), a simulated phone on port 1
// and a real 1/kestrum for slot 1 connected to it; the controller is told
// to end when this ends.
class ConnectedPhone {
public:
    explicit ConnectedPhone(const QStringList& phone_options);
    ~ConnectedPhone();
    // The phone runs and the controller has its port open and its model;
    // when not, a line on stderr said why.
    bool ready() const { return ready_; }
    PhoneSim& phone() { return phone_; }
    QProcess& controller() { return kestrum_; }

private:
    TestEnv env_;
    PhoneSim phone_;
    QProcess kestrum_;
    bool ready_ = false;
};

// A pause of 50 to 350 ms, so that measured steps fall on every phase of
// the controller's timers.
void pause_random();

// "what  n=.. median .. ms  p99 .. ms  max .. ms  (target ...)".
void report(const char* what, QList<double> ms, const QString& target);

}  // namespace bench
