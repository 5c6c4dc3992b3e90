#include "mock_clock.h"

#include <QCoreApplication>
#include <QThread>

MockClock::MockClock(std::function<int(int ms)> real_wait_ms) : started_real_ms_(platform::SystemClock().now_ms())
{
    if (real_wait_ms)
        real_wait = std::move(real_wait_ms);
    platform::set_clock(this);
}

MockClock::~MockClock()
{
    platform::set_clock(nullptr);
}

void MockClock::sleep_ms(int ms)
{
    if (on_sleep)
        on_sleep(ms);
    sleeps.append(ms);
    const int really = ms > 0 ? qBound(0, real_wait(ms), ms) : 0;
    if (really > 0)
        QThread::msleep(static_cast<unsigned long>(really));
    skipped_ms_ += follows_real_time_ ? ms - really : ms;
}

void MockClock::pump()
{
    if (in_next_pump) {
        auto task = std::move(in_next_pump);
        in_next_pump = nullptr;
        task();
    }
    if (on_pump && !in_on_pump_) {
        in_on_pump_ = true;
        on_pump();
        in_on_pump_ = false;
    }
    if (processes_events)
        QCoreApplication::processEvents();
}

qint64 MockClock::now_ms()
{
    const qint64 real = follows_real_time_ ? platform::SystemClock().now_ms() - started_real_ms_ : 0;
    return real + skipped_ms_;
}
