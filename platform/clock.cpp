#include "platform/clock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>
#include <QTime>
#include <chrono>

namespace platform {

qint64 Clock::wall_clock_ms() { return QDateTime::currentMSecsSinceEpoch(); }

void SystemClock::sleep_ms(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

void SystemClock::pump()
{
    QCoreApplication::processEvents();
}

QString SystemClock::time_of_day()
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

qint64 SystemClock::now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {
SystemClock system_clock;
Clock* current_clock = &system_clock;
}  // namespace

Clock& clock() { return *current_clock; }

void set_clock(Clock* replacement)
{
    current_clock = replacement ? replacement : &system_clock;
}

}  // namespace platform
