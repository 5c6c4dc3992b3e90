#pragma once
#include <QCoreApplication>
#include <QStringList>
#include <QThread>
#include <functional>
#include <memory>

#include "controller/blackboard.h"
#include "controller/controller.h"
#include "tests/support/phonesim_driver.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "serial/qt_serial_component.h"
#include "settings_store/settings_store.h"
#include "tests/support/test_env.h"

// Waits of half a second and more pass at once; shorter ones and pumps are
// real. A test may run something from inside the next pump, or move "now"
// on without waiting.
class FastClock : public platform::Clock {
public:
    void sleep_ms(int ms) override
    {
        (ms >= 500 ? long_sleeps : short_sleeps).append(ms);
        QThread::msleep(static_cast<unsigned long>(ms >= 500 ? 2 : ms));
    }
    void pump() override
    {
        if (in_next_pump) {
            auto task = std::move(in_next_pump);
            in_next_pump = nullptr;
            task();
        }
        QCoreApplication::processEvents();
    }
    QString time_of_day() override { return QStringLiteral("14:05:33"); }
    // Real time plus what a test has moved on by hand.
    qint64 now_ms() override { return platform::SystemClock().now_ms() + moved_on_ms; }

    qint64 moved_on_ms = 0;

    QList<int> long_sleeps;
    QList<int> short_sleeps;
    std::function<void()> in_next_pump;
};

class RecordedMessages : public platform::Messages {
public:
    void show(const QString&, const QString& text, platform::MessageIcon) override { texts.append(text); }
    QStringList texts;
};

inline QString board(const QString& key, const QString& fallback = QStringLiteral("<absent>"))
{
    return read_setting(QStringLiteral("Kestrum"), QStringLiteral("1"), key, fallback);
}

inline void set_board(const QString& key, const QString& value)
{
    write_setting(QStringLiteral("Kestrum"), QStringLiteral("1"), key, value);
}

// A controller of slot 1 in this process, driving a simulated phone on a
// real pseudo-terminal. Ticks are entered by hand; the timers stay off.
struct ControllerRig {
    explicit ControllerRig(const QStringList& phone_options = {}, const QString& type = QStringLiteral("GSM"))
        : phone(phone_options, 1)
    {
        platform::set_clock(&clock);
        platform::set_messages(&messages);
        kestrum::set_slot_identity_source([] { return QStringLiteral("1"); });
        set_board(QStringLiteral("port"), QStringLiteral("1"));
        set_board(QStringLiteral("Tip_tlf"), type);
        controller = std::make_unique<kestrum::Controller>(std::make_unique<QtSerialComponent>());
        controller->set_end_process([this] { ended = true; });
    }
    ~ControllerRig()
    {
        controller.reset();
        platform::set_clock(nullptr);
        platform::set_messages(nullptr);
        kestrum::set_slot_identity_source({});
    }

    void tick() { controller->engine_tick(); }
    void publish() { controller->status_tick(); }
    // The first tick opens the port and probes; after it the call engine
    // runs (the phone answers the call-list query).
    void connect_phone() { tick(); }
    // Status tick (takes the commands), engine tick, status tick.
    void round()
    {
        publish();
        tick();
        publish();
    }
    kestrum::ControllerState& state() { return controller->state(); }
    const kestrum::ControllerView& view() { return controller->view(); }

    TestEnv env;
    FastClock clock;
    RecordedMessages messages;
    PhoneSim phone;
    std::unique_ptr<kestrum::Controller> controller;
    bool ended = false;
};
