#include "controller/controller.h"

#include <QMetaObject>
#include <cstdlib>
#include <utility>

#include "blackboard/fields.h"
#include "blackboard/keys.h"
#include "controller/blackboard.h"
#include "controller/text_rules.h"
#include "platform/clock.h"
#include "serial/serial_component.h"
#include "settings_store/settings_store.h"
#include "settings_store/store_watch.h"

namespace kestrum {

namespace key = blackboard::key;
namespace flag = blackboard::flag;

Controller::Controller(std::unique_ptr<SerialComponent> serial, QObject* parent)
    : QObject(parent), serial_(std::move(serial)), channel_(*serial_),
      calls_(state_, view_,
             {[this] { journal_.dial_dropped(); },
              [this](const QString& number, const QString& time) {
                  // One commit: the dialer, woken by the number, finds its time too.
                  write_board({{blackboard::key::vhod_zvonok, number}, {blackboard::key::vhod_zvonok_time, time}});
              }}),
      messages_(channel_), phonebook_(channel_)
{
    engine_timer_.setInterval(300);
    service_timer_.setInterval(100);
    status_timer_.setInterval(300);
    watchdog_timer_.setInterval(1000);
    connect(&engine_timer_, &QTimer::timeout, this, &Controller::engine_timer_fired);
    connect(&service_timer_, &QTimer::timeout, this, &Controller::service_tick);
    connect(&status_timer_, &QTimer::timeout, this, &Controller::status_tick);
    connect(&watchdog_timer_, &QTimer::timeout, this, &Controller::watchdog_tick);
    end_process_ = [this] {
        close_port_quietly();
        std::_Exit(0);
    };
    subscribe_unsolicited();
    messages_.subscribe([this] { messages_soon(); });
    // Only noted here: Qt may report arrivals from inside a read.
    serial_->set_data_arrived([this] {
        if (std::exchange(arrival_queued_, true))
            return;
        QMetaObject::invokeMethod(this, &Controller::data_arrived, Qt::QueuedConnection);
    });
}

void Controller::subscribe_unsolicited()
{
    // The engines' replies have always carried these lines: they stay in.
    for (const char* prefix : {"RING", "+CRING", "+CLIP", "+CCWA", "NO CARRIER"})
        channel_.subscribe(QLatin1String(prefix), [this](const QString&) { heard_call_event(); },
                           AtChannel::Seen::Keep);
    channel_.subscribe(QStringLiteral("+CUSD:"), [this](const QString& line) {
        ussd_.take_reply(line + QStringLiteral("\r\n"), platform::clock().now_ms());
        publish_ussd();
    });
}

void Controller::data_arrived()
{
    arrival_queued_ = false;
    // Inside a tick the tick's own reading takes it.
    if (engine_depth_ == 0 && !channel_.busy())
        channel_.poll();
}

void Controller::heard_call_event()
{
    call_poll_wanted_ = true;
    if (engine_depth_ == 0)
        poll_calls_soon();
}

void Controller::poll_calls_soon()
{
    // Only the call-state engine reads a call list; the other engines'
    // ticks would send the phone other commands than today.
    if (!engine_timer_.isActive() || state_.CLCC != 1 || state_.tip_tlf != blackboard::kGsm)
        return;
    QTimer::singleShot(0, this, [this] {
        if (call_poll_wanted_ && engine_depth_ == 0 && engine_timer_.isActive())
            event_tick();
    });
}

void Controller::messages_soon()
{
    QTimer::singleShot(0, this, [this] {
        if (engine_depth_ == 0 && engine_timer_.isActive())
            run_messages();
    });
}

void Controller::run_messages()
{
    const qint64 now = platform::clock().now_ms();
    const bool call_on = !state_.status_str[1].isEmpty();
    const bool phonebook_due = !call_on && phonebook_.wants_work();
    if (blackboard::phone_type_of(state_.tip_tlf) != blackboard::PhoneType::Gsm || call_command_pending()
        || command_reply_pending_ || !(messages_.wants_work(now) || phonebook_due) || !port_open_quietly())
        return;
    const bool deleting = read_setting(blackboard::app::Vekorra, blackboard::section::drugoe, key::sms_udalyat,
                                       QString()) != flag::off;
    const auto call_first = [this] { return call_command_pending() || call_poll_wanted_; };
    ++engine_depth_;
    if (messages_.wants_work(now))
        messages_.work(now, deleting, call_on, call_first);
    if (phonebook_due && !call_first())
        phonebook_.work(call_first);
    --engine_depth_;
    write_board(key::sms_rezhim, messages_.mode_text());
    if (call_poll_wanted_)
        poll_calls_soon();
}

Controller::~Controller() = default;

void Controller::set_end_process(std::function<void()> end_process)
{
    end_process_ = std::move(end_process);
}

void Controller::start(bool started_with_arguments)
{
    started_with_arguments_ = started_with_arguments;
    write_board(key::on_pr_exe, flag::on);
    state_.port_1 = leading_number16(board().port());
    state_.tip_tlf = board().phone_type_text();
    view_.slot = slot_identity();
    journal_.open(view_.slot, view_.slot != development_slot());
    // Like the calls, a controller run by hand keeps no messages, and so
    // leaves them on the phone.
    const QString kept_line = view_.slot != development_slot() ? view_.slot : QString();
    messages_.open(kept_line);
    phonebook_.open(kept_line);
    service_timer_.start();
    status_timer_.start();
    watchdog_timer_.start();
    store_watch_ = std::make_unique<settings_store::StoreWatch>();
    connect(store_watch_.get(), &settings_store::StoreWatch::changed, this, &Controller::store_changed);
}

void Controller::store_changed()
{
    if (!status_timer_.isActive())
        return;
    status_tick();
    messages_soon();
    if (!engine_timer_.isActive() || !engine_work_waiting())
        return;
    // Taken inside a tick's pump (its rest after the poll): the tick that
    // carries it out follows that one at once, not at the timer's next turn.
    if (engine_depth_ != 0) {
        tick_after_this_ = true;
        return;
    }
    engine_tick_soon();
}

void Controller::engine_tick_soon()
{
    QTimer::singleShot(0, this, [this] {
        if (engine_depth_ == 0 && engine_timer_.isActive() && engine_work_waiting())
            event_tick();
    });
}

bool Controller::engine_work_waiting() const
{
    return call_command_pending() || state_.vzat_t_pr == 1 || state_.poloz_t_pr == 1 || tones_.waiting()
           || ussd_.has_queued();
}

void Controller::press(Command command)
{
    switch (command) {
    case Command::TakeLine: state_.vzat_t_pr = 1; break;
    case Command::ReleaseLine: state_.poloz_t_pr = 1; break;
    case Command::Answer: state_.vzat_t = 1; break;
    case Command::HangUp: state_.poloz_t = 1; break;
    case Command::RejectWaiting: state_.ud_otklon = 1; break;
    case Command::Swap: state_.ud_perekl = 1; break;
    case Command::Join: state_.ud_konf = 1; break;
    }
}

void Controller::dial(const QString& number)
{
    state_.tlf_numb = number;
    engine_timer_.start();
}

void Controller::show_link(const LinkShown& shown)
{
    if (shown.status)
        view_.status_text = *shown.status;
    if (shown.indicator)
        view_.indicator = *shown.indicator;
    if (shown.connect_shown)
        view_.connect_shown = *shown.connect_shown;
}

void Controller::link_up()
{
    show_link({QString(), ControllerView::Indicator::Green, false});
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
        show_link({std::nullopt, std::nullopt, true});
}

// Qt never fires a timer inside its own handler, so no timer tick nests in
// a tick of the timer's. A tick started by an event (a command written, a
// call heard) stands on the same footing: the timer's turn that falls
// inside it is skipped rather than run nested, where it would read the
// reply the outer tick waits for and hand its list on before the outer's.
void Controller::event_tick()
{
    ++event_ticks_;
    engine_tick();
    --event_ticks_;
}

void Controller::engine_timer_fired()
{
    if (event_ticks_ == 0)
        engine_tick();
}

void Controller::engine_tick()
{
    ++engine_depth_;
    run_engine();
    if (engine_depth_ == 1 && call_poll_wanted_)
        poll_calls_soon();
    if (--engine_depth_ == 0 && state_.Otkluch_tel == 1) {
        state_.Otkluch_tel = 0;
        engine_timer_.stop();
        close_port_quietly();
    }
    if (engine_depth_ == 0 && std::exchange(tick_after_this_, false))
        engine_tick_soon();
}

void Controller::reconnect()
{
    // A controller the user disconnected by hand stays disconnected.
    if (!engine_timer_.isActive() && !started_with_arguments_)
        return;
    // A port still open on the device's old node fails its next exchange
    // and is opened again by the tick after: it is not closed here, since
    // the tick may have found the device already.
    state_.sch = 0;
    state_.i = 0;
    engine_timer_.start();
    // Nested in a running tick's pump, the next timer tick comes soon enough.
    if (engine_depth_ == 0)
        QTimer::singleShot(0, this, &Controller::event_tick);
}

void Controller::run_engine()
{
    view_.model = state_.model;
    state_.tip_tlf = board().phone_type_text();
    // Exact, case-sensitive: "gsm" is no phone type.
    const std::optional<blackboard::PhoneType> type = blackboard::phone_type_of(state_.tip_tlf);
    if (type != blackboard::PhoneType::Gsm || state_.CLCC != 1)
        journal_.tick_without_list();
    if (type == blackboard::PhoneType::Provod) {
        wired_tick();
    } else if (type == blackboard::PhoneType::Gsm) {
        state_.sn_tr = flag::off;
        state_.pol_tr1 = flag::off;
        line_quiet_ = false;
        if (state_.CLCC == 1)
            call_engine_tick();
        else
            plain_gsm_tick();
        if (std::exchange(line_quiet_, false))
            run_messages();
    } else if (type == blackboard::PhoneType::Cdma) {
        cdma_tick();
    }
}

void Controller::watchdog_tick()
{
    if (slot_identity() == development_slot())
        return;
    const blackboard::Slot slot = board();
    if (!slot.run_permitted()) {
        Exit_pr();
        return;
    }
    if (slot.name() != blackboard::section::slot(1) && !slot.enabled())
        Exit_pr();
}

void Controller::Exit_pr()
{
    write_board(key::on_pr, flag::port_closed);
    write_board(key::model, QString());
    write_board(key::knopki_zv, blackboard::no_buttons());
    write_board(key::on_pr_exe, flag::off);
    engine_timer_.stop();
    service_timer_.stop();
    status_timer_.stop();
    watchdog_timer_.stop();
    journal_.controller_ending();
    end_process_();
}

Controller::PublishedCallState Controller::call_state_texts() const
{
    const blackboard::ButtonFlags buttons{state_.sn_tr, state_.pol_tr1, state_.prin1,  state_.otklon1,
                                          state_.pol_tr2, state_.prin2, state_.otklon2, state_.kf,
                                          state_.kf1,   state_.kf_oj,   state_.kf_dob};
    return {blackboard::join_call_fields(state_.status_str), blackboard::join_call_fields(state_.zvonok_str),
            blackboard::join_button_flags(buttons)};
}

void Controller::publish_call_state()
{
    published_ = call_state_texts();
    write_board(key::status, published_.status);
    write_board(key::zvonok, published_.zvonok);
    write_board(key::knopki_zv, published_.knopki_zv);
}

void Controller::publish_changed_call_state()
{
    // A ringing phone is seen by the dialer at its next pass instead of
    // after the next status tick; unchanged state costs no writes.
    if (call_state_texts() != published_)
        publish_call_state();
}

void Controller::status_tick()
{
    // The tick's many reads, unchanged writes and takes of empty keys
    // share one read transaction; a real change ends it first.
    const settings_store::ReadBatch batch;
    write_board(key::on_pr_exe, flag::on);
    // Read first so that an absent key is never created; then take it in one
    // step, because a number the dialer writes between a separate read and
    // reset would be wiped without ever being dialled.
    const blackboard::Slot slot = board();
    const QString number = slot.pozvonit();
    if (!number.isEmpty()) {
        const QString latest = slot.take_pozvonit();
        state_.tlf_numb = latest.isEmpty() ? number : latest;
        slot.note_pozvonit_taken(state_.tlf_numb);
    }
    const QString port_state = flag::port_state(port_open_quietly());
    write_board(key::on_pr, port_state);
    write_board(key::model, state_.model);
    publish_call_state();

    // In the order the flags are taken.
    const struct {
        QLatin1String key;
        qint16 ControllerState::*flag;
    } takes[] = {
        {key::vzat_t_pr, &ControllerState::vzat_t_pr}, {key::poloz_t_pr, &ControllerState::poloz_t_pr},
        {key::ud_otklon, &ControllerState::ud_otklon}, {key::poloz_t, &ControllerState::poloz_t},
        {key::vzat_t, &ControllerState::vzat_t},       {key::kf, &ControllerState::ud_perekl},
        {key::kf1, &ControllerState::ud_konf},         {key::kf_oj, &ControllerState::ud_perekl},
    };
    for (const auto& take : takes) {
        const QString value = slot.take(take.key, QString());
        if (!value.isEmpty())
            state_.*take.flag = leading_number16(value);
    }
    tones_.take(slot.take_dtmf());
    take_ussd(slot);
    if (!slot.read(key::sms_ochered, QString()).isEmpty() && flag::is_on(slot.take(key::sms_ochered, QString())))
        messages_.wake();
    if (!slot.read(key::kniga_chitat, QString()).isEmpty() && flag::is_on(slot.take(key::kniga_chitat, QString())))
        phonebook_.request();
    const bool gsm = blackboard::phone_type_of(state_.tip_tlf) == blackboard::PhoneType::Gsm;
    write_board(key::sms_rezhim, gsm ? messages_.mode_text() : QString(blackboard::sms_mode::none));
    if (blackboard::flag::is_on(slot.take(key::podkl_snova, QString())))
        reconnect();
    view_.port_state = port_state;
}

}  // namespace kestrum
