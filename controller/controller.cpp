#include "controller/controller.h"

#include <cstdlib>

#include "controller/blackboard.h"
#include "controller/text_rules.h"
#include "platform/clock.h"
#include "serial/serial_component.h"

namespace kestrum {

Controller::Controller(std::unique_ptr<SerialComponent> serial, QObject* parent)
    : QObject(parent), serial_(std::move(serial))
{
    engine_timer_.setInterval(300);
    service_timer_.setInterval(100);
    status_timer_.setInterval(300);
    watchdog_timer_.setInterval(1000);
    connect(&engine_timer_, &QTimer::timeout, this, &Controller::engine_tick);
    connect(&service_timer_, &QTimer::timeout, this, &Controller::service_tick);
    connect(&status_timer_, &QTimer::timeout, this, &Controller::status_tick);
    connect(&watchdog_timer_, &QTimer::timeout, this, &Controller::watchdog_tick);
    end_process_ = [this] {
        close_port_quietly();
        std::_Exit(0);
    };
}

Controller::~Controller() = default;

void Controller::set_end_process(std::function<void()> end_process)
{
    end_process_ = std::move(end_process);
}

void Controller::start(bool started_with_arguments)
{
    started_with_arguments_ = started_with_arguments;
    write_board(QStringLiteral("on_pr_exe"), QStringLiteral("1"));
    state_.port_1 = leading_number16(read_board(QStringLiteral("port"), QStringLiteral("0")));
    state_.tip_tlf = read_board(QStringLiteral("Tip_tlf"), QStringLiteral("GSM"));
    view_.slot = slot_identity();
    service_timer_.start();
    status_timer_.start();
    watchdog_timer_.start();
}

void Controller::service_tick()
{
    if (started_with_arguments_ && !engine_timer_.isActive())
        engine_timer_.start();
    if (state_.Podkl_tel == 1) {
        state_.Podkl_tel = 0;
        engine_timer_.start();
    }
    if (state_.Otkluch_tel == 1) {
        engine_timer_.stop();
        // Run inside a pump of an engine tick, the rest of that tick would
        // open the port again at once: that tick closes it when it ends.
        if (engine_depth_ == 0) {
            state_.Otkluch_tel = 0;
            close_port_quietly();
        }
    }
    // A stopped engine (after "Отключить", a search, a lost wired line)
    // has no other way back, whatever the phone type.
    if (!engine_timer_.isActive())
        view_.connect_shown = true;
}

void Controller::engine_tick()
{
    ++engine_depth_;
    run_engine();
    if (--engine_depth_ == 0 && state_.Otkluch_tel == 1) {
        state_.Otkluch_tel = 0;
        engine_timer_.stop();
        close_port_quietly();
    }
}

void Controller::run_engine()
{
    view_.model = state_.model;
    state_.tip_tlf = read_board(QStringLiteral("Tip_tlf"), QStringLiteral("GSM"));
    // Exact, case-sensitive: "gsm" is no phone type.
    if (state_.tip_tlf == QLatin1String("Provod")) {
        wired_tick();
    } else if (state_.tip_tlf == QLatin1String("GSM")) {
        state_.sn_tr = QStringLiteral("0");
        state_.pol_tr1 = QStringLiteral("0");
        if (state_.CLCC == 1)
            call_engine_tick();
        else
            plain_gsm_tick();
    } else if (state_.tip_tlf == QLatin1String("CDMA")) {
        cdma_tick();
    }
}

void Controller::watchdog_tick()
{
    if (slot_identity() == development_slot())
        return;
    if (read_board(QStringLiteral("on_przv_exe"), QStringLiteral("0")) != QLatin1String("1")) {
        Exit_pr();
        return;
    }
    if (slot_identity() != QLatin1String("1")
        && read_board(QStringLiteral("ON"), QStringLiteral("0")) != QLatin1String("1"))
        Exit_pr();
}

void Controller::Exit_pr()
{
    write_board(QStringLiteral("on_pr"), QStringLiteral("False"));
    write_board(QStringLiteral("model"), QString());
    write_board(QStringLiteral("knopki_zv"), QStringLiteral("@@@@@@@@@@"));
    write_board(QStringLiteral("on_pr_exe"), QStringLiteral("0"));
    engine_timer_.stop();
    service_timer_.stop();
    status_timer_.stop();
    watchdog_timer_.stop();
    end_process_();
}

namespace {
// Joins the seven fields with "@". A caller's number may itself hold an "@"
// (a gateway's "user@host"); left in, it would shift every later field and
// pair the dialer's states with the wrong numbers, so it is dropped.
template <typename Fields>
QString join_fields(const Fields& fields)
{
    QStringList parts;
    for (const QString& field : fields)
        parts.append(QString(field).remove(QLatin1Char('@')));
    return parts.join(QLatin1Char('@'));
}
}  // namespace

void Controller::status_tick()
{
    write_board(QStringLiteral("on_pr_exe"), QStringLiteral("1"));
    // Read first so that an absent key is never created; then take it in one
    // step, because a number the dialer writes between a separate read and
    // reset would be wiped without ever being dialled.
    const QString number = read_board(QStringLiteral("pozvonit"), QString());
    if (!number.isEmpty()) {
        const QString latest = take_board(QStringLiteral("pozvonit"), QString(), true);
        state_.tlf_numb = latest.isEmpty() ? number : latest;
    }
    const QString port_state = port_open_quietly() ? QStringLiteral("True") : QStringLiteral("False");
    write_board(QStringLiteral("on_pr"), port_state);
    write_board(QStringLiteral("model"), state_.model);
    write_board(QStringLiteral("status"), join_fields(state_.status_str));
    write_board(QStringLiteral("zvonok"), join_fields(state_.zvonok_str));
    const QString separator = QStringLiteral("@");
    const QStringList buttons{state_.sn_tr, state_.pol_tr1, state_.prin1,  state_.otklon1,
                              state_.pol_tr2, state_.prin2, state_.otklon2, state_.kf,
                              state_.kf1,   state_.kf_oj,   state_.kf_dob};
    write_board(QStringLiteral("knopki_zv"), buttons.join(separator));

    const struct {
        const char* key;
        qint16 ControllerState::*flag;
    } takes[] = {
        {"vzat_t_pr", &ControllerState::vzat_t_pr}, {"poloz_t_pr", &ControllerState::poloz_t_pr},
        {"ud_otklon", &ControllerState::ud_otklon}, {"poloz_t", &ControllerState::poloz_t},
        {"vzat_t", &ControllerState::vzat_t},       {"kf", &ControllerState::ud_perekl},
        {"kf1", &ControllerState::ud_konf},         {"kf_oj", &ControllerState::ud_perekl},
    };
    for (const auto& take : takes) {
        const QString value = take_board(QString::fromLatin1(take.key), QString(), true);
        if (!value.isEmpty())
            state_.*take.flag = leading_number16(value);
    }
    view_.port_state = port_state;
}

}  // namespace kestrum
