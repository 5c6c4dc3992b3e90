#pragma once
#include <QString>

namespace platform {

// The passage of time as the engines see it: blocking sleeps, one pump of
// pending events, a monotonic "now" for elapsed-time checks, and the local
// time of day. Tests substitute it to make long waits short, to move time
// on without waiting, or to run code from inside a pump.
class Clock {
public:
    virtual ~Clock() = default;
    // Blocks the thread for ms milliseconds without processing events.
    virtual void sleep_ms(int ms) = 0;
    // Processes the pending window and timer events once, then returns.
    virtual void pump() = 0;
    // Local time of day as "HH:MM:SS", 24-hour.
    virtual QString time_of_day() = 0;
    // Milliseconds on a clock that never goes back (not the time of day):
    // only differences between two readings mean anything.
    virtual qint64 now_ms() = 0;
    // Wall-clock time in ms since the epoch (UTC), for what is recorded
    // with a date (the call journal); not for measuring waits. The system's
    // unless a test fixes it.
    virtual qint64 wall_clock_ms();
};

class SystemClock : public Clock {
public:
    void sleep_ms(int ms) override;
    void pump() override;
    QString time_of_day() override;
    qint64 now_ms() override;
};

Clock& clock();
// Installs another clock (nullptr restores the system clock). Not owned.
void set_clock(Clock* replacement);

}  // namespace platform
