#pragma once
#include <QList>
#include <QString>
#include <functional>

#include "platform/clock.h"

// The one clock of the tests. It installs itself as the clock seam for its
// lifetime. A sleep is written down and moves "now" on by its length
// without waiting (unless real_wait asks for some real waiting, for a
// simulated phone to answer on its pseudo-terminal); advance() moves time
// on by hand. A pump runs the hooks, then the pending events.
class MockClock : public platform::Clock {
public:
    // real_wait: see the member of that name.
    explicit MockClock(std::function<int(int ms)> real_wait_ms = {});
    ~MockClock() override;
    MockClock(const MockClock&) = delete;
    MockClock& operator=(const MockClock&) = delete;

    void sleep_ms(int ms) override;
    void pump() override;
    QString time_of_day() override { return time_of_day_text; }
    qint64 now_ms() override;

    void advance(qint64 ms) { skipped_ms_ += ms; }
    // When real time passes too (a test with real processes), "now" is
    // real elapsed time plus everything the sleeps and advance() skipped.
    void follow_real_time(bool follow) { follows_real_time_ = follow; }

    // Every sleep asked for, in order.
    QList<int> sleeps;
    // How many real milliseconds a sleep of ms blocks; none by default.
    std::function<int(int ms)> real_wait = [](int) { return 0; };
    // Runs at every sleep, before it: e.g. to log it among other events.
    std::function<void(int ms)> on_sleep;
    // Runs once, at the next pump (may set itself again for the one after).
    std::function<void()> in_next_pump;
    // Runs at every pump, as a user's click would; not again inside a pump
    // that it caused itself.
    std::function<void()> on_pump;
    // Whether a pump processes the pending events (a logic test without
    // an event loop turns it off).
    bool processes_events = true;
    QString time_of_day_text = QStringLiteral("12:00:00");

private:
    qint64 skipped_ms_ = 0;
    qint64 started_real_ms_ = 0;
    bool follows_real_time_ = false;
    bool in_on_pump_ = false;
};
