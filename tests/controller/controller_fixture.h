#pragma once
#include <QCoreApplication>
#include <QStringList>
#include <QThread>
#include <functional>
#include <memory>

#include "controller/blackboard.h"
#include "controller/controller.h"
#include "tests/support/phonesim_driver.h"
#include "serial/qt_serial_component.h"
#include "settings_store/settings_store.h"
#include "tests/support/message_recorder.h"
#include "tests/support/mock_clock.h"
#include "tests/support/store_fixture.h"
#include "tests/support/test_env.h"

// The blackboard of slot 1.
inline QString board(const QString& key) { return board(QStringLiteral("1"), key); }
inline void set_board(const QString& key, const QString& value) { set_board(QStringLiteral("1"), key, value); }

// A controller of slot 1 in this process, driving a simulated phone on a
// real pseudo-terminal. Ticks are entered by hand; the timers stay off.
namespace kestrum {
// The tests' narrow way into a controller: the state the engines keep
// between ticks, set up as a tick would find it.
struct ControllerProbe {
    static ControllerState& state(Controller& controller) { return controller.state_; }
};
}  // namespace kestrum

struct ControllerRig {
    explicit ControllerRig(const QStringList& phone_options = {}, const QString& type = QStringLiteral("GSM"))
        : phone(phone_options, 1)
    {
        // Waits of half a second and more pass at once; shorter ones are
        // real, for the phone to answer on its pseudo-terminal.
        clock.real_wait = [](int ms) { return ms >= 500 ? 2 : ms; };
        clock.follow_real_time(true);
        clock.time_of_day_text = QStringLiteral("14:05:33");
        kestrum::set_slot_identity_source([] { return QStringLiteral("1"); });
        set_board(QStringLiteral("port"), QStringLiteral("1"));
        set_board(QStringLiteral("Tip_tlf"), type);
        controller = std::make_unique<kestrum::Controller>(std::make_unique<QtSerialComponent>());
        controller->set_end_process([this] { ended = true; });
    }
    ~ControllerRig()
    {
        controller.reset();
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
    kestrum::ControllerState& state() { return kestrum::ControllerProbe::state(*controller); }
    const kestrum::ControllerView& view() { return controller->view(); }

    TestEnv env;
    MockClock clock;
    MessageRecorder messages;
    PhoneSim phone;
    std::unique_ptr<kestrum::Controller> controller;
    bool ended = false;
};
